#include "device/firmware_update.h"

#include "device/commands.h"
#include "lang/lang.h"

#include <array>

namespace zmt {

namespace {
const char* const kUpdateFailed = N_("Failed to update the firmware\n%s");
}

FirmwareOutcome FirmwareUpdate::fail(ResultCode code, bool partTransferred) {
    std::string text = formatText(localized(kUpdateFailed), resultText(code).c_str());
    // The boot loader has taken over and holds an incomplete application:
    // the controller starts only its boot loader until an update completes.
    if (partTransferred) {
        text += '\n';
        text += localized("The controller got only part of the new firmware and will start only its boot loader "
                          "(ZEL-MORVA-BOOT). Once it is back, run the update again with the same file.");
    }
    host_.messageBox(MessageKind::Error, text);
    return FirmwareOutcome::Failed;
}

std::string firmwareUpdatedText(uint16_t applicationVersion) {
    return formatText(localized("The device is updated to version %s"),
                      versionText(applicationVersion).c_str());
}

bool FirmwareUpdate::newApplicationRuns() {
    for (int poll = 0; poll < kRestartPolls; ++poll) {
        delayMs(host_, kRestartPollMs);
        if (link_.probeController() == ResultCode::Ok && watch_.readIdentity() == ResultCode::Ok &&
            !watch_.identity().bootLoaderRunning())
            return true;
    }
    return false;
}

FirmwareOutcome FirmwareUpdate::updateFirmware(const std::function<std::string()>& askFile) {
    // A click that arrives while an update runs (its buttons come back with
    // the boot loader's announcement) must not start a second one.
    if (running_) return FirmwareOutcome::Cancelled;
    running_ = true;
    const FirmwareOutcome outcome = runUpdate(askFile);
    running_ = false;
    return outcome;
}

FirmwareOutcome FirmwareUpdate::runUpdate(const std::function<std::string()>& askFile) {
    std::array<uint8_t, kIdentityCapacity> raw{};
    std::size_t count = 0;
    const ResultCode code = commands::readIdentity(link_, raw.data(), raw.size(), count);
    raw.back() = 0;
    if (code != ResultCode::Ok) {
        host_.messageBox(MessageKind::Error, formatText(localized("Error reading the device configuration\n%s"),
                                              resultText(code).c_str()));
        return FirmwareOutcome::DeviceRefused;
    }
    identity_ = IdentityBlock::fromBytes(raw);
    host_.memoClear();
    host_.memoLine(localized("******************* Device *******************"));
    watch_.printIdentity(identity_);

    const std::string path = askFile ? askFile() : std::string();
    if (path.empty()) return FirmwareOutcome::Cancelled;
    FirmwareImage image;
    if (!loadFirmwareFile(host_, path, image)) return FirmwareOutcome::FileRefused;
    if (onceFileChecked_ && !onceFileChecked_()) return FirmwareOutcome::NotStarted;
    return flashFirmware(image);
}

FirmwareOutcome FirmwareUpdate::flashFirmware(const FirmwareImage& image) {
    // Only a verified file is ever sent.
    if (!image.loaded() || image.buffer.size() < kFirmwareBufferSize) return FirmwareOutcome::FileRefused;
    const LdrHeader& header = image.header;
    if (identity_.deviceCode != header.deviceCode) {
        host_.messageBox(MessageKind::Error, localized("This update is not for this device"));
        return FirmwareOutcome::DeviceRefused;
    }
    if (identity_.deviceType != header.deviceType) {
        host_.messageBox(MessageKind::Error, localized("This update is not for this type of device"));
        return FirmwareOutcome::DeviceRefused;
    }
    const char* question = nullptr;
    if (identity_.applicationVersion == header.applicationVersion)
        question = N_("Are you trying to download the same version as in the device\nContinue?");
    else if (identity_.applicationVersion > header.applicationVersion)
        question = N_("Are you trying to download an older version than the device\nContinue?");
    if (question != nullptr && host_.messageBox(MessageKind::Warning, localized(question)) != Answer::Yes)
        return FirmwareOutcome::Cancelled;

    const std::size_t payload = image.payloadSize();
    const ProgressScope progress(host_, static_cast<int>(payload),
                                 localized(NC_("window title", "Firmware update")));

    if (!identity_.bootLoaderRunning()) {
        // The first frame makes the application restart into its boot
        // loader; the reply may be lost in that restart, so an error here
        // is expected and only matters if the controller never comes back.
        const ResultCode handOver = commands::writeFirmwareFrame(link_, image.payload());
        if (handOver != ResultCode::Ok) {
            watch_.announceAgain();
            bool back = false;
            // The pauses alone take 5 s, but each poll of a controller that
            // never answers runs into its own time-outs: counted in pauses
            // only, the wait would last minutes. The clock bounds it too.
            const uint32_t waitStart = host_.tickMs();
            for (int step = 1; step <= kBootLoaderWaitSteps; ++step) {
                delayMs(host_, kBootLoaderWaitStepMs);
                if (step == kBootLoaderWaitSteps) break;
                if (pollDuringWait_) pollDuringWait_();
                if (flags_.deviceConnected()) {
                    back = true;
                    break;
                }
                if (host_.tickMs() - waitStart >= kBootLoaderWaitSteps * kBootLoaderWaitStepMs) break;
            }
            if (!back) return fail(handOver);
        }
        delayMs(host_, kBootLoaderSettleMs);
    }

    if (beforeTransfer_) beforeTransfer_();
    ResultCode code = ResultCode::Ok;
    for (int attempt = 0; attempt < kFirmwareAttempts; ++attempt) {
        code = commands::writeFirmwareData(link_, image.payload(), payload + kFrameData);
        if (code == ResultCode::Ok) {
            // Every frame was confirmed, yet the new application may still
            // not run (the cable pulled before the boot loader starts it):
            // "updated" would then be untrue.
            if (awaitNewApplication_ && !newApplicationRuns()) {
                host_.messageBox(
                    MessageKind::Error,
                    formatText(localized("The controller has not started the new application\nIt received all of firmware %s, but "
                                         "has not been seen running it (unplugged or without power?). Plug it back in; if it shows "
                                         "as ZEL-MORVA-BOOT, run the update again with the same file."),
                               versionText(header.applicationVersion).c_str()));
                return FirmwareOutcome::NotStarted;
            }
            // The result stays until something else is said: it is what the
            // user waited for, and may be read long after the last frame.
            host_.notice(0, 0, firmwareUpdatedText(header.applicationVersion));
            return FirmwareOutcome::Updated;
        }
    }
    return fail(code, true);
}

} // namespace zmt
