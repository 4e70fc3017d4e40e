// Describing reactions: captions, descriptions and the memo's lines, in both
// languages.
#include "config/reaction_text.h"
#include "lang/lang.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace zmt;

namespace {

struct RussianAfterwards {
    ~RussianAfterwards() { setLanguage("ru"); }
};

} // namespace

TEST(ReactionTables, EveryKeyboardUsageFrom4To101ExceptTheTwoWithoutAKeyHasOneCaption) {
    std::set<int> usages;
    for (const KeyboardKey& key : kKeyboardKeys) {
        EXPECT_TRUE(usages.insert(key.usage).second) << "usage " << int(key.usage) << " twice";
        ASSERT_NE(key.caption, nullptr);
    }
    for (int usage = 4; usage <= 101; ++usage) {
        EXPECT_EQ(usages.count(usage) == 1, usage != 50 && usage != 100) << usage;
    }
    std::set<int> consumer;
    for (const ConsumerKey& key : kConsumerKeys) EXPECT_TRUE(consumer.insert(key.usage).second);
}

TEST(ReactionDescription, KeyboardReactionListsModifiersThenKeys) {
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0x41, 4, 0}), "lCtrl + rAlt + A");
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0xFF, 0, 0}),
              "lCtrl + lShift + lAlt + lWin + rCtrl + rShift + rAlt + rWin");
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0x02, 44, 88}), "lShift + ____ + Enter");
    // Keys the picker has no key for are still shown, by their numbers.
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0, 4, 0x32}), "A + KEY2:x32");
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0, 100, 0}), "KEY1:100");
    EXPECT_EQ(describeReaction({ReactionKeyboard, 0, 0, 200}), "KEY2:xC8");
}

TEST(ReactionDescription, ConsumerAndSystemReactions) {
    EXPECT_EQ(describeReaction({ReactionConsumer, 0, 0xE9, 0x00}), "ConsumerPage:VOL+");
    EXPECT_EQ(describeReaction({ReactionConsumer, 0, 0x94, 0x01}), "ConsumerPage:MACHINE BROWSER");
    EXPECT_EQ(describeReaction({ReactionConsumer, 0, 0x34, 0x12}), "ConsumerPage:x1234");
    EXPECT_EQ(describeReaction({ReactionConsumer, 0x55, 0, 0}), "");
    // Only the first system control is named, as only one is ever set.
    EXPECT_EQ(describeReaction({ReactionSystem, 0, 0x02, 0}), "Sleep");
    EXPECT_EQ(describeReaction({ReactionSystem, 0, 0x88, 0}), "Context Menu");
    EXPECT_EQ(describeReaction({ReactionSystem, 0, 0, 0}), "");
}

TEST(ReactionDescription, NothingToDescribeReadsNotSpecifiedInEitherLanguage) {
    RussianAfterwards restore;
    for (const Reaction& reaction : {Reaction{0, 0, 0, 0}, Reaction{ReactionKeyboard, 0, 0, 0},
                                     Reaction{0x05, 1, 2, 3}, Reaction{0x0F, 0xFF, 0xFF, 0xFF}}) {
        setLanguage("ru");
        EXPECT_EQ(reactionDescriptionLine(reaction), "Отсутствует");
        setLanguage("en");
        EXPECT_EQ(reactionDescriptionLine(reaction), "Not specified");
    }
    EXPECT_TRUE(isInfraredReaction({0x11, 1, 2, 3}));
    EXPECT_FALSE(isInfraredReaction({0x0C, 1, 2, 3}));
    EXPECT_EQ(describeReaction({0x17, 0x41, 4, 5}), "");
}

TEST(InfraredText, CodesNameTheirProtocolOrReadUndefined) {
    RussianAfterwards restore;
    setLanguage("ru");
    EXPECT_EQ(irTriggerText(IrCode{17, 4, 1}), "NEC 4 / 17");
    EXPECT_EQ(irTriggerText(IrCode{255, 0xFFFF, 7}), "SONY20 65535 / 255");
    for (uint8_t protocol : {0, 4, 8, 0xFF}) EXPECT_EQ(irTriggerText(IrCode{1, 2, protocol}), "Отсутствует");
    EXPECT_EQ(describeIrReaction(Reaction{0x13, 9, 0x00, 0x01}),
              (std::vector<std::string>{"  ", "ИК код", "RC5 256 / 9"}));
    setLanguage("en");
    EXPECT_EQ(irTriggerText(IrCode{1, 2, 4}), "Undefined");
    EXPECT_EQ(describeIrReaction(Reaction{0x11, 17, 4, 0}), (std::vector<std::string>{"  ", "IR code", "NEC 4 / 17"}));
    EXPECT_EQ(describeIrReaction(Reaction{0x18, 9, 0, 0}).back(), "Undefined");
    // A kind the controller does not know is neither HID nor infrared.
    EXPECT_EQ(describeIrReaction(Reaction{0x21, 9, 0, 0}), (std::vector<std::string>{"  ", "Not specified"}));
}

TEST(InfraredText, TheMemoLinesChooseTheirDescriptionByKind) {
    RussianAfterwards restore;
    setLanguage("en");
    EXPECT_EQ(reactionMemoLines({ReactionConsumer, 0, 0xE9, 0}), (std::vector<std::string>{"  ", "ConsumerPage:VOL+"}));
    EXPECT_EQ(reactionMemoLines({}), (std::vector<std::string>{"  ", "Not specified"}));
    EXPECT_EQ(reactionMemoLines({0x12, 3, 0x10, 0}), (std::vector<std::string>{"  ", "IR code", "JVC 16 / 3"}));
    EXPECT_EQ(reactionMemoLines({0xF7, 0x41, 4, 5}), (std::vector<std::string>{"  ", "Not specified"}));
}
