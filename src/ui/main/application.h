#pragma once
// The application object of zmtsetup. A failure escaping a window handler is
// shown and the program goes on, the way a click that failed should behave;
// it never takes the window (and unsaved work) down with it.
#include <QApplication>

#include <functional>

namespace zmt::ui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // How a failure is shown; by default on stderr and in an error box.
    std::function<void(const QString& what)> showFailure;
    static void showFailureBox(const QString& what);
};

} // namespace zmt::ui
