// The connection watch on the simulated controller: arrival and departure,
// the configuration read for a new serial number, dots, the boot loader, the
// language switch and the device log.
#include "test_languages.h"
#include "device/access_help.h"
#include "device/connection_watch.h"
#include "lang/lang.h"
#include "scoped_environment.h"
#include "sim_rig.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

namespace zmt::test {
namespace {

struct FakeWindow : WatchWindow {
    std::vector<bool> buttonCalls;
    bool deviceLog = false;
    bool monitoring = true;
    unsigned interval = kPollIntervalMs;
    bool timerRunning = true;
    void setToolbarBusy(bool busy) override { buttonCalls.push_back(busy); }
    bool deviceLogChecked() override { return deviceLog; }
    void setDeviceLogChecked(bool checked) override { deviceLog = checked; }
    bool monitoringPageActive() override { return monitoring; }
    void setPollInterval(unsigned ms) override { interval = ms; }
    void stopPollTimer() override { timerRunning = false; }
    void startPollTimer() override { timerRunning = true; }
};

class Watch : public ::testing::Test {
protected:
    SimRig rig;
    ProgramFlags flags;
    FakeWindow window;
    ConnectionWatch watch{rig.link, flags, window};
    int configurationReads = 0;
    bool readSucceeds = true;
    bool dropHandleInRead = false;
    std::vector<std::string> memoAtRead;

    void SetUp() override {
        watch.setReadConfiguration([this] {
            ++configurationReads;
            memoAtRead = rig.host.memo;
            FlagsForTests::setImageValid(flags, readSucceeds);
            if (dropHandleInRead) rig.transport.closeController();
        });
    }
    void TearDown() override { setLanguage("ru"); }
    ResultCode poll() {
        const ResultCode code = watch.pollController();
        EXPECT_TRUE(window.timerRunning);
        return code;
    }
};

TEST_F(Watch, AbsentControllerOnlyShowsTheStatus) {
    rig.backend.unplug(*rig.port);
    EXPECT_EQ(poll(), ResultCode::Disconnected);
    EXPECT_EQ(rig.host.status, "Контроллер отключен");
    EXPECT_TRUE(rig.host.memo.empty());
    EXPECT_TRUE(window.buttonCalls.empty());
    EXPECT_FALSE(flags.deviceConnected());
}

TEST_F(Watch, ArrivalReadsTheConfigurationFirstThenAnnounces) {
    rig.host.memo.push_back("old line");
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 1);
    EXPECT_EQ(memoAtRead, (std::vector<std::string>{"old line"})) << "read before the announcement";
    EXPECT_EQ(rig.host.memo, (std::vector<std::string>{
                                 "********** Контроллер подключен *********",
                                 "Контроллер        \"ZEL-MORVA-TOUCH\"",
                                 "Серийный номер    1001",
                                 "Версия загрузчика 1.00",
                                 "Версия приложения 1.17",
                             }));
    EXPECT_EQ(rig.host.status, "Контроллер \"ZEL-MORVA-TOUCH\" подключен");
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_EQ(window.buttonCalls, (std::vector<bool>{false}));
    EXPECT_EQ(watch.lastSerial(), 1001u);
    EXPECT_EQ(rig.link.pollSkip(), 0);
}

// The poll that finds a controller searches the bus once: the handle its
// search opened is the one the identity is read over.
TEST_F(Watch, AnArrivalSearchesTheBusOnce) {
    const std::size_t searches = rig.backend.counters().enumerations;
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.backend.counters().enumerations - searches, 1u);
    EXPECT_TRUE(rig.transport.isOpen());
}

TEST_F(Watch, DotsCountToTenThenStartAgain) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    for (int dots = 1; dots <= 10; ++dots) {
        ASSERT_EQ(poll(), ResultCode::Ok);
        EXPECT_EQ(rig.host.status, "Контроллер \"ZEL-MORVA-TOUCH\" подключен" + std::string(dots, '.'));
    }
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.host.status, "Контроллер \"ZEL-MORVA-TOUCH\" подключен");
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(watch.dotCount(), 1);
    EXPECT_EQ(configurationReads, 1);
}

TEST_F(Watch, ReplugOfTheSameControllerReadsNothingAnotherSerialDoes) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    rig.backend.unplug(*rig.port);
    EXPECT_NE(poll(), ResultCode::Ok);
    EXPECT_NE(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.host.status, "Контроллер отключен");
    EXPECT_EQ(std::count(rig.host.memo.begin(), rig.host.memo.end(), "********** Контроллер отключен **********"), 1);
    EXPECT_EQ(window.buttonCalls, (std::vector<bool>{false, false}));
    EXPECT_FALSE(flags.deviceConnected());

    rig.backend.plug(*rig.port);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 1);
    EXPECT_EQ(rig.host.memo.front(), "********** Контроллер подключен *********") << "memo cleared on arrival";

    auto other = std::make_shared<sim::SimulatedController>(2002);
    rig.backend.unplug(*rig.port);
    poll();
    rig.backend.addController(other);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 2);
    EXPECT_EQ(watch.lastSerial(), 2002u);
}

// Two controllers: the watch keeps to the one chosen (or the one it
// connected to), says when nothing is chosen or the controller is held by
// another program, and never goes over to another controller by itself.
TEST_F(Watch, SeveralControllersWaitForAChoiceAndTheChosenOneIsKept) {
    setLanguage("en");
    sim::SimulatedHidBackend::Port& second = rig.addUnit(2002);
    EXPECT_EQ(poll(), ResultCode::Several);
    EXPECT_EQ(watch.absence(), ConnectionWatch::Absence::SeveralUnchosen);
    EXPECT_EQ(rig.host.status, "Several controllers are connected: choose one");
    EXPECT_FALSE(flags.deviceConnected());

    watch.chooseSerial(2002);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(watch.lastSerial(), 2002u);
    EXPECT_EQ(watch.absence(), ConnectionWatch::Absence::None);
    EXPECT_EQ(configurationReads, 1);

    // The chosen one unplugged is disconnected, the other one stays unused.
    rig.backend.unplug(second);
    EXPECT_EQ(poll(), ResultCode::Disconnected);
    EXPECT_EQ(poll(), ResultCode::Disconnected);
    EXPECT_FALSE(flags.deviceConnected());
    EXPECT_EQ(rig.backend.lastOpened(), "sim:1");
    rig.backend.plug(second);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 1) << "the same controller back: nothing to read";

    // Choosing the other is that one arriving: the disconnection is shown,
    // then its configuration is read and it is announced.
    watch.chooseSerial(1001);
    EXPECT_FALSE(flags.deviceConnected());
    EXPECT_EQ(rig.host.memo.back(), "******** Controller is disconnected **********");
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(watch.lastSerial(), 1001u);
    EXPECT_EQ(configurationReads, 2);
    EXPECT_TRUE(flags.deviceConnected());
}

TEST_F(Watch, TheControllerConnectedToIsKeptWithoutAChoice) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    // Another one plugged in is listed first from now on; a handle lost
    // mid-transfer is still found again on the first one.
    auto other = std::make_shared<sim::SimulatedController>(2002);
    rig.backend.unplug(*rig.port);
    rig.backend.addController(other);
    rig.backend.plug(*rig.port);
    rig.transport.closeController();
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(watch.identity().serialNumber, 1001u);
    // Gone and the other one alone: taken, as a new controller always was.
    rig.backend.unplug(*rig.port);
    EXPECT_NE(poll(), ResultCode::Ok);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(watch.lastSerial(), 2002u);
}

TEST_F(Watch, AControllerHeldByAnotherProgramIsShownBusyAndLeftAlone) {
    setLanguage("en");
    rig.holdLikeHardware();
    ControllerHold other;
    HolderInfo none;
    ASSERT_TRUE(other.acquire(rig.backend.holdKey("sim:0"), none));
    const std::size_t transfers = rig.backend.counters().transfers;
    EXPECT_EQ(poll(), ResultCode::Held);
    EXPECT_EQ(watch.absence(), ConnectionWatch::Absence::Busy);
    EXPECT_EQ(rig.host.status, "The controller is busy (held by " + watch.heldBy().text() + ")");
    EXPECT_NE(watch.heldBy().processId, 0);
    EXPECT_EQ(rig.backend.counters().transfers, transfers);
    EXPECT_FALSE(flags.deviceConnected());

    other.release();
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_TRUE(rig.transport.holding()) << "held while connected";
    // Gone: let go, so that another program may have it when it is back.
    rig.backend.unplug(*rig.port);
    EXPECT_NE(poll(), ResultCode::Ok);
    EXPECT_FALSE(rig.transport.holding());
}

// With the system announcing arrivals, only an empty bus is searched seldom:
// a busy controller is let go without any announcement.
TEST_F(Watch, AnnouncedArrivalsSlowTheSearchOnlyWhileNothingIsThere) {
    rig.backend.unplug(*rig.port);
    poll();
    EXPECT_EQ(window.interval, kPollIntervalMs) << "nothing announces arrivals yet";
    watch.setArrivalsAnnounced(true);
    poll();
    EXPECT_EQ(window.interval, kAnnouncedIdlePollMs);
    rig.backend.plug(*rig.port);
    ASSERT_EQ(poll(), ResultCode::Ok);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(window.interval, kPollIntervalMs) << "the connected controller is watched as always";
    rig.backend.unplug(*rig.port);
    poll();
    EXPECT_EQ(window.interval, kAnnouncedIdlePollMs);

    rig.holdLikeHardware();
    rig.backend.plug(*rig.port);
    ControllerHold other;
    HolderInfo none;
    ASSERT_TRUE(other.acquire(rig.backend.holdKey("sim:0"), none));
    EXPECT_EQ(poll(), ResultCode::Held);
    EXPECT_EQ(window.interval, kPollIntervalMs);
}

// Pulled out and announced, the controller is said gone by the poll that
// follows, at once: no exchange and none of the retries that cover a
// controller slow to answer. Unannounced, or announced while a transfer of
// ours is under way, the poll meets the departure the usual way.
TEST_F(Watch, AnnouncedDepartureIsSaidAtOnceUnlessATransferIsUnderWay) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    rig.link.setPollSkip(2);   // a transfer just ended
    rig.backend.unplug(*rig.port);
    watch.devicesAnnounced(/*busy=*/true);
    EXPECT_EQ(rig.link.pollSkip(), 2) << "a busy window keeps its transfers' spacing";

    watch.devicesAnnounced(/*busy=*/false);
    EXPECT_EQ(rig.link.pollSkip(), 0);
    const uint32_t before = rig.host.now;
    watch.onPollTick();
    EXPECT_FALSE(flags.deviceConnected());
    EXPECT_LT(rig.host.now - before, kRetryPauseMs);
    EXPECT_FALSE(rig.transport.isOpen());

    rig.backend.plug(*rig.port);
    watch.devicesAnnounced(false);
    ASSERT_EQ(poll(), ResultCode::Ok);
    watch.devicesAnnounced(false);   // another device came: the controller stays
    EXPECT_EQ(poll(), ResultCode::Ok);
    EXPECT_TRUE(flags.deviceConnected());

    rig.backend.unplug(*rig.port);
    const uint32_t unannounced = rig.host.now;
    EXPECT_NE(poll(), ResultCode::Ok);
    EXPECT_GE(rig.host.now - unannounced, kRetryPauseMs) << "without a word from the system the exchange finds out";
}

TEST_F(Watch, AHoldThatCannotBeTakenIsExplainedInABoxOncePerReason) {
    rig.holdLikeHardware();
    ScopedEnvironment environment;
    environment.set("ZMT_LOCK_DIR", "/nonexistent/locks");
    for (int language : {English, Russian}) {
        setLanguage(codeOf(language));
        rig.host.boxes.clear();
        EXPECT_EQ(poll(), ResultCode::NoHold);
        EXPECT_EQ(poll(), ResultCode::NoHold);
        EXPECT_EQ(watch.absence(), ConnectionWatch::Absence::CannotHold);
        EXPECT_FALSE(flags.deviceConnected());
        EXPECT_EQ(rig.host.status, resultText(ResultCode::NoHold));
        ASSERT_EQ(rig.host.boxes.size(), 1u) << "once, not on every poll";
        EXPECT_EQ(rig.host.boxes[0].style.kind, MessageKind::Error);
        EXPECT_EQ(rig.host.boxes[0].text, holdFailureText(rig.transport.holdFailure()));
        EXPECT_NE(rig.host.boxes[0].text.find("/nonexistent/locks"), std::string::npos);
        EXPECT_NE(rig.host.boxes[0].text.find(language == English ? "nothing was changed" : "ничего не изменено"),
                  std::string::npos);
        // Connected once the hold can be had; the next failure is told again.
        environment.set("ZMT_LOCK_DIR", std::getenv("XDG_RUNTIME_DIR"));
        ASSERT_EQ(poll(), ResultCode::Ok);
        rig.transport.closeController();
        rig.transport.releaseHold();
        rig.backend.unplug(*rig.port);
        EXPECT_NE(poll(), ResultCode::Ok);
        rig.backend.plug(*rig.port);
        environment.set("ZMT_LOCK_DIR", "/nonexistent/locks");
    }
}

TEST_F(Watch, AControllerLostBeforeItsConfigurationWasReadIsReadWhenItComesBack) {
    readSucceeds = false;   // unplugged in the middle of the read
    ASSERT_EQ(poll(), ResultCode::Ok);
    rig.backend.unplug(*rig.port);
    EXPECT_NE(poll(), ResultCode::Ok);
    rig.backend.plug(*rig.port);
    readSucceeds = true;
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 2);
    // Read now: the next departure and return read nothing.
    rig.backend.unplug(*rig.port);
    EXPECT_NE(poll(), ResultCode::Ok);
    rig.backend.plug(*rig.port);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 2);

    // Gone during the read and back before the next poll: no poll ever saw
    // it away, but the dropped handle tells.
    watch.forgetController();
    readSucceeds = false;
    dropHandleInRead = true;
    ASSERT_EQ(poll(), ResultCode::Ok);
    readSucceeds = true;
    dropHandleInRead = false;
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 4);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 4) << "a refusal or a time-out is not retried on every poll";
}

TEST_F(Watch, ForgottenSerialReadsAgain) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    watch.forgetController();   // after reset or reset to defaults
    EXPECT_FALSE(watch.controllerRead());
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 2);
}

TEST_F(Watch, SerialNumberZeroIsReadLikeAnyOther) {
    rig.controller->state.serialNumber = 0;
    EXPECT_FALSE(watch.controllerRead());
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 1);
    EXPECT_TRUE(watch.controllerRead());
    EXPECT_EQ(watch.lastSerial(), 0u);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 1) << "read once, as any controller";
    // Another controller after it is new, and so is serial 0 after that one.
    rig.backend.unplug(*rig.port);
    poll();
    auto other = std::make_shared<sim::SimulatedController>(2002);
    rig.backend.addController(other);
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(configurationReads, 2);
}

TEST_F(Watch, BootLoaderShowsThatNoApplicationIsLoaded) {
    rig.controller->state.bootMode = true;
    setLanguage("en");
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.host.memo, (std::vector<std::string>{
                                 "******** Controller is connected *************",
                                 "Controller          \"ZEL-MORVA-BOOT\"",
                                 "The serial number   1001",
                                 "Boot version        1.00",
                                 "Application version (application is not loaded)",
                             }));
    // The English connected text has always begun with a Cyrillic Es.
    EXPECT_EQ(rig.host.status, "\xD0\xA1ontroller \"ZEL-MORVA-BOOT\" is connected");
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.host.status, "Controller \"ZEL-MORVA-BOOT\" is connected.");
}

TEST_F(Watch, LanguageSwitchReannouncesWithoutADisconnectedLine) {
    ASSERT_EQ(poll(), ResultCode::Ok);
    setLanguage("en");
    watch.announceAgain();   // what the window asks for as the language changes
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_EQ(rig.host.memo.front(), "******** Controller is connected *************");
    EXPECT_EQ(rig.host.memo.size(), 5u);
    EXPECT_EQ(configurationReads, 1);
}

TEST_F(Watch, TickLetsSkippedTicksPassThenHidesTheGaugeAndPolls) {
    rig.host.progressStart(10, "transfer");
    rig.link.setPollSkip(2);
    watch.onPollTick();
    watch.onPollTick();
    EXPECT_FALSE(flags.deviceConnected());
    EXPECT_TRUE(rig.host.gauge().visible);
    watch.onPollTick();
    EXPECT_FALSE(rig.host.gauge().visible);
    EXPECT_TRUE(flags.deviceConnected());
}

TEST_F(Watch, UnusableHidLibraryIsShownInTheStatus) {
    rig.backend.initResult = HidBackend::InitLibraryFailed;
    EXPECT_EQ(poll(), ResultCode::HidLoad);
    EXPECT_EQ(rig.host.status, "Ошибка загрузки драйвера HID.DLL");
}

// A controller plugged in whose node refuses to open (no udev rule): the
// status keeps the disconnected text, and the memo explains the fix once per
// appearance and language, not on every 200 ms poll.
TEST_F(Watch, LockedControllerIsExplainedOncePerAppearance) {
    const auto explanations = [this](const std::string& firstLine) {
        return std::count(rig.host.memo.begin(), rig.host.memo.end(), firstLine);
    };
    const std::string russian = "Контроллер найден, но доступ к нему запрещён.";
    const std::string english = "Controller found, but access to it was denied.";
    rig.controller->state.openDenied = true;

    for (int polls = 0; polls < 5; ++polls) EXPECT_EQ(poll(), ResultCode::Disconnected);
    EXPECT_EQ(rig.host.status, "Контроллер отключен");
    EXPECT_EQ(explanations(russian), 1);
    EXPECT_EQ(rig.host.memo.size(), accessDeniedHelp().size());
#ifdef __linux__
    EXPECT_NE(std::find(rig.host.memo.begin(), rig.host.memo.end(), std::string("    ") + udevRulePath()),
              rig.host.memo.end());
#endif
    EXPECT_FALSE(flags.deviceConnected());
    EXPECT_TRUE(window.buttonCalls.empty());

    // A language switch explains it once more, in the new language.
    setLanguage("en");
    poll();
    poll();
    EXPECT_EQ(explanations(english), 1);
    EXPECT_EQ(explanations(russian), 1);

    // Unplugged and plugged again: a new appearance, explained again.
    rig.backend.unplug(*rig.port);
    poll();
    EXPECT_EQ(rig.host.status, "Controller is disconnected");
    rig.backend.plug(*rig.port);
    poll();
    poll();
    EXPECT_EQ(explanations(english), 2);
    EXPECT_EQ(rig.host.status, "Controller is disconnected");

    // Access granted (rule installed and triggered): the ordinary arrival.
    rig.controller->state.openDenied = false;
    ASSERT_EQ(poll(), ResultCode::Ok);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_EQ(rig.host.memo.front(), "******** Controller is connected *************");
    EXPECT_EQ(explanations(english), 0);

    // Locked again later (a node re-created without the rule): the loss is
    // announced, then explained once more.
    rig.backend.unplug(*rig.port);
    rig.controller->state.openDenied = true;
    rig.backend.plug(*rig.port);
    poll();
    poll();
    EXPECT_EQ(std::count(rig.host.memo.begin(), rig.host.memo.end(),
                         "******** Controller is disconnected **********"), 1);
    EXPECT_EQ(explanations(english), 1);
}

class DeviceLog : public Watch {
protected:
    void SetUp() override {
        Watch::SetUp();
        ASSERT_EQ(poll(), ResultCode::Ok);
        window.deviceLog = true;
        rig.host.memo.clear();
    }
};

TEST_F(DeviceLog, RecordsAreFetchedEveryTenMillisecondsOnTheMonitoringPage) {
    rig.controller->pushLogRecord(0x01, {0x0A, 0x0B});
    std::vector<uint8_t> long_(40);
    for (int i = 0; i < 40; ++i) long_[i] = static_cast<uint8_t>(i);
    rig.controller->pushLogRecord(0x7F, long_, 40);
    const std::size_t identityReads = rig.controller->requestsHandled();
    ASSERT_EQ(poll(), ResultCode::Ok);
    ASSERT_EQ(poll(), ResultCode::Ok);
    ASSERT_EQ(poll(), ResultCode::Ok);   // nothing waiting: no line
    EXPECT_EQ(window.interval, kDeviceLogIntervalMs);
    std::string expectedLong = "t:7F l:28 [";
    for (int i = 0; i < 32; ++i) expectedLong += formatText(" %02X", i);
    expectedLong += " ]";
    EXPECT_EQ(rig.host.memo, (std::vector<std::string>{"t:01 l:02 [ 0A 0B ]", expectedLong}));
    EXPECT_EQ(rig.controller->requestsHandled() - identityReads, 3u) << "no identity read in log mode";
    EXPECT_TRUE(window.deviceLog);
}

TEST_F(DeviceLog, LeavingThePageSwitchesItOff) {
    window.monitoring = false;
    const std::size_t before = rig.controller->requestsHandled();
    EXPECT_EQ(poll(), ResultCode::Ok);
    EXPECT_FALSE(window.deviceLog);
    EXPECT_EQ(window.interval, kPollIntervalMs);
    EXPECT_EQ(rig.controller->requestsHandled(), before);
}

TEST_F(DeviceLog, FailedReadSwitchesItOffAndKeepsTheConnection) {
    rig.controller->faults.forceStatus = statusFailed;
    EXPECT_EQ(poll(), ResultCode::Ok);
    EXPECT_FALSE(window.deviceLog);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_TRUE(rig.host.memo.empty());
}

} // namespace
} // namespace zmt::test
