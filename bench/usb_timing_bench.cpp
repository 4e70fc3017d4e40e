// Wall-clock cost of the transfers the user waits for, against the simulated
// controller with a modelled USB: every feature-report transfer sleeps 1 ms,
// as a full-speed HID control transfer takes about that long. Each figure is
// printed beside its floor: what the modelled USB alone needs for the
// requests that were sent (one set-feature and one get-feature each), plus,
// for an edit, the wait for the next tick of the synchronisation and, for
// the firmware update, the boot loader's settling pause.
//   usb_timing_bench [edits]          (default 200)
// Output: one "name measured_ms floor_ms" line per figure; scripts/bench
// turns them into the performance report.
#include "bench_host.h"
#include "config/config_transfer.h"
#include "device/connection_watch.h"
#include "device/firmware_update.h"
#include "sim/simulated_hid_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/prctl.h>
#include <thread>
#include <vector>

namespace {

using zmt::bench::Clock;
using zmt::bench::msSince;
constexpr uint32_t kTransferMs = 1;
constexpr uint32_t kTickMs = 100;   // the window's synchronisation timer

// The real clock; the connection watch's poll is its only timer, run while
// the core waits, as the window's event loop would run it.
class PollingHost : public zmt::bench::RealClockHost {
public:
    void waitEvents(uint32_t maxMs) override {
        const uint32_t now = tickMs();
        const uint32_t until = poll_ ? std::min(now + maxMs, nextPoll_) : now + maxMs;
        if (until > now) std::this_thread::sleep_for(std::chrono::milliseconds(until - now));
        if (poll_ && !polling_ && tickMs() >= nextPoll_) {
            polling_ = true;
            poll_();
            polling_ = false;
            nextPoll_ = tickMs() + zmt::kPollIntervalMs;
        }
    }
    void setPoll(std::function<void()> poll) {
        poll_ = std::move(poll);
        nextPoll_ = tickMs() + zmt::kPollIntervalMs;
    }

private:
    std::function<void()> poll_;
    uint32_t nextPoll_ = 0;
    bool polling_ = false;
};

struct Stack : zmt::bench::SimulatedStack<PollingHost> {
    double usbSleptMs = 0;   // what the modelled transfers really slept
    Stack() {
        backend.setTransferCost(kTransferMs, [this](uint32_t ms) {
            const auto start = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            usbSleptMs += msSince(start);
        });
        watch.pollController();
    }
    // What the modelled USB needs at the least for the requests since `from`.
    double floorMs(std::size_t from) const {
        return static_cast<double>(controller->requestsHandled() - from) * 2 * kTransferMs;
    }
};

// Beside measured and floor: the transfers (set- and get-feature) the
// operation made, more than two per request meaning replies were polled while
// not ready, and how long their sleeps really took, which the system's
// scheduler stretches beyond the modelled millisecond.
void report(const char* name, double measured, double floor, std::size_t transfers, double slept) {
    std::printf("%s %.1f %.1f %zu %.1f\n", name, measured, floor, transfers, slept);
}

int fail(const char* what) {
    std::fprintf(stderr, "usb_timing_bench: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The modelled 1 ms must not grow by the kernel's default 50 us of
    // timer slack on every sleep.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const int edits = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    Stack stack;
    if (!stack.flags.deviceConnected()) return fail("the simulated controller was not found");

    std::size_t from = stack.controller->requestsHandled();
    std::size_t transfers = stack.backend.counters().transfers;
    double slept = stack.usbSleptMs;
    auto start = Clock::now();
    if (stack.transfer.readConfiguration() != zmt::ResultCode::Ok) return fail("full read failed");
    report("full_read", msSince(start), stack.floorMs(from), stack.backend.counters().transfers - transfers,
           stack.usbSleptMs - slept);

    for (std::size_t k = 0; k < zmt::kConfigImageSize; ++k) stack.record.image.bytes()[k] ^= 0x11;
    from = stack.controller->requestsHandled();
    transfers = stack.backend.counters().transfers;
    slept = stack.usbSleptMs;
    start = Clock::now();
    if (stack.transfer.writeConfiguration() != zmt::ResultCode::Ok) return fail("full write failed");
    report("full_write", msSince(start), stack.floorMs(from), stack.backend.counters().transfers - transfers,
           stack.usbSleptMs - slept);
    // The write ends in a restart: wait until the controller is back.
    stack.host.setPoll([&stack] { stack.watch.onPollTick(); });
    zmt::delayMs(stack.host, 1000);
    stack.host.setPoll(nullptr);
    if (!stack.flags.deviceConnected()) return fail("the controller did not come back after the write");

    // Edits at random moments between the ticks of the synchronisation.
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> moment(0.0, kTickMs);
    std::vector<double> latency, ratio, excess, realRatio;
    const auto phase = Clock::now();
    const auto tickPeriod = std::chrono::milliseconds(kTickMs);
    for (int i = 0; i < edits; ++i) {
        // The next tick but one, so the edit's moment is still ahead.
        const auto ticksSoFar = (Clock::now() - phase) / tickPeriod;
        const auto previousTick = phase + (ticksSoFar + 1) * tickPeriod;
        const auto tick = previousTick + tickPeriod;
        const auto editAt = previousTick + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double, std::milli>(moment(random)));
        std::this_thread::sleep_until(editAt);
        const auto edited = Clock::now();
        stack.record.image.bytes()[100 + i % 800] ^= 0x5A;
        std::this_thread::sleep_until(tick);
        const double tickWaitTook = msSince(edited);
        from = stack.controller->requestsHandled();
        const double slept = stack.usbSleptMs;
        stack.transfer.syncChanges();
        if (stack.transfer.changesPending()) return fail("an edit was not sent");
        const double measured = msSince(edited);
        const double waitForTick = std::chrono::duration<double, std::milli>(tick - edited).count();
        latency.push_back(measured);
        ratio.push_back(measured / (waitForTick + stack.floorMs(from)));
        excess.push_back(measured - (waitForTick + stack.floorMs(from)));
        // The same floor with the waits as the system really delivered them.
        realRatio.push_back(measured / (tickWaitTook + stack.usbSleptMs - slept));
    }
    std::sort(latency.begin(), latency.end());
    std::sort(ratio.begin(), ratio.end());
    std::sort(excess.begin(), excess.end());
    std::sort(realRatio.begin(), realRatio.end());
    std::printf("edit_latency_median %.1f\nedit_latency_worst %.1f\nedit_latency_ratio_median %.3f\n"
                "edit_latency_ratio_worst %.3f\nedit_latency_excess_median %.2f\nedit_latency_excess_worst %.2f\n",
                latency[latency.size() / 2], latency.back(), ratio[ratio.size() / 2], ratio.back(),
                excess[excess.size() / 2], excess.back());
    std::printf("edit_latency_real_ratio_median %.3f\nedit_latency_real_ratio_worst %.3f\n",
                realRatio[realRatio.size() / 2], realRatio.back());

    // The largest firmware file, from the application through its boot loader.
    std::vector<uint8_t> payload(zmt::kFirmwareFileMax - zmt::kFirmwareOverhead, 0xA5);
    const zmt::LdrHeader header{0, static_cast<uint16_t>(stack.controller->state.applicationVersion + 1),
                                stack.controller->state.deviceCode, stack.controller->state.deviceType};
    std::copy_n(reinterpret_cast<const uint8_t*>(&header.reserved), 4, payload.begin());
    payload[4] = static_cast<uint8_t>(header.applicationVersion);
    payload[5] = static_cast<uint8_t>(header.applicationVersion >> 8);
    payload[6] = header.deviceCode;
    payload[7] = header.deviceType;
    std::vector<uint8_t> file;
    zmt::buildFirmwareFile(header, payload, file);
    const auto path = std::filesystem::temp_directory_path() / "zmt-usb-timing-bench.LDR";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    stack.host.setPoll([&stack] { stack.watch.onPollTick(); });
    transfers = stack.backend.counters().transfers;
    slept = stack.usbSleptMs;
    zmt::FirmwareUpdate update(stack.link, stack.watch, stack.flags);
    std::size_t updateRequests = 0;
    update.setBeforeTransfer([&] { updateRequests = stack.controller->requestsHandled(); });
    start = Clock::now();
    const zmt::FirmwareOutcome outcome = update.updateFirmware([&path] { return path.string(); });
    const double measured = msSince(start);
    std::filesystem::remove(path);
    if (outcome != zmt::FirmwareOutcome::Updated) return fail("the firmware update failed");
    // Polls of the watch during the settling pause are not the update's own requests.
    const std::size_t own = 2 + (stack.controller->requestsHandled() - updateRequests);
    report("firmware_16k", measured, own * 2.0 * kTransferMs + zmt::kBootLoaderSettleMs,
           stack.backend.counters().transfers - transfers, stack.usbSleptMs - slept);
    return 0;
}
