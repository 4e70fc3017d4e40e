#pragma once
// The connection watch: a poll driven by the window's timer that notices the
// controller arriving and leaving, keeps deviceConnected up to date, announces
// both in the memo and the status bar, prints the identity, starts the
// configuration read when a controller with another serial number appears,
// and reads the controller's own log records while the device log is on.
#include "device/device_link.h"
#include "device/flags.h"
#include "device/identity.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zmt {

inline constexpr unsigned kPollIntervalMs = 200;
// With the system announcing arrivals, the search for a controller that is
// not there runs this seldom, only in case an announcement is missed.
inline constexpr unsigned kAnnouncedIdlePollMs = 2000;
inline constexpr unsigned kDeviceLogIntervalMs = 10;
inline constexpr int kMaxDots = 10;
inline constexpr std::size_t kDeviceLogRecordSize = 34;

// What the watch needs of the main window (zmtctl and the tests implement it
// too). LogView and status text go through the Host.
class WatchWindow {
public:
    virtual ~WatchWindow() = default;
    // Toolbar buttons: busy disables them all; not busy enables the file
    // buttons, and the device buttons while deviceConnected is set.
    virtual void setToolbarBusy(bool busy) = 0;
    // The device-log switch of the monitoring menu.
    virtual bool deviceLogChecked() = 0;
    virtual void setDeviceLogChecked(bool checked) = 0;
    // True while the first page (Monitoring) is the active one.
    virtual bool monitoringPageActive() = 0;
    // The window's poll timer.
    virtual void setPollInterval(unsigned ms) = 0;
    virtual void stopPollTimer() = 0;
    virtual void startPollTimer() = 0;
};

// The watch's window for a run with none around it (zmtctl): nothing to
// enable or time; the device-log switch is only remembered, and the
// monitoring page counts as shown, so the device log is read when asked for.
class QuietWatchWindow : public WatchWindow {
public:
    void setToolbarBusy(bool) override {}
    bool deviceLogChecked() override { return deviceLog_; }
    void setDeviceLogChecked(bool checked) override { deviceLog_ = checked; }
    bool monitoringPageActive() override { return true; }
    void setPollInterval(unsigned) override {}
    void stopPollTimer() override {}
    void startPollTimer() override {}

private:
    bool deviceLog_ = false;
};

class ConnectionWatch {
public:
    ConnectionWatch(DeviceLink& link, ProgramFlags& flags, WatchWindow& window)
        : link_(link), host_(link.host()), flags_(flags), window_(window) {}

    // The configuration read a controller with a new serial number starts
    // (run inside the poll, before the controller is announced; it shows its
    // own errors). It belongs to the configuration's owner, which alone
    // declares the image fit to send (imageValid) or not: set it to
    // ConfigTransfer::readNewController. Unset: nothing is read.
    void setReadConfiguration(std::function<void()> readConfiguration) {
        readConfiguration_ = std::move(readConfiguration);
    }

    // The poll timer's tick: counts pollSkip down, or hides the gauge and polls.
    void onPollTick();
    // The system announces devices arriving and leaving (the window polls
    // at once when it does): with nothing plugged in the poll slows down to
    // kAnnouncedIdlePollMs. A controller that is present but busy, not
    // chosen or not to be opened is still looked at on every usual poll,
    // since nothing is announced when that ends.
    void setArrivalsAnnounced(bool announced) { arrivalsAnnounced_ = announced; }
    bool arrivalsAnnounced() const { return arrivalsAnnounced_; }
    // A device arrived or left, the system says; the window polls next. That
    // poll looks at once, not put off by our own last transfers, and while
    // connected it first asks whether the controller is still on the bus: a
    // controller pulled out is said gone at once, without the retries an
    // exchange gives a controller that is slow to answer. Not while a
    // transfer or a procedure is under way (busy, or an exchange of ours):
    // it meets the departure itself.
    void devicesAnnounced(bool busy);
    ResultCode pollController();
    // Four memo lines: name, serial, boot and application versions.
    void printIdentity(const IdentityBlock& identity);
    // One device log record into the memo (nothing when none is waiting).
    ResultCode readDeviceLogRecord();
    // One identity read into identity() (all zero after a failure); zmtctl
    // reads the identity this way too.
    ResultCode readIdentity();

    // Which controller to follow, by serial (the window's choice, kept by
    // serial); nullopt: the only one present, as with one controller. The
    // watch never changes to another controller by itself: the chosen one
    // gone is "disconnected" whatever else is plugged in. Choosing another
    // serial while connected is taken as that controller going and the
    // chosen one arriving (its configuration is read as for any new serial).
    void chooseSerial(std::optional<uint32_t> serial);
    // The next poll looks for the controller and announces it again, as if
    // it had just arrived (the window after a language switch, so that the
    // announcement is in the new language; a firmware update while the
    // controller restarts). Nothing is shown now.
    void announceAgain() { flags_.setDeviceConnected(false, {}); }
    std::optional<uint32_t> chosenSerial() const { return chosen_; }
    // What the last poll met when it did not connect: another program holds
    // the controller (heldBy() says which; the status bar says so), or
    // several controllers are present and none is chosen, or the hold on
    // the controller cannot be taken (a box says why, once for each reason).
    enum class Absence { None, Disconnected, Busy, SeveralUnchosen, CannotHold };
    Absence absence() const { return absence_; }
    const HolderInfo& heldBy() const { return link_.transport().heldBy(); }
    // Every controller present with its identity and whether it is busy, for
    // the window's choice. It asks each one its identity, so call it when
    // the list is wanted, not on every tick.
    ResultCode listControllers(std::vector<PresentController>& found) {
        return link_.transport().listControllers(found);
    }
    // What is on the bus, without asking anything (see HidTransport).
    std::vector<std::string> presentPaths() { return link_.transport().presentPaths(); }

    // Whether a controller has been read, and its serial number (0 when
    // none has). Kept apart, because 0 is a serial number like any other.
    // Reset and reset-to-defaults forget the controller so that the next
    // poll reads again; so does a controller lost (even briefly) while its
    // configuration is unread.
    bool controllerRead() const { return lastSerial_.has_value(); }
    uint32_t lastSerial() const { return lastSerial_.value_or(0); }
    void setLastSerial(uint32_t serial) { lastSerial_ = serial; }
    void forgetController() { lastSerial_.reset(); }
    const IdentityBlock& identity() const { return identity_; }
    int dotCount() const { return dotCount_; }

private:
    // The controller's node is no longer among the devices present.
    bool controllerLeftTheBus();
    void announceDisconnected(ResultCode code);
    void announceConnected();
    // The memo explains a controller that is present but may not be opened,
    // once each time that starts rather than on every poll, and again after
    // a language switch (as the banner is).
    void explainDeniedAccess();

    DeviceLink& link_;
    Host& host_;
    ProgramFlags& flags_;
    WatchWindow& window_;
    std::function<void()> readConfiguration_;
    IdentityBlock identity_;
    // The versions the Monitoring page shows, from the last announcement.
    uint16_t shownApplicationVersion_ = 0;
    uint16_t shownBootVersion_ = 0;
    std::optional<uint32_t> lastSerial_;
    std::optional<uint32_t> chosen_;
    Absence absence_ = Absence::None;
    int dotCount_ = 0;
    bool arrivalsAnnounced_ = false;
    bool departureToCheck_ = false;   // announced; the next poll looks
    std::string deniedAccessExplainedIn_;   // language of the explanation; empty: none
    std::string holdFailureShown_;       // the reason last shown in a box; "" none
};

} // namespace zmt
