#pragma once
// The host the benchmarks run the core under: nobody to ask, nothing to
// show. Boxes answer OK, and every look at the clock moves it one
// millisecond so time-outs still end; a benchmark on the real clock
// overrides tickMs and waitEvents.
#include "config/config_transfer.h"
#include "device/connection_watch.h"
#include "device/host.h"
#include "sim/simulated_hid_backend.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace zmt::bench {

class QuietHost : public Host {
public:
    uint32_t tickMs() override { return ++ticks_; }
    void waitEvents(uint32_t) override {}
    Answer messageBox(MessageStyle, const std::string&) override { return Answer::Ok; }
    void memoLine(const std::string&) override {}
    void memoClear() override {}
    bool exchangeLogOn() override { return false; }
    void statusText(const std::string&) override {}
    void notice(unsigned, unsigned, const std::string&) override {}

protected:
    void gaugeChanged(const Gauge&) override {}

private:
    uint32_t ticks_ = 1;
};

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The same on the real clock (milliseconds since it was made).
class RealClockHost : public QuietHost {
public:
    uint32_t tickMs() override {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }

private:
    Clock::time_point start_ = Clock::now();
};

// The program's device stack over one simulated controller, under StackHost.
template <class StackHost>
struct SimulatedStack {
    StackHost host;
    sim::SimulatedHidBackend backend{[this] { return host.tickMs(); }};
    std::shared_ptr<sim::SimulatedController> controller = std::make_shared<sim::SimulatedController>();
    HidTransport transport{backend};
    DeviceLink link{host, transport};
    ConfigRecord record;
    ProgramFlags flags;
    QuietWatchWindow window;
    ConnectionWatch watch{link, flags, window};
    ConfigTransfer transfer{link, record, flags, &watch};
    SimulatedStack() { backend.addController(controller); }
};

} // namespace zmt::bench
