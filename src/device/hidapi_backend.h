#pragma once
// HidBackend over the hidapi library (hidraw on Linux, HID.DLL/SetupAPI on
// Windows). Everything platform-specific stays in hidapi_backend.cpp.
#include "device/hid_backend.h"

#include <memory>
#include <string>
#include <vector>

struct hid_device_info;

namespace zmt {

class HidapiBackend : public HidBackend {
public:
    // The library loaded by the first initialise() (Linux; on Windows the
    // DLL is linked and the name is not used).
    static constexpr const char* kLibrary = "libhidapi-hidraw.so.0";
    explicit HidapiBackend(const char* library = kLibrary);
    ~HidapiBackend() override;
    InitResult initialise() override;
    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const std::string& path, HidOpenFailure& failure) override;
    // The interface path: the same node for every program on the machine.
    std::string holdKey(const std::string& path) override { return path; }
    bool holdsOnDevice() const override { return true; }

    // What enumerate() makes of hidapi's list: one entry per element, in its
    // order, strings converted, elements without a path left out.
    static std::vector<HidInterfaceInfo> entriesFrom(const hid_device_info* list);
    // hidapi's wide strings (UTF-16 on Windows, UTF-32 elsewhere) as UTF-16;
    // a null string is nullopt, a value that is no character becomes U+FFFD.
    static std::optional<std::u16string> toUtf16(const wchar_t* text);
    // The same as UTF-8, for log lines; null gives "".
    static std::string toUtf8(const wchar_t* text);

    struct Calls;

private:
    const char* library_;
    std::unique_ptr<Calls> calls_;   // null until loaded
    bool initialised_ = false;
};

// The backend the programs reach real controllers with (what a DeviceStack
// is given to make when not simulated). Defined beside the backend, so
// whatever links hidapi links this too.
std::unique_ptr<HidBackend> makeHidapiBackend();

} // namespace zmt
