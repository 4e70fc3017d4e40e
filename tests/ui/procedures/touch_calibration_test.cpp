#include "ui/procedures/touch_calibration.h"
#include "lang/lang.h"
#include "sim_rig.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zmt;

namespace {

// The controller's state byte is scripted: each poll reads the next value
// of the sequence (the last one repeats).
class TouchCalibrationTest : public ::testing::Test {
protected:
    TouchCalibrationTest() {
        rig.host.answers.push_back(Answer::Yes);
        rig.host.logOn = true;
    }
    ~TouchCalibrationTest() override { setLanguage("ru"); }

    void run(std::vector<uint8_t> states, bool offset = false) {
        // Each request is answered as it arrives, so the state for the next
        // poll is put in place right after one was answered: the start
        // write brings the first value, every state read the following one.
        std::size_t next = 0;
        std::size_t seen = rig.controller->requestsHandled();
        rig.backend.setTransferCost(1, [this, states, next, seen](uint32_t ms) mutable {
            rig.host.now += ms;
            if (rig.controller->requestsHandled() == seen) return;
            seen = rig.controller->requestsHandled();
            const auto& request = rig.controller->lastRequest();
            const bool startWrite = request[1] == (cmdTouchMemory | kWriteFlag);
            const bool stateRead = request[1] == cmdTouchMemory && request[2] == 1;
            if (startWrite) next = 0;
            if (startWrite || stateRead)
                rig.controller->state.touch[1] = states[std::min(next++, states.size() - 1)];
        });
        calibrate(offset);
    }
    // Clicks the calibration button, then turns the run as the window's
    // timer does, every kCalibrationPollMs, until it ends.
    void calibrate(bool offset = false) {
        calibration.onCalibrateTouch(offset);
        while (calibration.running()) {
            delayMs(rig.host, kCalibrationPollMs);
            calibration.onTurn();
        }
    }
    std::vector<std::string> noticeTexts() {
        std::vector<std::string> texts;
        for (const auto& n : rig.host.notices) texts.push_back(n.text);
        return texts;
    }
    int touchBlockReads() {
        int reads = 0;
        for (const std::string& line : rig.host.memo)
            if (line.find("> CMD:11 OFFSET:0000") != std::string::npos) ++reads;
        return reads;
    }

    test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    ConfigTransfer transfer{rig.link, record, flags, nullptr};
    std::vector<bool> busy;
    TouchCalibration calibration{rig.link, transfer, record, flags, [this](bool b) { busy.push_back(b); }};
};

TEST_F(TouchCalibrationTest, LastCornerWithReleasesSucceedsAndKeepsTheTouchBlock) {
    rig.controller->state.touch = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    run({1, 0x81, 2, 0x82, 3, 0x83, 0}, true);
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Succeeded);
    EXPECT_EQ(noticeTexts(), (std::vector<std::string>{
                                 "Нажмите в верхнем левом углу", "Пожалуйста отпустите нажатие",
                                 "Нажмите в верхнем правом углу", "Пожалуйста отпустите нажатие",
                                 "Нажмите в нижнем правом углу", "Пожалуйста отпустите нажатие", "",
                                 "Настройка тачпанели завершена успешно"}));
    EXPECT_EQ(rig.host.notices.back().clearMs, 3000u);
    EXPECT_EQ(touchBlockReads(), 1);
    EXPECT_EQ(record.touchState[0], 1) << "the offset option as written";
    EXPECT_EQ(record.touchState[9], 8);
    EXPECT_EQ((busy), (std::vector<bool>{true, false}));
    EXPECT_FALSE(calibration.active());
}

TEST_F(TouchCalibrationTest, EndingBeforeOrAfterTheLastCornerIsATimeOut) {
    const std::vector<std::vector<uint8_t>> runs = {{1, 2, 0}, {1, 2, 3, 4, 5, 0}, {0}, {1, 0x80}};
    for (const auto& states : runs) {
        rig.host.notices.clear();
        rig.host.answers.push_back(Answer::Yes);
        run(states);
        EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::TimedOut);
        EXPECT_EQ(rig.host.notices.back().text, "Настройка тачпанели завершена по таймауту");
    }
    EXPECT_EQ(touchBlockReads(), 0);
}

TEST_F(TouchCalibrationTest, RepeatedStateChangesNothingOnScreen) {
    run({1, 1, 1, 1, 7, 7, 3, 3, 0});
    EXPECT_EQ(noticeTexts(), (std::vector<std::string>{"Нажмите в верхнем левом углу", "Нажмите в нижнем правом углу",
                                                       "", "Настройка тачпанели завершена успешно"}));
}

TEST_F(TouchCalibrationTest, SecondClickStopsAndClearsTheNoticeWithoutWriting) {
    rig.host.startTimer(450, [this] {
        if (calibration.running()) calibration.onCalibrateTouch(false);
    });
    run({1});
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Stopped);
    EXPECT_EQ(noticeTexts(), (std::vector<std::string>{"Нажмите в верхнем левом углу", ""}));
    int writes = 0;
    for (const std::string& line : rig.host.memo)
        if (line.find("> CMD:91") != std::string::npos) ++writes;
    EXPECT_EQ(writes, 1) << "only the start byte";
}

TEST_F(TouchCalibrationTest, ClosingEndsTheRun) {
    rig.host.startTimer(350, [this] { FlagsForTests::setAppClosing(flags, true); });
    run({2});
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Stopped);
    EXPECT_EQ(rig.host.notices.back().text, "");
}

TEST_F(TouchCalibrationTest, NoSendsNothingAndFailuresShowTheirBox) {
    rig.host.answers.clear();
    run({1});
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Declined);
    EXPECT_EQ(rig.controller->requestsHandled(), 0u);
    EXPECT_EQ(rig.host.boxes.front().style, MessageStyle(MessageKind::Question, DefaultAnswer::No));

    rig.host.answers.push_back(Answer::Yes);
    rig.controller->faults.forceStatus = 0xFD;
    run({1});
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::StartFailed);
    EXPECT_EQ(rig.host.boxes.back().text.rfind("Ошибка записи в устройство\n", 0), 0u);
    EXPECT_TRUE(rig.host.notices.empty());
}

TEST_F(TouchCalibrationTest, SimulatedPanelWithAndWithoutReleaseReports) {
    // The controller's own sequence, not a script: it steps by itself.
    rig.controller->calibrationAutoStepMs = 250;
    calibrate();
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Succeeded);
    const std::vector<std::string> withRelease = noticeTexts();
    EXPECT_EQ(std::count(withRelease.begin(), withRelease.end(), "Пожалуйста отпустите нажатие"), 3);

    rig.host.notices.clear();
    rig.host.answers.push_back(Answer::Yes);
    rig.controller->calibrationReleaseBits = false;
    calibrate();
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::Succeeded);
    const std::vector<std::string> texts = noticeTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Пожалуйста отпустите нажатие"), 0);

    // Giving up after the first corner is a time-out.
    rig.controller->calibrationAutoStepMs = 0;
    rig.host.answers.push_back(Answer::Yes);
    rig.host.startTimer(300, [this] { rig.controller->calibrationGiveUp(rig.host.now); });
    calibrate();
    EXPECT_EQ(calibration.lastEnding(), TouchCalibration::Ending::TimedOut);
    EXPECT_EQ(touchBlockReads(), 2);
}

TEST_F(TouchCalibrationTest, EnglishPrompts) {
    setLanguage("en");
    run({1, 2, 3, 4, 5, 0x85, 0});
    EXPECT_EQ(noticeTexts(), (std::vector<std::string>{
                                 "Press at top left corner", "Press at top right corner",
                                 "Press at bottom right corner", "Press at top left corner",
                                 "Press at bottom right corner", "Please release it", "",
                                 "Setting the touch panel is completed by timeout"}));
}

} // namespace
