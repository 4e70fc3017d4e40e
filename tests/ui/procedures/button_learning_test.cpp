#include "ui/procedures/button_learning.h"
#include "config/key_names.h"
#include "lang/lang.h"
#include "sim_rig.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace zmt;

namespace {

using Levels = std::array<uint8_t, 4>;
constexpr uint8_t I = 20;   // idle level of the channels in most runs

// The grid and toolbar as the procedure sees them. Every level reading is
// reported here, so a test scripts the controller's next levels from it.
class RecordingView : public LearningView {
public:
    void setLearningBusy(bool busy) override { busyCalls.push_back(busy); }
    void setKeyCellText(int channel, int row, const std::string& text) override {
        cellTexts.push_back({channel, row, text});
    }
    void markRecognised(int channel, int row) override { marked[channel] = row; }
    void clearGridSelection() override { ++selectionCleared; }
    void showLevels(const LearningLevels& levels) override {
        ++readings[levels.phase];
        snapshots.push_back(levels);
        if (onReading) onReading(levels);
    }

    struct Cell { int channel; int row; std::string text; bool operator==(const Cell&) const = default; };
    std::array<int, 4> marked{};   // the row marked in each channel's column, 0 none
    std::vector<bool> busyCalls;
    std::vector<Cell> cellTexts;
    int selectionCleared = 0;
    int readings[3] = {};
    std::vector<LearningLevels> snapshots;
    std::function<void(const LearningLevels&)> onReading;
};

class ButtonLearningTest : public ::testing::Test {
protected:
    ButtonLearningTest() {
        FlagsForTests::setDeviceConnected(flags, true);
        controller().state.keyLevels = {I, I, I, I};
        host().answers.push_back(Answer::Yes);
    }

    sim::SimulatedController& controller() { return *rig.controller; }
    test::VirtualHost& host() { return rig.host; }
    const ConfigImage& controllerImage() {
        return *reinterpret_cast<const ConfigImage*>(controller().state.config.data());
    }

    // Clicks the learning button, then turns the run as the window's timer
    // does, every kLearningTurnMs, until it ends.
    void learn() {
        learning.onLearnButtons();
        while (learning.running()) {
            delayMs(host(), kLearningTurnMs);
            learning.onTurn();
        }
    }

    // Plays the given readings of the collection phase one after the other
    // (idle readings before them are all I), then stops the run with a
    // second click once the script is used up.
    void collect(std::vector<Levels> script) {
        std::size_t next = 0;
        view.onReading = [this, script, next](const LearningLevels& levels) mutable {
            if (levels.phase == 1 && view.readings[1] < kIdlePolls - 1) return;
            if (next < script.size()) {
                controller().state.keyLevels = script[next++];
            } else {
                learning.onLearnButtons();
            }
        };
        learn();
    }

    test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    ConfigTransfer transfer{rig.link, record, flags, nullptr};
    RecordingView view;
    ButtonLearning learning{rig.link, transfer, record, flags, view};
};

// The grid and learning share these: a name learning may replace is exactly
// one the grid shows as automatic.
TEST(AutoLabel, FormAndRecognition) {
    using editor::autoLabel;
    using editor::isAutoLabel;
    EXPECT_EQ(autoLabel(1, 137), "2.137");
    EXPECT_EQ(autoLabel(3, 5), "4.5");
    EXPECT_TRUE(isAutoLabel(autoLabel(0, 255)));
    EXPECT_TRUE(isAutoLabel("3.4"));
    EXPECT_TRUE(isAutoLabel("1.234xyz")) << "nothing after the fifth character counts";
    EXPECT_FALSE(isAutoLabel("1.2a"));
    EXPECT_FALSE(isAutoLabel("2,137"));
    EXPECT_FALSE(isAutoLabel("A.12"));
    EXPECT_FALSE(isAutoLabel("VOL+"));
    EXPECT_FALSE(isAutoLabel("1"));
    EXPECT_FALSE(isAutoLabel("12.3"));
}

TEST_F(ButtonLearningTest, IdleMaximumPlusEightIsNotAPressOneMoreIs) {
    // Idle readings 3, 5, 4 (then 4) on channel 0.
    const std::vector<uint8_t> idle = {3, 5, 4};
    controller().state.keyLevels = {idle[0], I, I, I};
    std::vector<Levels> collection = {{13, I, I, I}, {14, I, I, I}};
    std::size_t next = 0;
    view.onReading = [&](const LearningLevels& levels) {
        const int n = view.readings[levels.phase];
        if (levels.phase == 1) {
            controller().state.keyLevels[0] = idle[std::min<std::size_t>(n, 2)];
            if (n < kIdlePolls - 1) return;
        }
        if (next < collection.size()) controller().state.keyLevels = collection[next++];
        else learning.onLearnButtons();
    };
    learn();

    EXPECT_EQ(view.readings[1], 19) << "the idle measurement takes 19 readings";
    ASSERT_GE(view.snapshots.size(), 21u);
    const LearningLevels& atThirteen = view.snapshots[19];
    EXPECT_EQ(atThirteen.idleMaximum[0], 5);
    EXPECT_EQ(atThirteen.pressThreshold[0], 13);
    EXPECT_EQ(atThirteen.recognisedRow[0], 0) << "13 is no press";
    EXPECT_EQ(view.snapshots[20].recognisedRow[0], 1) << "14 is";
    // The level bars colour a bar by the same rule; while the idle level is
    // measured the threshold is still 0 and nothing counts as pressed.
    EXPECT_FALSE(atThirteen.pressed(0));
    EXPECT_TRUE(view.snapshots[20].pressed(0));
    EXPECT_FALSE(view.snapshots[0].pressed(0));
    EXPECT_EQ(record.image.keys[0][0].level, 14);
    EXPECT_EQ(controllerImage().keys[0][0].level, 14);
    // Threshold from the idle maximum itself (5), not the press threshold.
    EXPECT_EQ(controllerImage().channelThreshold[0], (5 + 14) / 2);
}

TEST_F(ButtonLearningTest, TwoPressesGiveTwoButtonsWithThresholdAndTolerances) {
    collect({{120, I, I, I}, {I, I, I, I}, {160, I, I, I}, {I, I, I, I}});
    const ConfigImage& stored = controllerImage();
    EXPECT_EQ(stored.keysLearned, 1);
    EXPECT_EQ(stored.channelThreshold[0], 70);
    EXPECT_EQ(stored.keys[0][0].level, 120);
    EXPECT_EQ(stored.keys[0][0].tolerance, 20);
    EXPECT_EQ(stored.keys[0][1].level, 160);
    EXPECT_EQ(stored.keys[0][1].tolerance, 20);
    EXPECT_EQ(stored.keys[0][2].level, 0);
    for (int c = 1; c < 4; ++c) EXPECT_EQ(stored.channelThreshold[c], kNoThreshold);
    // Everything written is known to be on the controller, and said so.
    EXPECT_EQ(std::memcmp(record.image.bytes(), record.deviceCopy.bytes(), kLearningWriteTotal), 0);
    EXPECT_TRUE(flags.imageValid());
    ASSERT_FALSE(host().notices.empty());
    EXPECT_EQ(host().notices.back().text, "Настройка кнопок завершена успешно");
    EXPECT_EQ(host().notices.back().clearMs, 3000u);
    EXPECT_EQ(host().gaugeHistory.front().maximum, kLearningWriteTotal);
    EXPECT_EQ((view.busyCalls), (std::vector<bool>{true, false}));
    EXPECT_EQ(view.selectionCleared, 1);
    EXPECT_FALSE(learning.active());
    EXPECT_FALSE(flags.learningActive());
}

TEST_F(ButtonLearningTest, DriftingLevelFollowsOneSlotAndADistantOneTakesANewSlot) {
    collect({{100, I, I, I}, {103, I, I, I}, {106, I, I, I}, {I, I, I, I}, {114, I, I, I}, {I, I, I, I}});
    EXPECT_EQ(record.image.keys[0][0].level, 106) << "the newest reading of a held button";
    EXPECT_EQ(record.image.keys[0][1].level, 114) << "8 away from 106";
    EXPECT_EQ(record.image.keys[0][2].level, 0);

    // Apart from a button learned earlier: 108 is 8 away from 100.
    record = ConfigRecord{};
    view.snapshots.clear();
    view.readings[1] = view.readings[2] = 0;
    host().answers.push_back(Answer::Yes);
    collect({{100, I, I, I}, {I, I, I, I}, {108, I, I, I}, {I, I, I, I}});
    EXPECT_EQ(record.image.keys[0][0].level, 100);
    EXPECT_EQ(record.image.keys[0][1].level, 108);
}

TEST_F(ButtonLearningTest, TwoChannelsPressedInOneTurnAreMarkedInTheirOwnColumns) {
    bool checked = false;
    std::size_t next = 0;
    const std::vector<Levels> script = {{120, I, 90, I}, {I, I, I, I}};
    view.onReading = [&](const LearningLevels& levels) {
        if (levels.phase == 2 && levels.current[0] == 120) {
            EXPECT_EQ(view.marked, (std::array<int, 4>{1, 0, 1, 0}));
            EXPECT_EQ(levels.recognisedRow[0], 1);
            EXPECT_EQ(levels.recognisedRow[2], 1);
            checked = true;
        }
        if (levels.phase == 1 && view.readings[1] < kIdlePolls - 1) return;
        if (next < script.size()) controller().state.keyLevels = script[next++];
        else learning.onLearnButtons();
    };
    learn();
    EXPECT_TRUE(checked);
    EXPECT_EQ(view.cellTexts, (std::vector<RecordingView::Cell>{{0, 1, "1.120"}, {2, 1, "3.90"}}));
    EXPECT_EQ(view.marked, (std::array<int, 4>{})) << "marks cleared at the end";
}

TEST_F(ButtonLearningTest, NamedButtonKeepsItsTextAnAutoLabelledOneFollowsTheLevel) {
    record.image.keys[0][0].level = 100;
    record.image.keys[0][0].setName("VOL+");
    record.image.keys[1][0].level = 60;
    record.image.keys[1][0].setName("2.60");
    collect({{103, 64, I, I}, {I, I, I, I}});
    EXPECT_EQ(view.cellTexts, (std::vector<RecordingView::Cell>{{1, 1, "2.64"}}));
    EXPECT_EQ(record.image.keys[0][0].nameText(), "VOL+") << "names are not touched";
    EXPECT_EQ(record.image.keys[1][0].nameText(), "2.60");
    EXPECT_EQ(record.image.keys[0][0].level, 103);
}

TEST_F(ButtonLearningTest, SixteenthButtonOfAChannelIsIgnored) {
    for (int s = 0; s < kSlotsPerChannel; ++s) record.image.keys[3][s].level = static_cast<uint8_t>(30 + 10 * s);
    collect({{I, I, I, 250}, {I, I, I, I}});
    for (int s = 0; s < kSlotsPerChannel; ++s) EXPECT_EQ(record.image.keys[3][s].level, 30 + 10 * s);
    EXPECT_TRUE(view.cellTexts.empty());
}

TEST_F(ButtonLearningTest, SecondClickWhileMeasuringIdleFinishesWithWhatWasMeasured) {
    controller().state.keyLevels = {I, 40, I, I};
    record.image.keys[1][0].level = 100;   // learned in an earlier run
    view.onReading = [&](const LearningLevels& levels) {
        if (levels.phase == 1 && view.readings[1] == 3) learning.onLearnButtons();
    };
    learn();
    EXPECT_EQ(view.readings[1], 3);
    EXPECT_EQ(view.readings[2], 0);
    const ConfigImage& stored = controllerImage();
    EXPECT_EQ(stored.keysLearned, 1);
    EXPECT_EQ(stored.channelThreshold[0], kNoThreshold);
    EXPECT_EQ(stored.channelThreshold[1], 70) << "midpoint of idle 40 and the stored 100";
    EXPECT_EQ(stored.keys[1][0].tolerance, 30);
}

// The button keeps working while the run writes its result; a click then is
// the stop already under way, never the start of a second run.
TEST_F(ButtonLearningTest, ClickWhileTheResultIsWrittenStartsNoSecondRun) {
    bool readingsBegan = false;
    int clicksWhileWriting = 0;
    view.onReading = [&](const LearningLevels&) {
        if (!readingsBegan) learning.onLearnButtons();   // stop at the first reading
        readingsBegan = true;
    };
    host().startTimer(1, [&] {
        if (!readingsBegan || !learning.active() || learning.running()) return;
        ++clicksWhileWriting;
        learning.onLearnButtons();
    });
    learn();
    EXPECT_GT(clicksWhileWriting, 0);
    EXPECT_EQ(host().boxes.size(), 1u) << "one question: no second run";
    EXPECT_EQ((view.busyCalls), (std::vector<bool>{true, false}));
    EXPECT_EQ(controllerImage().keysLearned, 1);
}

TEST(PressThreshold, EightAboveTheIdleMaximumStoppingAt255) {
    EXPECT_EQ(pressThreshold(0), 8);
    EXPECT_EQ(pressThreshold(5), 13);
    EXPECT_EQ(pressThreshold(247), 255);
    for (int idle = 248; idle <= 255; ++idle) EXPECT_EQ(pressThreshold(static_cast<uint8_t>(idle)), 255) << idle;
}

TEST_F(ButtonLearningTest, ChannelRestingHighStoresNoPhantomButtons) {
    // Channel 1 rests at 250: its threshold would wrap to 2 and the idle
    // level itself would be taken for a held button on every turn.
    controller().state.keyLevels = {I, 250, I, I};
    learn();
    EXPECT_EQ(view.snapshots.back().pressThreshold[1], 255);
    EXPECT_EQ(view.readings[2], kCollectPolls) << "nothing pressed, so the countdown runs out";
    EXPECT_TRUE(view.cellTexts.empty());
    for (int s = 0; s < kSlotsPerChannel; ++s) EXPECT_EQ(controllerImage().keys[1][s].level, 0) << s;
    EXPECT_EQ(controllerImage().channelThreshold[1], kNoThreshold);
    EXPECT_EQ(controllerImage().keysLearned, 1) << "the run still finishes normally";
}

TEST_F(ButtonLearningTest, NoPressEndsAfterSixHundredPollsAndWritesThresholds) {
    record.image.keys[2][0].level = 200;
    learn();
    EXPECT_EQ(view.readings[2], kCollectPolls);
    const ConfigImage& stored = controllerImage();
    EXPECT_EQ(stored.keysLearned, 1);
    EXPECT_EQ(stored.channelThreshold[2], (I + 200) / 2);
    EXPECT_EQ(stored.channelThreshold[0], kNoThreshold);
}

TEST_F(ButtonLearningTest, StartWritesClearTheControllersLearnedFlagOnly) {
    controller().state.config[0] = 1;
    host().logOn = true;
    int writes = -1;
    uint8_t flagWhileReading = 0xFF;
    view.onReading = [&](const LearningLevels&) {
        if (writes >= 0) return;
        writes = 0;
        for (const std::string& line : host().memo)
            if (line.find("> CMD:90") != std::string::npos) ++writes;
        flagWhileReading = controller().state.config[0];
        FlagsForTests::setAppClosing(flags, true);   // the window closes during the idle phase
    };
    learn();
    EXPECT_EQ(writes, 2) << "the learned flag, then one empty frame";
    EXPECT_EQ(flagWhileReading, 0);
}

TEST_F(ButtonLearningTest, ClosingTheWindowDuringARunWritesNothing) {
    const auto before = controller().state.config;
    controller().state.config[0] = 0;
    bool pressed = false;
    view.onReading = [&](const LearningLevels& levels) {
        if (levels.phase == 2 && !pressed) {
            controller().state.keyLevels = {150, I, I, I};
            pressed = true;
        } else if (pressed && levels.recognisedRow[0] != 0) {
            FlagsForTests::setAppClosing(flags, true);
        }
    };
    learn();
    EXPECT_EQ(record.image.keys[0][0].level, 150);
    auto expected = before;
    expected[0] = 0;
    EXPECT_EQ(controller().state.config, expected) << "nothing beyond the starting write";
    EXPECT_EQ(record.deviceCopy.keys[0][0].level, 0);
    EXPECT_FALSE(flags.imageValid());
}

// Closing in the middle of a run leaves what was learned out, but gives the
// controller its learned flag back: its buttons must keep working.
TEST_F(ButtonLearningTest, ClosingDuringARunGivesTheControllerItsButtonsBack) {
    controller().state.config[0] = 1;
    record.image.keysLearned = 1;
    record.deviceCopy.keysLearned = 1;
    const auto before = controller().state.config;
    view.onReading = [&](const LearningLevels& levels) {
        if (levels.phase == LearningCollecting) FlagsForTests::setAppClosing(flags, true);
    };
    learn();
    EXPECT_EQ(controller().state.config, before);
    EXPECT_EQ(record.deviceCopy.keysLearned, 1);
}

TEST_F(ButtonLearningTest, RefusedQuestionOrFailedStartSendsNothingMore) {
    host().answers.clear();
    host().answers.push_back(Answer::No);
    learn();
    EXPECT_EQ(controller().requestsHandled(), 0u);

    host().answers.push_back(Answer::Yes);
    controller().faults.forceStatus = 0xFD;
    learn();
    ASSERT_EQ(host().boxes.size(), 3u);
    EXPECT_EQ(host().boxes.back().style.kind, MessageKind::Error);
    EXPECT_TRUE(host().notices.empty()) << "no prompt after a failed start";
    EXPECT_EQ(view.readings[1], 0);
}

TEST_F(ButtonLearningTest, FailedFinishStaysPendingAndTheSynchronisationDeliversItLater) {
    FlagsForTests::setImageValid(flags, true);
    view.onReading = [&](const LearningLevels& levels) {
        if (levels.phase == 2 && view.readings[2] == 1) controller().state.keyLevels = {120, I, I, I};
        if (levels.phase == 2 && view.readings[2] == 2) {
            controller().state.keyLevels = {I, I, I, I};
            controller().faults.forceStatus = 0xFD;   // the controller stops taking writes
            learning.onLearnButtons();
        }
    };
    learn();
    ASSERT_FALSE(host().boxes.empty());
    EXPECT_EQ(host().boxes.back().style.kind, MessageKind::Error);
    EXPECT_EQ(record.deviceCopy.keys[0][0].level, 0) << "not on the controller, so not in its copy";
    EXPECT_TRUE(transfer.changesPending());
    EXPECT_NE(host().notices.back().text, "Настройка кнопок завершена успешно");

    controller().faults.forceStatus = 0;
    transfer.syncChanges();
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(controllerImage().keys[0][0].level, 120);
    EXPECT_EQ(controllerImage().keysLearned, 1);
}

TEST_F(ButtonLearningTest, PromptsInEnglish) {
    setLanguage("en");
    collect({{I, I, I, I}});
    setLanguage("ru");
    std::vector<std::string> texts;
    for (const auto& n : host().notices) texts.push_back(n.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Do not press anything", "Press each button and give it a name", "",
                                               "Customize Buttons completed successfully"}));
    EXPECT_EQ(host().boxes.front().text, "You really want to launch setup of keys?");
    EXPECT_EQ(host().boxes.front().style, MessageStyle(MessageKind::Question, DefaultAnswer::No));
}

} // namespace
