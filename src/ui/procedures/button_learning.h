#pragma once
// Learning the steering-wheel buttons: the idle level of each resistive
// channel is measured, then every distinct level the user produces by holding
// a button takes a slot of its channel, and at the end the thresholds and
// tolerances are computed and the button part of the image is written.
//
// The window owns one ButtonLearning beside its ConfigTransfer, calls
// onLearnButtons() from the learning button (a second click ends the run,
// which then writes what it learned) and onTurn() every kLearningTurnMs
// while running(): the run is a state machine on the window's timer, never
// a loop inside a click. The grid, the toolbar and the level bars are
// reached through LearningView.
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "device/device_link.h"
#include "device/flags.h"
#include "setup/press_detection.h"

#include <array>
#include <cstdint>
#include <string>

namespace zmt {

inline constexpr int kIdlePolls = setup::kIdleReadings + 1;   // the turn after the last reading ends the phase
inline constexpr int kCollectPolls = 600;      // polls without a press before the run ends
inline constexpr uint32_t kLearningTurnMs = 100;
inline constexpr int kLearningWriteTotal = 425;
using setup::pressThreshold;

// Where a learning run is: about to start, measuring the channels at rest,
// then collecting the buttons pressed.
enum LearningPhase : int { LearningStarting = 0, LearningIdle = 1, LearningCollecting = 2 };

// What the procedure knows about the four channels at one moment, for the
// live level bars.
struct LearningLevels {
    LearningPhase phase = LearningStarting;
    std::array<uint8_t, kChannels> current{};   // last reading
    std::array<uint8_t, kChannels> idleMaximum{};
    std::array<uint8_t, kChannels> pressThreshold{};   // meaningful while collecting
    std::array<int, kChannels> recognisedRow{};        // grid row 1..15 held now, 0 none

    // The channel's last reading counts as a button held (only while collecting).
    bool pressed(int channel) const { return phase == LearningCollecting && current[channel] > pressThreshold[channel]; }
};

class LearningView {
public:
    virtual ~LearningView() = default;
    // Toolbar busy state, for the whole run (question and writing
    // included); with busy the learning button stays usable so a second
    // click can stop the run.
    virtual void setLearningBusy(bool busy) = 0;
    // The question was answered Yes and the controller has forgotten its
    // buttons: the readings begin, one per onTurn() until the run ends
    // (setLearningBusy(false)). The default shows nothing.
    virtual void learningStarted() {}
    // A cell's text is replaced (the held button shows its auto label).
    virtual void setKeyCellText(int channel, int row, const std::string& text) = 0;
    // The button recognised on a channel is row (0: none): its cell alone
    // in the column is marked.
    virtual void markRecognised(int channel, int row) = 0;
    virtual void clearGridSelection() = 0;
    // After every reading; the default shows nothing.
    virtual void showLevels(const LearningLevels&) {}
};

class ButtonLearning {
public:
    ButtonLearning(DeviceLink& link, ConfigTransfer& transfer, ConfigRecord& record, ProgramFlags& flags,
                   LearningView& view)
        : link_(link), host_(link.host()), transfer_(transfer), record_(record), flags_(flags), view_(view) {}

    // Starts a run, or ends the running one (it then writes what it
    // learned). A click while the run starts or writes its result is taken
    // as the stop it means, never as a second run.
    void onLearnButtons();
    // One reading of the levels; does nothing unless running().
    void onTurn();
    // Ends a run without writing anything: the window is closing.
    void abandon();
    // From the question to the end of the writing.
    bool active() const { return state_ != State::Off; }
    // Taking readings: the window calls onTurn() meanwhile.
    bool running() const { return state_ == State::Reading; }
    const LearningLevels& levels() const { return levels_; }

private:
    enum class State { Off, Starting, Reading, Ending };

    bool start();
    void takeReading();
    bool readLevels();
    void handlePress(int channel, uint8_t level);
    // The run's mark: which button each channel holds now (0: none), the
    // cell the grid highlights.
    void markRecognised(int channel, int row);
    void end(bool writeResult);
    void stopRunning();
    void finish();

    DeviceLink& link_;
    Host& host_;
    ConfigTransfer& transfer_;
    ConfigRecord& record_;
    ProgramFlags& flags_;
    LearningView& view_;
    LearningLevels levels_;
    setup::IdleMeasurement idle_;
    State state_ = State::Off;
    int countdown_ = 0;
    // A click that came while the start or a turn was talking to the
    // controller (or the turn's own end); the step ends the run when done.
    bool stopRequested_ = false;
    bool inTurn_ = false;
};

} // namespace zmt
