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
// Usage pages 0xFF00 to 0xFFFF are the vendor's own.
inline constexpr uint16_t kVendorUsagePageFirst = 0xFF00;

// UTF-16 to 8-bit text: units below 256 become that byte, any other unit "?",
// the first zero unit ends the text.
std::string utf16ToNarrow(const std::u16string& text);

// The strings a controller's interface carries. Always the ones above in the
// programs; a platform that reports other strings for every device (Wine
// names the manufacturer of every hidraw node "hidraw") is searched with its
// own by the tests that run there.
struct ControllerStrings {
    const char* manufacturer = kControllerManufacturer;
    const char* product = kControllerProduct;
};

class HidTransport {
public:
    explicit HidTransport(HidBackend& backend, ControllerStrings strings = {}) : backend_(backend), strings_(strings) {}
    ~HidTransport() { closeController(); }
    HidTransport(const HidTransport&) = delete;
    HidTransport& operator=(const HidTransport&) = delete;

    // 0, or 1 / 2 when the library cannot be made usable; retried on the next
    // call until it succeeds once.
    ResultCode loadHidLibrary();
    // Searches the interfaces the platform lists, in its order, on what each
    // entry carries: IDs first, then the manufacturer and product strings
    // byte for byte (a null text accepts any string). Among the entries that
    // match, the controller's own interface is the one in a vendor-defined
    // collection (usage page 0xFF00 to 0xFFFF): that is where feature report 1
    // lives, while the keyboard, consumer and system-control collections the
    // controller shows the head unit sit on standard pages. When no match is
    // vendor-defined (a platform that does not tell the page) every match
    // qualifies. The first qualifying entry that opens wins.
    // 0 with the open device, or 4 (none found) / 3 (the last entry with
    // matching IDs had an unreadable string).
    ResultCode findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                          const char* product, std::unique_ptr<HidDevice>& device);
    // 0 at once while a handle is held; otherwise binds and searches.
    ResultCode openController();
    void closeController();
    bool isOpen() const { return device_ != nullptr; }
    // True when the last search found no controller but passed over the
    // controller's interface because the system refused access (on Linux a
    // /dev/hidraw node the user may not open). The result code stays 4 as
    // ever; this only lets the shells explain how to grant access. Any other
    // reason an open or a report failed is kept in failureText().
    bool openDenied() const { return openDenied_; }
    // The platform's words for the last failure of a search or a report
    // transfer (not a refused access); empty after a clean search.
    const std::string& failureText() const { return failureText_; }

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
    ControllerStrings strings_;
    bool bound_ = false;
    bool openDenied_ = false;
    std::string failureText_;
    std::unique_ptr<HidDevice> device_;
};

} // namespace zmt
