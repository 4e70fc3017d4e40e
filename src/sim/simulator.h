#pragma once
// The simulated controllers behind the simulated HID backend, each optionally
// kept in a state file of its own: what `zmtsetup --simulator` and
// `zmtctl --simulator=FILE` put in place of the hidapi backend. One unit
// unless more are added (`zmtctl --simulator=A --simulator=B`: two units).
//
//   zmt::sim::Simulator simulator([&host] { return host.tickMs(); });
//   if (!simulator.load(path, error)) { report error; }
//   zmt::HidTransport transport(simulator.backend());
//   ... run ...
//   if (!simulator.save(path, error)) { report error; }
//
// A state file is held (controller_hold.h) from its load until the
// simulator is destroyed, so that two runs on one file never undo each
// other's changes: the second is refused at its load.
#include "device/controller_hold.h"
#include "sim/simulated_hid_backend.h"

#include <memory>
#include <string>
#include <vector>

namespace zmt::sim {

inline constexpr uint32_t kFirstSimulatedSerial = 1001;

class Simulator {
public:
    explicit Simulator(SimulatedHidBackend::Clock clock) : backend_(std::move(clock)) { addUnit(); }

    SimulatedHidBackend& backend() { return backend_; }
    // The first unit (the only one unless more were added).
    SimulatedController& controller(std::size_t unit = 0) { return *units_.at(unit).controller; }
    SimulatedHidBackend::Port& port(std::size_t unit = 0) { return *units_.at(unit).port; }
    // Another unit on the bus, listed after the others; a fresh one has the
    // next serial number (1001, 1002, ...), so no two units share one.
    SimulatedController& addUnit();
    std::size_t unitCount() const { return units_.size(); }

    // The first unit's state file. A file that does not exist yet gives a
    // factory-fresh controller; a file that exists but cannot be read or
    // parsed is an error and changes nothing. A file another run holds is
    // an error too (busy set, holder named in the error), and so is a file
    // that cannot be held at all (busy set, the reason in the error).
    bool load(const std::string& path, std::string& error) { return loadUnit(0, path, error); }
    bool save(const std::string& path, std::string& error) const { return saveUnit(0, path, error); }
    bool loadUnit(std::size_t unit, const std::string& path, std::string& error);
    bool saveUnit(std::size_t unit, const std::string& path, std::string& error) const;
    // Whether the last failed load failed because another run holds the file.
    bool lastLoadBusy() const { return lastLoadBusy_; }

private:
    struct Unit {
        std::shared_ptr<SimulatedController> controller;
        SimulatedHidBackend::Port* port = nullptr;
        ControllerHold stateFileHold;
    };
    SimulatedHidBackend backend_;
    std::vector<Unit> units_;
    bool lastLoadBusy_ = false;
};

} // namespace zmt::sim
