// The main window after an hour of device log: 360 000 lines (100 a second)
// appended to the log view through memoLine. Prints the resident memory they
// added next to the bytes of their text, and how long the window takes for
// one event-loop pass, one more line and a scroll to the end afterwards; the
// window is responsive while a pass stays well under 50 ms. Run offscreen:
//   QT_QPA_PLATFORM=offscreen memo_window [lines]
#include "ui/shell/main_window.h"
#include "ui/log/log_view.h"

#include <QApplication>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const long lines = argc > 1 ? std::max(1L, std::atol(argv[1])) : 360000L;
    zmt::ui::MainWindow window;
    // The device log runs only while its page is shown, so the view paints
    // as the lines arrive.
    window.pages().setCurrentIndex(0);
    window.show();
    QApplication::processEvents();
    const long before = residentKb();
    const auto start = Clock::now();
    long textBytes = 0;
    for (long i = 0; i < lines; ++i) {
        // A device-log record as the watch prints it.
        const std::string line = zmt::formatText("%02ld:%02ld:%02ld.%03ld LOG type 01 len 08 : 12 34 56 78 9A BC DE F0",
                                                 i / 360000 % 24, i / 6000 % 60, i / 100 % 60, i % 100 * 10);
        textBytes += static_cast<long>(line.size());
        window.memoLine(line);
        if (i % 100 == 0) QApplication::processEvents();   // the event loop runs between records
    }
    QApplication::processEvents();
    const double appendAll = msSince(start);
    const long after = residentKb();

    auto pass = Clock::now();
    QApplication::processEvents();
    const double eventPass = msSince(pass);
    pass = Clock::now();
    window.memoLine("one more line");
    QApplication::processEvents();
    const double oneMore = msSince(pass);
    // The log view itself, in sight: otherwise nothing would be painted.
    auto* memo = window.findChild<zmt::ui::LogView*>(QStringLiteral("Memo"));
    if (memo == nullptr || !memo->isVisible()) {
        std::fprintf(stderr, "memo_window: the window shows no log view named LogView\n");
        return 1;
    }
    memo->verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    pass = Clock::now();
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const double scroll = msSince(pass);
    std::printf("memo_lines %ld\nmemo_text_kb %ld\nmemo_rss_growth_kb %ld\nmemo_append_all_ms %.0f\nmemo_event_pass_ms %.2f\n"
                "memo_one_more_line_ms %.2f\nmemo_scroll_to_end_ms %.2f\n",
                lines, textBytes / 1024, after - before, appendAll, eventPass, oneMore, scroll);
    return 0;
}
