// Cost of the automatic synchronisation, which runs on every 100 ms tick of
// the window: an idle tick (nothing changed) must cost next to nothing, and
// a tick that sends a change is dominated by its frames. The simulated
// controller answers at once here (no modelled USB time), so the numbers are
// the program's own CPU cost.
#include "bench_host.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using zmt::bench::QuietHost;

struct Stack : zmt::bench::SimulatedStack<QuietHost> {
    Stack() { watch.pollController(); }
};

void BM_SyncIdleTick(benchmark::State& state) {
    Stack stack;
    if (stack.transfer.readConfiguration() != zmt::ResultCode::Ok) state.SkipWithError("read failed");
    for (auto _ : state) stack.transfer.syncChanges();
}
BENCHMARK(BM_SyncIdleTick);

void BM_SyncOneEdit(benchmark::State& state) {
    Stack stack;
    if (stack.transfer.readConfiguration() != zmt::ResultCode::Ok) state.SkipWithError("read failed");
    uint8_t value = 0;
    for (auto _ : state) {
        stack.record.image.headType = ++value;
        stack.transfer.syncChanges();
    }
}
BENCHMARK(BM_SyncOneEdit);

void BM_FullRead(benchmark::State& state) {
    Stack stack;
    for (auto _ : state)
        if (stack.transfer.readConfiguration() != zmt::ResultCode::Ok) state.SkipWithError("read failed");
}
BENCHMARK(BM_FullRead)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
