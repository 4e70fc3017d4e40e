#include "config/reaction_text.h"
#include "lang/lang.h"

#include <gtest/gtest.h>

using namespace zmt;

namespace {

struct InEnglish {
    InEnglish() { setLanguageIndex(English); }
    ~InEnglish() { setLanguageIndex(Russian); }
};

} // namespace

TEST(ReactionText, DescribesEachKindOfHidReaction) {
    InEnglish english;
    EXPECT_EQ(describeReaction(Reaction{}), (std::vector<std::string>{"  ", "Not specified"}));
    EXPECT_EQ(reactionPartsText(Reaction{ReactionKeyboard, 0x11, 79, 0x2A}), "lCtrl + rCtrl + KEY1:79 + KEY2:x2A");
    // A keyboard reaction with only modifiers, and one with nothing set.
    EXPECT_EQ(reactionPartsText(Reaction{ReactionKeyboard, 0x84, 0, 0}), "lAlt + rWin");
    EXPECT_EQ(describeReaction(Reaction{ReactionKeyboard, 0, 0, 0}).back(), "Not specified");
    EXPECT_EQ(reactionPartsText(Reaction{ReactionConsumer, 0, 0xE9, 0x00}), "ConsumerPage:x00E9");
    EXPECT_EQ(reactionPartsText(Reaction{ReactionConsumer, 7, 0, 0}), "");
    EXPECT_EQ(reactionPartsText(Reaction{ReactionSystem, 0, 0x06, 0}), "SystemControl1");
    EXPECT_EQ(reactionPartsText(Reaction{0x05, 1, 2, 3}), "");
}

TEST(ReactionText, InfraredCodesNameTheirProtocol) {
    EXPECT_EQ(irTriggerText(IrCode{17, 4, 1}), "NEC 4 / 17");
    EXPECT_EQ(irTriggerText(IrCode{1, 2, 4}), "Отсутствует");
    EXPECT_EQ(describeIrReaction(Reaction{0x13, 9, 0x00, 0x01}),
              (std::vector<std::string>{"  ", "ИК код", "RC5 256 / 9"}));
    EXPECT_EQ(describeIrReaction(Reaction{0x18, 9, 0, 0}).back(), "Отсутствует");
    InEnglish english;
    EXPECT_EQ(describeIrReaction(Reaction{0x18, 9, 0, 0}).back(), "Undefined");
    EXPECT_EQ(describeIrReaction(Reaction{0x21, 9, 0, 0}), (std::vector<std::string>{"  ", "Not specified"}));
}
