#include "setup/quick_setup.h"

#include "config/button_names.h"
#include "device/connection_watch.h"
#include "learned_buttons.h"
#include "lang/lang.h"
#include "setup/button_assignment.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace zmt;
using namespace zmt::setup;

namespace {

using Levels = ChannelLevels;
constexpr uint8_t I = 20;   // the channels' level at rest
constexpr Levels kRest = {I, I, I, I};

Levels held(int channel, uint8_t level) {
    Levels levels = kRest;
    levels[channel] = level;
    return levels;
}

// ---- press detection ------------------------------------------------------

struct DetectionCase {
    const char* what;
    std::vector<Levels> readings;
    std::vector<PressResult> expected;   // in order, one per press that ended
};

class PressDetection : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(PressDetection, ReadingsGiveTheExpectedPresses) {
    const DetectionCase& c = GetParam();
    PressDetector detector({28, 28, 28, 28});
    std::vector<PressResult> found;
    for (const Levels& reading : c.readings)
        if (auto result = detector.onReading(reading)) found.push_back(*result);
    ASSERT_EQ(found.size(), c.expected.size()) << c.what;
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].kind, c.expected[i].kind) << c.what;
        EXPECT_EQ(found[i].channel, c.expected[i].channel) << c.what;
        EXPECT_EQ(found[i].level, c.expected[i].level) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PressDetection,
    ::testing::Values(
        DetectionCase{"steady press, then released",
                      {kRest, held(1, 120), held(1, 120), held(1, 120), kRest},
                      {{PressResult::Pressed, 1, 120}}},
        DetectionCase{"a level wandering by three is one button, stored at its middle",
                      {held(2, 117), held(2, 123), held(2, 120), held(2, 121), kRest},
                      {{PressResult::Pressed, 2, 120}}},
        DetectionCase{"two readings are a bounce, not a press",
                      {held(0, 90), held(0, 90), kRest, held(0, 90), kRest},
                      {}},
        DetectionCase{"held and never released gives nothing yet",
                      {held(0, 90), held(0, 90), held(0, 90), held(0, 90)},
                      {}},
        DetectionCase{"exactly the threshold is rest",
                      {held(0, 28), held(0, 28), held(0, 28), kRest},
                      {}},
        DetectionCase{"two channels at once",
                      {held(0, 90), Levels{90, 60, I, I}, Levels{90, 60, I, I}, kRest},
                      {{PressResult::TwoChannels, 0, 0}}},
        DetectionCase{"one channel after the other without a release",
                      {held(0, 90), held(0, 90), held(3, 60), held(3, 60), kRest},
                      {{PressResult::TwoChannels, 0, 0}}},
        DetectionCase{"a level sliding too far is unsteady",
                      {held(1, 100), held(1, 104), held(1, 108), held(1, 112), kRest},
                      {{PressResult::Unsteady, 1, 0}}},
        DetectionCase{"a dip below the threshold ends the press",
                      {held(1, 100), held(1, 100), held(1, 100), kRest, held(1, 100), held(1, 100), held(1, 100),
                       kRest},
                      {{PressResult::Pressed, 1, 100}, {PressResult::Pressed, 1, 100}}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(PressThreshold, StopsAt255InsteadOfWrapping) {
    EXPECT_EQ(pressThreshold(5), 13);
    EXPECT_EQ(pressThreshold(247), 255);
    EXPECT_EQ(pressThreshold(250), 255);
    IdleMeasurement idle;
    idle.add({3, 9, 250, 0});
    idle.add({5, 7, 249, 0});
    EXPECT_EQ(idle.thresholds(), (Levels{13, 17, 255, 8}));
}

// ---- the catalogue --------------------------------------------------------

TEST(FunctionCatalogue, KeysAreUniqueShortNamesFitAndReactionsAreConsumerUsages) {
    std::vector<std::string> keys;
    for (const FunctionEntry& entry : functionCatalogue()) {
        for (const std::string& key : keys) EXPECT_NE(key, entry.key);
        keys.push_back(entry.key);
        EXPECT_LE(std::strlen(entry.shortName), std::size_t{kKeyNameLength}) << entry.key;
        EXPECT_EQ(findFunction(entry.key), &entry);
        setLanguage("ru");
        const std::string russian = functionName(entry);
        setLanguage("en");
        EXPECT_NE(russian, functionName(entry)) << entry.key;
    }
    setLanguage("ru");
    EXPECT_EQ(setupSteps().size(), 10u);
    for (const FunctionEntry& entry : setupSteps()) {
        EXPECT_EQ(entry.kind, FunctionKind::Reaction);
        EXPECT_EQ(entry.reaction.kind, ReactionConsumer) << entry.key;
        EXPECT_EQ(functionSending(entry.reaction), &entry);
    }
    EXPECT_EQ(findFunction("volume-up")->reaction.word(), 0x00E9);
    EXPECT_FALSE(FunctionChoice::picked(Reaction{}).valid()) << "an empty pick sends nothing";
    EXPECT_TRUE(FunctionChoice::picked(Reaction{ReactionKeyboard, 0, 0x28, 0}).valid());
    EXPECT_EQ(findFunction("no-such-thing"), nullptr);
}

// ---- the flow -------------------------------------------------------------

class RecordingView : public QuickSetupView {
public:
    void changed() override { ++changes; }
    int changes = 0;
};

class QuickSetupTest : public ::testing::Test {
protected:
    QuickSetupTest() {
        setLanguage("en");
        controller().state.keyLevels = kRest;
        watch.setReadConfiguration([this] { transfer.readNewController(); });
        transfer.setEditHistory(&history);
        transfer.setSnapshotHook([this](uint32_t, const ConfigImage& held, SnapshotCause cause) {
            snapshots.push_back(cause);
            snapshotHeld = held;
            return snapshotOutcome;
        });
    }
    ~QuickSetupTest() override { setLanguage("ru"); }

    sim::SimulatedController& controller() { return *rig.controller; }
    ConfigImage& controllerImage() { return *reinterpret_cast<ConfigImage*>(controller().state.config.data()); }

    // The controller holds the editor tests' buttons, one of them (VOL+)
    // with an event; the program has read it.
    void connectWithButtons() {
        fixtures::putLearnedButtons(controllerImage());
        controllerImage().keysLearned = 1;
        controllerImage().channelThreshold[0] = 30;
        controllerImage().channelThreshold[2] = 31;
        EventRecord& e = controllerImage().events[0];
        e.keyRow = 1;
        e.keyCol = 0;
        e.setEventType(EventAnyPress);
        e.reaction = Reaction{ReactionKeyboard, 0, 0x28, 0};   // Enter
        connect();
    }
    void connect() {
        ASSERT_EQ(watch.pollController(), ResultCode::Ok);
        ASSERT_TRUE(flags.imageValid());
        before = controller().state.config;
        imageBefore = record.image;
    }

    void turn(const Levels& levels) {
        controller().state.keyLevels = levels;
        delayMs(rig.host, kQuickTurnMs);
        flow.onTurn();
    }
    // Starts and lets the idle measurement pass.
    void startAndMeasure() {
        ASSERT_TRUE(flow.start());
        for (int i = 0; i < kIdleReadings; ++i) turn(kRest);
        ASSERT_EQ(flow.step(), QuickStep::Waiting);
    }
    void press(int channel, uint8_t level) {
        for (int i = 0; i < kSteadyReadings + 1; ++i) turn(held(channel, level));
        turn(kRest);
    }
    bool controllerAsBefore() { return controller().state.config == before; }
    // The window's synchronisation ticks until nothing is pending.
    void sync() {
        for (int i = 0; i < 5 && transfer.changesPending(); ++i) {
            delayMs(rig.host, kSyncRetryDelayMs);
            transfer.syncChanges();
        }
    }

    test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    QuietWatchWindow window;
    ConnectionWatch watch{rig.link, flags, window};
    ConfigTransfer transfer{rig.link, record, flags, &watch};
    EditHistory history;
    RecordingView view;
    QuickSetup flow{rig.link, transfer, record, flags, &history, view};
    std::vector<SnapshotCause> snapshots;
    ConfigImage snapshotHeld{};
    FileResult snapshotOutcome;
    std::array<uint8_t, sim::kConfigSize> before{};
    ConfigImage imageBefore{};
};

TEST_F(QuickSetupTest, ThreeNewButtonsAndALongPressBecomeOneUndoableEditThatReachesTheController) {
    connect();   // a factory-fresh controller: nothing learned
    snapshots.clear();
    startAndMeasure();
    EXPECT_EQ(snapshots, std::vector<SnapshotCause>{SnapshotCause::QuickSetup});
    EXPECT_TRUE(std::memcmp(snapshotHeld.bytes(), before.data(), kConfigImageSize) == 0);
    EXPECT_EQ(controller().state.config[0], 0) << "the controller fires nothing while we wait";
    EXPECT_TRUE(flags.learningActive());
    EXPECT_EQ(flow.prompt(), "Press and release the button for Volume up");

    press(1, 120);
    EXPECT_EQ(flow.remark(), "VOL+: Volume up");
    press(1, 80);
    ASSERT_TRUE(flow.addLongPress(FunctionChoice::of(*findFunction("mute"))));
    EXPECT_EQ(flow.step(), QuickStep::Waiting);
    flow.skip();   // no button for Mute
    press(2, 60);  // Next track
    flow.finish();
    ASSERT_EQ(flow.step(), QuickStep::Summary);

    const std::vector<SummaryRow> rows = flow.summary();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].button, "VOL+");
    EXPECT_EQ(rows[0].shortPress, "Volume up");
    EXPECT_EQ(rows[1].button, "VOL-");
    EXPECT_EQ(rows[1].longPress, "Mute");
    EXPECT_EQ(rows[2].button, "NEXT");
    EXPECT_EQ(rows[2].shortPress, "Next track");
    EXPECT_TRUE(std::memcmp(record.image.bytes(), imageBefore.bytes(), kConfigImageSize) == 0)
        << "the image is untouched until apply";

    ASSERT_TRUE(flow.apply());
    EXPECT_FALSE(flags.learningActive());
    const ConfigImage& image = record.image;
    EXPECT_EQ(image.keysLearned, 1);
    EXPECT_EQ(image.keys[1][0].level, 120);
    EXPECT_EQ(image.keys[1][1].level, 80);
    EXPECT_EQ(image.channelThreshold[1], (80 + 20) / 2);
    EXPECT_EQ(image.channelThreshold[0], 255);
    // VOL+ alone answers any press; VOL- has a short and a long one.
    EXPECT_EQ(eventsOnPress(image, {1, 1}, PressLength::Long).size(), 1u);
    const auto volDownShort = eventsOnPress(image, {1, 2}, PressLength::Short);
    const auto volDownLong = eventsOnPress(image, {1, 2}, PressLength::Long);
    ASSERT_EQ(volDownShort.size(), 1u);
    ASSERT_EQ(volDownLong.size(), 1u);
    EXPECT_EQ(image.events[volDownShort[0]].eventType(), EventShortPress);
    EXPECT_EQ(image.events[volDownLong[0]].eventType(), EventLongPress);
    EXPECT_EQ(image.events[volDownLong[0]].reaction.word(), 0x00E2);
    // The button table went out at once, the events follow with the sync.
    EXPECT_EQ(controller().state.config[0], 1);
    EXPECT_EQ(controllerImage().keys[1][0].level, 120);
    sync();
    EXPECT_TRUE(std::memcmp(controller().state.config.data(), image.bytes(), kConfigImageSize) == 0);

    EXPECT_EQ(history.undoSteps(), 1u);
    EXPECT_EQ(history.undoLabel(record.image), "Quick set-up");
    ASSERT_TRUE(history.undo(record.image));
    EXPECT_TRUE(std::memcmp(record.image.bytes(), imageBefore.bytes(), kConfigImageSize) == 0);
}

TEST_F(QuickSetupTest, AKnownButtonKeepsItsNameAnUnnamedOneTakesTheShortNameAndNoButtonIsUsedTwice) {
    connectWithButtons();
    startAndMeasure();
    flow.skip();                                    // Volume up
    press(0, 61);                                   // VOL- (stored at 60), for Volume down
    EXPECT_EQ(flow.remark(), "VOL-: Volume down");
    press(2, 44);                                   // the unnamed 3.42, for Mute
    EXPECT_EQ(flow.remark(), "MUTE: Mute");
    press(0, 60);                                   // VOL- again, for Next track
    EXPECT_EQ(flow.remark(), "Button VOL- already has Volume down: press another one");
    EXPECT_EQ(flow.stepIndex(), 3) << "still waiting for Next track";
    flow.finish();
    ASSERT_TRUE(flow.apply());
    EXPECT_EQ(record.image.keys[0][1].nameText(), "VOL-");
    EXPECT_EQ(record.image.keys[0][1].level, 60) << "a known button keeps its level";
    EXPECT_EQ(record.image.keys[2][0].nameText(), "MUTE");
    EXPECT_EQ(record.image.channelThreshold[0], 30) << "no new button: thresholds stay";
}

TEST_F(QuickSetupTest, AFullChannelSaysSoAndTakesNothing) {
    for (int s = 0; s < kSlotsPerChannel; ++s)
        controllerImage().keys[3][s] = KeyRecord{static_cast<uint8_t>(40 + 10 * s), 5, {}};
    connect();
    startAndMeasure();
    press(3, 250);
    EXPECT_EQ(flow.remark(), "Channel 4 already holds 15 buttons: no new one fits");
    EXPECT_EQ(flow.stepIndex(), 0);
    EXPECT_TRUE(flow.summary().empty());
    press(0, 90);
    EXPECT_EQ(flow.stepIndex(), 1);
}

TEST_F(QuickSetupTest, UnsteadyAndTwoChannelPressesAskAgain) {
    connect();
    startAndMeasure();
    for (uint8_t level : {100, 105, 110, 115}) turn(held(1, level));
    turn(kRest);
    EXPECT_EQ(flow.remark(), "The button's level was unsteady: press again");
    for (int i = 0; i < 4; ++i) turn(Levels{90, 90, I, I});
    turn(kRest);
    EXPECT_EQ(flow.remark(), "Two buttons at once: press one again");
    EXPECT_EQ(flow.stepIndex(), 0);
    EXPECT_TRUE(flow.summary().empty());
}

struct ConflictCase {
    ConflictAnswer answer;
    int oldType;                 // the old event's type afterwards (0: cleared)
    bool newEvent;               // the function got an event
};

class QuickSetupConflict : public QuickSetupTest, public ::testing::WithParamInterface<ConflictCase> {};

TEST_P(QuickSetupConflict, TheAnswerDecidesWhatTheOldEventKeeps) {
    const ConflictCase& c = GetParam();
    connectWithButtons();   // VOL+ sends Enter on any press (event 1)
    startAndMeasure();
    press(0, 40);
    ASSERT_EQ(flow.step(), QuickStep::Conflict);
    EXPECT_EQ(flow.conflictLines(), std::vector<std::string>{"Any press: Enter (event 1)"});
    flow.answerConflict(c.answer);
    EXPECT_EQ(flow.step(), QuickStep::Waiting);
    EXPECT_EQ(flow.stepIndex(), 1) << "Volume up is done either way";
    flow.finish();
    ASSERT_TRUE(flow.apply());
    EXPECT_EQ(record.image.events[0].eventType(), c.oldType);
    std::vector<int> volumeUp;
    for (int e : eventsOnPress(record.image, {0, 1}, PressLength::Short))
        if (record.image.events[e].reaction.word() == 0x00E9 && record.image.events[e].reaction.kind == ReactionConsumer)
            volumeUp.push_back(e);
    EXPECT_EQ(volumeUp.size(), c.newEvent ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, QuickSetupConflict,
                         ::testing::Values(
                             // Replace: the any-press event keeps only the long press.
                             ConflictCase{ConflictAnswer::Replace, EventLongPress, true},
                             ConflictCase{ConflictAnswer::KeepBoth, EventAnyPress, true},
                             ConflictCase{ConflictAnswer::Skip, EventAnyPress, false}));

TEST_F(QuickSetupTest, NothingSwitchesAFaultyButtonOff) {
    connectWithButtons();
    startAndMeasure();
    ASSERT_TRUE(flow.chooseFunction(FunctionChoice::of(*findFunction("nothing"))));
    EXPECT_EQ(flow.prompt(), "Press and release the button to switch off");
    press(1, 150);
    EXPECT_EQ(flow.remark(), "Channel 2 has no button at level 150") << "an unknown button is not learned to be off";
    press(0, 40);
    EXPECT_EQ(flow.stepIndex(), 0) << "the list goes on at Volume up";
    flow.finish();
    ASSERT_TRUE(flow.apply());
    EXPECT_TRUE(eventsOnPress(record.image, {0, 1}, PressLength::Short).empty());
    EXPECT_EQ(record.image.events[0].keyRow, 0);
}

TEST_F(QuickSetupTest, BackTakesTheLastStepBackAndAsksForItAgain) {
    connect();
    startAndMeasure();
    EXPECT_FALSE(flow.canGoBack());
    press(1, 120);
    EXPECT_TRUE(flow.canGoBack());
    press(1, 80);
    flow.back();
    EXPECT_EQ(flow.stepIndex(), 1);
    EXPECT_EQ(flow.summary().size(), 1u);
    press(2, 80);   // Volume down on another button instead
    flow.finish();
    flow.back();    // from the summary back to Mute
    EXPECT_EQ(flow.step(), QuickStep::Waiting);
    EXPECT_EQ(flow.stepIndex(), 2);
    flow.finish();
    ASSERT_TRUE(flow.apply());
    EXPECT_EQ(record.image.keys[1][1].level, 0);
    EXPECT_EQ(record.image.keys[2][0].level, 80);
}

TEST_F(QuickSetupTest, ALongPressAddedAtTheSummaryStaysThereAndBackTakesItBackFirst) {
    connect();
    startAndMeasure();
    press(1, 120);
    flow.finish();
    ASSERT_TRUE(flow.addLongPress(FunctionChoice::of(*findFunction("mute"))));
    EXPECT_EQ(flow.step(), QuickStep::Summary);
    EXPECT_EQ(flow.summary().at(0).longPress, "Mute");
    ASSERT_TRUE(flow.addLongPress(FunctionChoice::of(*findFunction("stop"))));
    EXPECT_EQ(flow.summary().at(0).longPress, "Stop") << "a second long press replaces the first";
    EXPECT_EQ(eventsOnPress(flow.pending(), {1, 1}, PressLength::Long).size(), 1u);
    flow.back();
    EXPECT_EQ(flow.step(), QuickStep::Summary);
    EXPECT_EQ(flow.summary().at(0).longPress, "Mute");
    flow.back();
    flow.back();
    EXPECT_EQ(flow.step(), QuickStep::Waiting);
    EXPECT_EQ(flow.stepIndex(), 1) << "back past the summary to the step it was finished at";
    EXPECT_TRUE(flow.summary().at(0).longPress.empty());
}

// Where a run is stopped, and how.
enum class StopAt { Measuring, Waiting, AfterPresses, Conflict, Summary };
enum class StopBy { Cancel, Abandon, Unplug };

std::string stopName(const ::testing::TestParamInfo<std::tuple<StopAt, StopBy>>& info) {
    static const char* const at[] = {"Measuring", "Waiting", "AfterPresses", "Conflict", "Summary"};
    static const char* const by[] = {"Cancel", "Abandon", "Unplug"};
    return std::string(at[int(std::get<0>(info.param))]) + "_" + by[int(std::get<1>(info.param))];
}

class QuickSetupStop : public QuickSetupTest,
                       public ::testing::WithParamInterface<std::tuple<StopAt, StopBy>> {};

TEST_P(QuickSetupStop, PutsBackExactlyWhatTheControllerHeld) {
    const auto [at, by] = GetParam();
    connectWithButtons();
    ASSERT_TRUE(flow.start());
    if (at != StopAt::Measuring) {
        for (int i = 0; i < kIdleReadings; ++i) turn(kRest);
        if (at == StopAt::AfterPresses || at == StopAt::Summary) {
            press(1, 120);
            ASSERT_TRUE(flow.addLongPress(FunctionChoice::of(*findFunction("mute"))));
            press(0, 60);
        }
        if (at == StopAt::Conflict) press(0, 40);
        if (at == StopAt::Summary) flow.finish();
    }
    EXPECT_EQ(controller().state.config[0], 0);

    switch (by) {
    case StopBy::Cancel:
        flow.cancel();
        EXPECT_EQ(flow.outcome(), QuickOutcome::Cancelled);
        break;
    case StopBy::Abandon:
        flow.abandon();
        EXPECT_EQ(flow.outcome(), QuickOutcome::Cancelled);
        break;
    case StopBy::Unplug:
        rig.backend.unplug(*rig.port);
        if (flow.running()) {
            turn(kRest);
        } else {
            flow.cancel();   // the window cancels a flow that waits for an answer
        }
        rig.backend.plug(*rig.port);
        delayMs(rig.host, 1000);
        ASSERT_EQ(watch.pollController(), ResultCode::Ok);
        sync();
        break;
    }
    EXPECT_EQ(flow.step(), QuickStep::Off);
    EXPECT_FALSE(flags.learningActive());
    EXPECT_TRUE(controllerAsBefore()) << "learned flag, thresholds, buttons and events as they were";
    EXPECT_TRUE(std::memcmp(record.image.bytes(), imageBefore.bytes(), kConfigImageSize) == 0);
    EXPECT_EQ(history.undoSteps(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, QuickSetupStop,
                         ::testing::Combine(::testing::Values(StopAt::Measuring, StopAt::Waiting, StopAt::AfterPresses,
                                                              StopAt::Conflict, StopAt::Summary),
                                            ::testing::Values(StopBy::Cancel, StopBy::Abandon, StopBy::Unplug)),
                         stopName);

// A click handled while a turn waits to try its read again (the pause lets
// window events run) is carried out when the turn is done, never in the
// middle of its exchange.
TEST_F(QuickSetupTest, ACancelThatComesWhileATurnReadsTheLevelsWaitsForTheTurn) {
    connectWithButtons();
    startAndMeasure();
    controller().faults.corruptCheck = true;   // the first attempt fails
    delayMs(rig.host, kQuickTurnMs);
    int cancels = 0;
    int timer = 0;
    timer = rig.host.startTimer(1, [&] {
        ++cancels;
        controller().faults.corruptCheck = false;
        flow.cancel();
        EXPECT_EQ(flow.step(), QuickStep::Waiting) << "nothing happens inside the exchange";
        rig.host.stopTimer(timer);
    });
    flow.onTurn();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(flow.step(), QuickStep::Off);
    EXPECT_EQ(flow.outcome(), QuickOutcome::Cancelled);
    EXPECT_TRUE(controllerAsBefore());
}

TEST_F(QuickSetupTest, ASnapshotThatCannotBeKeptStopsTheFlowBeforeAnythingIsWritten) {
    connectWithButtons();
    snapshotOutcome.error = FileError::CannotWrite;
    rig.host.boxes.clear();
    EXPECT_FALSE(flow.start());
    EXPECT_EQ(flow.step(), QuickStep::Off);
    EXPECT_EQ(flow.outcome(), QuickOutcome::NotStarted);
    EXPECT_FALSE(rig.host.boxes.empty()) << "the reason is shown";
    EXPECT_FALSE(flags.learningActive());
    EXPECT_TRUE(controllerAsBefore());
}

TEST_F(QuickSetupTest, WithoutAConfigurationReadNothingStarts) {
    EXPECT_FALSE(flow.start());
    EXPECT_EQ(flow.remark(), "Read the controller's configuration first");
    EXPECT_TRUE(snapshots.empty());
}

TEST_F(QuickSetupTest, TestModeNamesTheButtonAndWhatItsPressesDo) {
    connectWithButtons();
    ASSERT_TRUE(flow.startTest());
    EXPECT_FALSE(flags.learningActive()) << "the controller keeps working while buttons are tried";
    press(0, 41);
    ASSERT_TRUE(flow.lastTest());
    EXPECT_TRUE(flow.lastTest()->known);
    EXPECT_EQ(flow.lastTest()->button, "VOL+");
    EXPECT_EQ(flow.lastTest()->shortPress, "Enter");
    EXPECT_EQ(flow.lastTest()->longPress, "Enter");
    press(0, 200);
    EXPECT_FALSE(flow.lastTest()->known);
    EXPECT_EQ(flow.remark(), "Channel 1 has no button at level 200");
    flow.stopTest();
    EXPECT_EQ(flow.step(), QuickStep::Off);
    EXPECT_TRUE(controllerAsBefore());
}

} // namespace
