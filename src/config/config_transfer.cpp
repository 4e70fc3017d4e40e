#include "config/config_transfer.h"

#include "device/commands.h"
#include "lang/lang.h"

#include <cstddef>
#include <cstring>

namespace zmt {

namespace {

// Sets a flag for the length of a scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

const char* const kWriteError = N_("Error writing to the device\n%s");
const char* const kReadError = N_("Error reading from the device\n%s");
const char* const kReadConfigurationError =
    N_("Error reading the configuration of the device\n%s");

} // namespace

ResultCode ConfigTransfer::reportIfFailed(ResultCode code, const char* format) {
    if (code != ResultCode::Ok) host_.messageBox(MessageKind::Error, formatText(localized(format), resultText(code).c_str()));
    return code;
}

void ConfigTransfer::forgetSerial() {
    if (watch_ != nullptr) watch_->forgetController();
}

ResultCode ConfigTransfer::readController(ConfigImage& config,
                                          uint8_t (&touch)[sizeof(ConfigRecord::touchState)]) {
    const ProgressScope progress(host_, kFullReadTotal,
                                 localized("Reading configuration from the device"));
    const ResultCode code = commands::readConfigMemory(link_, 0, config.bytes(), kConfigImageSize);
    if (code != ResultCode::Ok) return code;
    return commands::readTouchMemory(link_, 0, touch, sizeof touch);
}

ResultCode ConfigTransfer::readConfiguration() {
    FlagScope running(transferRunning_);
    // Read into scratch space: a read that breaks off half-way must not
    // leave the image half old, half new (and the user's edits half gone).
    ConfigImage fresh;
    uint8_t touch[sizeof record_.touchState];
    const ResultCode code = readController(fresh, touch);
    if (code != ResultCode::Ok) return code;

    blankDeviceFixUp(fresh);
    record_.image = fresh;
    std::memcpy(record_.touchState, touch, sizeof touch);
    if (showImage_) showImage_();
    // Taken after the refresh, so neither the fix-up nor what the editors
    // straighten out while showing is written back.
    record_.deviceCopy = record_.image;
    if (history_) history_->reset(record_.image);
    configurationKnown();
    return ResultCode::Ok;
}

ResultCode ConfigTransfer::readKeepingEdits() {
    FlagScope running(transferRunning_);
    ConfigImage held;
    uint8_t touch[sizeof record_.touchState];
    const ResultCode code = readController(held, touch);
    if (code != ResultCode::Ok) return code;
    // No fix-up: deviceCopy is what the controller really holds.
    record_.deviceCopy = held;
    // The edits stay, but what came before them was another controller's:
    // undoing past this point would write that one's configuration here.
    if (history_) history_->reset(record_.image);
    std::memcpy(record_.touchState, touch, sizeof touch);
    configurationKnown();
    return ResultCode::Ok;
}

ResultCode ConfigTransfer::writeConfiguration() {
    FlagScope running(transferRunning_);
    const ProgressScope progress(host_, static_cast<int>(kConfigImageSize),
                                 localized(NC_("progress", "Write configuration to the device")));
    // What goes out is the image as it was at the start; edits made while
    // the frames travel stay pending for the synchronisation.
    const ConfigImage sent = record_.image;
    const ResultCode code =
        commands::writeConfigMemory(link_, 0, sent.bytes(), kConfigImageSize, &writeAccepted_);
    if (code != ResultCode::Ok) return code;
    // The controller holds every byte now; nothing of it needs sending again
    // (and the restart below would make such writes fail).
    record_.deviceCopy = sent;
    configurationKnown();
    return commands::restart(link_);
}

std::string ConfigTransfer::partialWriteText() const {
    // A cut at the first frame leaves the old configuration as it was; any
    // later one leaves a mixture that works in neither form's way.
    if (writeAccepted_ == 0 || writeAccepted_ >= kConfigImageSize) return {};
    return formatText(localized("The controller took %u of the %u bytes of the new configuration: it now holds part of the "
                                "new one and part of the old. Write the configuration again once the controller is back."),
                      static_cast<unsigned>(writeAccepted_), static_cast<unsigned>(kConfigImageSize));
}

bool ConfigTransfer::confirmResetToDefaults() {
    return host_.messageBox(
               {MessageKind::Warning, DefaultAnswer::No},
               localized("Are you sure you want to reset\nthe device configuration\nto its default state?")) == Answer::Yes;
}

ResultCode ConfigTransfer::restoreDefaults() { return commands::restoreDefaults(link_); }

bool ConfigTransfer::confirmWriteConfiguration() {
    return host_.messageBox({MessageKind::Question, DefaultAnswer::No},
                            localized("Are you sure you want to write\ndata to the controller?")) == Answer::Yes;
}

ResultCode ConfigTransfer::restartDevice() { return commands::restart(link_); }

ResultCode ConfigTransfer::reportWriteFailure(ResultCode code) { return reportIfFailed(code, kWriteError); }

ResultCode ConfigTransfer::sendImageBytes(std::size_t offset, std::size_t length) {
    if (offset > kConfigImageSize || length > kConfigImageSize - offset) return ResultCode::BadParameters;
    uint8_t sent[kConfigImageSize];
    std::memcpy(sent, record_.image.bytes() + offset, length);
    const ResultCode code =
        reportWriteFailure(commands::writeConfigMemory(link_, static_cast<uint16_t>(offset), sent, length));
    if (code == ResultCode::Ok) std::memcpy(record_.deviceCopy.bytes() + offset, sent, length);
    return code;
}

ResultCode ConfigTransfer::sendLearnedButtons() {
    constexpr std::size_t keysOffset = offsetof(ConfigImage, keys);
    // Both parts go out even when the first fails: what arrives is taken.
    const ResultCode head = sendImageBytes(0, keysOffset);
    const ResultCode keys = sendImageBytes(keysOffset, sizeof(ConfigImage::keys));
    if (head != ResultCode::Ok) return head;
    if (keys == ResultCode::Ok) configurationKnown();
    return keys;
}

ConfigTransfer::ImageReplacement::ImageReplacement(ConfigTransfer& transfer)
    : transfer_(transfer), wasValid_(transfer.flags_.imageValid()) {
    transfer_.configurationForgotten();
}

ConfigTransfer::ImageReplacement::~ImageReplacement() {
    if (!done_) restore();
}

void ConfigTransfer::ImageReplacement::restore() {
    if (wasValid_) transfer_.configurationKnown();
    else transfer_.configurationForgotten();
}

bool ConfigTransfer::ImageReplacement::keepSnapshot(SnapshotCause cause) {
    // As it was before the file: so the snapshot is due when the program
    // knew the controller's configuration, and so while its error box is
    // up the ticks treat the image as they did then.
    restore();
    const bool kept = transfer_.keepSnapshot(cause);
    transfer_.configurationForgotten();
    return kept;
}

void ConfigTransfer::ImageReplacement::done() {
    done_ = true;
    transfer_.configurationKnown();
}

ResultCode ConfigTransfer::reportReadFailure(ResultCode code) { return reportIfFailed(code, kReadError); }

ResultCode ConfigTransfer::readDeviceCommand() {
    return reportIfFailed(readConfiguration(), kReadConfigurationError);
}

ResultCode ConfigTransfer::readKeepingEditsCommand() {
    return reportIfFailed(readKeepingEdits(), kReadConfigurationError);
}

ResultCode ConfigTransfer::readNewController(const std::function<bool()>& keepEdits) {
    // Right after an update the boot loader may still be installing: it
    // holds no configuration to read. Wait for the new application.
    if (beforeUpdate_ && watch_ != nullptr && watch_->identity().bootLoaderRunning()) {
        forgetSerial();
        return ResultCode::Ok;
    }
    // Decided before the image is declared unfit, which would hide the edits.
    const bool editsWaiting = flags_.imageValid() && changesPending();
    configurationForgotten();
    const ResultCode code =
        editsWaiting && keepEdits && keepEdits() ? readKeepingEditsCommand() : readDeviceCommand();
    // What a controller held when the session met it: kept once, however
    // often it is read again after a restart or a reset.
    if (code == ResultCode::Ok && watch_ != nullptr && readThisSession_.insert(watch_->identity().serialNumber).second)
        keepSnapshot(SnapshotCause::FirstRead);
    if (code == ResultCode::Ok && beforeUpdate_) {
        const ConfigImage before = *beforeUpdate_;
        beforeUpdate_.reset();
        if (offerRestoreAfterUpdate(host_, before, record_.deviceCopy, lastSnapshotPath_)) {
            {
                const EditStep step(history_, record_.image,
                                    editLabel(N_("put the configuration back")));
                record_.image = before;
            }
            if (showImage_) showImage_();
        }
    }
    return code;
}

void ConfigTransfer::compareAfterUpdate(const ConfigImage& before) {
    beforeUpdate_ = before;
    // Read again as a new controller would be: edits still waiting are
    // asked about there, as always.
    forgetSerial();
}

bool ConfigTransfer::keepSnapshot(SnapshotCause cause) {
    if (!snapshotHook_ || watch_ == nullptr || !flags_.imageValid()) return true;
    const FileResult kept = snapshotHook_(watch_->identity().serialNumber, record_.deviceCopy, cause);
    if (kept.ok()) {
        lastSnapshotPath_ = kept.path;
        return true;
    }
    host_.messageBox(MessageKind::Error, kept.text() + "\n" + localized(kSnapshotNotKeptText));
    return false;
}

ResultCode ConfigTransfer::writeDeviceCommand() {
    if (!confirmWriteConfiguration()) return ResultCode::Ok;
    if (!keepSnapshot(SnapshotCause::FullWrite)) return ResultCode::Ok;
    const ResultCode code = writeConfiguration();
    if (code == ResultCode::Ok) return code;
    std::string text = formatText(localized("Error writing configuration\n%s"),
                                  resultText(code).c_str());
    if (const std::string partial = partialWriteText(); !partial.empty()) text += "\n" + partial;
    host_.messageBox(MessageKind::Error, text);
    return code;
}

ResultCode ConfigTransfer::toDefaultCommand() {
    // Asked first: a No leaves everything as it was. Forgetting the
    // controller before the answer would re-read it at the next poll and so
    // throw away the undo history and edits still waiting to be sent.
    if (!confirmResetToDefaults()) return ResultCode::Ok;
    if (!keepSnapshot(SnapshotCause::Defaults)) return ResultCode::Ok;
    // The fresh configuration comes back through the re-read that the
    // forgotten serial number causes at the next poll.
    configurationForgotten();
    forgetSerial();
    return reportIfFailed(restoreDefaults(), N_("Failed to reset the device configuration in its default state\n%s"));
}

ResultCode ConfigTransfer::resetCommand() {
    // The controller reads its configuration anew as it starts.
    if (!keepSnapshot(SnapshotCause::Restart)) return ResultCode::Ok;
    configurationForgotten();
    forgetSerial();
    return reportIfFailed(restartDevice(), N_("Failed to reset the device\n%s"));
}

bool ConfigTransfer::changesPending() const {
    return std::memcmp(record_.image.bytes(), record_.deviceCopy.bytes(), kConfigImageSize) != 0;
}

ResultCode ConfigTransfer::sendChanges(std::size_t* sent) {
    uint8_t* image = record_.image.bytes();
    uint8_t* copy = record_.deviceCopy.bytes();
    std::size_t total = 0;
    ResultCode code = ResultCode::Ok;
    std::size_t k = 0;
    while (k < kConfigImageSize && code == ResultCode::Ok) {
        if (image[k] == copy[k]) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < kConfigImageSize && image[end] != copy[end]) ++end;
        // Send a snapshot: the user may edit while the frames travel, and
        // only what the controller actually got may reach deviceCopy.
        uint8_t run[kConfigImageSize];
        const std::size_t n = end - k;
        std::memcpy(run, image + k, n);
        code = commands::writeConfigMemory(link_, static_cast<uint16_t>(k), run, n);
        if (code == ResultCode::Ok) {
            std::memcpy(copy + k, run, n);
            total += n;
        }
        k = end;
    }
    if (sent != nullptr) *sent = total;
    return code;
}

void ConfigTransfer::syncChanges() {
    // A full transfer replaces the image itself; a tick that comes round
    // while one runs (or while a tick's own write lets events run) waits.
    if (!flags_.imageValid() || flags_.learningActive() || transferRunning_ || syncRunning_) return;
    if (!flags_.deviceConnected()) {
        // Changes wait for the controller; a new failure once it is back
        // deserves a box of its own.
        syncFailureShown_ = false;
        syncRetryWaiting_ = false;
        return;
    }
    if (syncRetryWaiting_ && static_cast<int32_t>(host_.tickMs() - syncRetryAt_) < 0) return;
    if (link_.exchangeBusy()) return;
    FlagScope running(syncRunning_);

    std::size_t total = 0;
    const ResultCode code = sendChanges(&total);
    if (total > 0) {
        // A run arrived: a failure after it deserves a box of its own.
        syncFailureShown_ = false;
        syncRetryWaiting_ = false;
    }
    if (code != ResultCode::Ok && code != ResultCode::Busy) {   // busy: another exchange is under way, next tick
        syncRetryWaiting_ = true;
        syncRetryAt_ = host_.tickMs() + kSyncRetryDelayMs;
        if (!syncFailureShown_) {
            syncFailureShown_ = true;
            host_.messageBox(MessageKind::Error, formatText(localized(kWriteError), resultText(code).c_str()));
        }
    }
    if (total > 0) host_.notice(kSyncNoticeMs, kNoticeBlinkMs, localized("Record of changes"));
}

} // namespace zmt
