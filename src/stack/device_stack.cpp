#include "stack/device_stack.h"

#include "sim/simulator.h"

namespace zmt {

namespace {

std::unique_ptr<sim::Simulator> makeSimulator(const BackendChoice& choice, Host& host) {
    if (!choice.simulated) return nullptr;
    return std::make_unique<sim::Simulator>([&host] { return host.tickMs(); });
}

std::unique_ptr<HidBackend> makeHardware(const BackendChoice& choice) {
    if (choice.simulated) return nullptr;
    return choice.hardware();
}

HidBackend& backendOf(sim::Simulator* simulator, HidBackend* hardware) {
    return simulator != nullptr ? static_cast<HidBackend&>(simulator->backend()) : *hardware;
}

} // namespace

DeviceStack::DeviceStack(Host& host, ProgramFlags& flags, WatchWindow& window, BackendChoice choice)
    : stateFile_(std::move(choice.stateFile)),
      simulator_(makeSimulator(choice, host)),
      hardware_(makeHardware(choice)),
      transport_(backendOf(simulator_.get(), hardware_.get())),
      link_(host, transport_),
      flags_(flags),
      watch_(link_, flags_, window),
      transfer_(link_, record_, flags_, &watch_) {}

DeviceStack::~DeviceStack() { transport_.closeController(); }

bool DeviceStack::loadState(std::string& error) {
    if (!simulator_ || stateFile_.empty()) return true;
    return simulator_->load(stateFile_, error);
}

bool DeviceStack::saveState(std::string& error) {
    if (!simulator_ || stateFile_.empty()) return true;
    return simulator_->save(stateFile_, error);
}

} // namespace zmt
