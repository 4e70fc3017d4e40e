// The yardstick for zmtsetup's start-up and close times and memory: the
// smallest Qt Widgets program that shows a window. It reports its timings
// to scripts/bench exactly as zmtsetup does (src/app/timing_report.h).
//   minimal_window          an empty window: the target's yardstick
//   minimal_window --text   the same window with one line of text, for
//                           information: what showing any text at all costs
//                           (the font system's start), which no window with
//                           a caption can avoid
#include "app/timing_report.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(696, 442);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto* caption = new QLabel(QStringLiteral("Программа настройки ZEL MORVA TOUCH"), &window);
        caption->move(8, 8);
    }
    window.show();
    zmt::reportTimingWhenShown(window);
    return app.exec();
}
