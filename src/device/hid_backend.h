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
#include <optional>
#include <string>
#include <vector>

namespace zmt {

// One HID interface present on the machine, as the enumeration lists it.
// Everything the search matches on comes with the entry, as hidapi's own
// hid_open matches: opening an interface only to read its strings fails on
// some systems and costs a device round trip on every poll.
struct HidInterfaceInfo {
    std::string path;       // what open() takes
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    // UTF-16 code units without a terminator; nullopt when the platform could
    // not read the string.
    std::optional<std::u16string> manufacturer;
    std::optional<std::u16string> product;
    // The top-level collection this entry stands for (0 when the platform
    // does not tell) and the USB interface it belongs to (-1 when unknown).
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    int interfaceNumber = -1;
};

// Why open() gave no device.
struct HidOpenFailure {
    bool denied = false;    // the system refused access (a permission problem)
    std::string reason;     // the platform library's own words, for the log
};

// One open interface. Destroying it closes it.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Sends a feature report; report[0] is the report ID. True on success.
    virtual bool setFeature(const uint8_t* report, std::size_t length) = 0;
    // Fetches the feature report whose ID the caller put in report[0]; the
    // report ID comes back in report[0]. True on success.
    virtual bool getFeature(uint8_t* report, std::size_t length) = 0;
    // The platform library's words for the last failed call, for the log;
    // empty when it has none.
    virtual std::string failureText() { return {}; }
};

class HidBackend {
public:
    // Results of initialise(); the transport turns a failure into
    // ResultCode::HidLoad.
    enum InitResult { InitOk, InitLibraryFailed };

    virtual ~HidBackend() = default;
    // Makes the library usable; may be called again after a failure.
    virtual InitResult initialise() = 0;
    // Every HID interface present, in the platform's enumeration order.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Opens one interface for reading and writing; nullptr when it cannot,
    // with the reason in failure.
    virtual std::unique_ptr<HidDevice> open(const std::string& path, HidOpenFailure& failure) = 0;
    // What names the interface at path for the hold other programs respect
    // (controller_hold.h), or "" when no other program can reach it (a
    // simulated controller lives inside its program; its state file is held
    // instead).
    virtual std::string holdKey(const std::string& path) { (void)path; return {}; }
    // True when the hold is taken on the device the key names (a real
    // interface, which every user of the machine meets); false when it is a
    // lock file named after the key.
    virtual bool holdsOnDevice() const { return false; }
};

} // namespace zmt
