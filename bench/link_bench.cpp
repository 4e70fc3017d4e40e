// Cost of the link itself. Block transfers run through the whole stack
// (link, transport, simulated HID backend, simulated controller) with every
// feature-report transfer costing 1 ms of real time, as a full-speed USB
// control transfer does; the "ratio" counter is measured time over that
// modelled floor (1.0 = the stack adds nothing). The poll benchmark times one
// connection poll with no controller present through the real hidapi backend.
#include "bench_host.h"
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "device/hidapi_backend.h"
#include "device/hid_transport.h"
#include "sim/simulated_hid_backend.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A host on the real clock with nothing else to do: waits only pass time.
class BenchHost : public zmt::bench::QuietHost {
public:
    uint32_t tickMs() override {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }
    void waitEvents(uint32_t maxMs) override {
        if (maxMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
    }

private:
    Clock::time_point start_ = Clock::now();
};

// Spends exactly the modelled time: a sleep for most of it, a spin for the
// rest, so that the scheduler's wake-up slack is not counted against the link.
void spendRealMs(uint32_t ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    std::this_thread::sleep_until(until - std::chrono::microseconds(150));
    while (Clock::now() < until) {
    }
}

struct SimStack {
    BenchHost host;
    zmt::sim::SimulatedHidBackend backend{[this] { return host.tickMs(); }};
    std::shared_ptr<zmt::sim::SimulatedController> controller = std::make_shared<zmt::sim::SimulatedController>();
    zmt::HidTransport transport{backend};
    zmt::DeviceLink link{host, transport};
    SimStack() {
        backend.addController(controller);
        backend.setTransferCost(1, spendRealMs);
    }
};

// Runs one transfer per iteration and reports measured time over the
// modelled floor (1 ms per feature-report transfer).
template <class Transfer>
void runAgainstFloor(benchmark::State& state, SimStack& stack, Transfer transfer) {
    const std::size_t before = stack.backend.counters().transfers;
    Clock::duration measured{};
    for (auto _ : state) {
        const auto start = Clock::now();
        if (transfer() != zmt::ResultCode::Ok) state.SkipWithError("transfer failed");
        measured += Clock::now() - start;
    }
    const auto transfers = static_cast<double>(stack.backend.counters().transfers - before);
    const double measuredMs = std::chrono::duration<double, std::milli>(measured).count();
    state.counters["floor_ms"] = transfers / static_cast<double>(state.iterations());
    state.counters["ratio"] = measuredMs / transfers;
}

void BM_ReadConfiguration979(benchmark::State& state) {
    SimStack stack;
    std::vector<uint8_t> image(979);
    runAgainstFloor(state, stack, [&] {
        return stack.link.readBlock(zmt::cmdConfigMemory, 0, image.data(), image.size());
    });
}
BENCHMARK(BM_ReadConfiguration979)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_WriteFirmware16K(benchmark::State& state) {
    SimStack stack;
    stack.controller->state.bootMode = true;
    std::vector<uint8_t> payload(16384, 0x5A);
    runAgainstFloor(state, stack, [&] {
        return stack.link.writeBlock(zmt::cmdFirmwareData, 0, payload.data(), payload.size());
    });
}
BENCHMARK(BM_WriteFirmware16K)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_PollWithoutControllerHidapi(benchmark::State& state) {
    BenchHost host;
    zmt::HidapiBackend backend;
    zmt::HidTransport transport(backend);
    zmt::DeviceLink link(host, transport);
    zmt::ProgramFlags flags;
    zmt::QuietWatchWindow window;   // never watched: the poll's own work is timed
    zmt::ConnectionWatch watch(link, flags, window);
    zmt::ResultCode code = zmt::ResultCode::Ok;
    for (auto _ : state) code = watch.pollController();
    if (code == zmt::ResultCode::Ok) state.SkipWithError("a controller is present: this measures its absence");
    state.SetLabel(zmt::resultText(code));
}
BENCHMARK(BM_PollWithoutControllerHidapi)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
