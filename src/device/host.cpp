#include "device/host.h"

#include <algorithm>

namespace zmt {

uint32_t delayMs(Host& host, uint32_t ms) {
    const uint32_t start = host.tickMs();
    uint32_t elapsed = 0;
    while (elapsed < ms) {
        host.waitEvents(ms - elapsed);
        elapsed = host.tickMs() - start;
    }
    return elapsed;
}

void Host::progressStart(int total, const std::string& caption) {
    statusText(caption);
    gauge_.savedCaption = caption;
    gauge_.maximum = total;
    gauge_.position = 0;
    gauge_.accumulated = 0;
    gauge_.visible = true;
    gauge_.running = true;
    gaugeChanged(gauge_);
    processEvents();
    lastStepEventsMs_ = tickMs();
}

void Host::progressEnd() {
    gauge_.running = false;
    // A transfer that broke off has nothing left to show: its stopped gauge
    // and its caption (in the language of its day) would otherwise stay
    // beside a toolbar that is usable again, until the watch's next word.
    if (gauge_.visible && gauge_.position < gauge_.maximum) {
        progressHide();
        statusText(std::string());
    }
}

void Host::progressStep(int count) {
    if (!gauge_.running || gauge_.position >= gauge_.maximum) return;
    const bool reshown = !gauge_.visible;
    if (reshown) {
        statusText(gauge_.savedCaption);
        gauge_.visible = true;
    }
    gauge_.accumulated += count;
    gauge_.position = std::clamp(gauge_.accumulated, 0, gauge_.maximum);
    if (!reshown && gauge_.position < gauge_.maximum && tickMs() - lastStepEventsMs_ < kProgressEventsMs) return;
    gaugeChanged(gauge_);
    processEvents();
    lastStepEventsMs_ = tickMs();
}

void Host::progressHide() {
    if (!gauge_.visible) return;
    gauge_.visible = false;
    gaugeChanged(gauge_);
}

} // namespace zmt
