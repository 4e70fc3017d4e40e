#pragma once
// What scripts/bench reads from zmtsetup and from the bare window it is held
// against (bench/minimal_window.cpp), one code for both. The launcher passes
// its steady-clock reading (ns) in the environment:
//   ZMT_QUIT_WHEN_SHOWN=<ns>  "shown_after_ms X" once the window is up, then quit
//   ZMT_CLOSE_WHEN_SHOWN=<ns> the same report, then "close_requested_ns N" and
//                             the window is closed as its close box would; the
//                             launcher times the close to the process's end.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace zmt {

inline long long steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline void reportTimingWhenShown(QWidget& window) {
    const char* quitAt = std::getenv("ZMT_QUIT_WHEN_SHOWN");
    const char* closeAt = std::getenv("ZMT_CLOSE_WHEN_SHOWN");
    const char* launched = quitAt != nullptr ? quitAt : closeAt;
    if (launched == nullptr) return;
    const bool close = quitAt == nullptr;
    const long long launchNs = std::atoll(launched);
    QTimer::singleShot(0, &window, [&window, launchNs, close] {
        std::fprintf(stderr, "shown_after_ms %.1f\n", static_cast<double>(steadyNowNs() - launchNs) / 1e6);
        if (!close) {
            QApplication::quit();
            return;
        }
        std::fprintf(stderr, "close_requested_ns %lld\n", steadyNowNs());
        std::fflush(stderr);
        window.close();
    });
}

} // namespace zmt
