#include "ui/procedures/touch_calibration.h"

#include "device/commands.h"
#include "lang/lang.h"

#include <cstring>

namespace zmt {

namespace {
constexpr unsigned kDoneNoticeMs = 3000;
constexpr uint8_t kPressedBit = 0x80;
constexpr uint8_t kLastCorner = 3;

const char* const kTopLeft = N_("Press at top left corner");
const char* const kBottomRight = N_("Press at bottom right corner");

// The prompt of a step the controller reports, or nullptr to keep the current one.
const char* promptOf(uint8_t step) {
    switch (step) {
    case 1: return kTopLeft;
    case 2: return N_("Press at top right corner");
    case 3: return kBottomRight;
    case 4: return kTopLeft;
    case 5: return kBottomRight;
    default: return nullptr;
    }
}
} // namespace

void TouchCalibration::onCalibrateTouch(bool offsetTenPercent) {
    if (state_ != State::Off) {
        // A second click stops the run; inside a read, once the read is done.
        stopRequested_ = true;
        if (state_ == State::Reading && !inTurn_) end();
        return;
    }
    state_ = State::Starting;
    stopRequested_ = false;
    if (setBusy_) setBusy_(true);
    if (!start(offsetTenPercent)) {
        state_ = State::Off;
        if (setBusy_) setBusy_(false);
        return;
    }
    state_ = State::Reading;
    // Stopped (or closed) while it started; otherwise the first reading at
    // once, the next ones on the window's turns.
    if (stopRequested_ || flags_.appClosing()) end();
    else onTurn();
}

void TouchCalibration::onTurn() {
    if (state_ != State::Reading) return;
    inTurn_ = true;
    const bool goesOn = readState();
    inTurn_ = false;
    if (!goesOn) {
        state_ = State::Off;
        if (setBusy_) setBusy_(false);
    } else if (stopRequested_ || flags_.appClosing()) {
        end();
    }
}

void TouchCalibration::abandon() {
    if (state_ == State::Reading && !inTurn_) end();
}

void TouchCalibration::end() {
    ending_ = Ending::Stopped;
    clearNotice(host_);
    state_ = State::Off;
    if (setBusy_) setBusy_(false);
}

bool TouchCalibration::start(bool offsetTenPercent) {
    ending_ = Ending::Declined;
    if (host_.messageBox({MessageKind::Question, DefaultAnswer::No},
                         localized("You really want to launch setup of touchpanel?")) != Answer::Yes)
        return false;
    ending_ = Ending::StartFailed;
    const uint8_t option = offsetTenPercent ? 1 : 0;
    if (transfer_.reportWriteFailure(commands::writeTouchMemory(link_, 0, &option, 1)) != ResultCode::Ok) return false;
    ending_ = Ending::Stopped;
    previous_ = 0xFF;   // the first reading always counts as a change
    return true;
}

bool TouchCalibration::readState() {
    uint8_t state = 0;
    std::size_t received = 0;
    if (transfer_.reportReadFailure(commands::readTouchMemoryFrame(link_, 1, &state, 1, received)) != ResultCode::Ok) {
        ending_ = Ending::ReadFailed;
        clearNotice(host_);
        return false;
    }
    if (state == previous_) return true;
    const uint8_t step = state & ~kPressedBit;
    if ((state & kPressedBit) && step != 0) {
        host_.notice(0, kNoticeBlinkMs, localized("Please release it"));
    } else if (step == 0) {
        clearNotice(host_);
        // Only a run whose last step was the last corner succeeded; the
        // controller gives up after any other step.
        if ((previous_ & ~kPressedBit) == kLastCorner) {
            // A failed read leaves touchState as the read left it, and the
            // calibration itself is done all the same.
            commands::readTouchMemory(link_, 0, record_.touchState, sizeof record_.touchState);
            host_.notice(kDoneNoticeMs, kNoticeBlinkMs,
                         localized("Setting the touch panel is completed successfully"));
            ending_ = Ending::Succeeded;
        } else {
            host_.notice(kDoneNoticeMs, kNoticeBlinkMs,
                         localized("Setting the touch panel is completed by timeout"));
            ending_ = Ending::TimedOut;
        }
        return false;
    } else if (const char* prompt = promptOf(step)) {
        host_.notice(0, kNoticeBlinkMs, localized(prompt));
    }
    previous_ = state;
    return true;
}

} // namespace zmt
