#include "config/reaction_text.h"

#include "lang/lang.h"

namespace zmt {

const KeyboardKey kKeyboardKeys[kKeyboardKeyCount] = {
    {4, "A"},      {5, "B"},      {6, "C"},     {7, "D"},      {8, "E"},     {9, "F"},
    {10, "G"},     {11, "H"},     {12, "I"},    {13, "J"},     {14, "K"},    {15, "L"},
    {16, "M"},     {17, "N"},     {18, "O"},    {19, "P"},     {20, "Q"},    {21, "R"},
    {22, "S"},     {23, "T"},     {24, "U"},    {25, "V"},     {26, "W"},    {27, "X"},
    {28, "Y"},     {29, "Z"},     {30, "1"},    {31, "2"},     {32, "3"},    {33, "4"},
    {34, "5"},     {35, "6"},     {36, "7"},    {37, "8"},     {38, "9"},    {39, "0"},
    {40, "Enter"}, {41, "Esc"},   {42, "Backspace"}, {43, "Tab"}, {44, "____"}, {45, "-"},
    {46, "="},     {47, "["},     {48, "]"},    {49, "\\"},    {51, ";"},    {52, "'"},
    {53, "`"},     {54, ","},     {55, "."},    {56, "/"},     {57, "Caps"}, {58, "F1"},
    {59, "F2"},    {60, "F3"},    {61, "F4"},   {62, "F5"},    {63, "F6"},   {64, "F7"},
    {65, "F8"},    {66, "F9"},    {67, "F10"},  {68, "F11"},   {69, "F12"},  {70, "PrScr"},
    {71, "Scrl"},  {72, "Pause"}, {73, "Ins"},  {74, "Home"},  {75, "PgUp"}, {76, "Del"},
    {77, "End"},   {78, "PgDn"},  {79, ">"},    {80, "<"},     {81, "v"},    {82, "^"},
    {83, "Num"},   {84, "/"},     {85, "*"},    {86, "-"},     {87, "+"},    {88, "Enter"},
    {89, "1"},     {90, "2"},     {91, "3"},    {92, "4"},     {93, "5"},    {94, "6"},
    {95, "7"},     {96, "8"},     {97, "9"},    {98, "0"},     {99, "."},    {101, "Apps"},
};

const char* const kModifierCaptions[kModifierCount] = {"Ctrl", "Shift", "Alt", "Win",
                                                       "Ctrl", "Shift", "Alt", "Win"};

const ConsumerKey kConsumerKeys[kConsumerKeyCount] = {
    {0x00E9, "VOL+"},       {0x00EA, "VOL-"},       {0x00E2, "MUTE"},      {0x00B6, "PREV TRACK"},
    {0x00B4, "REWIND"},     {0x00B0, "PLAY"},       {0x00CD, "PLAY/PAUSE"}, {0x00B1, "PAUSE"},
    {0x00B7, "STOP"},       {0x00B2, "RECORD"},     {0x00B3, "FORWARD"},   {0x00B5, "NEXT TRACK"},
    {0x0183, "MEDIA LIB"},  {0x0196, "BROWSER"},    {0x0192, "CALC"},      {0x018A, "EMAIL"},
    {0x0194, "MACHINE BROWSER"}, {0x0223, "HOME"},  {0x0224, "BACK"},
};

const char* const kSystemControlCaptions[kSystemControlCount] = {
    "Power Down", "Sleep", "Wake Up", "Context Menu", "Main Menu", "App Menu", "Menu Help", "Menu Exit",
};

const char* keyboardKeyCaption(int usage) {
    for (const KeyboardKey& key : kKeyboardKeys) {
        if (key.usage == usage) return key.caption;
    }
    return nullptr;
}

const char* consumerKeyword(uint16_t usage) {
    for (const ConsumerKey& key : kConsumerKeys) {
        if (key.usage == usage) return key.keyword;
    }
    return nullptr;
}

namespace {

void addPart(std::string& text, const std::string& part) {
    if (!text.empty()) text += " + ";
    text += part;
}

} // namespace

std::string describeReaction(const Reaction& reaction) {
    std::string text;
    switch (reaction.kind) {
    case ReactionKeyboard: {
        for (int bit = 0; bit < kModifierCount; ++bit) {
            if (reaction.arg1 & (1u << bit)) addPart(text, std::string(bit < 4 ? "l" : "r") + kModifierCaptions[bit]);
        }
        // The two keys without a picker key are written differently (decimal
        // and hexadecimal); descriptions already stored by users show them so.
        if (reaction.arg2 != 0) {
            const char* caption = keyboardKeyCaption(reaction.arg2);
            addPart(text, caption != nullptr ? std::string(caption) : formatText("KEY1:%d", reaction.arg2));
        }
        if (reaction.arg3 != 0) {
            const char* caption = keyboardKeyCaption(reaction.arg3);
            addPart(text, caption != nullptr ? std::string(caption) : formatText("KEY2:x%02X", reaction.arg3));
        }
        break;
    }
    case ReactionConsumer:
        if (reaction.word() != 0) {
            const char* keyword = consumerKeyword(reaction.word());
            addPart(text, keyword != nullptr ? std::string("ConsumerPage:") + keyword
                                             : formatText("ConsumerPage:x%04X", reaction.word()));
        }
        break;
    case ReactionSystem:
        for (int n = 0; n < kSystemControlCount; ++n) {
            if (reaction.arg2 & (1u << n)) {
                addPart(text, kSystemControlCaptions[n]);
                break;
            }
        }
        break;
    default:
        break;
    }
    return text;
}

std::string reactionDescriptionLine(const Reaction& reaction) {
    std::string text = describeReaction(reaction);
    return text.empty() ? std::string(localized(kNoReactionText)) : text;
}

namespace {

std::string irCodeText(int protocol, unsigned address, unsigned command) {
    const char* name = irProtocolName(protocol);
    if (name == nullptr) return localized(kIrUndefined);
    return formatText("%s %u / %u", name, address, command);
}

} // namespace

std::string irTriggerText(const IrCode& code) { return irCodeText(code.protocol, code.address, code.command); }

std::vector<std::string> describeIrReaction(const Reaction& reaction) {
    if ((reaction.kind >> 4) != 1) return {"  ", localized(kNoReactionText)};
    return {"  ", localized("IR code"), irCodeText(reaction.kind & 0x0F, reaction.word(), reaction.arg1)};
}

std::vector<std::string> reactionMemoLines(const Reaction& reaction) {
    if (isInfraredReaction(reaction)) return describeIrReaction(reaction);
    return {"  ", reactionDescriptionLine(reaction)};
}

} // namespace zmt
