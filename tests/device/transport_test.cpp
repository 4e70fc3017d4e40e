// Finding and holding the controller: search order and match rules, library
// binding, and the handle being dropped after any failure.
#include "device/controller_hold.h"
#include "device/hid_transport.h"
#include "device/identity.h"
#include "device/protocol.h"
#include "scripted_backend.h"
#include "scoped_environment.h"
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
// the scripted fake and against the simulated controller. Entries are added
// in enumeration order; opened() lists the indexes of the entries opened.
constexpr uint16_t kKeyboardPage = 0x01, kConsumerPage = 0x0C, kVendorPage = 0xFF00;

std::optional<std::u16string> text(const char16_t* value) {
    return value ? std::optional<std::u16string>(value) : std::nullopt;
}

struct ScriptedWorld {
    ScriptedBackend backend;
    void add(const char16_t* manufacturer, const char16_t* product, uint16_t productId = 0x2013,
             uint16_t usagePage = 0) {
        ScriptedBackend::Device device;
        device.productId = productId;
        device.manufacturer = text(manufacturer);
        device.product = text(product);
        device.usagePage = usagePage;
        backend.devices.push_back(device);
    }
    std::vector<std::size_t> opened() const { return backend.openedIndexes; }
    std::size_t reportsSent() const { return backend.sent.size(); }
};

struct SimulatedWorld {
    VirtualHost host;
    sim::SimulatedHidBackend backend{[this] { return host.now; }};
    std::vector<std::string> openedPaths;
    void add(const char16_t* manufacturer, const char16_t* product, uint16_t productId = 0x2013,
             uint16_t usagePage = 0) {
        backend.addDevice(0xFFFF, productId, text(manufacturer), text(product),
                          std::make_shared<sim::SimulatedController>()).usagePage = usagePage;
    }
    std::vector<std::size_t> opened() const {
        if (backend.counters().opens == 0) return {};
        return {std::stoul(backend.lastOpened().substr(4))};   // "sim:N"
    }
    std::size_t reportsSent() const { return backend.counters().transfers; }
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
    std::size_t lastOpened() {
        const std::vector<std::size_t> opened = world.opened();
        return opened.empty() ? 99 : opened.back();
    }
};
using Worlds = ::testing::Types<ScriptedWorld, SimulatedWorld>;
TYPED_TEST_SUITE(SearchContract, Worlds);

TYPED_TEST(SearchContract, NothingPresentIsDisconnected) {
    this->world.add(u"ZEL", u"MORVA-TOUCH", 0x1234);
    EXPECT_EQ(this->findController(), ResultCode::Disconnected);
    EXPECT_EQ(this->found, nullptr);
    EXPECT_TRUE(this->world.opened().empty()) << "a device with other IDs is never opened";
}

TYPED_TEST(SearchContract, ImpostorsAreSkippedUnopenedAndTheFirstRealOneWins) {
    this->world.add(u"ZEl", u"MORVA-TOUCH");        // case matters
    this->world.add(u"ZEL", u"MORVA-TOUCH ");       // so does every byte
    this->world.add(u"\u0417EL", u"MORVA-TOUCH");  // a character above U+00FF never matches
    this->world.add(u"ZEL", u"MORVA-TOUCH");
    this->world.add(u"ZEL", u"MORVA-TOUCH2");
    this->world.add(u"ZEL", u"MORVA-TOUCH");
    ASSERT_EQ(this->findController(), ResultCode::Ok);
    EXPECT_EQ(this->world.opened(), (std::vector<std::size_t>{3})) << "strings come with the entries";
}

TYPED_TEST(SearchContract, UnreadableStringOfTheLastCandidateGivesExchangeError) {
    this->world.add(u"ZEL", u"OTHER");
    this->world.add(nullptr, u"MORVA-TOUCH");
    EXPECT_EQ(this->findController(), ResultCode::Exchange);
    // A later candidate with readable but wrong strings brings back 4.
    this->world.add(u"ZEL", nullptr);
    this->world.add(u"ACME", u"MORVA-TOUCH");
    EXPECT_EQ(this->findController(), ResultCode::Disconnected);
}

TYPED_TEST(SearchContract, WithoutTextsTheFirstIdMatchIsTaken) {
    this->world.add(u"ACME", u"GADGET");
    ASSERT_EQ(this->transport.findDevice(kControllerVendorId, nullptr, kControllerProductId, nullptr, this->found),
              ResultCode::Ok);
    EXPECT_EQ(this->lastOpened(), 0u);
}

// A composite controller lists its keyboard, consumer and system-control
// collections with the same IDs and strings; the one in the vendor-defined
// collection carries the configuration reports, wherever it is listed.
TYPED_TEST(SearchContract, CompositeControllerIsReachedThroughItsVendorDefinedCollection) {
    struct Case { std::vector<uint16_t> pages; std::size_t chosen; };
    const Case cases[] = {
        {{kKeyboardPage, kConsumerPage, kVendorPage}, 2},
        {{kVendorPage, kKeyboardPage}, 0},
        {{kKeyboardPage, 0xFFA0, kConsumerPage}, 1},  // any page from 0xFF00 up
        {{kKeyboardPage, kConsumerPage}, 0},          // no page tells: first match, as ever
        {{0, 0}, 0},
    };
    for (const Case& c : cases) {
        TypeParam world;
        world.add(u"ACME", u"KEYBOARD", 0x2013, kVendorPage);   // right IDs, wrong strings
        for (uint16_t page : c.pages) world.add(u"ZEL", u"MORVA-TOUCH", 0x2013, page);
        HidTransport transport(world.backend);
        for (int search = 0; search < 2; ++search) {
            ASSERT_EQ(transport.openController(), ResultCode::Ok);
            transport.closeController();
            EXPECT_EQ(world.opened().back(), c.chosen + 1) << "case with " << c.pages.size() << " entries";
        }
    }
    // Two vendor-defined interfaces are two controllers: neither is taken
    // unasked, and nothing is sent to either.
    TypeParam world;
    for (uint16_t page : {kKeyboardPage, kVendorPage, kVendorPage}) world.add(u"ZEL", u"MORVA-TOUCH", 0x2013, page);
    HidTransport transport(world.backend);
    EXPECT_EQ(transport.openController(), ResultCode::Several);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(world.reportsSent(), 0u);
}

TEST(FindDevice, FirstOfTwoControllersIsUsedOnEverySearch) {
    ScriptedBackend backend;
    backend.devices.resize(2);
    HidTransport transport(backend);
    for (int search = 0; search < 3; ++search) {
        ASSERT_EQ(transport.openController(), ResultCode::Ok);
        transport.closeController();
    }
    EXPECT_EQ(backend.openedIndexes, (std::vector<std::size_t>{0, 0, 0}));
}

TEST(FindDevice, UnopenableInterfaceIsPassedOver) {
    ScriptedBackend backend;
    backend.devices.resize(2);
    backend.devices[0].opens = false;
    HidTransport transport(backend);
    ASSERT_EQ(transport.openController(), ResultCode::Ok);
    EXPECT_EQ(backend.openedIndexes, (std::vector<std::size_t>{1}));
}

// openDenied tells "there but locked" from "not there" without changing the
// result code, and follows every search. Only a refused permission counts;
// any other reason an interface would not open is kept for the log.
TEST(FindDevice, OnlyARefusedPermissionIsReportedAsDenied) {
    ScriptedBackend backend;
    HidTransport transport(backend);
    backend.devices.resize(1);
    backend.devices[0].productId = 0x1234;   // not ours: never opened, never "denied"
    backend.devices[0].opens = false;
    backend.devices[0].denied = true;
    EXPECT_EQ(transport.openController(), ResultCode::Disconnected);
    EXPECT_FALSE(transport.openDenied());

    backend.devices.resize(2);
    backend.devices[1].opens = false;         // busy, gone in between, not a hidraw node...
    EXPECT_EQ(transport.openController(), ResultCode::Disconnected);
    EXPECT_FALSE(transport.openDenied());
    EXPECT_EQ(transport.failureText(), "busy 1");

    backend.devices[1].denied = true;
    EXPECT_EQ(transport.openController(), ResultCode::Disconnected);
    EXPECT_TRUE(transport.openDenied());
    EXPECT_EQ(transport.failureText(), "") << "a refused access has its own explanation";

    // A second, accessible controller is found: nothing to explain.
    backend.devices.resize(3);
    ASSERT_EQ(transport.openController(), ResultCode::Ok);
    EXPECT_FALSE(transport.openDenied());
    EXPECT_EQ(transport.failureText(), "");
    transport.closeController();

    // Gone altogether: not denied any more.
    backend.devices.clear();
    EXPECT_EQ(transport.openController(), ResultCode::Disconnected);
    EXPECT_FALSE(transport.openDenied());
}

// The reason reaches the exchange log once, not on every poll tick, and
// again after the controller answered in between.
TEST(FindDevice, PlatformReasonIsLoggedOnceWhileItLasts) {
    ScriptedBackend backend;
    backend.devices.resize(1);
    backend.devices[0].opens = false;
    HidTransport transport(backend);
    VirtualHost host;
    host.logOn = true;
    DeviceLink link(host, transport);
    EXPECT_EQ(link.probeController(), ResultCode::Disconnected);
    EXPECT_EQ(link.probeController(), ResultCode::Disconnected);
    const auto reasons = [&host] {
        std::vector<std::string> tails;
        for (const std::string& line : host.memo) tails.push_back(line.substr(line.rfind(": ") + 2));
        return tails;
    };
    EXPECT_EQ(reasons(), (std::vector<std::string>{"busy 0"}));
    backend.devices[0].opens = true;
    EXPECT_EQ(link.probeController(), ResultCode::Ok);
    backend.failFetch = true;
    DeviceFrame frame;
    frame.setCommand(cmdIdentity);   // identity frames stay out of the log
    EXPECT_EQ(link.exchangeOnce(frame), ResultCode::Exchange);
    backend.devices[0].opens = false;
    EXPECT_EQ(link.probeController(), ResultCode::Disconnected);
    EXPECT_EQ(reasons(), (std::vector<std::string>{"busy 0", "fetch refused", "busy 0"}));
}

TEST(FindDevice, PlatformFailureDuringSearchIsDisconnected) {
    SimulatedWorld world;
    world.add(u"ZEL", u"MORVA-TOUCH");
    world.backend.throwOnEnumerate = true;
    HidTransport transport(world.backend);
    EXPECT_EQ(transport.openController(), ResultCode::Disconnected);
    EXPECT_FALSE(transport.isOpen());
}

TEST(LoadHidLibrary, FailureIsRetriedOnEveryOpenUntilItWorks) {
    ScriptedBackend backend;
    backend.devices.resize(1);
    HidTransport transport(backend);
    backend.initResult = HidBackend::InitLibraryFailed;
    EXPECT_EQ(transport.openController(), ResultCode::HidLoad);
    EXPECT_EQ(transport.openController(), ResultCode::HidLoad);
    EXPECT_EQ(backend.initCalls, 2);
    EXPECT_EQ(backend.enumerations, 0);
    backend.initResult = HidBackend::InitOk;
    EXPECT_EQ(transport.openController(), ResultCode::Ok);
    transport.closeController();
    EXPECT_EQ(transport.openController(), ResultCode::Ok);
    EXPECT_EQ(backend.initCalls, 3) << "bound once, never again";
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
    ASSERT_EQ(transport.sendReport(report.data()), ResultCode::Ok);
    ASSERT_EQ(transport.receiveReport(report.data()), ResultCode::Ok);
    ASSERT_EQ(transport.sendReport(report.data()), ResultCode::Ok);
    EXPECT_EQ(backend.enumerations, 1);
}

TEST_F(ReportTransfer, FailedFetchDropsTheHandleAndTheNextSendSearchesAfresh) {
    ASSERT_EQ(transport.sendReport(report.data()), ResultCode::Ok);
    backend.failFetch = true;
    EXPECT_EQ(transport.receiveReport(report.data()), ResultCode::Exchange);
    EXPECT_FALSE(transport.isOpen());
    backend.failFetch = false;
    ASSERT_EQ(transport.sendReport(report.data()), ResultCode::Ok);
    EXPECT_EQ(backend.enumerations, 2);
}

TEST_F(ReportTransfer, FetchedReportWithAnotherIdIsAnExchangeError) {
    backend.respond = [](const Report&) { Report r{}; r[0] = 2; r[1] = 0xFF; return r; };
    ASSERT_EQ(transport.sendReport(report.data()), ResultCode::Ok);
    EXPECT_EQ(transport.receiveReport(report.data()), ResultCode::Exchange);
    EXPECT_FALSE(transport.isOpen());
}

TEST_F(ReportTransfer, FailedSendAndPlatformExceptionDropTheHandle) {
    backend.failSend = true;
    EXPECT_EQ(transport.sendReport(report.data()), ResultCode::Exchange);
    EXPECT_FALSE(transport.isOpen());
    backend.failSend = false;
    backend.throwOnSend = true;
    EXPECT_EQ(transport.sendReport(report.data()), ResultCode::Disconnected);
    EXPECT_FALSE(transport.isOpen());
}

// Several controllers on one bus: named by the serial of their identity,
// one program each. Three units, 1001 to 1003, held as hardware is.
class SeveralControllers : public ::testing::Test {
protected:
    SimRig rig;
    sim::SimulatedHidBackend::Port* third = nullptr;
    void SetUp() override {
        rig.addUnit(1002);
        third = &rig.addUnit(1003);
        rig.holdLikeHardware();
    }
    // The serial the open handle answers with.
    uint32_t openSerial() {
        IdentityBlock identity;
        std::size_t count = 0;
        std::array<uint8_t, kIdentityCapacity> raw{};
        EXPECT_EQ(rig.link.readFrame(cmdIdentity, 0, raw.data(), raw.size(), count), ResultCode::Ok);
        return IdentityBlock::fromBytes(raw).serialNumber;
    }
    // Another program's hold on a unit's interface ("sim:N").
    ControllerHold otherProgram(const std::string& path, std::optional<uint32_t> serial = std::nullopt) {
        ControllerHold hold;
        HolderInfo none;
        EXPECT_TRUE(hold.acquire(rig.backend.holdKey(path), none));
        if (serial) hold.noteSerial(*serial);
        return hold;
    }
};

TEST_F(SeveralControllers, WithoutAChoiceNoneIsTalkedTo) {
    EXPECT_EQ(rig.transport.openController(), ResultCode::Several);
    EXPECT_EQ(rig.backend.counters().transfers, 0u);
    EXPECT_FALSE(rig.transport.holding());
    // One of them gone: the other is the only one, taken as ever.
    rig.backend.unplug(*rig.port);
    rig.backend.unplug(*third);
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_EQ(openSerial(), 1002u);
}

TEST_F(SeveralControllers, TheExpectedSerialIsTheOnlyOneEverTalkedTo) {
    rig.transport.expectSerial(1003);
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_EQ(openSerial(), 1003u);
    // A handle lost in a transfer is found again on the same interface,
    // known and on the bus all along: nobody is asked again.
    rig.transport.closeController();
    const std::size_t transfers = rig.backend.counters().transfers;
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_EQ(rig.backend.counters().transfers - transfers, 0u);
    EXPECT_EQ(openSerial(), 1003u);
    // Back on the bus after a pause (a restart) it is asked again, itself
    // first; the others, known and never gone, are left alone.
    rig.backend.unplug(*third);
    rig.transport.closeController();
    EXPECT_EQ(rig.transport.openController(), ResultCode::Disconnected);
    rig.backend.plug(*third);
    const std::size_t before = rig.backend.counters().transfers;
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_EQ(rig.backend.counters().transfers - before, 2u) << "one identity read";
    // Gone: "disconnected", never another one in its place.
    rig.backend.unplug(*third);
    rig.transport.closeController();
    EXPECT_EQ(rig.transport.openController(), ResultCode::Disconnected);
    EXPECT_FALSE(rig.transport.isOpen());
    rig.transport.expectSerial(4242);
    EXPECT_EQ(rig.transport.openController(), ResultCode::Disconnected);
}

TEST_F(SeveralControllers, AControllerHeldElsewhereIsNeverAsked) {
    ControllerHold other = otherProgram("sim:1", 1002);
    const std::size_t transfers = rig.backend.counters().transfers;
    rig.transport.expectSerial(1002);
    EXPECT_EQ(rig.transport.openController(), ResultCode::Held);
    EXPECT_NE(rig.transport.heldBy().processId, 0) << "the holder's process, from its lock file";
    EXPECT_EQ(rig.transport.heldBy().serial, 1002u);
    // Only the other two were asked who they are.
    EXPECT_EQ(rig.backend.counters().transfers - transfers, 4u);

    rig.transport.expectSerial(1001);
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_TRUE(rig.transport.holding());
    // While we hold 1001, another program is refused there, and told it is us.
    ControllerHold third;
    HolderInfo holder;
    EXPECT_FALSE(third.acquire(rig.backend.holdKey("sim:0"), holder));
    EXPECT_EQ(holder.serial, 1001u);
    // Closing the handle keeps the hold; letting go frees it.
    rig.transport.closeController();
    EXPECT_FALSE(third.acquire(rig.backend.holdKey("sim:0"), holder));
    rig.transport.releaseHold();
    EXPECT_TRUE(third.acquire(rig.backend.holdKey("sim:0"), holder));

    other.release();
    rig.transport.expectSerial(1002);
    EXPECT_EQ(rig.transport.openController(), ResultCode::Ok);
}

TEST_F(SeveralControllers, AHoldThatCannotBeTakenStopsEverything) {
    // No lock folder to be had: nobody is talked to, and the search says
    // why rather than going on without the hold.
    ScopedEnvironment environment;
    environment.set("ZMT_LOCK_DIR", "/nonexistent/locks");
    rig.transport.expectSerial(1002);
    EXPECT_EQ(rig.transport.openController(), ResultCode::NoHold);
    EXPECT_NE(rig.transport.holdFailure().find("/nonexistent/locks"), std::string::npos) << rig.transport.holdFailure();
    EXPECT_EQ(rig.backend.counters().transfers, 0u);
    EXPECT_FALSE(rig.transport.isOpen());
    std::vector<PresentController> found;
    ASSERT_EQ(rig.transport.listControllers(found), ResultCode::Ok);
    ASSERT_EQ(found.size(), 3u);
    for (const PresentController& unit : found) EXPECT_EQ(unit.read, ResultCode::NoHold);
    EXPECT_EQ(rig.backend.counters().transfers, 0u);
}

TEST_F(SeveralControllers, OneSerialOnTwoControllersIsRefusedNamingBoth) {
    third->controller->state.serialNumber = 1001;
    rig.transport.expectSerial(1001);
    EXPECT_EQ(rig.transport.openController(), ResultCode::SameSerial);
    EXPECT_FALSE(rig.transport.isOpen());
    EXPECT_FALSE(rig.transport.holding());
    EXPECT_EQ(rig.transport.sameSerialPaths(), (std::vector<std::string>{"sim:0", "sim:2"}));
    // Known by now, and refused again without asking anyone.
    const std::size_t transfers = rig.backend.counters().transfers;
    EXPECT_EQ(rig.transport.openController(), ResultCode::SameSerial);
    EXPECT_EQ(rig.backend.counters().transfers, transfers);
    // One of them gone: the other is the one.
    rig.backend.unplug(*third);
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    EXPECT_EQ(rig.transport.openPath(), "sim:0");
}

TEST_F(SeveralControllers, ListNamesEachOnceWithOneIdentityReadEach) {
    // A composite unit lists its collections; only its vendor one counts.
    rig.backend.addDevice(kControllerVendorId, kControllerProductId, u"ZEL", u"MORVA-TOUCH").usagePage = 0x01;
    ControllerHold other = otherProgram("sim:2", 1003);
    std::vector<PresentController> found;
    ASSERT_EQ(rig.transport.listControllers(found), ResultCode::Ok);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].serial(), 1001u);
    EXPECT_EQ(found[0].identity.controllerName, "ZEL-MORVA-TOUCH");
    EXPECT_EQ(found[1].serial(), 1002u);
    EXPECT_TRUE(found[2].busy);
    EXPECT_EQ(found[2].serial(), 1003u) << "named by its holder";
    EXPECT_EQ(rig.backend.counters().transfers, 4u);
    EXPECT_EQ(rig.backend.counters().enumerations, 1u);
    EXPECT_FALSE(rig.transport.holding()) << "listing holds nothing afterwards";

    // The one this transport holds is read over its own handle.
    rig.transport.expectSerial(1002);
    ASSERT_EQ(rig.transport.openController(), ResultCode::Ok);
    const std::size_t opens = rig.backend.counters().opens;
    ASSERT_EQ(rig.transport.listControllers(found), ResultCode::Ok);
    EXPECT_EQ(found[1].serial(), 1002u);
    EXPECT_EQ(rig.backend.counters().opens - opens, 1u) << "only 1001 opened again";
    EXPECT_TRUE(rig.transport.isOpen());
    EXPECT_TRUE(rig.transport.holding());
}

} // namespace
} // namespace zmt::test
