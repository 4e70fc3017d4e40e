#include "config/reaction_text.h"

#include "lang/lang.h"

namespace zmt {

namespace {

// Left side of the keyboard in bits 0..3, right side in bits 4..7, in the
// order of the HID modifier byte.
constexpr const char* kModifierCaptions[4] = {"Ctrl", "Shift", "Alt", "Win"};

void addPart(std::string& text, const std::string& part) {
    if (!text.empty()) text += " + ";
    text += part;
}

std::string irCodeText(int protocol, unsigned address, unsigned command) {
    const char* name = irProtocolName(protocol);
    if (name == nullptr) return LangText(kIrUndefined);
    return formatText("%s %u / %u", name, address, command);
}

} // namespace

std::string reactionPartsText(const Reaction& reaction) {
    std::string text;
    switch (reaction.kind) {
    case ReactionKeyboard:
        for (int bit = 0; bit < 8; ++bit) {
            if ((reaction.arg1 & (1u << bit)) == 0) continue;
            addPart(text, std::string(bit < 4 ? "l" : "r") + kModifierCaptions[bit % 4]);
        }
        if (reaction.arg2 != 0) addPart(text, formatText("KEY1:%u", unsigned{reaction.arg2}));
        if (reaction.arg3 != 0) addPart(text, formatText("KEY2:x%02X", unsigned{reaction.arg3}));
        break;
    case ReactionConsumer:
        if (reaction.word() != 0) addPart(text, formatText("ConsumerPage:x%04X", unsigned{reaction.word()}));
        break;
    case ReactionSystem:
        for (int bit = 0; bit < 8; ++bit) {
            if ((reaction.arg2 & (1u << bit)) != 0) {
                addPart(text, formatText("SystemControl%d", bit));
                break;
            }
        }
        break;
    default:
        break;
    }
    return text;
}

std::vector<std::string> describeReaction(const Reaction& reaction) {
    const std::string parts = reactionPartsText(reaction);
    return {"  ", parts.empty() ? std::string(LangText(kReactionNotSpecified)) : parts};
}

std::vector<std::string> describeIrReaction(const Reaction& reaction) {
    if ((reaction.kind >> 4) != 1) return {"  ", LangText(kReactionNotSpecified)};
    return {"  ", LangText("ИК код\0IR code"), irCodeText(reaction.kind & 0x0F, reaction.word(), reaction.arg1)};
}

std::string irTriggerText(const IrCode& code) { return irCodeText(code.protocol, code.address, code.command); }

} // namespace zmt
