// What finding several controllers costs, against the simulated controllers
// with a modelled USB (every feature-report transfer sleeps 1 ms, as in
// usb_timing_bench), on the real clock and with the holds taken as zmtctl
// takes them (lock files in a private folder):
//   - the list of 8 controllers (zmtctl list: one search, each held, opened
//     and asked its identity) against 8 identity reads over open handles;
//   - the connection poll with one controller, connected and arriving, and
//     connected with a second controller plugged in beside it, each against
//     one identity read: with one controller it must cost what it always did.
//   units_bench [rounds]              (default 20; medians are printed)
// Output: one "name measured_ms reference_ms" line per figure (the list's
// also the median of the rounds' ratios).
#include "bench_host.h"
#include "device/connection_watch.h"
#include "sim/simulated_hid_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace {

using zmt::bench::Clock;
using zmt::bench::msSince;
using zmt::bench::RealClockHost;
constexpr uint32_t kTransferMs = 1;
constexpr std::size_t kUnits = 8;

// Some controllers behind the modelled USB, held as hardware is.
struct Bus {
    RealClockHost host;
    zmt::sim::SimulatedHidBackend backend{[this] { return host.tickMs(); }};
    std::vector<zmt::sim::SimulatedHidBackend::Port*> ports;
    zmt::HidTransport transport{backend};
    zmt::DeviceLink link{host, transport};
    zmt::ProgramFlags flags;
    zmt::QuietWatchWindow window;
    zmt::ConnectionWatch watch{link, flags, window};

    explicit Bus(std::size_t units) {
        backend.holdPrefix = "bench-";
        for (std::size_t unit = 0; unit < units; ++unit)
            ports.push_back(&backend.addController(std::make_shared<zmt::sim::SimulatedController>(1001 + unit)));
        backend.setTransferCost(kTransferMs, [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One identity read of every controller over a handle opened beforehand:
// what the USB alone asks of a list.
double identityReads(std::size_t units) {
    Bus bus(units);
    std::vector<std::unique_ptr<zmt::HidDevice>> devices;
    for (auto* port : bus.ports) {
        zmt::HidOpenFailure failure;
        devices.push_back(bus.backend.open(port->path, failure));
    }
    const auto start = Clock::now();
    for (auto& device : devices) {
        zmt::IdentityBlock identity;
        if (bus.link.identifyOpened(*device, identity) != zmt::ResultCode::Ok) std::exit(2);
    }
    return msSince(start);
}

double listAll(std::size_t units) {
    Bus bus(units);
    std::vector<zmt::PresentController> found;
    const auto start = Clock::now();
    if (bus.transport.listControllers(found) != zmt::ResultCode::Ok || found.size() != units) std::exit(2);
    return msSince(start);
}

// One poll: connected (the 200 ms tick's usual work), or the controller
// arriving (search, open, identity), with `units` controllers on the bus
// and the first one chosen when there are several.
double poll(std::size_t units, bool arriving) {
    Bus bus(units);
    if (units > 1) bus.watch.chooseSerial(1001);
    if (bus.watch.pollController() != zmt::ResultCode::Ok) std::exit(2);
    if (arriving) {
        bus.backend.unplug(*bus.ports[0]);
        bus.watch.pollController();
        bus.backend.plug(*bus.ports[0]);
    }
    const auto start = Clock::now();
    if (bus.watch.pollController() != zmt::ResultCode::Ok) std::exit(2);
    return msSince(start);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    // Lock files of our own: the bench must not meet a real program's.
    const std::filesystem::path locks = std::filesystem::temp_directory_path() / "zmt-units-bench-locks";
    std::filesystem::create_directories(locks);
    setenv("ZMT_LOCK_DIR", locks.c_str(), 1);

    std::vector<double> list, reads, ratios, pollOne, pollOneArriving, pollTwo, oneRead;
    for (int round = 0; round < rounds; ++round) {
        // Back to back, so that both meet the same load of a shared machine;
        // the ratio of each pair is what is held against the target.
        list.push_back(listAll(kUnits));
        reads.push_back(identityReads(kUnits));
        ratios.push_back(list.back() / reads.back());
        pollOne.push_back(poll(1, false));
        pollOneArriving.push_back(poll(1, true));
        pollTwo.push_back(poll(2, false));
        oneRead.push_back(identityReads(1));
    }
    std::printf("list_8 %.3f %.3f %.3f\n", median(list), median(reads), median(ratios));
    std::printf("poll_connected_one %.3f %.3f\n", median(pollOne), median(oneRead));
    std::printf("poll_arriving_one %.3f %.3f\n", median(pollOneArriving), median(oneRead));
    std::printf("poll_connected_beside_another %.3f %.3f\n", median(pollTwo), median(oneRead));
    std::filesystem::remove_all(locks);
    return 0;
}
