#include "device/hidapi_backend.h"

#include <hidapi.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zmt {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

class HidapiDevice : public HidDevice {
public:
    explicit HidapiDevice(hid_device* device) : device_(device) {}
    ~HidapiDevice() override { hid_close(device_); }

    bool setFeature(const uint8_t* report, std::size_t length) override {
        return hid_send_feature_report(device_, report, length) >= 0;
    }
    bool getFeature(uint8_t* report, std::size_t length) override {
        return hid_get_feature_report(device_, report, length) >= 0;
    }
    std::string failureText() override { return HidapiBackend::toUtf8(hid_error(device_)); }

private:
    hid_device* device_;
};

// Whether the failed open was the system refusing access; systemError is
// errno as it was right after the call.
bool accessWasDenied([[maybe_unused]] int systemError) {
#ifdef _WIN32
    return GetLastError() == ERROR_ACCESS_DENIED;
#else
    return systemError == EACCES || systemError == EPERM;
#endif
}

} // namespace

std::optional<std::u16string> HidapiBackend::toUtf16(const wchar_t* text) {
    if (text == nullptr) return std::nullopt;
    std::u16string out;
    for (; *text != 0; ++text) {
        const auto code = static_cast<uint32_t>(*text);
        if constexpr (sizeof(wchar_t) == 2) {
            out.push_back(static_cast<char16_t>(code));   // already UTF-16
        } else if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out.push_back(kReplacement);
        } else if (code > 0xFFFF) {
            const uint32_t v = code - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string HidapiBackend::toUtf8(const wchar_t* text) {
    const std::optional<std::u16string> units = toUtf16(text);
    std::string out;
    if (!units) return out;
    for (std::size_t i = 0; i < units->size(); ++i) {
        uint32_t code = (*units)[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units->size() && (*units)[i + 1] >= 0xDC00 &&
            (*units)[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + ((*units)[++i] - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;   // a lone half of a pair
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::vector<HidInterfaceInfo> HidapiBackend::entriesFrom(const hid_device_info* list) {
    std::vector<HidInterfaceInfo> found;
    for (const hid_device_info* info = list; info != nullptr; info = info->next) {
        if (info->path == nullptr) continue;
        HidInterfaceInfo entry;
        entry.path = info->path;
        entry.vendorId = info->vendor_id;
        entry.productId = info->product_id;
        entry.manufacturer = toUtf16(info->manufacturer_string);
        entry.product = toUtf16(info->product_string);
        entry.usagePage = info->usage_page;
        entry.usage = info->usage;
        entry.interfaceNumber = info->interface_number;
        found.push_back(std::move(entry));
    }
    return found;
}

HidapiBackend::~HidapiBackend() {
    if (initialised_) hid_exit();
}

int HidapiBackend::initialise() {
    if (initialised_) return InitOk;
    if (hid_init() != 0) return InitLibraryFailed;
    initialised_ = true;
    return InitOk;
}

std::vector<HidInterfaceInfo> HidapiBackend::enumerate() {
    hid_device_info* list = hid_enumerate(0, 0);
    std::vector<HidInterfaceInfo> found = entriesFrom(list);
    hid_free_enumeration(list);
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::open(const std::string& path, HidOpenFailure& failure) {
#ifdef _WIN32
    SetLastError(0);
#else
    errno = 0;
#endif
    hid_device* device = hid_open_path(path.c_str());
    if (device != nullptr) return std::make_unique<HidapiDevice>(device);
    const int systemError = errno;
    failure.denied = accessWasDenied(systemError);
    // hidapi does not describe every failed open (a node that does not
    // answer as a hidraw node leaves its "no error" text): then the
    // system's own words say why.
    failure.reason = toUtf8(hid_error(nullptr));
    if (failure.reason.empty() || failure.reason == "Success")
        failure.reason = "open " + path + ": " + (systemError != 0 ? std::strerror(systemError) : "failed");
    return nullptr;
}

} // namespace zmt
