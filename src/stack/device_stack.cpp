#include "stack/device_stack.h"

#include "sim/simulator.h"

namespace zmt {

namespace {

std::unique_ptr<sim::Simulator> makeSimulator(const BackendChoice& choice, Host& host) {
    if (!choice.simulated) return nullptr;
    auto simulator = std::make_unique<sim::Simulator>([&host] { return host.tickMs(); });
    for (std::size_t unit = 0; unit < choice.moreUnits.size(); ++unit) simulator->addUnit();
    return simulator;
}

std::vector<std::string> stateFilesOf(BackendChoice& choice) {
    std::vector<std::string> files{std::move(choice.stateFile)};
    for (std::string& file : choice.moreUnits) files.push_back(std::move(file));
    return files;
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
    : simulator_(makeSimulator(choice, host)),
      stateFiles_(stateFilesOf(choice)),
      hardware_(makeHardware(choice)),
      transport_(backendOf(simulator_.get(), hardware_.get())),
      link_(host, transport_),
      flags_(flags),
      watch_(link_, flags_, window),
      transfer_(link_, record_, flags_, &watch_) {}

DeviceStack::~DeviceStack() { transport_.closeController(); }

bool DeviceStack::loadState(std::string& error) {
    if (!simulator_) return true;
    for (std::size_t unit = 0; unit < stateFiles_.size(); ++unit)
        if (!stateFiles_[unit].empty() && !simulator_->loadUnit(unit, stateFiles_[unit], error)) return false;
    return true;
}

bool DeviceStack::saveState(std::string& error) {
    if (!simulator_) return true;
    // Every unit is saved even when one cannot be: the others' changes are real.
    bool saved = true;
    for (std::size_t unit = 0; unit < stateFiles_.size(); ++unit) {
        std::string failure;
        if (stateFiles_[unit].empty() || simulator_->saveUnit(unit, stateFiles_[unit], failure)) continue;
        if (saved) error = failure;
        saved = false;
    }
    return saved;
}

bool DeviceStack::stateFileBusy() const { return simulator_ && simulator_->lastLoadBusy(); }

} // namespace zmt
