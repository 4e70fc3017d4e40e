#include "sim/simulator.h"

#include "sim/state_file.h"

#include "files/file_result.h"
#include "lang/lang.h"

#include <filesystem>

namespace zmt::sim {

namespace {

// The same file named two ways (relative, through a link) is one hold.
std::string holdKeyOf(const std::string& path) {
    std::error_code code;
    std::filesystem::path full = std::filesystem::absolute(pathFromUtf8(path), code);
    if (!code) full = std::filesystem::weakly_canonical(full, code);
    return "state:" + (code ? path : full.string());
}

} // namespace

SimulatedController& Simulator::addUnit() {
    Unit unit;
    unit.controller = std::make_shared<SimulatedController>(kFirstSimulatedSerial + static_cast<uint32_t>(units_.size()));
    // The programs show a controller that behaves like hardware.
    unit.controller->levelNoise = 3;
    unit.port = &backend_.addController(unit.controller);
    units_.push_back(std::move(unit));
    return *units_.back().controller;
}

bool Simulator::loadUnit(std::size_t index, const std::string& path, std::string& error) {
    Unit& unit = units_.at(index);
    lastLoadBusy_ = false;
    HolderInfo holder;
    if (!unit.stateFileHold.acquire(holdKeyOf(path), holder)) {
        // Busy, or no hold to be had (no usable lock folder): either way a
        // run without the hold could undo another run's save.
        lastLoadBusy_ = true;
        if (unit.stateFileHold.failure().empty())
            error = formatText(localized("%s is in use (held by %s)"), path.c_str(),
                               holder.text().c_str());
        else
            error = formatText(localized("%s cannot be held for this program: %s"),
                               path.c_str(), unit.stateFileHold.failure().c_str());
        return false;
    }
    // The name is UTF-8: read narrowly, a Cyrillic name would look missing on
    // Windows and the kept controller would be replaced by a new one.
    std::error_code code;
    if (!std::filesystem::exists(pathFromUtf8(path), code) && !code) {
        unit.controller->state = ControllerState{};
        unit.controller->state.serialNumber = kFirstSimulatedSerial + static_cast<uint32_t>(index);
        return true;
    }
    return loadControllerState(path, unit.controller->state, error);
}

bool Simulator::saveUnit(std::size_t index, const std::string& path, std::string& error) const {
    return saveControllerState(path, units_.at(index).controller->state, error);
}

} // namespace zmt::sim
