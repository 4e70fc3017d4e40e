#include "setup/press_detection.h"

#include "device/commands.h"

#include <algorithm>

namespace zmt::setup {

uint8_t pressThreshold(uint8_t idleMaximum) {
    return static_cast<uint8_t>(std::min(idleMaximum + int{kPressMargin}, 255));
}

ResultCode startLearningOnController(DeviceLink& link) {
    const uint8_t unlearned = 0;
    const ResultCode code = commands::writeConfigMemory(link, 0, &unlearned, 1);
    if (code != ResultCode::Ok) return code;
    return commands::writeConfigMemory(link, 0, nullptr, 0);
}

void putBackLearnedFlag(DeviceLink& link, ConfigRecord& record, uint8_t held) {
    if (commands::writeConfigMemory(link, 0, &held, 1) == ResultCode::Ok) record.deviceCopy.keysLearned = held;
}

ResultCode readChannelLevels(DeviceLink& link, ChannelLevels& levels) {
    uint8_t read[kChannels] = {};
    const ResultCode code = commands::readKeyLevels(link, read, kChannels);
    if (code == ResultCode::Ok) std::copy(std::begin(read), std::end(read), levels.begin());
    return code;
}

void IdleMeasurement::add(const ChannelLevels& reading) {
    for (int c = 0; c < kChannels; ++c) maximum[c] = std::max(maximum[c], reading[c]);
}

ChannelLevels IdleMeasurement::thresholds() const {
    ChannelLevels result{};
    for (int c = 0; c < kChannels; ++c) result[c] = pressThreshold(maximum[c]);
    return result;
}

void PressDetector::reset(const ChannelLevels& thresholds) {
    *this = PressDetector(thresholds);
}

std::optional<PressResult> PressDetector::onReading(const ChannelLevels& reading) {
    int above = 0;
    int channel = -1;
    for (int c = 0; c < kChannels; ++c) {
        if (reading[c] > thresholds_[c]) {
            ++above;
            channel = c;
        }
    }
    if (above > 0) {
        if (!held_) {
            held_ = true;
            readings_ = 0;
            channel_ = channel;
            twoChannels_ = false;
            lowest_ = 255;
            highest_ = 0;
        }
        // Two channels at once, now or at any moment of the press (also one
        // after the other without a release between them), cannot tell which
        // button was meant.
        if (above > 1 || channel != channel_) twoChannels_ = true;
        const uint8_t level = reading[channel_];
        if (level > thresholds_[channel_]) {
            lowest_ = std::min(lowest_, level);
            highest_ = std::max(highest_, level);
        }
        ++readings_;
        return std::nullopt;
    }
    if (!held_) return std::nullopt;
    held_ = false;
    // Too short to be meant: contact bounce, or a hand brushing the wheel.
    if (readings_ < kSteadyReadings) return std::nullopt;
    if (twoChannels_) return PressResult{PressResult::TwoChannels, channel_, 0};
    if (highest_ - lowest_ > kSteadySpread) return PressResult{PressResult::Unsteady, channel_, 0};
    // The middle of what was read: a level that wanders a little either way
    // is stored where it is most often met.
    return PressResult{PressResult::Pressed, channel_, static_cast<uint8_t>((lowest_ + highest_ + 1) / 2)};
}

} // namespace zmt::setup
