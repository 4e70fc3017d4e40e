#pragma once
// Touch panel calibration. The controller does the work: writing the corner
// option to its touch memory starts it, and its state byte says which corner
// it waits for. We relay that as prompts and, after a run that got through
// the last corner, keep the controller's touch block in touchState.
//
// The window owns one TouchCalibration, calls onCalibrateTouch() from the
// calibration button with the tick state of the 10 % option (a second click
// while it runs stops it) and onTurn() every kCalibrationPollMs while
// running(): one read of the controller's state per turn, never a loop
// inside the click.
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "device/device_link.h"
#include "device/flags.h"

#include <cstdint>
#include <functional>

namespace zmt {

inline constexpr uint32_t kCalibrationPollMs = 100;

class TouchCalibration {
public:
    // setBusy: the toolbar busy state, with the calibration button left usable.
    TouchCalibration(DeviceLink& link, ConfigTransfer& transfer, ConfigRecord& record, ProgramFlags& flags,
                     std::function<void(bool busy)> setBusy)
        : link_(link), host_(link.host()), transfer_(transfer), record_(record), flags_(flags),
          setBusy_(std::move(setBusy)) {}

    // Starts a run (after the user's Yes), or stops the running one.
    void onCalibrateTouch(bool offsetTenPercent);
    // One read of the controller's state; does nothing unless running().
    void onTurn();
    // The window is closing: a run in progress stops.
    void abandon();
    // From the question to the end of the run.
    bool active() const { return state_ != State::Off; }
    // Reading the controller's state: the window calls onTurn() meanwhile.
    bool running() const { return state_ == State::Reading; }
    // How the last run ended, for whoever wants to know (zmtctl, tests).
    enum class Ending { None, Declined, StartFailed, Succeeded, TimedOut, Stopped, ReadFailed };
    Ending lastEnding() const { return ending_; }

private:
    enum class State { Off, Starting, Reading };

    bool start(bool offsetTenPercent);
    // One state read and what it says; false when the run has ended.
    bool readState();
    void end();

    DeviceLink& link_;
    Host& host_;
    ConfigTransfer& transfer_;
    ConfigRecord& record_;
    ProgramFlags& flags_;
    std::function<void(bool)> setBusy_;
    Ending ending_ = Ending::None;
    State state_ = State::Off;
    uint8_t previous_ = 0xFF;
    // A click (or the close) that came while the controller was being read;
    // the turn ends the run when the read is done.
    bool stopRequested_ = false;
    bool inTurn_ = false;
};

} // namespace zmt
