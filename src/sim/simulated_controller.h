#pragma once
// A model of the ZEL MORVA TOUCH controller and its boot loader, answering
// feature-report requests the way the program relies on:
//   identity block; 979-byte configuration memory with factory defaults;
//   10-byte touch memory whose offset 0 starts a corner calibration and whose
//   offset 1 reports its step; levels of the four resistive channels; the last
//   infrared code; a queue of the controller's own log records; reset (a
//   restart, the USB device goes away briefly) and reset to defaults; the boot
//   loader, entered by the first firmware frame the application gets, which
//   stores firmware frames and starts the new application once the transfer
//   has been quiet for kFirmwareApplyIdleMs.
// A simulated application image starts with the same 8-byte description as
// the firmware file's header (reserved, version x100, device code, device
// type): the boot loader only ever sees the payload, so the new application
// learns its version from there, as real firmware carries its own version.
// An image whose description names another device code or type, or version 0,
// keeps the old version.
// Time comes from the caller (`now`, milliseconds of a tick counter), so tests
// run it on a virtual clock.
#include "config/config_image.h"
#include "device/hid_transport.h"
#include "device/identity.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zmt::sim {

// The controller's memories, as the program's own image describes them.
inline constexpr std::size_t kConfigSize = kConfigImageSize;
inline constexpr std::size_t kTouchSize = kTouchMemorySize;
inline constexpr std::size_t kIrCodeSize = 4;
inline constexpr std::size_t kLogDataMax = 32;
inline constexpr std::size_t kFirmwareCapacity = 16384 + 64;
inline constexpr uint32_t kRestartMs = 300;              // USB away during a restart
inline constexpr uint32_t kFirmwareApplyIdleMs = 1000;
inline constexpr const char* kApplicationName = "ZEL-MORVA-TOUCH";
// Level of a resistive channel with no button held; a held button reads higher.
inline constexpr uint8_t kIdleKeyLevel = 10;

// One record of the controller's log: type, declared length (may exceed the
// 32 data bytes that travel), data.
struct LogRecord {
    uint8_t type = 0;
    uint8_t length = 0;
    std::vector<uint8_t> data;   // at most kLogDataMax bytes
    bool operator==(const LogRecord&) const = default;
};

// A button press played from a script (the state file's `press` lines, the
// Simulator window's "Press"), so that a run with nobody at the wheel sees
// presses: the channel rests for restReads readings of the levels, then
// reads level for kScriptedHoldReads, and the press is done.
inline constexpr int kScriptedRestReads = 25;   // longer than the idle measurement before a set-up
inline constexpr int kScriptedHoldReads = 5;
struct ScriptedPress {
    uint8_t channel = 0;   // 0..3
    uint8_t level = 0;
    int restReads = kScriptedRestReads;
    bool operator==(const ScriptedPress&) const = default;
};

// Everything the state file keeps between runs.
struct ControllerState {
    uint16_t applicationVersion = 117;
    uint32_t serialNumber = 1001;
    uint16_t bootVersion = 100;
    uint8_t deviceCode = 1;
    uint8_t deviceType = 1;
    bool bootMode = false;                   // only the boot loader runs
    bool openDenied = false;                 // listed, but opening it is refused
                                             // (a hidraw node without the udev rule)
    std::array<uint8_t, kConfigSize> config{};
    std::array<uint8_t, kTouchSize> touch{};
    std::array<uint8_t, kChannels> keyLevels{kIdleKeyLevel, kIdleKeyLevel, kIdleKeyLevel, kIdleKeyLevel};
    std::array<uint8_t, kIrCodeSize> irCode{};
    std::deque<LogRecord> log;
    std::vector<uint8_t> firmware;           // frames the boot loader stored
    std::deque<ScriptedPress> presses;       // still to be played, the next first

    ControllerState() { restoreDefaults(); }
    // Factory configuration: long-press time-out 1500 ms, no learned
    // channel (thresholds 255), everything else 0.
    void restoreDefaults();
    bool operator==(const ControllerState&) const = default;
};

// Misbehaviour on demand; every switch stays until cleared.
struct Faults {
    uint32_t replyDelayMs = 0;       // reply reads "not ready" (byte 1 = 0) this long
    bool noReply = false;            // never ready
    bool corruptCheck = false;       // reply check byte off by one
    int corruptPercent = 0;          // ...or only this share of replies, picked by
    std::minstd_rand corruptRandom{1};   // this generator: seed it for a repeatable run
    bool wrongOffset = false;        // reply echoes offset + 1
    bool wrongCommand = false;       // read replies carry another command
    uint8_t forceStatus = 0;         // 0xFE / 0xFD: every request answered so
    bool wrongReportId = false;      // fetched report carries ID 2
    int unplugAfterFrames = -1;      // unplug once this many more requests arrived
    bool failSend = false;           // the platform refuses to send
    bool failFetch = false;          // the platform refuses to fetch
    bool throwOnTransfer = false;    // the platform raises instead of returning
};

class SimulatedController {
public:
    SimulatedController() = default;
    explicit SimulatedController(uint32_t serial) { state.serialNumber = serial; }

    ControllerState state;
    Faults faults;

    // Calibration: stepped by hand (press / release), or by itself every
    // calibrationAutoStepMs (0 = by hand only). A run with no progress for
    // calibrationTimeoutMs gives up: it shows step 4 briefly, then 0.
    uint32_t calibrationAutoStepMs = 0;
    uint32_t calibrationTimeoutMs = 15000;
    // With release reporting off, a press moves on to the next corner at
    // once and the step never shows the pressed bit (0x81...), as some
    // panels report it.
    bool calibrationReleaseBits = true;
    void touchPress(uint32_t now);
    void touchRelease(uint32_t now);
    // The controller gives up the running calibration now, as after its
    // time-out (step 4 shown briefly, then 0).
    void calibrationGiveUp(uint32_t now);
    uint8_t calibrationStep() const { return state.touch[1]; }

    // A held button's level wanders by up to this much either way between
    // readings, as a real resistor ladder's does (0: steady, for tests).
    uint8_t levelNoise = 0;

    // Log records and levels a test or the simulator window feeds in.
    void pushLogRecord(uint8_t type, const std::vector<uint8_t>& data, int declaredLength = -1);

    // USB presence. A restart (reset, boot loader switch) is away kRestartMs.
    void unplug() { plugged_ = false; ++generation_; }
    void plug() { plugged_ = true; }
    bool plugged() const { return plugged_; }
    bool attached(uint32_t now);
    // Changes whenever the USB device went away; handles of an older
    // generation are dead.
    uint32_t generation() const { return generation_; }

    // The feature-report traffic (70-byte reports, byte 0 the report ID).
    // request: a set-feature arrived; returns false when the platform call
    // should fail. fetch: fills the get-feature answer.
    bool request(const uint8_t* report, uint32_t now);
    void fetch(uint8_t* report, uint32_t now);
    // Lets time-driven behaviour catch up (calibration, restart, boot loader).
    void advance(uint32_t now);

    IdentityBlock identity() const;
    // What a read of one region gives: data, or a status byte.
    struct Region {
        uint8_t status = 0;   // 0: data follow; otherwise the status answered
        uint8_t length = 0;
    };

    std::size_t requestsHandled() const { return requests_; }
    // The last request report that arrived (all zero before the first), for
    // the simulator window's view of the traffic.
    const std::array<uint8_t, kReportSize>& lastRequest() const { return lastRequest_; }

private:
    struct Reply {
        std::array<uint8_t, kReportSize> bytes{};
        uint32_t readyAt = 0;
        bool never = false;
    };
    void answer(const uint8_t* request, Reply& reply, uint32_t now);
    Region readRegion(uint8_t command, uint16_t offset, uint8_t* out);
    uint8_t writeRegion(uint8_t command, uint16_t offset, const uint8_t* data, uint8_t length, uint32_t now);
    void restart(uint32_t now);
    void stepCalibration(uint32_t now);
    void pressAt(uint32_t now);
    void releaseAt(uint32_t now);
    void applyFirmware();
    std::array<uint8_t, kChannels> noisyLevels();

    bool plugged_ = true;
    uint32_t generation_ = 0;
    std::optional<uint32_t> restartEnds_;
    std::optional<Reply> reply_;
    bool restartAfterReply_ = false;     // reset / hand-over: restart once answered
    bool enterBootAfterReply_ = false;
    std::size_t requests_ = 0;
    std::array<uint8_t, kReportSize> lastRequest_{};
    uint32_t lastCalibrationChange_ = 0;
    uint32_t lastFirmwareFrame_ = 0;
    bool firmwarePending_ = false;
    std::optional<uint32_t> givingUpSince_;
    uint32_t noiseSeed_ = 0x2545F491;
    int scriptReads_ = 0;   // readings of the levels into the first scripted press
};

} // namespace zmt::sim
