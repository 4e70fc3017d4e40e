// Finding and holding the controller: search order and match rules, library
// binding, and the handle being dropped after any failure.
#include "device/hid_transport.h"
#include "device/protocol.h"
#include "scripted_backend.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

namespace zmt::test {
namespace {

TEST(Utf16ToNarrow, KeepsLatin1MarksWiderUnitsAndStopsAtZero) {
    EXPECT_EQ(utf16ToNarrow(u"ZEL"), "ZEL");
    EXPECT_EQ(utf16ToNarrow(u"Z\u00E9L"), "Z\xE9L");
    EXPECT_EQ(utf16ToNarrow(u"\u0417EL"), "?EL");                  // Cyrillic Ze looks like a 3
    EXPECT_EQ(utf16ToNarrow(std::u16string(u"ZE\0L", 4)), "ZE");
}

// The search rules hold whatever sits below the transport: run them against
// the scripted fake and against the simulated controller.
struct ScriptedWorld {
    ScriptedBackend backend;
    void add(const char16_t* manufacturer, const char16_t* product, uint16_t productId = 0x2013) {
        ScriptedBackend::Device device;
        device.productId = productId;
        device.manufacturer = manufacturer ? std::optional<std::u16string>(manufacturer) : std::nullopt;
        device.product = product ? std::optional<std::u16string>(product) : std::nullopt;
        backend.devices.push_back(device);
    }
    int stringReads() const { return backend.stringReads; }
};

struct SimulatedWorld {
    VirtualHost host;
    sim::SimulatedHidBackend backend{[this] { return host.now; }};
    void add(const char16_t* manufacturer, const char16_t* product, uint16_t productId = 0x2013) {
        backend.addDevice(0xFFFF, productId,
                          manufacturer ? std::optional<std::u16string>(manufacturer) : std::nullopt,
                          product ? std::optional<std::u16string>(product) : std::nullopt,
                          std::make_shared<sim::SimulatedController>());
    }
    int stringReads() const { return static_cast<int>(backend.counters().stringReads); }
};

template <class World>
class SearchContract : public ::testing::Test {
protected:
    World world;
    HidTransport transport{world.backend};
    std::unique_ptr<HidDevice> found;

    ResultCode findController() {
        return transport.findDevice(kControllerVendorId, kControllerManufacturer, kControllerProductId,
                                    kControllerProduct, found);
    }
    std::string productOfFound() {
        std::u16string text;
        found->productString(text);
        return utf16ToNarrow(text);
    }
};
using Worlds = ::testing::Types<ScriptedWorld, SimulatedWorld>;
TYPED_TEST_SUITE(SearchContract, Worlds);

TYPED_TEST(SearchContract, NothingPresentIsDisconnected) {
    this->world.add(u"ZEL", u"MORVA-TOUCH", 0x1234);
    EXPECT_EQ(this->findController(), errDisconnected);
    EXPECT_EQ(this->found, nullptr);
    EXPECT_EQ(this->world.stringReads(), 0) << "a device with other IDs has no strings read";
}

TYPED_TEST(SearchContract, ImpostorsAreSkippedAndTheFirstRealOneWins) {
    this->world.add(u"ZEl", u"MORVA-TOUCH");        // case matters
    this->world.add(u"ZEL", u"MORVA-TOUCH ");       // so does every byte
    this->world.add(u"\u0417EL", u"MORVA-TOUCH");  // a character above U+00FF never matches
    this->world.add(u"ZEL", u"MORVA-TOUCH");
    this->world.add(u"ZEL", u"MORVA-TOUCH2");
    ASSERT_EQ(this->findController(), errNone);
    EXPECT_EQ(this->productOfFound(), "MORVA-TOUCH");
}

TYPED_TEST(SearchContract, UnreadableStringOfTheLastCandidateGivesExchangeError) {
    this->world.add(u"ZEL", u"OTHER");
    this->world.add(nullptr, u"MORVA-TOUCH");
    EXPECT_EQ(this->findController(), errExchange);
    // A later candidate with readable but wrong strings brings back 4.
    this->world.add(u"ZEL", nullptr);
    this->world.add(u"ACME", u"MORVA-TOUCH");
    EXPECT_EQ(this->findController(), errDisconnected);
}

TYPED_TEST(SearchContract, WithoutTextsTheFirstIdMatchIsTakenUnread) {
    this->world.add(u"ACME", u"GADGET");
    ASSERT_EQ(this->transport.findDevice(kControllerVendorId, nullptr, kControllerProductId, nullptr, this->found),
              errNone);
    EXPECT_EQ(this->world.stringReads(), 0);
}

TEST(FindDevice, FirstOfTwoControllersIsUsedOnEverySearch) {
    ScriptedBackend backend;
    backend.devices.resize(2);
    HidTransport transport(backend);
    for (int search = 0; search < 3; ++search) {
        ASSERT_EQ(transport.openController(), errNone);
        transport.closeController();
    }
    EXPECT_EQ(backend.openedIndexes, (std::vector<std::size_t>{0, 0, 0}));
}

TEST(FindDevice, UnopenableInterfaceIsPassedOver) {
    ScriptedBackend backend;
    backend.devices.resize(2);
    backend.devices[0].opens = false;
    HidTransport transport(backend);
    ASSERT_EQ(transport.openController(), errNone);
    EXPECT_EQ(backend.openedIndexes, (std::vector<std::size_t>{1}));
}

// openDenied tells "there but locked" from "not there" without changing the
// result code, and follows every search.
TEST(FindDevice, RefusedInterfaceWithTheControllersIdsIsReportedAsDenied) {
    ScriptedBackend backend;
    HidTransport transport(backend);
    backend.devices.resize(1);
    backend.devices[0].productId = 0x1234;   // not ours: never opened, never "denied"
    backend.devices[0].opens = false;
    EXPECT_EQ(transport.openController(), errDisconnected);
    EXPECT_FALSE(transport.openDenied());

    backend.devices.resize(2);
    backend.devices[1].opens = false;
    EXPECT_EQ(transport.openController(), errDisconnected);
    EXPECT_TRUE(transport.openDenied());

    // A second, accessible controller is found: nothing to explain.
    backend.devices.resize(3);
    ASSERT_EQ(transport.openController(), errNone);
    EXPECT_FALSE(transport.openDenied());
    transport.closeController();

    // Gone altogether: not denied any more.
    backend.devices.clear();
    EXPECT_EQ(transport.openController(), errDisconnected);
    EXPECT_FALSE(transport.openDenied());
}

TEST(FindDevice, PlatformFailureDuringSearchIsDisconnected) {
    SimulatedWorld world;
    world.add(u"ZEL", u"MORVA-TOUCH");
    world.backend.throwOnEnumerate = true;
    HidTransport transport(world.backend);
    EXPECT_EQ(transport.openController(), errDisconnected);
    EXPECT_FALSE(transport.isOpen());
}

TEST(LoadHidLibrary, FailureIsRetriedOnEveryOpenUntilItWorks) {
    ScriptedBackend backend;
    backend.devices.resize(1);
    HidTransport transport(backend);
    backend.initResult = HidBackend::InitLibraryFailed;
    EXPECT_EQ(transport.openController(), errHidLoad);
    EXPECT_EQ(transport.openController(), errHidLoad);
    backend.initResult = HidBackend::InitFunctionMissing;
    EXPECT_EQ(transport.openController(), errHidFunction);
    EXPECT_EQ(backend.initCalls, 3);
    EXPECT_EQ(backend.enumerations, 0);
    backend.initResult = HidBackend::InitOk;
    EXPECT_EQ(transport.openController(), errNone);
    transport.closeController();
    EXPECT_EQ(transport.openController(), errNone);
    EXPECT_EQ(backend.initCalls, 4) << "bound once, never again";
}

class ReportTransfer : public ::testing::Test {
protected:
    ScriptedBackend backend;
    HidTransport transport{backend};
    Report report{};
    void SetUp() override {
        backend.devices.resize(1);
        report[0] = kReportId;
    }
};

TEST_F(ReportTransfer, HeldHandleIsReusedWithoutSearching) {
    ASSERT_EQ(transport.sendReport(report.data()), errNone);
    ASSERT_EQ(transport.receiveReport(report.data()), errNone);
    ASSERT_EQ(transport.sendReport(report.data()), errNone);
    EXPECT_EQ(backend.enumerations, 1);
}

TEST_F(ReportTransfer, FailedFetchDropsTheHandleAndTheNextSendSearchesAfresh) {
    ASSERT_EQ(transport.sendReport(report.data()), errNone);
    backend.failFetch = true;
    EXPECT_EQ(transport.receiveReport(report.data()), errExchange);
    EXPECT_FALSE(transport.isOpen());
    backend.failFetch = false;
    ASSERT_EQ(transport.sendReport(report.data()), errNone);
    EXPECT_EQ(backend.enumerations, 2);
}

TEST_F(ReportTransfer, FetchedReportWithAnotherIdIsAnExchangeError) {
    backend.respond = [](const Report&) { Report r{}; r[0] = 2; r[1] = 0xFF; return r; };
    ASSERT_EQ(transport.sendReport(report.data()), errNone);
    EXPECT_EQ(transport.receiveReport(report.data()), errExchange);
    EXPECT_FALSE(transport.isOpen());
}

TEST_F(ReportTransfer, FailedSendAndPlatformExceptionDropTheHandle) {
    backend.failSend = true;
    EXPECT_EQ(transport.sendReport(report.data()), errExchange);
    EXPECT_FALSE(transport.isOpen());
    backend.failSend = false;
    backend.throwOnSend = true;
    EXPECT_EQ(transport.sendReport(report.data()), errDisconnected);
    EXPECT_FALSE(transport.isOpen());
}

} // namespace
} // namespace zmt::test
