// The program's device code over the real HidapiBackend: hidapi enumerates
// through libudev and moves feature reports through hidraw ioctls, and the
// simulated controller answers them behind a umockdev test bed. The clock is
// virtual as everywhere else: each feature report costs 1 ms of it.
#include "controller_chain.h"
#include "device/firmware_file.h"
#include "device/firmware_update.h"
#include "device/device_notifications.h"
#include "device/hidapi_backend.h"
#include "hidraw_testbed.h"
#include "lang/lang.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace zmt::test {
namespace {

// The real backend; the test bed only catches up with the controller's own
// restarts before each enumeration, as the kernel would have by then.
class TestbedBackend : public HidapiBackend {
public:
    HidrawTestbed* bed = nullptr;
    std::vector<HidInterfaceInfo> enumerate() override {
        bed->follow();
        return HidapiBackend::enumerate();
    }
};

class RealHidapi : public ::testing::Test, protected ControllerChain<TestbedBackend> {
protected:
    RealHidapi() { setLanguage("en"); }
    ~RealHidapi() override {
        transport.closeController();   // while the bed's node is still there
        setLanguage("ru");
    }

    void start(HidrawTestbed::Options options = {}) {
        bed = std::make_unique<HidrawTestbed>(controller, [this] { return host.now; }, options);
        bed->setTransferCost(1, [this](uint32_t ms) { host.now += ms; });
        backend.bed = bed.get();
    }
    void connect() {
        ASSERT_EQ(watch.pollController(), ResultCode::Ok);
        ASSERT_TRUE(flags.deviceConnected());
        ASSERT_TRUE(flags.imageValid());
    }
    bool controllerHoldsImage() const {
        return std::memcmp(controller->state.config.data(), record.image.bytes(), kConfigImageSize) == 0;
    }

    std::shared_ptr<sim::SimulatedController> controller = std::make_shared<sim::SimulatedController>(4242);
    std::unique_ptr<HidrawTestbed> bed;
};

TEST_F(RealHidapi, IdentityComesThroughHidrawAndTheEntryCarriesWhatTheSearchMatches) {
    start();
    const std::vector<HidInterfaceInfo> entries = backend.enumerate();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, bed->controllerNode());
    EXPECT_EQ(entries[0].vendorId, kControllerVendorId);
    EXPECT_EQ(entries[0].productId, kControllerProductId);
    EXPECT_EQ(entries[0].manufacturer, u"ZEL");
    EXPECT_EQ(entries[0].product, u"MORVA-TOUCH");
    EXPECT_EQ(entries[0].usagePage, 0xFF00);
    EXPECT_EQ(entries[0].interfaceNumber, 0);

    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_EQ(watch.identity().serialNumber, 4242u);
    EXPECT_EQ(watch.identity().controllerName, sim::kApplicationName);
    EXPECT_EQ(watch.identity().applicationVersion, controller->state.applicationVersion);
}

TEST_F(RealHidapi, FullReadFullWriteAndAnEditReachTheController) {
    controller->state.config[100] = 0x5A;
    controller->state.config[978] = 0xA5;
    start();
    connect();   // the first poll reads the whole configuration
    EXPECT_TRUE(controllerHoldsImage());

    record.image.bytes()[100] = 0x11;
    record.image.bytes()[500] = 0x22;
    host.answers.push_back(Answer::Yes);
    ASSERT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok);
    EXPECT_TRUE(controllerHoldsImage());
    ASSERT_EQ(host.boxes.size(), 1u) << "only the question before a full write";
    host.boxes.clear();
    host.advance(sim::kRestartMs + 2 * kPollIntervalMs);   // the write ends in a restart

    record.image.touchMode = 2;
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controller->state.config[967], 2);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
}

TEST_F(RealHidapi, FirmwareUpdateHandsOverToTheBootLoaderAndComesBackNew) {
    start();
    window.startPollTimer();
    connect();
    std::vector<uint8_t> payload(3000, 0xA5);
    const uint8_t description[8] = {0, 0, 0, 0, 118, 0, 1, 1};
    std::copy(description, description + 8, payload.begin());
    std::vector<uint8_t> file;
    ASSERT_TRUE(buildFirmwareFile({0x12345678, 118, 1, 1}, payload, file));
    const std::string path = ::testing::TempDir() + "zmt-hidraw-NEW.LDR";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    FirmwareUpdate firmware(link, watch, flags);
    const FirmwareOutcome outcome = firmware.updateFirmware([&path] { return path; });
    std::remove(path.c_str());
    ASSERT_EQ(outcome, FirmwareOutcome::Updated) << host.boxes.back().text;
    EXPECT_GT(bed->controllerNode(), "/dev/hidraw0") << "the boot loader came up as a new node";
    host.advance(sim::kFirmwareApplyIdleMs + sim::kRestartMs + 400);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_EQ(watch.identity().applicationVersion, 118);
    EXPECT_EQ(controller->state.applicationVersion, 118);
}

TEST_F(RealHidapi, UnpluggedMidReadFailsAtOnceKeepsEditsAndDeliversThemWhenBack) {
    start();
    connect();
    FlagsForTests::setImageValid(flags, true);
    record.image.touchMode = 2;   // an edit not yet sent
    const uint32_t before = host.now;
    controller->faults.unplugAfterFrames = 5;

    const ResultCode code = transfer.readDeviceCommand();
    EXPECT_EQ(code, ResultCode::Disconnected);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Error reading the configuration of the device\nController is disconnected");
    EXPECT_LT(host.now - before, 2000u) << "retries end; nothing waits for a reply that cannot come";
    EXPECT_EQ(record.image.touchMode, 2);
    EXPECT_TRUE(transfer.changesPending());

    EXPECT_NE(watch.pollController(), ResultCode::Ok);
    EXPECT_FALSE(flags.deviceConnected());
    bed->plug();
    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    EXPECT_TRUE(flags.deviceConnected());
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controller->state.config[967], 2);
}

// The system's announcements reach the program: a controller pulled out or
// plugged in is heard of without a search of the bus.
TEST_F(RealHidapi, PullingOutAndPluggingInAreAnnounced) {
    start();
    std::unique_ptr<DeviceNotifications> arrivals = DeviceNotifications::open();
    ASSERT_NE(arrivals, nullptr);
    // Announced at once or not at all: a bounded wait for the descriptor.
    auto announced = [&arrivals] {
        pollfd waiting{arrivals->descriptor(), POLLIN, 0};
        return ::poll(&waiting, 1, 5000) == 1 && arrivals->takeEvents();
    };
    arrivals->takeEvents();   // what building the bed announced
    connect();
    bed->unplug();
    EXPECT_TRUE(announced()) << "pulled out";
    EXPECT_NE(watch.pollController(), ResultCode::Ok);
    bed->plug();
    EXPECT_TRUE(announced()) << "plugged in";
    EXPECT_EQ(watch.pollController(), ResultCode::Ok);
    EXPECT_FALSE(arrivals->takeEvents()) << "nothing more happened";
}

TEST_F(RealHidapi, RightIdsWithAnotherProductStringAreNotTheController) {
    HidrawTestbed::Options options;
    options.product = "MORVA-TOUCH2";
    start(options);
    EXPECT_EQ(watch.pollController(), ResultCode::Disconnected);
    EXPECT_EQ(resultText(ResultCode::Disconnected), "Controller is disconnected");
    EXPECT_FALSE(transport.openDenied());
    EXPECT_EQ(bed->featureTransfers(), 0u) << "not opened, not written to";
}

// The keyboard node comes first and one node carries consumer, system
// control and the controller's collection: hidapi lists four entries.
TEST_F(RealHidapi, CompositeControllerIsReachedThroughItsVendorCollection) {
    HidrawTestbed::Options options;
    options.layout = HidrawTestbed::Layout::Composite;
    start(options);
    std::vector<uint16_t> pages;
    for (const HidInterfaceInfo& entry : backend.enumerate()) pages.push_back(entry.usagePage);
    EXPECT_EQ(pages, (std::vector<uint16_t>{0x01, 0x0C, 0x01, 0xFF00}));

    connect();
    EXPECT_TRUE(controllerHoldsImage());
    record.image.touchMode = 1;
    transfer.syncChanges();
    EXPECT_EQ(controller->state.config[967], 1);
}

// A node with the controller's IDs and strings that will not open (here it
// answers no ioctl) is passed over; why it failed is logged in hidapi's
// words, and it is not taken for a permission problem.
TEST_F(RealHidapi, InterfaceThatFailsToOpenIsPassedOverAndItsReasonLogged) {
    HidrawTestbed::Options options;
    options.brokenTwinFirst = true;
    start(options);
    host.logOn = true;
    ASSERT_EQ(link.probeController(), ResultCode::Ok);
    EXPECT_TRUE(host.memo.empty());

    bed->unplug();
    EXPECT_EQ(link.probeController(), ResultCode::Disconnected);
    EXPECT_FALSE(transport.openDenied());
    ASSERT_EQ(host.memo.size(), 1u);
    EXPECT_EQ(host.memo[0].rfind("HID failure: ", 0), 0u) << host.memo[0];
    EXPECT_NE(host.memo[0].find("/dev/hidraw60: Inappropriate ioctl for device"), std::string::npos) << host.memo[0];
}

} // namespace
} // namespace zmt::test

int main(int argc, char** argv) {
    zmt::test::HidrawTestbed::enterMockEnvironment(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
