#include "sim/simulator.h"

#include "sim/state_file.h"

#include <filesystem>

namespace zmt::sim {

bool Simulator::load(const std::string& path, std::string& error) {
    std::error_code code;
    if (!std::filesystem::exists(path, code) && !code) {
        controller_->state = ControllerState{};
        return true;
    }
    return loadControllerState(path, controller_->state, error);
}

bool Simulator::save(const std::string& path, std::string& error) const {
    return saveControllerState(path, controller_->state, error);
}

} // namespace zmt::sim
