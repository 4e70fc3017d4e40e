#include "sim/simulated_controller.h"

#include "device/protocol.h"

#include <algorithm>
#include <cstring>

namespace zmt::sim {

namespace {
constexpr std::size_t kLongPressOffset = 965;
constexpr uint16_t kFactoryLongPressMs = 1500;
constexpr uint32_t kGivingUpShownMs = 500;
constexpr uint8_t kPressedBit = 0x80;
constexpr uint8_t kLastCorner = 3;
constexpr uint8_t kGaveUpStep = 4;

// Corner measurements the simulated panel "finds"; the program keeps them
// without interpreting them.
constexpr uint8_t kCalibrationResult[kTouchSize - 2] = {0x20, 0x01, 0xE0, 0x0E, 0x30, 0x02, 0xD0, 0x0D};

bool reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

using Region = SimulatedController::Region;

template <std::size_t N>
Region readFrom(const std::array<uint8_t, N>& memory, uint16_t offset, uint8_t* out) {
    if (offset > N) return {statusRejected, 0};
    const auto n = static_cast<uint8_t>(std::min<std::size_t>(kFrameData, N - offset));
    std::memcpy(out, memory.data() + offset, n);
    return {0, n};
}

template <std::size_t N>
uint8_t writeTo(std::array<uint8_t, N>& memory, uint16_t offset, const uint8_t* data, uint8_t length) {
    if (static_cast<std::size_t>(offset) + length > N) return statusRejected;
    std::memcpy(memory.data() + offset, data, length);
    return statusAccepted;
}
} // namespace

void ControllerState::restoreDefaults() {
    config.fill(0);
    std::fill(config.begin() + 1, config.begin() + 1 + kChannels, uint8_t{255});
    config[kLongPressOffset] = static_cast<uint8_t>(kFactoryLongPressMs & 0xFF);
    config[kLongPressOffset + 1] = static_cast<uint8_t>(kFactoryLongPressMs >> 8);
}

IdentityBlock SimulatedController::identity() const {
    IdentityBlock block;
    block.applicationVersion = state.bootMode ? 0 : state.applicationVersion;
    block.serialNumber = state.serialNumber;
    block.bootVersion = state.bootVersion;
    block.deviceCode = state.deviceCode;
    block.deviceType = state.deviceType;
    block.controllerName = state.bootMode ? kBootLoaderName : kApplicationName;
    return block;
}

void SimulatedController::pushLogRecord(uint8_t type, const std::vector<uint8_t>& data, int declaredLength) {
    LogRecord record;
    record.type = type;
    record.length = static_cast<uint8_t>(declaredLength >= 0 ? declaredLength : static_cast<int>(data.size()));
    record.data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), kLogDataMax)));
    state.log.push_back(std::move(record));
}

bool SimulatedController::attached(uint32_t now) {
    advance(now);
    return plugged_ && !restartEnds_;
}

void SimulatedController::restart(uint32_t now) {
    ++generation_;
    reply_.reset();
    restartEnds_ = now + kRestartMs;
}

void SimulatedController::advance(uint32_t now) {
    if (restartEnds_ && reached(now, *restartEnds_)) restartEnds_.reset();
    if (state.bootMode && firmwarePending_ && reached(now, lastFirmwareFrame_ + kFirmwareApplyIdleMs)) {
        applyFirmware();
        restart(now);
    }
    stepCalibration(now);
}

void SimulatedController::applyFirmware() {
    const std::vector<uint8_t>& image = state.firmware;
    if (image.size() >= 8 && image[6] == state.deviceCode && image[7] == state.deviceType) {
        const auto version = static_cast<uint16_t>(image[4] | image[5] << 8);
        if (version != 0) state.applicationVersion = version;
        // Bit 0 of the reserved word: a firmware that starts from the factory
        // configuration, as some real updates do; what the program does
        // about that is tested with it.
        if (image[0] & 1) state.restoreDefaults();
    }
    state.firmware.clear();
    state.bootMode = false;
    firmwarePending_ = false;
}

std::array<uint8_t, kChannels> SimulatedController::noisyLevels() {
    std::array<uint8_t, kChannels> levels = state.keyLevels;
    if (!state.presses.empty()) {
        const ScriptedPress press = state.presses.front();
        if (++scriptReads_ > press.restReads && press.channel < kChannels) levels[press.channel] = press.level;
        if (scriptReads_ >= press.restReads + kScriptedHoldReads) {
            state.presses.pop_front();
            scriptReads_ = 0;
        }
    }
    if (levelNoise == 0) return levels;
    for (uint8_t& level : levels) {
        if (level == kIdleKeyLevel) continue;
        noiseSeed_ ^= noiseSeed_ << 13;
        noiseSeed_ ^= noiseSeed_ >> 17;
        noiseSeed_ ^= noiseSeed_ << 5;
        const int wander = static_cast<int>(noiseSeed_ % (2u * levelNoise + 1)) - levelNoise;
        level = static_cast<uint8_t>(std::clamp(level + wander, 0, 255));
    }
    return levels;
}

void SimulatedController::touchPress(uint32_t now) {
    advance(now);
    pressAt(now);
}

void SimulatedController::touchRelease(uint32_t now) {
    advance(now);
    releaseAt(now);
}

void SimulatedController::pressAt(uint32_t now) {
    const uint8_t step = state.touch[1];
    if (givingUpSince_ || step == 0 || (step & kPressedBit)) return;
    state.touch[1] = step | kPressedBit;
    lastCalibrationChange_ = now;
    if (!calibrationReleaseBits) releaseAt(now);
}

void SimulatedController::calibrationGiveUp(uint32_t now) {
    advance(now);
    if (state.touch[1] == 0 || givingUpSince_) return;
    state.touch[1] = kGaveUpStep;
    givingUpSince_ = now;
    lastCalibrationChange_ = now;
}

void SimulatedController::releaseAt(uint32_t now) {
    const uint8_t step = state.touch[1];
    if (givingUpSince_ || !(step & kPressedBit)) return;
    const uint8_t corner = step & ~kPressedBit;
    if (corner >= kLastCorner) {
        std::memcpy(state.touch.data() + 2, kCalibrationResult, sizeof kCalibrationResult);
        state.touch[1] = 0;
    } else {
        state.touch[1] = corner + 1;
    }
    lastCalibrationChange_ = now;
}

void SimulatedController::stepCalibration(uint32_t now) {
    if (givingUpSince_) {
        if (reached(now, *givingUpSince_ + kGivingUpShownMs)) {
            state.touch[1] = 0;
            givingUpSince_.reset();
        }
        return;
    }
    // Catch up one half-step at a time, each at the moment it was due.
    while (state.touch[1] != 0 && calibrationAutoStepMs != 0 &&
           reached(now, lastCalibrationChange_ + calibrationAutoStepMs)) {
        const uint32_t due = lastCalibrationChange_ + calibrationAutoStepMs;
        if (state.touch[1] & kPressedBit) releaseAt(due);
        else pressAt(due);
    }
    if (state.touch[1] != 0 && reached(now, lastCalibrationChange_ + calibrationTimeoutMs)) {
        state.touch[1] = kGaveUpStep;
        givingUpSince_ = lastCalibrationChange_ + calibrationTimeoutMs;
        if (reached(now, *givingUpSince_ + kGivingUpShownMs)) {
            state.touch[1] = 0;
            givingUpSince_.reset();
        }
    }
}

bool SimulatedController::request(const uint8_t* report, uint32_t now) {
    advance(now);
    if (report[0] != kReportId) return false;
    ++requests_;
    std::memcpy(lastRequest_.data(), report, lastRequest_.size());
    Reply reply;
    answer(report, reply, now);
    reply_ = reply;
    if (faults.unplugAfterFrames > 0 && --faults.unplugAfterFrames == 0) {
        // Gone after taking the request: its reply never arrives.
        faults.unplugAfterFrames = -1;
        unplug();
    }
    return true;
}

void SimulatedController::fetch(uint8_t* report, uint32_t now) {
    advance(now);
    std::memset(report, 0, kReportSize);
    report[0] = kReportId;
    if (reply_ && !reply_->never && reached(now, reply_->readyAt)) {
        std::memcpy(report, reply_->bytes.data(), kReportSize);
        if (restartAfterReply_) {
            restartAfterReply_ = false;
            if (enterBootAfterReply_) {
                enterBootAfterReply_ = false;
                state.bootMode = true;
                state.firmware.clear();
                firmwarePending_ = false;
            } else if (state.bootMode && !state.firmware.empty()) {
                applyFirmware();
            }
            restart(now);
        }
    }
    if (faults.wrongReportId) report[0] = kReportId + 1;
}

void SimulatedController::answer(const uint8_t* request, Reply& reply, uint32_t now) {
    auto& out = reply.bytes;
    out[0] = kReportId;
    out[2] = request[2];
    out[3] = request[3];
    const uint8_t command = request[1];
    const auto offset = static_cast<uint16_t>(request[2] | request[3] << 8);
    const uint8_t length = request[4];

    if (frameCheck(request + 1, 68) != request[69]) {
        out[1] = statusRejected;
    } else if (faults.forceStatus != 0) {
        out[1] = faults.forceStatus;
    } else if (command & kWriteFlag) {
        out[1] = length > kFrameData ? uint8_t{statusRejected}
                                     : writeRegion(command & ~kWriteFlag, offset, request + 5, length, now);
    } else {
        const Region region = readRegion(command, offset, out.data() + 5);
        out[1] = region.status != 0 ? region.status : static_cast<uint8_t>(command | kWriteFlag);
        out[4] = region.length;
    }

    if (faults.wrongOffset) {
        const auto wrong = static_cast<uint16_t>(offset + 1);
        out[2] = static_cast<uint8_t>(wrong);
        out[3] = static_cast<uint8_t>(wrong >> 8);
    }
    if (faults.wrongCommand) out[1] = static_cast<uint8_t>((command | kWriteFlag) ^ 0x01);
    out[69] = frameCheck(out.data() + 1, 68);
    const bool corruptThisOne =
        faults.corruptPercent > 0 && static_cast<int>(faults.corruptRandom() % 100) < faults.corruptPercent;
    if (faults.corruptCheck || corruptThisOne) ++out[69];
    reply.readyAt = now + faults.replyDelayMs;
    reply.never = faults.noReply;
}

SimulatedController::Region SimulatedController::readRegion(uint8_t command, uint16_t offset, uint8_t* out) {
    if (command == cmdIdentity) {
        if (offset != 0) return {statusRejected, 0};
        const auto raw = identity().toBytes();
        std::memcpy(out, raw.data(), raw.size());
        return {0, static_cast<uint8_t>(raw.size())};
    }
    // The boot loader knows nothing but its identity and the firmware.
    if (state.bootMode) return {statusFailed, 0};
    switch (command) {
    case cmdConfigMemory: return readFrom(state.config, offset, out);
    case cmdTouchMemory: return readFrom(state.touch, offset, out);
    case cmdKeyLevels: return readFrom(noisyLevels(), offset, out);
    case cmdIrCode: return readFrom(state.irCode, offset, out);
    case cmdDeviceLog: {
        if (offset != 0) return {statusRejected, 0};
        if (state.log.empty()) return {statusAccepted, 0};
        const LogRecord record = state.log.front();
        state.log.pop_front();
        out[0] = record.type;
        out[1] = record.length;
        // A record may carry no data at all; an empty vector has no buffer to copy from.
        if (!record.data.empty()) std::memcpy(out + 2, record.data.data(), record.data.size());
        return {0, static_cast<uint8_t>(2 + record.data.size())};
    }
    default: return {statusRejected, 0};
    }
}

uint8_t SimulatedController::writeRegion(uint8_t command, uint16_t offset, const uint8_t* data,
                                         uint8_t length, uint32_t now) {
    if (state.bootMode) {
        if (command == cmdReset) {
            restartAfterReply_ = true;
            return statusAccepted;
        }
        if (command != cmdFirmwareData) return statusFailed;
        const std::size_t end = static_cast<std::size_t>(offset) + length;
        if (end > kFirmwareCapacity) return statusRejected;
        if (state.firmware.size() < end) state.firmware.resize(end);
        if (length > 0) std::memcpy(state.firmware.data() + offset, data, length);   // an empty frame: nothing stored yet
        firmwarePending_ = true;
        lastFirmwareFrame_ = now;
        return statusAccepted;
    }
    switch (command) {
    case cmdFirmwareData:
        // The application hands over to its boot loader once this reply is out.
        restartAfterReply_ = true;
        enterBootAfterReply_ = true;
        return statusAccepted;
    case cmdReset:
        restartAfterReply_ = true;
        return statusAccepted;
    case cmdDefaults:
        state.restoreDefaults();
        return statusAccepted;
    case cmdConfigMemory: return writeTo(state.config, offset, data, length);
    case cmdTouchMemory: {
        const uint8_t status = writeTo(state.touch, offset, data, length);
        if (status == statusAccepted && offset == 0 && length >= 1) {
            // Writing the corner option starts a calibration at the first corner.
            state.touch[1] = 1;
            lastCalibrationChange_ = now;
            givingUpSince_.reset();
        }
        return status;
    }
    default: return statusRejected;
    }
}

} // namespace zmt::sim
