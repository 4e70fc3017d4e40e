#include "device/hidapi_backend.h"

#include <hidapi.h>

#include <cerrno>
#include <cstring>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zmt {

// The hidapi calls the backend makes. On Linux the library (and the udev
// library under it) is loaded when the first search needs it rather than
// with the program: the first window shows sooner, and a run with the
// simulated controller, or a zmtctl command that opens no controller, never
// loads it. On Windows the DLL comes with the program.
struct HidapiBackend::Calls {
    decltype(&hid_init) init = nullptr;
    decltype(&hid_exit) exit = nullptr;
    decltype(&hid_enumerate) enumerate = nullptr;
    decltype(&hid_free_enumeration) freeEnumeration = nullptr;
    decltype(&hid_open_path) openPath = nullptr;
    decltype(&hid_close) close = nullptr;
    decltype(&hid_send_feature_report) sendFeatureReport = nullptr;
    decltype(&hid_get_feature_report) getFeatureReport = nullptr;
    decltype(&hid_error) error = nullptr;
};

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Null when the library or one of its calls is missing.
std::unique_ptr<HidapiBackend::Calls> loadCalls([[maybe_unused]] const char* library) {
    auto calls = std::make_unique<HidapiBackend::Calls>();
#ifdef _WIN32
    *calls = {&hid_init,  &hid_exit,  &hid_enumerate,         &hid_free_enumeration, &hid_open_path,
              &hid_close, &hid_send_feature_report, &hid_get_feature_report, &hid_error};
#else
    // Never unloaded: the library keeps its udev context until the process ends.
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    auto take = [handle](auto& call, const char* name) {
        call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(dlsym(handle, name));
        return call != nullptr;
    };
    const bool complete = take(calls->init, "hid_init") && take(calls->exit, "hid_exit") &&
                          take(calls->enumerate, "hid_enumerate") &&
                          take(calls->freeEnumeration, "hid_free_enumeration") &&
                          take(calls->openPath, "hid_open_path") && take(calls->close, "hid_close") &&
                          take(calls->sendFeatureReport, "hid_send_feature_report") &&
                          take(calls->getFeatureReport, "hid_get_feature_report") && take(calls->error, "hid_error");
    if (!complete) return nullptr;
#endif
    return calls;
}

class HidapiDevice : public HidDevice {
public:
    HidapiDevice(const HidapiBackend::Calls& calls, hid_device* device) : calls_(calls), device_(device) {}
    ~HidapiDevice() override { calls_.close(device_); }

    bool setFeature(const uint8_t* report, std::size_t length) override {
        return calls_.sendFeatureReport(device_, report, length) >= 0;
    }
    bool getFeature(uint8_t* report, std::size_t length) override {
        return calls_.getFeatureReport(device_, report, length) >= 0;
    }
    std::string failureText() override { return HidapiBackend::toUtf8(calls_.error(device_)); }

private:
    const HidapiBackend::Calls calls_;   // a copy: the handle may outlive its backend
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

HidapiBackend::HidapiBackend(const char* library) : library_(library) {}

HidapiBackend::~HidapiBackend() {
    if (initialised_) calls_->exit();
}

HidBackend::InitResult HidapiBackend::initialise() {
    if (initialised_) return InitOk;
    if (!calls_) calls_ = loadCalls(library_);
    if (!calls_ || calls_->init() != 0) return InitLibraryFailed;
    initialised_ = true;
    return InitOk;
}

std::vector<HidInterfaceInfo> HidapiBackend::enumerate() {
    // As hidapi itself does, a search before initialise() initialises.
    if (initialise() != InitOk) return {};
    hid_device_info* list = calls_->enumerate(0, 0);
    std::vector<HidInterfaceInfo> found = entriesFrom(list);
    calls_->freeEnumeration(list);
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::open(const std::string& path, HidOpenFailure& failure) {
#ifdef _WIN32
    SetLastError(0);
#else
    errno = 0;
#endif
    if (initialise() != InitOk) {
        failure.reason = "open " + path + ": the HID library could not be loaded";
        return nullptr;
    }
    hid_device* device = calls_->openPath(path.c_str());
    if (device != nullptr) return std::make_unique<HidapiDevice>(*calls_, device);
    const int systemError = errno;
    failure.denied = accessWasDenied(systemError);
    // hidapi does not describe every failed open (a node that does not
    // answer as a hidraw node leaves its "no error" text): then the
    // system's own words say why.
    failure.reason = toUtf8(calls_->error(nullptr));
    if (failure.reason.empty() || failure.reason == "Success")
        failure.reason = "open " + path + ": " + (systemError != 0 ? std::strerror(systemError) : "failed");
    return nullptr;
}

std::unique_ptr<HidBackend> makeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

} // namespace zmt
