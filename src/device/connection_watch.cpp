#include "device/connection_watch.h"

#include "device/access_help.h"
#include "device/commands.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>
#include <utility>

namespace zmt {

void ConnectionWatch::onPollTick() {
    // Transfers raise pollSkip with every frame, so the poll stays away until
    // they have been idle for that many ticks.
    if (link_.pollSkip() != 0) {
        link_.setPollSkip(link_.pollSkip() - 1);
        return;
    }
    host_.progressHide();
    pollController();
}

ResultCode ConnectionWatch::readIdentity() {
    std::array<uint8_t, kIdentityCapacity> raw{};
    std::size_t count = 0;
    const ResultCode code = commands::readIdentity(link_, raw.data(), raw.size(), count);
    raw.back() = 0;
    identity_ = IdentityBlock::fromBytes(raw);
    // Others that find it busy can name it.
    if (code == ResultCode::Ok) link_.transport().noteSerial(identity_.serialNumber);
    return code;
}

void ConnectionWatch::devicesAnnounced(bool busy) {
    if (busy || link_.exchangeBusy()) return;
    link_.setPollSkip(0);
    departureToCheck_ = true;
}

bool ConnectionWatch::controllerLeftTheBus() {
    const std::string& path = link_.transport().openPath();
    if (path.empty()) return false;
    const std::vector<std::string> present = presentPaths();
    return std::find(present.begin(), present.end(), path) == present.end();
}

ResultCode ConnectionWatch::pollController() {
    window_.stopPollTimer();

    ResultCode code = ResultCode::Ok;
    if (std::exchange(departureToCheck_, false) && flags_.deviceConnected() && controllerLeftTheBus()) {
        link_.transport().closeController();
        code = ResultCode::Disconnected;
    } else if (!flags_.deviceConnected()) {
        code = link_.openController();
        if (code == ResultCode::Ok) code = readIdentity();
    } else if (!window_.deviceLogChecked()) {
        window_.setPollInterval(kPollIntervalMs);
        code = readIdentity();
    } else {
        // The device log runs only while its page is watched; leaving the
        // page or a failed read switches it off.
        bool keepLogging = window_.monitoringPageActive();
        if (keepLogging) {
            window_.setPollInterval(kDeviceLogIntervalMs);
            keepLogging = readDeviceLogRecord() == ResultCode::Ok;
        }
        if (!keepLogging) {
            window_.setDeviceLogChecked(false);
            window_.setPollInterval(kPollIntervalMs);
            window_.startPollTimer();
            return ResultCode::Ok;
        }
    }

    if (code != ResultCode::Ok) {
        announceDisconnected(code);
        explainDeniedAccess();
        const bool nothingThere = absence_ == Absence::Disconnected && !link_.transport().openDenied();
        window_.setPollInterval(arrivalsAnnounced_ && nothingThere ? kAnnouncedIdlePollMs : kPollIntervalMs);
    } else {
        absence_ = Absence::None;
        deniedAccessExplainedIn_.clear();
        holdFailureShown_.clear();
        if (lastSerial_ != identity_.serialNumber) {
            // A new controller shows its configuration read first, then is announced.
            lastSerial_ = identity_.serialNumber;
            if (readConfiguration_) readConfiguration_();
            // Gone in the middle of the read (the transport dropped its
            // handle) and back before a poll could notice: read it again at
            // the next poll rather than leave it unread for good.
            if (!flags_.imageValid() && !link_.transport().isOpen()) forgetController();
        }
        if (!flags_.deviceConnected()) {
            // Connected, the transport keeps to this controller: a handle
            // lost in the middle of a transfer is never reopened on another.
            link_.transport().expectSerial(identity_.serialNumber);
            announceConnected();
        } else if (identity_.applicationVersion != shownApplicationVersion_ ||
                   identity_.bootVersion != shownBootVersion_) {
            // The same controller now runs other firmware (an update was
            // just installed): the page shows what runs now, below what the
            // update logged.
            shownApplicationVersion_ = identity_.applicationVersion;
            shownBootVersion_ = identity_.bootVersion;
            printIdentity(identity_);
        } else {
            if (++dotCount_ > kMaxDots) dotCount_ = 0;
            const std::string dots(static_cast<std::size_t>(dotCount_), '.');
            host_.statusText(formatText(
                localized("Controller \"%s\" is connected%s"),
                identity_.controllerName.c_str(), dots.c_str()));
        }
    }

    link_.setPollSkip(0);
    window_.startPollTimer();
    return code;
}

void ConnectionWatch::announceDisconnected(ResultCode code) {
    // A controller that goes away before its configuration could be read
    // (unplugged half-way through the read, say) is read when it comes back;
    // otherwise the same serial number would leave it unread for good.
    if (!flags_.imageValid()) forgetController();
    absence_ = code == ResultCode::Held      ? Absence::Busy
               : code == ResultCode::Several ? Absence::SeveralUnchosen
               : code == ResultCode::NoHold  ? Absence::CannotHold
                                    : Absence::Disconnected;
    host_.statusText(code == ResultCode::Held ? heldBy().busyText() : resultText(code));
    // Nothing goes to a controller that cannot be held; the box says why,
    // once for each reason rather than on every poll.
    const std::string holdFailure = code == ResultCode::NoHold ? link_.transport().holdFailure() : std::string();
    if (!holdFailure.empty() && holdFailure != holdFailureShown_)
        host_.messageBox(MessageKind::Error, holdFailureText(holdFailure));
    holdFailureShown_ = holdFailure;
    // Gone, busy or not chosen: another program may have it now, and with
    // none chosen whichever controller is plugged in next is taken. Not
    // when our own exchange is under way beneath this poll: the controller
    // is in use, by us.
    if (code != ResultCode::Busy) {
        link_.transport().expectSerial(chosen_);
        link_.transport().releaseHold();
    }
    if (!flags_.deviceConnected()) return;
    host_.memoLine(localized("******** Controller is disconnected **********"));
    flags_.setDeviceConnected(false, {});
    window_.setToolbarBusy(false);
}

void ConnectionWatch::chooseSerial(std::optional<uint32_t> serial) {
    chosen_ = serial;
    const bool another = flags_.deviceConnected() && serial && *serial != identity_.serialNumber;
    if (another) {
        announceDisconnected(ResultCode::Disconnected);
        return;
    }
    if (!flags_.deviceConnected()) link_.transport().expectSerial(serial);
}

void ConnectionWatch::explainDeniedAccess() {
    if (!link_.transport().openDenied()) {
        deniedAccessExplainedIn_.clear();
        return;
    }
    if (deniedAccessExplainedIn_ == languageCode()) return;
    for (const std::string& line : accessDeniedHelp()) host_.memoLine(line);
    deniedAccessExplainedIn_ = languageCode();
}

void ConnectionWatch::announceConnected() {
    dotCount_ = 0;
    host_.memoClear();
    host_.memoLine(localized("******** Controller is connected *************"));
    // The English text has always started with a Cyrillic capital Es.
    host_.statusText(formatText(localized("Сontroller \"%s\" is connected"),
                                identity_.controllerName.c_str()));
    printIdentity(identity_);
    shownApplicationVersion_ = identity_.applicationVersion;
    shownBootVersion_ = identity_.bootVersion;
    flags_.setDeviceConnected(true, {});
    window_.setToolbarBusy(false);
}

void ConnectionWatch::printIdentity(const IdentityBlock& identity) {
    host_.memoLine(formatText(localized("Controller          \"%s\""),
                              identity.controllerName.c_str()));
    host_.memoLine(formatText(localized("The serial number   %lu"),
                              static_cast<unsigned long>(identity.serialNumber)));
    host_.memoLine(formatText(localized("Boot version        %s"),
                              versionText(identity.bootVersion).c_str()));
    if (identity.applicationVersion == 0) {
        host_.memoLine(localized("Application version (application is not loaded)"));
    } else {
        host_.memoLine(formatText(localized("Application version %s"),
                                  versionText(identity.applicationVersion).c_str()));
    }
}

ResultCode ConnectionWatch::readDeviceLogRecord() {
    std::array<uint8_t, kDeviceLogRecordSize> record{};
    std::size_t count = 0;
    const ResultCode code = commands::readDeviceLogRecord(link_, record.data(), record.size(), count);
    if (code != ResultCode::Ok || count == 0) return code;
    const std::size_t shown = std::min<std::size_t>(record[1], record.size() - 2);
    const std::string bytes = hexDump(record.data() + 2, shown);
    host_.memoLine(formatText("t:%02X l:%02X [%s ]", record[0], record[1], bytes.c_str()));
    return ResultCode::Ok;
}

} // namespace zmt
