#pragma once
// Replacing the controller's application firmware from a *.LDR file: the
// identity read, the file choice and checks, the version questions, the
// hand-over from the application to its boot loader, and the transfer.
//
//   FirmwareUpdate update(link, watch, flags);
//   update.updateFirmware([&] { return askFirmwareFile(); });   // "" = cancelled
//
// The window wraps the call in its busy state and the editor lock; zmtctl
// calls it the same way with the file from its command line. Every failure
// is reported in a box; the result says how it ended.
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "device/firmware_file.h"
#include "device/flags.h"
#include "device/identity.h"

#include <functional>
#include <string>

namespace zmt {

inline constexpr int kFirmwareAttempts = 3;
inline constexpr int kBootLoaderWaitSteps = 50;     // x 100 ms for the watch to see it again
inline constexpr uint32_t kBootLoaderWaitStepMs = 100;
inline constexpr uint32_t kBootLoaderSettleMs = 1000;

enum class FirmwareOutcome {
    Updated,
    Cancelled,        // no file chosen, or a version question answered No
    FileRefused,      // the file cannot be read or fails its checks (box shown)
    DeviceRefused,    // no identity, or the file is for another device (box shown)
    Failed,           // the hand-over or the transfer failed (box shown)
    NotStarted,       // transferred in full, but the new application was not seen running (box shown)
};

// How long awaitNewApplication waits for the controller to come back.
inline constexpr int kRestartPolls = 100;
inline constexpr uint32_t kRestartPollMs = 100;

// "The device is updated to version 1.18", in the language in force.
std::string firmwareUpdatedText(uint16_t applicationVersion);

class FirmwareUpdate {
public:
    FirmwareUpdate(DeviceLink& link, ConnectionWatch& watch, ProgramFlags& flags)
        : link_(link), host_(link.host()), watch_(watch), flags_(flags) {}

    // In the window the connection watch runs on its own timer while the
    // update pauses. zmtctl has no timer; it polls the watch through this
    // hook once per pause of the wait for the boot loader.
    void setPollDuringWait(std::function<void()> poll) { pollDuringWait_ = std::move(poll); }
    // Called once the controller is ready for the transfer, right before
    // the first frame. The window disables its buttons again here: the
    // watch's announcement of the boot loader has enabled them, and a read
    // or a second update must not start between the transfer's frames.
    void setBeforeTransfer(std::function<void()> beforeTransfer) { beforeTransfer_ = std::move(beforeTransfer); }
    // The update waits for the new application itself and reports the
    // update only once it runs (the watch's identity holds it), or
    // NotStarted with what the controller now holds. Both programs ask for
    // it: the window's watch may not poll in time to tell a controller that
    // was pulled out right after the last frame.
    void setAwaitNewApplication(bool await) { awaitNewApplication_ = await; }
    // Called once the chosen file has passed its checks, before anything is
    // sent: where the configuration the controller holds is kept, so that a
    // file refused keeps nothing and a snapshot that cannot be kept stops
    // the update (false: NotStarted, nothing sent).
    void setOnceFileChecked(std::function<bool()> onceChecked) { onceFileChecked_ = std::move(onceChecked); }

    // The whole update; askFile returns the chosen path or "" when cancelled.
    FirmwareOutcome updateFirmware(const std::function<std::string()>& askFile);
    // The checks against the controller, the questions and the transfer.
    FirmwareOutcome flashFirmware(const FirmwareImage& image);

    const IdentityBlock& identity() const { return identity_; }

    bool running() const { return running_; }

private:
    FirmwareOutcome runUpdate(const std::function<std::string()>& askFile);
    FirmwareOutcome fail(ResultCode code, bool partTransferred = false);
    bool newApplicationRuns();

    DeviceLink& link_;
    Host& host_;
    ConnectionWatch& watch_;
    ProgramFlags& flags_;
    std::function<void()> pollDuringWait_;
    std::function<void()> beforeTransfer_;
    std::function<bool()> onceFileChecked_;
    IdentityBlock identity_;   // the update's own, apart from the watch's
    bool running_ = false;
    bool awaitNewApplication_ = false;
};

} // namespace zmt
