// What HidapiBackend makes of hidapi's enumeration list, and the search over
// it, with the list built by hand: no device and no umockdev needed.
#include "device/hid_transport.h"
#include "device/hidapi_backend.h"
#include "device/protocol.h"

#include <hidapi.h>

#include <gtest/gtest.h>

namespace zmt::test {
namespace {

// hidapi's list, element by element, as its enumeration hands it over.
class HandMadeList {
public:
    hid_device_info& add(const char* path, const wchar_t* manufacturer, const wchar_t* product,
                         unsigned short usagePage, int interfaceNumber, unsigned short productId = 0x2013) {
        auto* info = new hid_device_info{};
        info->path = path ? const_cast<char*>(path) : nullptr;
        info->vendor_id = 0xFFFF;
        info->product_id = productId;
        info->manufacturer_string = const_cast<wchar_t*>(manufacturer);
        info->product_string = const_cast<wchar_t*>(product);
        info->usage_page = usagePage;
        info->usage = 1;
        info->interface_number = interfaceNumber;
        (last_ ? last_->next : first_) = info;
        last_ = info;
        return *info;
    }
    ~HandMadeList() {
        while (first_) {
            hid_device_info* next = first_->next;
            delete first_;
            first_ = next;
        }
    }
    const hid_device_info* first() const { return first_; }

private:
    hid_device_info* first_ = nullptr;
    hid_device_info* last_ = nullptr;
};

TEST(HidapiBackendEntries, CarryEverythingTheSearchMatchesOnInOrder) {
    HandMadeList list;
    list.add("/dev/hidraw0", L"ZEL", L"MORVA-TOUCH", 0x01, 0);
    list.add(nullptr, L"ZEL", L"MORVA-TOUCH", 0xFF00, 1);     // no path: nothing to open
    list.add("/dev/hidraw1", nullptr, L"MORVA-TOUCH", 0xFF00, 1, 0x1234);
    const std::vector<HidInterfaceInfo> entries = HidapiBackend::entriesFrom(list.first());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "/dev/hidraw0");
    EXPECT_EQ(entries[0].manufacturer, u"ZEL");
    EXPECT_EQ(entries[0].product, u"MORVA-TOUCH");
    EXPECT_EQ(entries[0].usagePage, 0x01);
    EXPECT_EQ(entries[0].interfaceNumber, 0);
    EXPECT_EQ(entries[1].productId, 0x1234);
    EXPECT_EQ(entries[1].manufacturer, std::nullopt) << "a string hidapi could not read";
    EXPECT_EQ(entries[1].usagePage, 0xFF00);
    EXPECT_TRUE(HidapiBackend::entriesFrom(nullptr).empty());
}

TEST(HidapiBackendStrings, WideTextBecomesUtf16AndUtf8) {
    struct Case { std::wstring wide; std::u16string utf16; std::string utf8; };
    std::vector<Case> cases = {
        {L"ZEL", u"ZEL", "ZEL"},
        {L"\u00E9\u0417", u"\u00E9\u0417", "\xC3\xA9\xD0\x97"},
        {L"", u"", ""},
    };
    if constexpr (sizeof(wchar_t) == 4) {   // hidapi's UTF-32 outside Windows
        cases.push_back({std::wstring(1, static_cast<wchar_t>(0x1F600)), u"\U0001F600", "\xF0\x9F\x98\x80"});
        // Not characters: out of range, or half of a UTF-16 pair on its own.
        cases.push_back({std::wstring(1, static_cast<wchar_t>(0x110000)), u"\uFFFD", "\xEF\xBF\xBD"});
        cases.push_back({std::wstring(1, static_cast<wchar_t>(0xD800)) + L"A", u"\uFFFDA", "\xEF\xBF\xBD" "A"});
    }
    for (const Case& c : cases) {
        EXPECT_EQ(HidapiBackend::toUtf16(c.wide.c_str()), c.utf16);
        EXPECT_EQ(HidapiBackend::toUtf8(c.wide.c_str()), c.utf8);
    }
    EXPECT_EQ(HidapiBackend::toUtf16(nullptr), std::nullopt);
    EXPECT_EQ(HidapiBackend::toUtf8(nullptr), "");
}

// The search over converted entries: a composite controller on Linux lists
// one entry per top-level collection, several with one node's path.
class ListBackend : public HidBackend {
public:
    explicit ListBackend(const hid_device_info* list) : entries_(HidapiBackend::entriesFrom(list)) {}
    InitResult initialise() override { return InitOk; }
    std::vector<HidInterfaceInfo> enumerate() override { return entries_; }
    std::unique_ptr<HidDevice> open(const std::string& path, HidOpenFailure&) override {
        opened.push_back(path);
        return std::make_unique<Device>();
    }
    std::vector<std::string> opened;

private:
    struct Device : HidDevice {
        bool setFeature(const uint8_t*, std::size_t) override { return true; }
        bool getFeature(uint8_t*, std::size_t) override { return true; }
    };
    std::vector<HidInterfaceInfo> entries_;
};

TEST(HidapiBackendEntries, CompositeControllerIsOpenedOnceThroughItsVendorCollection) {
    HandMadeList list;
    list.add("/dev/hidraw0", L"ZEL", L"MORVA-TOUCH", 0x01, 0);     // keyboard
    list.add("/dev/hidraw1", L"ZEL", L"MORVA-TOUCH", 0x0C, 1);     // consumer
    list.add("/dev/hidraw1", L"ZEL", L"MORVA-TOUCH", 0x01, 1);     // system control
    list.add("/dev/hidraw2", L"ACME", L"MORVA-TOUCH", 0xFF00, 0);  // an impostor's own collection
    list.add("/dev/hidraw1", L"ZEL", L"MORVA-TOUCH", 0xFF00, 1);   // ours
    ListBackend backend(list.first());
    HidTransport transport(backend);
    ASSERT_EQ(transport.openController(), ResultCode::Ok);
    EXPECT_EQ(backend.opened, (std::vector<std::string>{"/dev/hidraw1"}));
}

#ifndef _WIN32
// The library is loaded at the first search. Without it nothing is called
// through a missing function: the search says the HID library could not be
// loaded, and the backend answers empty.
TEST(HidapiBackendLoading, AMissingLibraryIsTheHidLoadErrorNotACrash) {
    HidapiBackend backend("libzmt-no-such-hidapi.so.0");
    EXPECT_EQ(backend.initialise(), HidBackend::InitLibraryFailed);
    EXPECT_EQ(backend.initialise(), HidBackend::InitLibraryFailed) << "asked again, it fails again";
    EXPECT_TRUE(backend.enumerate().empty());
    HidOpenFailure failure;
    EXPECT_EQ(backend.open("/dev/hidraw0", failure), nullptr);
    EXPECT_FALSE(failure.reason.empty());
    EXPECT_FALSE(failure.denied);

    HidTransport transport(backend);
    EXPECT_EQ(transport.openController(), ResultCode::HidLoad);
}

TEST(HidapiBackendLoading, TheInstalledLibraryLoadsByItsName) {
    HidapiBackend backend;
    EXPECT_EQ(backend.initialise(), HidBackend::InitOk);
    EXPECT_EQ(backend.initialise(), HidBackend::InitOk);
}
#endif

} // namespace
} // namespace zmt::test
