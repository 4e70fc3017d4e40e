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
    if (bound_) return errNone;
    int result = errHidLoad;
    try {
        result = backend_.initialise();
    } catch (...) {
        result = errHidLoad;
    }
    if (result != HidBackend::InitOk) return errHidLoad;
    bound_ = true;
    return errNone;
}

ResultCode HidTransport::findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                                    const char* product, std::unique_ptr<HidDevice>& device) {
    device.reset();
    openDenied_ = false;
    failureText_.clear();
    bool denied = false;
    ResultCode provisional = errDisconnected;
    try {
        const std::vector<HidInterfaceInfo> entries = backend_.enumerate();
        std::vector<const HidInterfaceInfo*> matches;
        for (const HidInterfaceInfo& info : entries) {
            if (info.vendorId != vendorId || info.productId != productId) continue;
            provisional = errDisconnected;
            if (manufacturer != nullptr && product != nullptr) {
                if (!info.manufacturer) {
                    provisional = errExchange;
                    continue;
                }
                if (utf16ToNarrow(*info.manufacturer) != manufacturer) continue;
                if (!info.product) {
                    provisional = errExchange;
                    continue;
                }
                if (utf16ToNarrow(*info.product) != product) continue;
            }
            matches.push_back(&info);
        }
        const bool anyVendorDefined = std::any_of(matches.begin(), matches.end(), [](const HidInterfaceInfo* info) {
            return info->usagePage >= kVendorUsagePageFirst;
        });
        std::vector<std::string> tried;
        for (const HidInterfaceInfo* info : matches) {
            if (anyVendorDefined && info->usagePage < kVendorUsagePageFirst) continue;
            // One node may carry several collections, listed once each.
            if (std::find(tried.begin(), tried.end(), info->path) != tried.end()) continue;
            tried.push_back(info->path);
            HidOpenFailure failure;
            std::unique_ptr<HidDevice> candidate = backend_.open(info->path, failure);
            if (!candidate) {
                if (failure.denied) denied = true;
                else failureText_ = failure.reason;
                continue;
            }
            device = std::move(candidate);
            failureText_.clear();
            return errNone;
        }
    } catch (...) {
        device.reset();
        return errDisconnected;
    }
    openDenied_ = denied;
    return provisional;
}

ResultCode HidTransport::openController() {
    if (device_) return errNone;
    const ResultCode loaded = loadHidLibrary();
    if (loaded != errNone) return loaded;
    return findDevice(kControllerVendorId, strings_.manufacturer, kControllerProductId, strings_.product, device_);
}

void HidTransport::closeController() { device_.reset(); }

ResultCode HidTransport::setFeature(const uint8_t* report) {
    if (!device_) return errDisconnected;
    try {
        if (device_->setFeature(report, kReportSize)) return errNone;
        failureText_ = device_->failureText();
        return errExchange;
    } catch (...) {
        return errDisconnected;
    }
}

ResultCode HidTransport::getFeature(uint8_t* report) {
    if (!device_) return errDisconnected;
    try {
        if (!device_->getFeature(report, kReportSize)) {
            failureText_ = device_->failureText();
            return errExchange;
        }
    } catch (...) {
        return errDisconnected;
    }
    return report[0] == kReportId ? errNone : errExchange;
}

ResultCode HidTransport::sendReport(const uint8_t* report) {
    ResultCode code = openController();
    if (code == errNone) code = setFeature(report);
    if (code != errNone) closeController();
    return code;
}

ResultCode HidTransport::receiveReport(uint8_t* report) {
    ResultCode code = openController();
    if (code == errNone) code = getFeature(report);
    if (code != errNone) closeController();
    return code;
}

} // namespace zmt
