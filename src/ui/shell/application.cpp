#include "ui/shell/application.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace zmt::ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        showFailure(QString::fromUtf8(failure.what()));
    } catch (...) {
        showFailure(QStringLiteral("unknown exception"));
    }
    return false;
}

void Application::showFailureBox(const QString& what) {
    std::fprintf(stderr, "zmtsetup: %s\n", what.toLocal8Bit().constData());
    if (QApplication::instance() != nullptr) QMessageBox::critical(nullptr, QStringLiteral("zmtsetup"), what);
}

} // namespace zmt::ui
