// Editing a reaction the way the picker's clicks and typed codes do: the
// picker window is a thin view over these rules.
#include "ui/picker/reaction_edit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace zmt;

namespace zmt {
// Failures name the controls as the picker does.
void PrintTo(const PickerControl& control, std::ostream* out) { *out << pickerControlName(control); }
} // namespace zmt

namespace {

constexpr PickerControl key(uint16_t usage) { return {PickerControl::Key, usage}; }
constexpr PickerControl modifier(uint16_t bit) { return {PickerControl::Modifier, bit}; }

Reaction clicked(Reaction reaction, std::initializer_list<PickerControl> controls) {
    for (const PickerControl& control : controls) applyPickerClick(reaction, control);
    return reaction;
}

bool same(const Reaction& a, const Reaction& b) {
    return a.kind == b.kind && a.arg1 == b.arg1 && a.arg2 == b.arg2 && a.arg3 == b.arg3;
}

} // namespace

TEST(PickerClick, KeysFillKey1ThenKey2AndTheOldestDropsOut) {
    const Reaction none{};
    EXPECT_TRUE(same(clicked(none, {key(4), key(5), key(6), key(7)}), {ReactionKeyboard, 0, 6, 7}));
    // KEY1 clicked again while both are set: KEY2 moves up.
    EXPECT_TRUE(same(clicked(none, {key(4), key(5), key(4)}), {ReactionKeyboard, 0, 5, 0}));
    // A key taken back with a modifier held keeps the keyboard reaction.
    EXPECT_TRUE(same(clicked(none, {modifier(0), key(4), key(4)}), {ReactionKeyboard, 1, 0, 0}));
}

TEST(PickerClick, AnotherPageStartsTheReactionAfresh) {
    const Reaction consumer{ReactionConsumer, 0, 0xE9, 0};
    EXPECT_TRUE(same(clicked(consumer, {key(4)}), {ReactionKeyboard, 0, 4, 0}));
    EXPECT_TRUE(same(clicked({0x12, 0x33, 0x44, 0x55}, {{PickerControl::System, 3}}), {ReactionSystem, 0, 0x08, 0}));
    // A consumer reaction keeps byte 1, which it does not use.
    EXPECT_TRUE(same(clicked({ReactionKeyboard, 0x41, 4, 5}, {{PickerControl::Consumer, 0xE9}}),
                     {ReactionConsumer, 0x41, 0xE9, 0}));
    // A typed consumer code of 0 is still a consumer reaction.
    Reaction typed{ReactionKeyboard, 0x41, 4, 5};
    applyPickerEntry(typed, PickerEntry::Consumer, 0);
    EXPECT_TRUE(same(typed, {ReactionConsumer, 0x41, 0, 0}));
}

TEST(PickerClick, CodesAControlCannotHaveLeaveTheReactionAlone) {
    const Reaction keyboard{ReactionKeyboard, 0x41, 4, 5};
    for (const PickerControl control : {key(0), key(256), modifier(8), PickerControl{PickerControl::System, 8}}) {
        Reaction reaction = keyboard;
        EXPECT_FALSE(applyPickerClick(reaction, control)) << pickerControlName(control);
        EXPECT_TRUE(same(reaction, keyboard)) << pickerControlName(control);
    }
}

// Translations and tests find the controls by these names.
TEST(PickerClick, ControlNames) {
    EXPECT_EQ(pickerControlName(key(30)), "PanelKey30x");
    EXPECT_EQ(pickerControlName(modifier(7)), "PanelMod7x");
    EXPECT_EQ(pickerControlName({PickerControl::Consumer, 0xE9}), "SpeedButtonMMKey00E9x");
    EXPECT_EQ(pickerControlName({PickerControl::System, 1}), "SystemControl1x");
}

TEST(PickerHighlight, EachPageLightsItsOwnControlsAndFields) {
    using Names = std::vector<PickerControl>;
    const struct {
        Reaction reaction;
        Names selected;
        std::optional<uint16_t> consumer;
        const char* key1;
        const char* key2;
        const char* consumerCode;
    } cases[] = {
        {{ReactionKeyboard, 0x03, 0x04, 0x1E}, {modifier(0), modifier(1), key(4), key(30)}, {},
         "x04", "x1E", "x0000"},
        {{ReactionKeyboard, 0x80, 0x00, 0xE0}, {modifier(7), key(224)}, {}, "x00", "xE0", "x0000"},
        {{ReactionConsumer, 0x41, 0xE9, 0x00}, {}, 0x00E9, "x00", "x00", "x00E9"},
        {{ReactionConsumer, 0, 0, 0}, {}, 0, "x00", "x00", "x0000"},
        {{ReactionSystem, 0xFF, 0x05, 0}, {{PickerControl::System, 0}, {PickerControl::System, 2}}, {}, "x00", "x00", "x0000"},
        // An infrared reaction's low nibble is its protocol (7 here), not a page.
        {{0x17, 0x03, 0x04, 0x1E}, {}, {}, "x00", "x00", "x0000"},
        {{}, {}, {}, "x00", "x00", "x0000"},
    };
    for (const auto& c : cases) {
        const PickerHighlight shown = pickerHighlight(c.reaction);
        const int kind = c.reaction.kind;
        EXPECT_EQ(shown.selected, c.selected) << kind;
        EXPECT_EQ(shown.consumerUsage, c.consumer) << kind;
        EXPECT_EQ(shown.key1, c.key1) << kind;
        EXPECT_EQ(shown.key2, c.key2) << kind;
        EXPECT_EQ(shown.consumer, c.consumerCode) << kind;
    }
}

TEST(TypedCode, HexadecimalAfterXOtherwiseDecimalClampedToTheField) {
    EXPECT_EQ(parseTypedCode("x1E", 255), 0x1Eu);
    EXPECT_EQ(parseTypedCode("X1e", 255), 0x1Eu);
    EXPECT_EQ(parseTypedCode("30", 255), 30u);
    EXPECT_EQ(parseTypedCode("300", 255), 255u);
    EXPECT_EQ(parseTypedCode("x1234", 255), 255u);
    EXPECT_EQ(parseTypedCode("x1234", 0xFFFF), 0x1234u);
    EXPECT_EQ(parseTypedCode("x123456", 0xFFFF), 0xFFFFu);
    EXPECT_EQ(parseTypedCode("xzz", 255), 0u);
    EXPECT_EQ(parseTypedCode("x", 255), 0u);
    EXPECT_EQ(parseTypedCode("", 255), 0u);
    EXPECT_EQ(parseTypedCode("abc", 255), 0u);
    EXPECT_EQ(parseTypedCode("-5", 255), 0u);
    EXPECT_EQ(parseTypedCode(" 12", 255), 12u);
    EXPECT_EQ(parseTypedCode(std::string(300, '9'), 0xFFFF), 0xFFFFu);
    EXPECT_EQ(parseTypedCode("x" + std::string(300, 'F'), 255), 255u);
}

