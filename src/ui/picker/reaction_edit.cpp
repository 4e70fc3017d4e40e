#include "ui/picker/reaction_edit.h"

#include "config/reaction_text.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>
#include <optional>

namespace zmt {

namespace {

void becomeKeyboard(Reaction& reaction) {
    if (reaction.kind == ReactionKeyboard) return;
    reaction = {ReactionKeyboard, 0, 0, 0};
}

void clickKey(Reaction& reaction, uint8_t usage) {
    becomeKeyboard(reaction);
    uint8_t& key1 = reaction.arg2;
    uint8_t& key2 = reaction.arg3;
    if (key1 == 0) {
        key1 = usage;
    } else if (key2 == 0) {
        if (usage == key1) key1 = 0;   // a second click takes the key back
        else key2 = usage;
    } else if (usage == key2) {
        key2 = 0;
    } else if (usage == key1) {
        key1 = key2;
        key2 = 0;
    } else {
        key1 = key2;                   // the oldest key drops out
        key2 = usage;
    }
    if (reaction.arg1 == 0 && key1 == 0 && key2 == 0) reaction.kind = ReactionNone;
}

} // namespace

std::string pickerControlName(PickerControl control) {
    switch (control.kind) {
    case PickerControl::Key: return formatText("PanelKey%ux", unsigned{control.code});
    case PickerControl::Modifier: return formatText("PanelMod%ux", unsigned{control.code});
    case PickerControl::Consumer: return formatText("SpeedButtonMMKey%04Xx", unsigned{control.code});
    case PickerControl::System: return formatText("SystemControl%ux", unsigned{control.code});
    }
    return {};
}

bool applyPickerClick(Reaction& reaction, PickerControl control) {
    switch (control.kind) {
    case PickerControl::Key:
        if (control.code == 0 || control.code > 255) return false;
        clickKey(reaction, static_cast<uint8_t>(control.code));
        return true;
    case PickerControl::Modifier:
        if (control.code >= kModifierCount) return false;
        becomeKeyboard(reaction);
        // Modifiers alone are a valid keyboard reaction, so it stays one even
        // when the last bit goes.
        reaction.arg1 ^= static_cast<uint8_t>(1u << control.code);
        return true;
    case PickerControl::Consumer:
        if (reaction.kind != ReactionConsumer) {
            reaction.kind = ReactionConsumer;
            reaction.setWord(0);
        }
        if (reaction.word() == control.code) {
            reaction.kind = ReactionNone;
            reaction.setWord(0);
        } else {
            reaction.setWord(control.code);
        }
        return true;
    case PickerControl::System: {
        if (control.code >= kSystemControlCount) return false;
        if (reaction.kind != ReactionSystem) reaction = {ReactionSystem, 0, 0, 0};
        const auto mask = static_cast<uint8_t>(1u << control.code);
        // One system control at a time; the same one again removes it.
        if (reaction.arg2 == mask) reaction = {ReactionNone, 0, 0, 0};
        else reaction.arg2 = mask;
        return true;
    }
    }
    return false;
}

uint32_t parseTypedCode(std::string_view text, uint32_t maxValue) {
    text = skipBlanks(text);
    if (!text.empty() && (text.front() == 'x' || text.front() == 'X')) {
        return static_cast<uint32_t>(leadingUnsigned(skipBlanks(text.substr(1)), 16, maxValue).value_or(0));
    }
    // A minus sign can only mean a value below the range.
    if (!text.empty() && text.front() == '-') return 0;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return static_cast<uint32_t>(leadingUnsigned(skipBlanks(text), 10, maxValue).value_or(0));
}

uint32_t pickerEntryMax(PickerEntry entry) { return entry == PickerEntry::Consumer ? 0xFFFF : 0xFF; }

void applyPickerEntry(Reaction& reaction, PickerEntry entry, uint32_t value) {
    value = std::min(value, pickerEntryMax(entry));
    switch (entry) {
    case PickerEntry::Key1:
        becomeKeyboard(reaction);
        reaction.arg2 = static_cast<uint8_t>(value);
        break;
    case PickerEntry::Key2:
        becomeKeyboard(reaction);
        reaction.arg3 = static_cast<uint8_t>(value);
        break;
    case PickerEntry::Consumer:
        reaction.kind = ReactionConsumer;   // byte 1 means nothing to a consumer reaction
        reaction.setWord(static_cast<uint16_t>(value));
        break;
    }
}

PickerHighlight pickerHighlight(const Reaction& reaction) {
    PickerHighlight shown;
    auto select = [&shown](PickerControl::Kind kind, unsigned code) {
        shown.selected.push_back({kind, static_cast<uint16_t>(code)});
    };
    if (isInfraredReaction(reaction)) return shown;   // its low nibble is a protocol, not a page
    switch (reaction.kind & 0x0F) {
    case ReactionSystem:
        for (int n = 0; n < kSystemControlCount; ++n) {
            if ((reaction.arg2 & (1u << n)) != 0) select(PickerControl::System, unsigned(n));
        }
        break;
    case ReactionKeyboard:
        for (int bit = 0; bit < kModifierCount; ++bit) {
            if ((reaction.arg1 & (1u << bit)) != 0) select(PickerControl::Modifier, unsigned(bit));
        }
        for (uint8_t usage : {reaction.arg2, reaction.arg3}) {
            if (usage != 0) select(PickerControl::Key, usage);
        }
        shown.key1 = formatText("x%02X", unsigned{reaction.arg2});
        shown.key2 = formatText("x%02X", unsigned{reaction.arg3});
        break;
    case ReactionConsumer:
        shown.consumerUsage = reaction.word();
        shown.consumer = formatText("x%04X", unsigned{reaction.word()});
        break;
    default:
        break;
    }
    return shown;
}

} // namespace zmt
