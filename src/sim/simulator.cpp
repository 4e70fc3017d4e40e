#include "sim/simulator.h"

#include "sim/state_file.h"

#include "config/file_result.h"

#include <filesystem>

namespace zmt::sim {

bool Simulator::load(const std::string& path, std::string& error) {
    // The name is UTF-8: read narrowly, a Cyrillic name would look missing on
    // Windows and the kept controller would be replaced by a new one.
    std::error_code code;
    if (!std::filesystem::exists(pathFromUtf8(path), code) && !code) {
        controller_->state = ControllerState{};
        return true;
    }
    return loadControllerState(path, controller_->state, error);
}

bool Simulator::save(const std::string& path, std::string& error) const {
    return saveControllerState(path, controller_->state, error);
}

} // namespace zmt::sim
