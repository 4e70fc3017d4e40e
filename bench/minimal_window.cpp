// The yardstick for zmtsetup's start-up time and memory: the smallest Qt
// Widgets program that shows a window. With ZMT_QUIT_WHEN_SHOWN set it quits
// as soon as the window has been shown, as zmtsetup does.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(696, 442);
    window.show();
    if (std::getenv("ZMT_QUIT_WHEN_SHOWN") != nullptr) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
