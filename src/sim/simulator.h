#pragma once
// One simulated controller behind the simulated HID backend, optionally kept
// in a state file: what `zmtsetup --simulator` and `zmtctl --simulator=FILE`
// put in place of the hidapi backend.
//
//   zmt::sim::Simulator simulator([&host] { return host.tickMs(); });
//   if (!simulator.load(path, error)) { report error; }
//   zmt::HidTransport transport(simulator.backend());
//   ... run ...
//   if (!simulator.save(path, error)) { report error; }
#include "sim/simulated_hid_backend.h"

#include <memory>
#include <string>

namespace zmt::sim {

class Simulator {
public:
    explicit Simulator(SimulatedHidBackend::Clock clock) : backend_(std::move(clock)) {
        port_ = &backend_.addController(controller_);
        // The programs show a controller that behaves like hardware.
        controller_->levelNoise = 3;
    }

    SimulatedHidBackend& backend() { return backend_; }
    SimulatedController& controller() { return *controller_; }
    SimulatedHidBackend::Port& port() { return *port_; }

    // A file that does not exist yet gives a factory-fresh controller; a file
    // that exists but cannot be read or parsed is an error and changes nothing.
    bool load(const std::string& path, std::string& error);
    bool save(const std::string& path, std::string& error) const;

private:
    SimulatedHidBackend backend_;
    std::shared_ptr<SimulatedController> controller_ = std::make_shared<SimulatedController>();
    SimulatedHidBackend::Port* port_ = nullptr;
};

} // namespace zmt::sim
