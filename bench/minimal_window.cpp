// The yardstick for zmtsetup's start-up time and memory: the smallest Qt
// Widgets program that shows a window. With ZMT_QUIT_WHEN_SHOWN set (to the
// launcher's steady-clock reading in ns) it reports the time to its shown
// window and quits, as zmtsetup does.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(696, 442);
    window.show();
    // As zmtsetup: the launch's clock reading in, the time since then out.
    if (const char* launched = std::getenv("ZMT_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [launched] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            const double ms = static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() -
                                                  std::atoll(launched)) / 1e6;
            std::fprintf(stderr, "shown_after_ms %.1f\n", ms);
            QApplication::quit();
        });
    }
    return app.exec();
}
