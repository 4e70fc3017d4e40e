#pragma once
// The window's poll timer on the virtual clock: the watch stops it while it
// polls, as the window does, so a poll never runs inside another one.
#include "device/connection_watch.h"
#include "virtual_host.h"

namespace zmt::test {

class PollingWindow : public WatchWindow {
public:
    PollingWindow(VirtualHost& host, ConnectionWatch*& watch) : host_(host), watch_(watch) {}
    void setToolbarBusy(bool) override {}
    bool deviceLogChecked() override { return false; }
    void setDeviceLogChecked(bool) override {}
    bool monitoringPageActive() override { return false; }
    void setPollInterval(unsigned) override {}
    void stopPollTimer() override {
        if (timer_ != 0) host_.stopTimer(timer_);
        timer_ = 0;
    }
    void startPollTimer() override {
        if (timer_ == 0) timer_ = host_.startTimer(kPollIntervalMs, [this] { watch_->onPollTick(); });
    }

private:
    VirtualHost& host_;
    ConnectionWatch*& watch_;
    int timer_ = 0;
};

} // namespace zmt::test
