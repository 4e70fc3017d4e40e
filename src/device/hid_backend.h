#pragma once
// What the transport needs of a HID platform, as a run-time interface so that
// the real library (hidapi_backend.h) and the simulated controller plug in
// below the same search, open, send and fetch code.
//
// Error contract: a call that fails returns false / nullptr / an empty list.
// A call may also throw (a platform layer that raises instead of returning);
// the transport catches that and reports the controller as disconnected.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zmt {

// One HID interface present on the machine, as the enumeration lists it.
struct HidInterfaceInfo {
    std::string path;       // what open() takes
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// One open interface. Destroying it closes it.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // The device's strings as UTF-16 code units, without a terminator.
    // False when the string cannot be read.
    virtual bool manufacturerString(std::u16string& text) = 0;
    virtual bool productString(std::u16string& text) = 0;
    // Sends a feature report; report[0] is the report ID. True on success.
    virtual bool setFeature(const uint8_t* report, std::size_t length) = 0;
    // Fetches the feature report whose ID the caller put in report[0]; the
    // report ID comes back in report[0]. True on success.
    virtual bool getFeature(uint8_t* report, std::size_t length) = 0;
};

class HidBackend {
public:
    // Results of initialise(), the same numbers as the link's result codes.
    enum InitResult : int { InitOk = 0, InitLibraryFailed = 1, InitFunctionMissing = 2 };

    virtual ~HidBackend() = default;
    // Makes the library usable; may be called again after a failure.
    virtual int initialise() = 0;
    // Every HID interface present, in the platform's enumeration order.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Opens one interface for reading and writing; nullptr when it cannot.
    virtual std::unique_ptr<HidDevice> open(const std::string& path) = 0;
};

} // namespace zmt
