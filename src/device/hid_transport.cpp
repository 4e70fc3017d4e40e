#include "device/hid_transport.h"

#include "device/protocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zmt {

std::string utf16ToNarrow(const std::u16string& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t unit : text) {
        if (unit == 0) break;
        narrow.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    }
    return narrow;
}

ResultCode HidTransport::loadHidLibrary() {
    if (bound_) return ResultCode::Ok;
    bool loaded = false;
    try {
        loaded = backend_.initialise() == HidBackend::InitOk;
    } catch (...) {
        loaded = false;
    }
    if (!loaded) return ResultCode::HidLoad;
    bound_ = true;
    return ResultCode::Ok;
}

std::optional<uint32_t> PresentController::serial() const {
    if (busy) return holder.serial;
    if (read != ResultCode::Ok) return std::nullopt;
    return identity.serialNumber;
}

ResultCode HidTransport::candidates(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                                    const char* product, std::vector<std::string>& paths, bool& vendorDefined) {
    ResultCode provisional = ResultCode::Disconnected;
    const std::vector<HidInterfaceInfo> entries = backend_.enumerate();
    std::vector<const HidInterfaceInfo*> matches;
    for (const HidInterfaceInfo& info : entries) {
        if (info.vendorId != vendorId || info.productId != productId) continue;
        provisional = ResultCode::Disconnected;
        if (manufacturer != nullptr && product != nullptr) {
            if (!info.manufacturer) {
                provisional = ResultCode::Exchange;
                continue;
            }
            if (utf16ToNarrow(*info.manufacturer) != manufacturer) continue;
            if (!info.product) {
                provisional = ResultCode::Exchange;
                continue;
            }
            if (utf16ToNarrow(*info.product) != product) continue;
        }
        matches.push_back(&info);
    }
    vendorDefined = std::any_of(matches.begin(), matches.end(), [](const HidInterfaceInfo* info) {
        return info->usagePage >= kVendorUsagePageFirst;
    });
    for (const HidInterfaceInfo* info : matches) {
        if (vendorDefined && info->usagePage < kVendorUsagePageFirst) continue;
        // One node may carry several collections, listed once each.
        if (std::find(paths.begin(), paths.end(), info->path) == paths.end()) paths.push_back(info->path);
    }
    // An interface that left the bus may come back as another controller.
    std::erase_if(knownSerials_, [&paths](const auto& known) {
        return std::find(paths.begin(), paths.end(), known.first) == paths.end();
    });
    return provisional;
}

std::unique_ptr<HidDevice> HidTransport::holdAndOpen(const std::string& path, ControllerHold& hold, bool& denied,
                                                     bool& busy, bool& holdFailed) {
    const std::string key = backend_.holdKey(path);
    if (!key.empty()) {
        HolderInfo holder;
        const auto place = backend_.holdsOnDevice() ? ControllerHold::Place::Device : ControllerHold::Place::LockFile;
        if (!hold.acquire(key, holder, place)) {
            if (hold.deniedAccess()) {
                denied = true;
            } else if (!hold.failure().empty()) {
                // Without the hold another program could write to it at the
                // same time: it is not talked to, and the caller says why.
                holdFailed = true;
                holdFailure_ = hold.failure();
            } else {
                busy = true;
                heldBy_ = holder;
            }
            return nullptr;
        }
    }
    HidOpenFailure failure;
    std::unique_ptr<HidDevice> candidate = backend_.open(path, failure);
    if (!candidate) {
        if (failure.denied) denied = true;
        else failureText_ = failure.reason;
    }
    return candidate;
}

std::size_t HidTransport::reachable(std::vector<std::string>& paths) {
    // Opening sends nothing: an interface that will not open at all (not a
    // hidraw node, gone) is no controller to choose, and is left out of the
    // search (opened once per search, as ever); one the system keeps us
    // from is, as its owner can still grant access.
    std::size_t count = 0;
    std::vector<std::string> kept;
    for (const std::string& path : paths) {
        HidOpenFailure failure;
        if (backend_.open(path, failure) || failure.denied) {
            ++count;
            kept.push_back(path);
        } else {
            failureText_ = failure.reason;
        }
    }
    paths = std::move(kept);
    return count;
}

ResultCode HidTransport::findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                                    const char* product, std::unique_ptr<HidDevice>& device) {
    device.reset();
    openPath_.clear();
    openDenied_ = false;
    failureText_.clear();
    holdFailure_.clear();
    sameSerialPaths_.clear();
    heldBy_ = HolderInfo{};
    bool denied = false;
    bool busy = false;
    bool holdFailed = false;
    // Why a controller could not be asked who it is (it timed out, its reply
    // was damaged): nothing else is sent to it, and the caller hears that
    // reason rather than "disconnected".
    ResultCode unidentified = ResultCode::Ok;
    ResultCode provisional = ResultCode::Disconnected;
    try {
        std::vector<std::string> paths;
        bool vendorDefined = false;
        provisional = candidates(vendorId, manufacturer, productId, product, paths, vendorDefined);
        // Two controllers and nobody said which: taking the first one would
        // write to a controller the user did not choose.
        if (!expectedSerial_ && vendorDefined && paths.size() > 1 && reachable(paths) > 1) return ResultCode::Several;
        // The interface the controller was last met on goes first: usually
        // it is still there, and no other controller need be asked.
        if (const auto last = std::find(paths.begin(), paths.end(), lastPath_); last != paths.end())
            std::rotate(paths.begin(), last, last + 1);
        for (const std::string& path : paths) {
            // An interface asked before and on the bus ever since is the same
            // controller: another one is not asked again (on every poll that
            // would take it from whoever wants it at that moment, and cost a
            // round trip), the expected one is not asked again either (a
            // handle lost to a failed transfer is reopened as it always was).
            const auto known = knownSerials_.find(path);
            const bool knownAsExpected = expectedSerial_ && known != knownSerials_.end() && known->second == *expectedSerial_;
            if (expectedSerial_ && known != knownSerials_.end() && !knownAsExpected) continue;
            ControllerHold hold;
            const bool ours = hold_.held() && hold_.key() == backend_.holdKey(path);
            std::unique_ptr<HidDevice> candidate = holdAndOpen(path, ours ? hold_ : hold, denied, busy, holdFailed);
            if (!candidate) continue;
            if (expectedSerial_ && !knownAsExpected) {
                IdentityBlock identity;
                const ResultCode asked = identify_ ? identify_(*candidate, identity) : ResultCode::Exchange;
                const bool identified = asked == ResultCode::Ok;
                if (identified) knownSerials_[path] = identity.serialNumber;
                else if (unidentified == ResultCode::Ok) unidentified = asked;
                if (!identified || identity.serialNumber != *expectedSerial_) {
                    if (ours) hold_.release();
                    continue;
                }
            }
            // Two controllers answering with one serial: whichever came
            // first could be the one the user did not mean.
            if (expectedSerial_) {
                if (const auto twin = anotherWithSerial(path, paths, !knownAsExpected)) {
                    sameSerialPaths_ = {path, *twin};
                    if (ours) hold_.release();
                    return ResultCode::SameSerial;
                }
            }
            // Another interface, or a hold just taken: whose it is is not
            // known (or not written) until it is read.
            if (path != lastPath_ || (!ours && hold.held())) notedSerial_.reset();
            if (!ours && hold.held()) hold_ = std::move(hold);
            if (expectedSerial_) noteSerial(*expectedSerial_);
            device = std::move(candidate);
            openPath_ = path;
            lastPath_ = path;
            failureText_.clear();
            return ResultCode::Ok;
        }
    } catch (...) {
        device.reset();
        return ResultCode::Disconnected;
    }
    openDenied_ = denied;
    if (holdFailed) return ResultCode::NoHold;
    if (busy) return ResultCode::Held;
    if (unidentified != ResultCode::Ok) return unidentified;
    return provisional;
}

std::optional<std::string> HidTransport::anotherWithSerial(const std::string& found,
                                                          const std::vector<std::string>& paths, bool askUnknown) {
    // The search's own notes stay as the search left them.
    const HolderInfo heldBy = heldBy_;
    const std::string holdFailure = holdFailure_;
    const std::string failureText = failureText_;
    std::optional<std::string> twin;
    for (const std::string& other : paths) {
        if (other == found) continue;
        if (const auto known = knownSerials_.find(other); known != knownSerials_.end()) {
            if (known->second == *expectedSerial_) twin = other;
        } else if (askUnknown) {
            ControllerHold hold;
            bool denied = false, busy = false, holdFailed = false;
            const std::unique_ptr<HidDevice> device = holdAndOpen(other, hold, denied, busy, holdFailed);
            IdentityBlock identity;
            if (busy && heldBy_.serial == expectedSerial_) twin = other;
            else if (device && identify_ && identify_(*device, identity) == ResultCode::Ok) {
                knownSerials_[other] = identity.serialNumber;
                if (identity.serialNumber == *expectedSerial_) twin = other;
            }
        }
        if (twin) break;
    }
    heldBy_ = heldBy;
    holdFailure_ = holdFailure;
    failureText_ = failureText;
    return twin;
}

std::vector<std::string> HidTransport::presentPaths() {
    std::vector<std::string> paths;
    if (loadHidLibrary() != ResultCode::Ok) return paths;
    try {
        bool vendorDefined = false;
        candidates(kControllerVendorId, strings_.manufacturer, kControllerProductId, strings_.product, paths,
                   vendorDefined);
    } catch (...) {
        paths.clear();
    }
    return paths;
}

ResultCode HidTransport::listControllers(std::vector<PresentController>& found) {
    found.clear();
    const ResultCode loaded = loadHidLibrary();
    if (loaded != ResultCode::Ok) return loaded;
    try {
        std::vector<std::string> paths;
        bool vendorDefined = false;
        candidates(kControllerVendorId, strings_.manufacturer, kControllerProductId, strings_.product, paths,
                   vendorDefined);
        for (const std::string& path : paths) {
            PresentController entry;
            entry.path = path;
            if (device_ && path == openPath_) {
                entry.read = identify_ ? identify_(*device_, entry.identity) : ResultCode::Exchange;
                found.push_back(std::move(entry));
                continue;
            }
            const std::string key = backend_.holdKey(path);
            ControllerHold hold;
            const bool ours = !key.empty() && hold_.held() && hold_.key() == key;
            bool denied = false;
            bool holdFailed = false;
            std::unique_ptr<HidDevice> device = holdAndOpen(path, ours ? hold_ : hold, denied, entry.busy, holdFailed);
            if (entry.busy) {
                entry.holder = heldBy_;
            } else if (holdFailed) {
                entry.read = ResultCode::NoHold;
            } else if (!device) {
                entry.read = ResultCode::Disconnected;
            } else {
                entry.read = identify_ ? identify_(*device, entry.identity) : ResultCode::Exchange;
            }
            if (entry.read == ResultCode::Ok && !entry.busy) knownSerials_[path] = entry.identity.serialNumber;
            found.push_back(std::move(entry));
        }
    } catch (...) {
        return ResultCode::Disconnected;
    }
    heldBy_ = HolderInfo{};
    return ResultCode::Ok;
}

ResultCode HidTransport::openController() {
    if (device_) return ResultCode::Ok;
    const ResultCode loaded = loadHidLibrary();
    if (loaded != ResultCode::Ok) return loaded;
    return findDevice(kControllerVendorId, strings_.manufacturer, kControllerProductId, strings_.product, device_);
}

void HidTransport::expectSerial(std::optional<uint32_t> serial) {
    if (serial == expectedSerial_) return;
    expectedSerial_ = serial;
    // The controller held already is the one expected: keep it.
    if (serial && notedSerial_ == serial) return;
    closeController();
    releaseHold();
}

void HidTransport::releaseHold() {
    hold_.release();
    notedSerial_.reset();
}

void HidTransport::noteSerial(uint32_t serial) {
    if (!openPath_.empty()) knownSerials_[openPath_] = serial;
    if (notedSerial_ == serial) return;
    notedSerial_ = serial;
    if (hold_.held()) hold_.noteSerial(serial);
}

void HidTransport::closeController() {
    device_.reset();
    openPath_.clear();
}

ResultCode HidTransport::setFeature(const uint8_t* report) {
    if (!device_) return ResultCode::Disconnected;
    try {
        if (device_->setFeature(report, kReportSize)) return ResultCode::Ok;
        failureText_ = device_->failureText();
        return ResultCode::Exchange;
    } catch (...) {
        return ResultCode::Disconnected;
    }
}

ResultCode HidTransport::getFeature(uint8_t* report) {
    if (!device_) return ResultCode::Disconnected;
    try {
        if (!device_->getFeature(report, kReportSize)) {
            failureText_ = device_->failureText();
            return ResultCode::Exchange;
        }
    } catch (...) {
        return ResultCode::Disconnected;
    }
    return report[0] == kReportId ? ResultCode::Ok : ResultCode::Exchange;
}

ResultCode HidTransport::sendReport(const uint8_t* report) {
    ResultCode code = openController();
    if (code == ResultCode::Ok) code = setFeature(report);
    if (code != ResultCode::Ok) closeController();
    return code;
}

ResultCode HidTransport::receiveReport(uint8_t* report) {
    ResultCode code = openController();
    if (code == ResultCode::Ok) code = getFeature(report);
    if (code != ResultCode::Ok) closeController();
    return code;
}

} // namespace zmt
