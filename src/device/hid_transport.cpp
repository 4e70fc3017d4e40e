#include "device/hid_transport.h"

#include "device/protocol.h"

#include <cstring>

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
    if (result != HidBackend::InitOk)
        return result == HidBackend::InitFunctionMissing ? errHidFunction : errHidLoad;
    bound_ = true;
    return errNone;
}

ResultCode HidTransport::findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                                    const char* product, std::unique_ptr<HidDevice>& device) {
    device.reset();
    openDenied_ = false;
    bool denied = false;
    ResultCode provisional = errDisconnected;
    try {
        for (const HidInterfaceInfo& info : backend_.enumerate()) {
            // Interfaces with other IDs are passed over without being opened:
            // the search runs on every poll while the controller is away.
            if (info.vendorId != vendorId || info.productId != productId) continue;
            std::unique_ptr<HidDevice> candidate = backend_.open(info.path);
            if (!candidate) {
                denied = true;
                continue;
            }
            provisional = errDisconnected;
            if (manufacturer == nullptr || product == nullptr) {
                device = std::move(candidate);
                return errNone;
            }
            std::u16string text;
            if (!candidate->manufacturerString(text)) {
                provisional = errExchange;
                continue;
            }
            if (utf16ToNarrow(text) != manufacturer) continue;
            text.clear();
            if (!candidate->productString(text)) {
                provisional = errExchange;
                continue;
            }
            if (utf16ToNarrow(text) != product) continue;
            device = std::move(candidate);
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
    return findDevice(kControllerVendorId, kControllerManufacturer, kControllerProductId,
                      kControllerProduct, device_);
}

void HidTransport::closeController() { device_.reset(); }

ResultCode HidTransport::setFeature(const uint8_t* report) {
    if (!device_) return errDisconnected;
    try {
        return device_->setFeature(report, kReportSize) ? errNone : errExchange;
    } catch (...) {
        return errDisconnected;
    }
}

ResultCode HidTransport::getFeature(uint8_t* report) {
    if (!device_) return errDisconnected;
    try {
        if (!device_->getFeature(report, kReportSize)) return errExchange;
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
