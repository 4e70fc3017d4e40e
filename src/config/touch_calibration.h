#pragma once
// Touch panel calibration. The controller does the work: writing the corner
// option to its touch memory starts it, and its state byte says which corner
// it waits for. We relay that as prompts and, after a run that got through
// the last corner, keep the controller's touch block in touchState.
//
// The window owns one TouchCalibration and calls onCalibrateTouch()
// from the calibration button with the tick state of the 10 % option; a
// second click while it runs stops it.
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

    void onCalibrateTouch(bool offsetTenPercent);
    // How the last run ended, for whoever wants to know (zmtctl, tests).
    enum class Ending { None, Declined, StartFailed, Succeeded, TimedOut, Stopped, ReadFailed };
    Ending lastEnding() const { return ending_; }

private:
    void run(bool offsetTenPercent);

    DeviceLink& link_;
    Host& host_;
    ConfigTransfer& transfer_;
    ConfigRecord& record_;
    ProgramFlags& flags_;
    std::function<void(bool)> setBusy_;
    Ending ending_ = Ending::None;
};

} // namespace zmt
