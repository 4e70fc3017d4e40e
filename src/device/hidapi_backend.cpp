#include "device/hidapi_backend.h"

#include <hidapi.h>

#include <cwchar>

namespace zmt {

namespace {

// hidapi hands strings over as wchar_t: UTF-16 on Windows, UTF-32 elsewhere.
std::u16string toUtf16(const wchar_t* text) {
    std::u16string out;
    for (; text != nullptr && *text != 0; ++text) {
        const auto code = static_cast<uint32_t>(*text);
        if (code > 0xFFFF) {
            const uint32_t v = code - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

// The same 512-byte buffer the strings have always been read into.
constexpr std::size_t kStringUnits = 512 / sizeof(wchar_t);

class HidapiDevice : public HidDevice {
public:
    explicit HidapiDevice(hid_device* device) : device_(device) {}
    ~HidapiDevice() override { hid_close(device_); }

    bool manufacturerString(std::u16string& text) override {
        wchar_t buffer[kStringUnits] = {};
        if (hid_get_manufacturer_string(device_, buffer, kStringUnits) != 0) return false;
        buffer[kStringUnits - 1] = 0;
        text = toUtf16(buffer);
        return true;
    }
    bool productString(std::u16string& text) override {
        wchar_t buffer[kStringUnits] = {};
        if (hid_get_product_string(device_, buffer, kStringUnits) != 0) return false;
        buffer[kStringUnits - 1] = 0;
        text = toUtf16(buffer);
        return true;
    }
    bool setFeature(const uint8_t* report, std::size_t length) override {
        return hid_send_feature_report(device_, report, length) >= 0;
    }
    bool getFeature(uint8_t* report, std::size_t length) override {
        return hid_get_feature_report(device_, report, length) >= 0;
    }

private:
    hid_device* device_;
};

} // namespace

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
    std::vector<HidInterfaceInfo> found;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info != nullptr; info = info->next) {
        if (info->path == nullptr) continue;
        found.push_back({info->path, info->vendor_id, info->product_id});
    }
    hid_free_enumeration(list);
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::open(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) return nullptr;
    return std::make_unique<HidapiDevice>(device);
}

} // namespace zmt
