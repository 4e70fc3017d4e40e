#pragma once
// The lowest layer above the HID platform: finds the controller among the HID
// interfaces present, keeps one open handle to it, and moves 70-byte feature
// reports with report ID 1. It knows nothing of commands or check bytes.
// One object owns the handle and the bound flag; the link is its only user
// apart from the shutdown path, which calls closeController().
#include "device/controller_hold.h"
#include "device/hid_backend.h"
#include "device/identity.h"
#include "device/result_code.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmt {

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

// One controller interface the search found, for the list of controllers
// present (zmtctl list, the window's choice of controller).
struct PresentController {
    std::string path;
    // Another program holds it: it was not asked anything; holder.serial
    // names it when that program has read it.
    bool busy = false;
    HolderInfo holder;
    // Its identity, read when it is not busy (result of that read in read).
    IdentityBlock identity;
    ResultCode read = ResultCode::Ok;

    // The serial that names it, when known.
    std::optional<uint32_t> serial() const;
};

class HidTransport {
public:
    // Reads the identity over an interface just opened, before anything else
    // is sent to it (the link provides it: the frame is its business).
    using Identify = std::function<ResultCode(HidDevice& device, IdentityBlock& identity)>;

    explicit HidTransport(HidBackend& backend, ControllerStrings strings = {}) : backend_(backend), strings_(strings) {}
    ~HidTransport() { closeController(); }
    HidTransport(const HidTransport&) = delete;
    HidTransport& operator=(const HidTransport&) = delete;

    // Ok, or HidLoad when the library cannot be made usable; retried on the
    // next call until it succeeds once.
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
    // Ok with the open device, or Disconnected (none found) / Exchange (the
    // last entry with matching IDs had an unreadable string).
    //
    // Several controllers: each is held (controller_hold.h) before it is
    // opened, and one held by another program is passed over (Held, "busy",
    // when nothing else qualifies; heldBy() says by whom). With a serial
    // expected, each controller opened is asked its identity and only that
    // serial is kept (Disconnected when it is not present; SameSerial when two interfaces
    // answer with it, sameSerialPaths() naming them: writing to whichever
    // came first could be the wrong one). A hold that cannot be taken (not
    // a busy one) stops the search: NoHold, holdFailure() says why. With none expected and more
    // than one vendor-defined interface present, nothing is opened: Several, the
    // caller must choose. One controller present costs what it always did.
    ResultCode findDevice(uint16_t vendorId, const char* manufacturer, uint16_t productId,
                          const char* product, std::unique_ptr<HidDevice>& device);
    // Ok at once while a handle is held; otherwise binds and searches.
    ResultCode openController();
    // Drops the handle; the hold stays until releaseHold(), so that no other
    // program slips in between two operations of ours.
    void closeController();

    // The controller this transport talks to, by its serial; nullopt: the
    // only one present, whichever it is. Expecting another serial than the
    // open one drops the handle (and the hold).
    void expectSerial(std::optional<uint32_t> serial);
    std::optional<uint32_t> expectedSerial() const { return expectedSerial_; }
    void setIdentify(Identify identify) { identify_ = std::move(identify); }
    // Lets others have the controller again (zmtsetup when it is gone, or
    // when another one is chosen; zmtctl at its end).
    void releaseHold();
    bool holding() const { return hold_.held(); }
    // Records the serial read from the controller behind the handle (in its
    // hold too, so that others can name what is busy); expecting that serial
    // then keeps the handle.
    void noteSerial(uint32_t serial);
    // Who holds the controller the last search had to pass over.
    const HolderInfo& heldBy() const { return heldBy_; }
    // Why the last search could not take the hold on a controller
    // (ResultCode::NoHold; controller_hold.h), in the current language.
    const std::string& holdFailure() const { return holdFailure_; }
    // The interfaces that answered with the expected serial when the last
    // search found it on more than one (ResultCode::SameSerial).
    const std::vector<std::string>& sameSerialPaths() const { return sameSerialPaths_; }

    // Every controller present, each through its vendor-defined interface,
    // in the platform's order, with its identity (one identity read each;
    // the one this transport holds is read over its own handle). Busy ones
    // are listed unread. Ok, or the library's failure.
    ResultCode listControllers(std::vector<PresentController>& found);
    // The interfaces a search would consider, from the platform's list
    // alone: nothing is opened or asked (cheap enough for a timer).
    std::vector<std::string> presentPaths();
    bool isOpen() const { return device_ != nullptr; }
    // True when the last search found no controller but passed over the
    // controller's interface because the system refused access (on Linux a
    // /dev/hidraw node the user may not open). The result code stays Disconnected as
    // ever; this only lets the shells explain how to grant access. Any other
    // reason an open or a report failed is kept in failureText().
    bool openDenied() const { return openDenied_; }
    // The platform's words for the last failure of a search or a report
    // transfer (not a refused access); empty after a clean search.
    const std::string& failureText() const { return failureText_; }

    // One report on the held handle: Ok, or Exchange when the platform call
    // fails or the fetched report is not report 1. A thrown platform failure
    // gives Disconnected.
    ResultCode setFeature(const uint8_t* report);
    ResultCode getFeature(uint8_t* report);
    // The interface of the open handle ("" when none is open).
    const std::string& openPath() const { return openPath_; }

    // openController + setFeature / getFeature; any failure drops the handle
    // so that the next operation searches afresh.
    ResultCode sendReport(const uint8_t* report);
    ResultCode receiveReport(uint8_t* report);

private:
    // The interfaces that may be controllers: matching IDs and strings, the
    // vendor-defined ones when any is (vendorDefined), each path once.
    ResultCode candidates(uint16_t vendorId, const char* manufacturer, uint16_t productId, const char* product,
                          std::vector<std::string>& paths, bool& vendorDefined);
    // How many of the interfaces open (or are kept from us by the system):
    // the controllers to choose from. The others leave paths.
    std::size_t reachable(std::vector<std::string>& paths);
    // Another of paths that answers with the expected serial, by what is
    // known of them; with askUnknown the ones not known yet are asked.
    std::optional<std::string> anotherWithSerial(const std::string& found, const std::vector<std::string>& paths,
                                                 bool askUnknown);
    // Holds and opens one interface; false (with the reason noted) when busy
    // or it will not open.
    std::unique_ptr<HidDevice> holdAndOpen(const std::string& path, ControllerHold& hold, bool& denied,
                                           bool& busy, bool& holdFailed);

    HidBackend& backend_;
    ControllerStrings strings_;
    Identify identify_;
    std::optional<uint32_t> expectedSerial_;
    std::optional<uint32_t> notedSerial_;
    ControllerHold hold_;
    HolderInfo heldBy_;
    std::string openPath_;
    std::string lastPath_;
    // The serial each interface answered with, while it stays on the bus.
    std::map<std::string, uint32_t> knownSerials_;
    bool bound_ = false;
    bool openDenied_ = false;
    std::string failureText_;
    std::string holdFailure_;
    std::vector<std::string> sameSerialPaths_;
    std::unique_ptr<HidDevice> device_;
};

} // namespace zmt
