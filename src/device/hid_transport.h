#pragma once
// The lowest layer above the HID platform: finds the controller among the HID
// interfaces present, keeps one open handle to it, and moves 70-byte feature
// reports with report ID 1. It knows nothing of commands or check bytes.
// One object owns the handle and the bound flag; the link is its only user
// apart from the shutdown path, which calls closeController().
#include "device/hid_backend.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zmt {

using ResultCode = int;

inline constexpr uint16_t kControllerVendorId = 0xFFFF;
inline constexpr uint16_t kControllerProductId = 0x2013;
inline constexpr const char* kControllerManufacturer = "ZEL";
inline constexpr const char* kControllerProduct = "MORVA-TOUCH";
inline constexpr std::size_t kReportSize = 70;
inline constexpr uint8_t kReportId = 1;

// UTF-16 to 8-bit text: units below 256 become that byte, any other unit "?",
// the first zero unit ends the text.
std::string utf16ToNarrow(const std::u16string& text);

class HidTransport {
public:
    explicit HidTransport(HidBackend& backend) : backend_(backend) {}
    ~HidTransport() { closeController(); }
    HidTransport(const HidTransport&) = delete;
    HidTransport& operator=(const HidTransport&) = delete;

    // 0, or 1 / 2 when the library cannot be made usable; retried on the next
    // call until it succeeds once.
    ResultCode loadHidLibrary();
    // Searches the interfaces present: IDs first (no string read for a
    // mismatch), then the manufacturer and product strings byte for byte;
    // a null text accepts any string without reading it. First match wins.
    // 0 with the open device, or 4 (none found) / 3 (the last device with
    // matching IDs had an unreadable string).
    ResultCode findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                          const char* product, std::unique_ptr<HidDevice>& device);
    // 0 at once while a handle is held; otherwise binds and searches.
    ResultCode openController();
    void closeController();
    bool isOpen() const { return device_ != nullptr; }
    // True when the last search found no controller but passed over an
    // interface with the controller's IDs that refused to open (on Linux a
    // /dev/hidraw node the user may not access). The result code stays 4 as
    // ever; this only lets the shells explain how to grant access.
    bool openDenied() const { return openDenied_; }

    // One report on the held handle: 0, or 3 when the platform call fails or
    // the fetched report is not report 1. A thrown platform failure gives 4.
    ResultCode setFeature(const uint8_t* report);
    ResultCode getFeature(uint8_t* report);
    // openController + setFeature / getFeature; any failure drops the handle
    // so that the next operation searches afresh.
    ResultCode sendReport(const uint8_t* report);
    ResultCode receiveReport(uint8_t* report);

private:
    HidBackend& backend_;
    bool bound_ = false;
    bool openDenied_ = false;
    std::unique_ptr<HidDevice> device_;
};

} // namespace zmt
