#include "config/config_transfer.h"
#include "config/edit_history.h"
#include "lang/lang.h"
#include "sim_rig.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace zmt;

namespace {

bool sameBytes(const ConfigImage& a, const ConfigImage& b) {
    return std::memcmp(a.bytes(), b.bytes(), kConfigImageSize) == 0;
}

ConfigImage patterned() {
    ConfigImage image{};
    for (std::size_t i = 0; i < kConfigImageSize; ++i) image.bytes()[i] = static_cast<uint8_t>(i * 7);
    return image;
}

EditLabel label(const char* text) { return editLabel(N_("%s"), text, text); }

} // namespace

TEST(EditHistory, GroupedEditsUndoAsOneAndEmptyStepsLeaveNothing) {
    ConfigImage image = patterned();
    const ConfigImage start = image;
    EditHistory history;
    history.reset(image);
    {
        EditStep outer(&history, image, editLabel(N_("parameter")));
        image.enc0Mode = 3;
        {
            // The exclusions a parameter change causes edit elsewhere.
            EditStep inner(&history, image, label("exclusion"));
            image.events[4].keyRow = 0;
            image.events[50].keyCol = 0;
        }
        EXPECT_FALSE(history.undo(image)) << "undo in the middle of an edit";
    }
    {
        EditStep nothing(&history, image, label("no change"));
        image.headType = image.headType;
    }
    ASSERT_EQ(history.undoSteps(), 1u);
    setLanguage("en");
    EXPECT_EQ(history.undoLabel(image), "parameter");
    setLanguage("ru");
    EXPECT_EQ(history.undoLabel(image), "parameter");

    const ConfigImage edited = image;
    ASSERT_TRUE(history.undo(image));
    EXPECT_TRUE(sameBytes(image, start));
    EXPECT_FALSE(history.undo(image));
    EXPECT_EQ(history.redoLabel(image), "parameter");
    ASSERT_TRUE(history.redo(image));
    EXPECT_TRUE(sameBytes(image, edited));
    EXPECT_FALSE(history.redo(image));
}

TEST(EditHistory, AChainOfEditsUndoesToTheStartAndRedoesToTheEnd) {
    std::mt19937 random(5);
    ConfigImage image = patterned();
    const ConfigImage start = image;
    EditHistory history;
    history.reset(image);
    std::vector<ConfigImage> after;
    for (int edit = 0; edit < 100; ++edit) {
        EditStep step(&history, image, editLabel(N_("edit %d"), edit, edit));
        // Scattered runs, some at the image's first and last byte.
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            std::size_t at = random() % kConfigImageSize;
            if (edit % 10 == 0) at = c % 2 == 0 ? 0 : kConfigImageSize - 1;
            image.bytes()[at] = static_cast<uint8_t>(image.bytes()[at] + 1 + random() % 200);
        }
        after.push_back(image);  // pushed inside: the step commits after
    }
    ASSERT_EQ(history.undoSteps(), 100u);
    for (int step = 99; step >= 0; --step) {
        EXPECT_TRUE(sameBytes(image, after[step])) << "before undoing step " << step;
        ASSERT_TRUE(history.undo(image));
    }
    EXPECT_TRUE(sameBytes(image, start));
    for (int step = 0; step < 100; ++step) {
        ASSERT_TRUE(history.redo(image));
        EXPECT_TRUE(sameBytes(image, after[step])) << "after redoing step " << step;
    }
}

TEST(EditHistory, ANewEditDropsWhatCouldBeRedone) {
    ConfigImage image{};
    EditHistory history;
    history.reset(image);
    for (uint8_t value : {1, 2, 3}) {
        EditStep step(&history, image, label("mode"));
        image.touchMode = value;
    }
    history.undo(image);
    history.undo(image);
    ASSERT_EQ(history.redoSteps(), 2u);
    {
        EditStep step(&history, image, label("head"));
        image.headType = 4;
    }
    EXPECT_EQ(history.redoSteps(), 0u);
    EXPECT_FALSE(history.redo(image));
    ASSERT_TRUE(history.undo(image));
    EXPECT_EQ(image.headType, 0);
    EXPECT_EQ(image.touchMode, 1);
}

TEST(EditHistory, ChangesMadeOutsideAStepBecomeAStepOfTheirOwn) {
    ConfigImage image{};
    EditHistory history;
    history.reset(image);
    image.longPressTimeout = 700;       // nobody opened a step for this
    EXPECT_TRUE(history.canUndo(image));
    EXPECT_FALSE(history.undoLabel(image).empty());
    {
        EditStep step(&history, image, label("encoder"));
        image.enc1Div = 9;
    }
    ASSERT_EQ(history.undoSteps(), 2u);
    ASSERT_TRUE(history.undo(image));
    EXPECT_EQ(image.enc1Div, 0);
    EXPECT_EQ(int(image.longPressTimeout), 700);
    // Redo would overwrite a change made after the undo: it is a new edit.
    image.touchWakeUp = 1;
    EXPECT_FALSE(history.canRedo(image));
    EXPECT_FALSE(history.redo(image));
    ASSERT_TRUE(history.undo(image));
    EXPECT_EQ(image.touchWakeUp, 0);
    EXPECT_EQ(image.enc1Div, 0);
}

TEST(EditHistory, KeepsTheLatestThousandStepsCompactly) {
    ConfigImage image{};
    EditHistory history;
    history.reset(image);
    for (int edit = 1; edit <= 1500; ++edit) {
        EditStep step(&history, image, editLabel(N_("long press time-out")));
        image.longPressTimeout = static_cast<uint16_t>(edit);
    }
    EXPECT_EQ(history.undoSteps(), kEditHistorySteps);
    // A whole image per step would be about a megabyte.
    EXPECT_LT(history.storedBytes(), 200u * 1000u);
    while (history.undo(image)) {}
    EXPECT_EQ(int(image.longPressTimeout), 500);   // the oldest 500 steps were let go
    EXPECT_EQ(history.redoSteps(), kEditHistorySteps);
}

TEST(EditHistory, LabelsFormatEveryLanguage) {
    const EditLabel made = editLabel(N_("delete button %s"), "2.137");
    EXPECT_EQ(made.everyLanguage, std::string("delete button 2.137") + '\0' + "удалить кнопку 2.137");
}

// The history against a simulated controller: undo is an edit like any other
// for the synchronisation, and reading a controller starts afresh.
class HistoryWithControllerTest : public ::testing::Test {
protected:
    HistoryWithControllerTest() {
        transfer.setEditHistory(&history);
        FlagsForTests::setDeviceConnected(flags, true);   // as the connection watch would have it
    }
    bool controllerHoldsImage() const {
        return std::memcmp(rig.controller->state.config.data(), record.image.bytes(), kConfigImageSize) == 0;
    }
    zmt::test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    ConfigTransfer transfer{rig.link, record, flags, nullptr};
    EditHistory history;
};

TEST_F(HistoryWithControllerTest, TheControllerFollowsAnUndoOnTheNextTick) {
    ASSERT_EQ(transfer.readConfiguration(), ResultCode::Ok);
    const ConfigImage asRead = record.image;
    {
        EditStep step(&history, record.image, label("events"));
        record.image.events[5].flags = 2;
        record.image.events[59].reaction.arg1 = 0x28;
    }
    transfer.syncChanges();
    ASSERT_TRUE(controllerHoldsImage());
    ASSERT_TRUE(history.undo(record.image));
    EXPECT_TRUE(transfer.changesPending());
    transfer.syncChanges();
    EXPECT_TRUE(controllerHoldsImage());
    EXPECT_TRUE(sameBytes(record.image, asRead));
    ASSERT_TRUE(history.redo(record.image));
    transfer.syncChanges();
    EXPECT_TRUE(controllerHoldsImage());
    EXPECT_EQ(record.image.events[5].flags, 2);
}

TEST_F(HistoryWithControllerTest, ReadingTheControllerStartsANewHistory) {
    ASSERT_EQ(transfer.readConfiguration(), ResultCode::Ok);
    {
        EditStep step(&history, record.image, label("head"));
        record.image.headType = 3;
    }
    transfer.syncChanges();
    // Another controller's configuration arrives.
    rig.controller->state.config[974] = 1;
    ASSERT_EQ(transfer.readConfiguration(), ResultCode::Ok);
    EXPECT_FALSE(history.canUndo(record.image));
    EXPECT_EQ(history.undoSteps(), 0u);
    EXPECT_EQ(record.image.headType, 1);
    // Keeping the edits for a controller just plugged in keeps the image
    // but not the way back to the one read before.
    {
        EditStep step(&history, record.image, label("head"));
        record.image.headType = 2;
    }
    ASSERT_EQ(transfer.readKeepingEdits(), ResultCode::Ok);
    EXPECT_EQ(record.image.headType, 2);
    EXPECT_FALSE(history.canUndo(record.image));
    // A read that fails keeps the history it had.
    {
        EditStep step(&history, record.image, label("head"));
        record.image.headType = 4;
    }
    rig.controller->faults.unplugAfterFrames = 3;
    EXPECT_NE(transfer.readConfiguration(), ResultCode::Ok);
    EXPECT_EQ(history.undoSteps(), 1u);
}
