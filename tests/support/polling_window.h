#pragma once
// The window's poll timer on the virtual clock: the watch stops it while it
// polls, as the window does, so a poll never runs inside another one (nor
// inside its own retry pauses), and it ticks at the interval the watch sets.
#include "device/connection_watch.h"
#include "virtual_host.h"

#include <functional>
#include <utility>

namespace zmt::test {

class PollingWindow : public WatchWindow {
public:
    // tick: what the window's timer calls, normally the watch's onPollTick.
    PollingWindow(VirtualHost& host, std::function<void()> tick) : host_(host), tick_(std::move(tick)) {}
    void setToolbarBusy(bool) override {}
    bool deviceLogChecked() override { return false; }
    void setDeviceLogChecked(bool) override {}
    bool monitoringPageActive() override { return false; }
    void setPollInterval(unsigned ms) override { interval_ = ms; }
    void stopPollTimer() override {
        if (timer_ != 0) host_.stopTimer(timer_);
        timer_ = 0;
    }
    void startPollTimer() override {
        if (timer_ == 0) timer_ = host_.startTimer(interval_, tick_);
    }

private:
    VirtualHost& host_;
    std::function<void()> tick_;
    unsigned interval_ = kPollIntervalMs;
    int timer_ = 0;
};

} // namespace zmt::test
