// The Windows build's device code over the real HidapiBackend: hidapi's
// Windows backend (SetupAPI, hid.dll) under Wine, whose HID bus reads the
// hidraw node that the Linux test bed (hidraw-testbed) answers with the
// simulated controller. hid_wine_test.sh runs this program inside the bed,
// the WineHidPlain tests with the controller as one interface and the
// WineHidComposite ones with its keyboard, consumer and system-control
// collections listed too, each a HID device of its own as on Windows.
//
// The controller lives in the bed's process on the bed's real clock, so what
// the controller does by itself (its restart after a full write, noticing a
// pulled cable) is waited for as a condition, never for a fixed time; the
// program side runs on the virtual clock as everywhere else.
#include "controller_chain.h"
#include "device/device_notifications.h"
#include "device/hidapi_backend.h"
#include "lang/lang.h"
#include "sim/simulated_controller.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace zmt::test {
namespace {

// What Wine reports for every hidraw node: a fixed manufacturer string, and
// the kernel's HID name (manufacturer and product) as the product string.
// The exact match of the real strings is covered by the Linux tests.
constexpr ControllerStrings kWineStrings{"hidraw", "ZEL MORVA-TOUCH"};
constexpr uint16_t kWineVendorId = 0x845E;   // Wine's own HID mouse and keyboard

// Polls done() until it holds or seconds pass: the bed and Wine act in
// their own time.
bool eventually(const std::function<bool()>& done, int seconds = 20) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

class WineHid : public ::testing::Test, protected ControllerChain<HidapiBackend> {
protected:
    WineHid() : ControllerChain(kWineStrings) { setLanguage("en"); }
    ~WineHid() override {
        transport.closeController();
        setCable(true);
        setLanguage("ru");
    }

    // The bed pulls the cable while its cable file exists; Wine reaches the
    // Linux file system through drive Z:.
    static void setCable(bool in) {
        const char* file = std::getenv("ZMT_TESTBED_CABLE");
        ASSERT_NE(file, nullptr) << "run by hid_wine_test.sh, inside the test bed";
        const std::string path = std::string("Z:") + file;
        if (in) {
            std::remove(path.c_str());
        } else if (FILE* f = std::fopen(path.c_str(), "w")) {
            std::fclose(f);
        }
    }
    bool connected() { return watch.pollController() == ResultCode::Ok && flags.deviceConnected(); }
    void connect() { ASSERT_TRUE(eventually([this] { return connected(); })) << transport.failureText(); }
    // The configuration as the controller holds it, read afresh.
    std::vector<uint8_t> controllerConfiguration() {
        EXPECT_EQ(transfer.readDeviceCommand(), ResultCode::Ok);
        return {record.image.bytes(), record.image.bytes() + kConfigImageSize};
    }
    const HidInterfaceInfo* controllerEntry(const std::vector<HidInterfaceInfo>& entries) {
        for (const HidInterfaceInfo& entry : entries)
            if (entry.vendorId == kControllerVendorId && entry.usagePage >= kVendorUsagePageFirst) return &entry;
        return nullptr;
    }
};

using WineHidPlain = WineHid;
using WineHidComposite = WineHid;

TEST_F(WineHidPlain, ControllerIsFoundAmongWinesOwnDevicesAndTellsItsIdentity) {
    ASSERT_EQ(backend.initialise(), HidBackend::InitOk);
    std::vector<HidInterfaceInfo> entries;
    ASSERT_TRUE(eventually([&] {
        entries = backend.enumerate();
        return controllerEntry(entries) != nullptr;
    }));
    bool winesOwn = false;
    for (const HidInterfaceInfo& entry : entries) winesOwn |= entry.vendorId == kWineVendorId;
    EXPECT_TRUE(winesOwn) << "Wine's mouse and keyboard are listed too: the search passes over them";
    const HidInterfaceInfo& entry = *controllerEntry(entries);
    EXPECT_EQ(entry.path.rfind("\\\\?\\hid#vid_ffff&pid_2013#", 0), 0u) << entry.path;
    EXPECT_EQ(entry.productId, kControllerProductId);
    EXPECT_EQ(entry.usagePage, 0xFF00);
    EXPECT_EQ(entry.manufacturer, u"hidraw");
    EXPECT_EQ(entry.product, u"ZEL MORVA-TOUCH");

    connect();
    EXPECT_EQ(watch.identity().serialNumber, sim::SimulatedController().state.serialNumber);
    EXPECT_EQ(watch.identity().controllerName, sim::kApplicationName);
    EXPECT_GT(watch.identity().applicationVersion, 0);
}

TEST_F(WineHidPlain, WholeConfigurationWrittenAndReadBackThenAnEditReachesIt) {
    connect();   // the first poll reads the whole configuration
    std::vector<uint8_t> wanted(record.image.bytes(), record.image.bytes() + kConfigImageSize);
    wanted[0] ^= 0x5A;
    wanted[500] ^= 0x22;
    wanted[kConfigImageSize - 1] ^= 0xA5;
    std::memcpy(record.image.bytes(), wanted.data(), kConfigImageSize);
    host.answers.push_back(Answer::Yes);
    ASSERT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok) << host.boxes.back().text;
    ASSERT_EQ(host.boxes.size(), 1u) << "only the question before a full write";

    // The write ends in the controller's restart: off the bus and back.
    transport.closeController();
    connect();
    EXPECT_EQ(controllerConfiguration(), wanted);

    record.image.touchMode = record.image.touchMode == 2 ? 1 : 2;
    const uint8_t mode = record.image.touchMode;
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controllerConfiguration()[967], mode);
    EXPECT_EQ(host.boxes.size(), 1u) << host.boxes.back().text;
}

TEST_F(WineHidPlain, PulledCableIsDisconnectedAndTheControllerIsFoundAgain) {
    connect();
    setCable(false);
    ASSERT_TRUE(eventually([this] { return !connected(); }));
    EXPECT_EQ(transfer.readDeviceCommand(), ResultCode::Disconnected);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes.back().text, "Error reading the configuration of the device\nController is disconnected");

    record.image.touchMode = record.image.touchMode == 2 ? 1 : 2;   // an edit while away
    const uint8_t mode = record.image.touchMode;
    transfer.syncChanges();
    EXPECT_TRUE(transfer.changesPending());

    setCable(true);
    connect();
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controllerConfiguration()[967], mode);
}

// Windows tells a window of HID interfaces coming and going; Wine's plug and
// play passes on what its HID bus hears from udev, so a pulled cable and its
// return reach the program without a search of the bus.
TEST_F(WineHidPlain, PullingOutAndPluggingInAreAnnounced) {
    int announcements = 0;
    std::unique_ptr<DeviceNotifications> arrivals = DeviceNotifications::open([&announcements] { ++announcements; });
    ASSERT_NE(arrivals, nullptr);
    connect();
    // The messages come through the thread's message loop, as in the window.
    auto announced = [&arrivals] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return arrivals->takeEvents();
    };
    announced();   // whatever the start announced
    const int before = announcements;
    setCable(false);
    EXPECT_TRUE(eventually(announced)) << "pulled out";
    setCable(true);
    EXPECT_TRUE(eventually(announced)) << "plugged in";
    EXPECT_GT(announcements, before);
    connect();
}

// The keyboard and the consumer collections carry the same IDs and strings:
// the search takes the vendor collection.
TEST_F(WineHidComposite, ControllerIsReachedThroughItsVendorCollection) {
    ASSERT_EQ(backend.initialise(), HidBackend::InitOk);
    // Consumer and system control share a node, which Wine lists once; its
    // devices come up in their own order.
    std::vector<uint16_t> pages;
    ASSERT_TRUE(eventually([&] {
        pages.clear();
        for (const HidInterfaceInfo& entry : backend.enumerate())
            if (entry.vendorId == kControllerVendorId) pages.push_back(entry.usagePage);
        std::sort(pages.begin(), pages.end());
        return pages.size() >= 3;
    }));
    EXPECT_EQ(pages, (std::vector<uint16_t>{0x01, 0x0C, 0xFF00}));

    connect();
    EXPECT_EQ(watch.identity().serialNumber, sim::SimulatedController().state.serialNumber);
    record.image.touchMode = record.image.touchMode == 2 ? 1 : 2;
    const uint8_t mode = record.image.touchMode;
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controllerConfiguration()[967], mode);
}

} // namespace
} // namespace zmt::test
