#pragma once
// The application object of zmtsetup. A failure escaping a window handler is
// shown and the program goes on, the way a click that failed should behave;
// it never takes the window (and unsaved work) down with it.
#include <QApplication>

namespace zmt::ui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // On stderr and in an error box.
    static void showFailureBox(const QString& what);

protected:
    // How a caught failure is shown: showFailureBox (the tests record it).
    virtual void showFailure(const QString& what) { showFailureBox(what); }
};

} // namespace zmt::ui
