// The quick set-up in zmtsetup --simulator on the real clock, its window
// open and waiting for a press: the CPU the whole program takes meanwhile
// (user and system time over a window of seconds), then, press after press,
// the time from the button's release to the assignment shown (the window on
// the next function). The flow reads the levels every 100 ms, so one poll is
// the target. Run offscreen or on a virtual display:
//   QT_QPA_PLATFORM=offscreen quick_setup_window [seconds] [presses]
#include "setup/quick_setup.h"
#include "sim/simulator.h"
#include "ui/procedures/quick_setup_window.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/program.h"
#include "ui/shell/quick_setup_entry.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for ms, or until done says so (looked at every ms).
bool runFor(int ms, const std::function<bool()>& done = {}) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer look;
    if (done) {
        QObject::connect(&look, &QTimer::timeout, &loop, [&] {
            if (done()) loop.quit();
        });
        look.start(1);
    }
    loop.exec();
    return done && done();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const int presses = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 10) : 9;
    QTemporaryDir dir;
    zmt::ui::Program program({.simulated = true,
                              .simulatorStateFile = {},
                              .settingsPath = dir.filePath("zmtsetup.ini").toStdString(),
                              .offerQuickSetup = false});
    program.startUp();
    program.show();
    zmt::ui::MainWindow& window = program.window();
    if (!runFor(10000, [&] { return window.flags().deviceConnected() && window.flags().imageValid(); })) {
        std::fprintf(stderr, "quick_setup_window: the simulated controller was not read\n");
        return 1;
    }
    auto& controller = program.controller().simulator()->controller();
    controller.levelNoise = 2;   // a real ladder's readings wander a little
    const auto idle = controller.state.keyLevels;
    program.quickSetup().openQuickSetup();
    zmt::setup::QuickSetup& flow = program.quickSetup().setupWindow().flow();
    if (!runFor(5000, [&] { return flow.step() == zmt::setup::QuickStep::Waiting; })) {
        std::fprintf(stderr, "quick_setup_window: the idle measurement did not end\n");
        return 1;
    }

    const double cpuBefore = cpuSeconds();
    const auto began = Clock::now();
    runFor(seconds * 1000);
    const double wall = std::chrono::duration<double>(Clock::now() - began).count();
    const double cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / wall;

    std::vector<double> latencies;
    for (int press = 0; press < presses; ++press) {
        // A new button every time: four channels, levels far apart.
        const int channel = press % 4;
        const int step = flow.stepIndex();
        controller.state.keyLevels[channel] = static_cast<uint8_t>(90 + 50 * (press / 4));
        runFor(500);
        controller.state.keyLevels = idle;
        const auto released = Clock::now();
        if (!runFor(2000, [&] { return flow.stepIndex() != step; })) {
            std::fprintf(stderr, "quick_setup_window: press %d was not taken\n", press + 1);
            return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - released).count());
        runFor(150);   // a thumb between two buttons
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("quick_setup_waiting_cpu %.3f\nquick_setup_release_to_shown_ms %.1f %.1f %zu\n", cpuPercent,
                latencies[latencies.size() / 2], latencies.back(), latencies.size());
    program.quickSetup().setupWindow().reject();
    return 0;
}
