#pragma once
// Reading presses of the steering-wheel buttons from the four channel
// levels, one reading every 100 ms: the idle measurement that button
// learning and the quick set-up both start with, the press threshold taken
// from it, and the detector that turns a run of readings into one press.
#include "config/config_image.h"
#include "device/device_link.h"
#include "device/result_code.h"
#include "lang/lang.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zmt::setup {

using ChannelLevels = std::array<uint8_t, kChannels>;

inline constexpr uint8_t kPressMargin = 8;      // above the idle maximum counts as a press
inline constexpr int kIdleReadings = 19;        // readings of the idle measurement
inline constexpr int kSteadyReadings = 3;       // a press is held at least this many readings
// A held level may wander this much (highest minus lowest reading) and still
// be one button: less than the distance at which two levels are two buttons.
inline constexpr uint8_t kSteadySpread = 7;

// The level a reading must exceed to count as a press. It stops at 255
// rather than wrapping round: a channel resting at 248 or above would
// otherwise get a tiny threshold, its idle level would read as a held button
// and a phantom button would be stored on every turn. Such a channel simply
// cannot register a press.
uint8_t pressThreshold(uint8_t idleMaximum);

// Tells the controller that buttons are being learned: it forgets its
// learned flag and so sends nothing for the presses made meanwhile (the
// program's own image keeps the buttons). Ok, or the first failure.
ResultCode startLearningOnController(DeviceLink& link);
// Gives the controller back the learned flag it held before such a start
// (a run left unfinished). deviceCopy takes it only when the write went
// through; otherwise it keeps saying 0, so the synchronisation puts the
// flag back once the controller can be reached again.
void putBackLearnedFlag(DeviceLink& link, ConfigRecord& record, uint8_t held);

// One reading of the four channels; levels is left alone on a failure.
ResultCode readChannelLevels(DeviceLink& link, ChannelLevels& levels);

// The highest level each channel showed while nothing was pressed.
struct IdleMeasurement {
    ChannelLevels maximum{};

    void add(const ChannelLevels& reading);
    ChannelLevels thresholds() const;
};

// What a press that cannot be taken asks for.
inline constexpr const char* kTwoChannelsText = N_("Two buttons at once: press one again");
inline constexpr const char* kUnsteadyText = N_("The button's level was unsteady: press again");

// What one reading ended, if anything.
struct PressResult {
    enum Kind {
        Pressed,      // a steady press, released: channel and level
        TwoChannels,  // two channels were held at once: press again
        Unsteady,     // the level wandered too far: press again
    };
    Kind kind = Pressed;
    int channel = 0;
    uint8_t level = 0;
};

class PressDetector {
public:
    explicit PressDetector(const ChannelLevels& thresholds = {}) : thresholds_(thresholds) {}
    // Starts afresh with other thresholds (a press under way is forgotten).
    void reset(const ChannelLevels& thresholds);

    // Takes one reading; a result once every channel is back at rest after
    // a press. A level above the threshold for fewer than kSteadyReadings
    // readings is a bounce and gives nothing.
    std::optional<PressResult> onReading(const ChannelLevels& reading);
    // Some channel is above its threshold now.
    bool held() const { return held_; }
    const ChannelLevels& thresholds() const { return thresholds_; }

private:
    ChannelLevels thresholds_;
    bool held_ = false;
    int readings_ = 0;          // readings above the threshold in this press
    int channel_ = -1;          // the channel of this press
    bool twoChannels_ = false;
    uint8_t lowest_ = 255;
    uint8_t highest_ = 0;
};

} // namespace zmt::setup
