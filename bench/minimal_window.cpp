// The yardstick for zmtsetup's start-up and close times and memory: the
// smallest Qt Widgets program that shows a window. It reports its timings
// to scripts/bench exactly as zmtsetup does (src/app/timing_report.h).
#include "app/timing_report.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(696, 442);
    window.show();
    zmt::reportTimingWhenShown(window);
    return app.exec();
}
