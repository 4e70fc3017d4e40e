#pragma once
// The whole device stack on the virtual clock: a simulated controller behind
// the simulated HID backend, the real transport and link above it. Every
// feature-report transfer costs 1 virtual millisecond (as a USB transfer
// costs real time), so reply polls and time-outs advance the clock.
#include "device/device_link.h"
#include "device/hid_transport.h"
#include "sim/simulated_hid_backend.h"
#include "virtual_host.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace zmt::test {

struct SimRig {
    VirtualHost host;
    sim::SimulatedHidBackend backend{[this] { return host.now; }};
    std::shared_ptr<sim::SimulatedController> controller = std::make_shared<sim::SimulatedController>(1001);
    sim::SimulatedHidBackend::Port* port = nullptr;
    HidTransport transport{backend};
    DeviceLink link{host, transport};

    // Another controller on the bus, listed after the others.
    sim::SimulatedHidBackend::Port& addUnit(uint32_t serial) {
        units.push_back(std::make_shared<sim::SimulatedController>(serial));
        return backend.addController(units.back());
    }
    // Holds the controllers as hardware is held (lock files named after
    // this rig, so that tests running beside it never meet its holds).
    void holdLikeHardware() { backend.holdPrefix = "test-" + std::to_string(std::random_device{}()) + "-"; }
    std::vector<std::shared_ptr<sim::SimulatedController>> units;

    explicit SimRig(bool withController = true) {
        // Spending transfer time must not run timers: a HID call is not an
        // event-processing point.
        backend.setTransferCost(1, [this](uint32_t ms) { host.now += ms; });
        if (withController) port = &backend.addController(controller);
    }
};

} // namespace zmt::test
