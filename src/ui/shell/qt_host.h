#pragma once
// The core's Host for the desktop program: the tick is a monotonic
// millisecond clock, waits sleep in the event loop, and boxes, memo lines,
// status text, notices and the gauge go to the main window.
#include "device/host.h"

#include <QElapsedTimer>

namespace zmt::ui {

class MainWindow;

class QtHost : public Host {
public:
    explicit QtHost(MainWindow& window);

    uint32_t tickMs() override;
    // Lets the window show a page a transfer held too long (greyed), then
    // passes events.
    void waitEvents(uint32_t maxMs) final;

    Answer messageBox(MessageStyle style, const std::string& text) override;
    void memoLine(const std::string& line) override;
    void memoClear() override;
    bool exchangeLogOn() override;
    void statusText(const std::string& text) override;
    void notice(unsigned clearMs, unsigned blinkMs, const std::string& text) override;

protected:
    // One pass over pending events; with maxMs > 0 the pass then sleeps in a
    // local event loop until maxMs have gone by, still serving timers, clicks
    // and repaints, and never spinning a core.
    virtual void passEvents(uint32_t maxMs);
    void gaugeChanged(const Gauge& gauge) override;
    MainWindow& window_;

private:
    QElapsedTimer clock_;
};

} // namespace zmt::ui
