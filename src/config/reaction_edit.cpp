#include "config/reaction_edit.h"

#include "config/reaction_text.h"
#include "lang/lang.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zmt {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Leading digits of text in base, saturating at limit; nothing when there
// are none. Leading blanks are skipped as the C scanners do.
std::optional<uint64_t> leadingNumber(std::string_view text, int base, uint64_t limit, int maxDigits = 64) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    uint64_t value = 0;
    int digits = 0;
    for (; at < text.size() && digits < maxDigits; ++at, ++digits) {
        const int digit = digitValue(text[at], base);
        if (digit < 0) break;
        value = std::min<uint64_t>(value * base + digit, limit);
    }
    if (digits == 0) return std::nullopt;
    return value;
}

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

bool applyPickerClick(Reaction& reaction, std::string_view name) {
    if (startsWith(name, kKeyPanelPrefix)) {
        const auto usage = leadingNumber(name.substr(std::string_view(kKeyPanelPrefix).size()), 10, 1000);
        if (!usage || *usage == 0 || *usage > 255) return false;
        clickKey(reaction, static_cast<uint8_t>(*usage));
        return true;
    }
    if (startsWith(name, kModifierPanelPrefix)) {
        const auto bit = leadingNumber(name.substr(std::string_view(kModifierPanelPrefix).size()), 10, 1000);
        if (!bit || *bit > 7) return false;
        becomeKeyboard(reaction);
        // Modifiers alone are a valid keyboard reaction, so it stays one even
        // when the last bit goes.
        reaction.arg1 ^= static_cast<uint8_t>(1u << *bit);
        return true;
    }
    if (startsWith(name, kConsumerButtonPrefix)) {
        if (reaction.kind != ReactionConsumer) {
            reaction.kind = ReactionConsumer;
            reaction.setWord(0);
        }
        const auto usage =
            leadingNumber(name.substr(std::string_view(kConsumerButtonPrefix).size()), 16, 0xFFFF, 4);
        if (!usage) return false;
        if (reaction.word() == *usage) {
            reaction.kind = ReactionNone;
            reaction.setWord(0);
        } else {
            reaction.setWord(static_cast<uint16_t>(*usage));
        }
        return true;
    }
    if (startsWith(name, kSystemPanelPrefix)) {
        const auto n = leadingNumber(name.substr(std::string_view(kSystemPanelPrefix).size()), 10, 1000);
        if (!n || *n > 7) return false;
        if (reaction.kind != ReactionSystem) reaction = {ReactionSystem, 0, 0, 0};
        const auto mask = static_cast<uint8_t>(1u << *n);
        // One system control at a time; the same one again removes it.
        if (reaction.arg2 == mask) reaction = {ReactionNone, 0, 0, 0};
        else reaction.arg2 = mask;
        return true;
    }
    return false;
}

uint32_t parseTypedCode(std::string_view text, uint32_t maxValue) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    text.remove_prefix(at);
    if (!text.empty() && (text.front() == 'x' || text.front() == 'X')) {
        return static_cast<uint32_t>(leadingNumber(text.substr(1), 16, maxValue).value_or(0));
    }
    // A minus sign can only mean a value below the range.
    if (!text.empty() && text.front() == '-') return 0;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return static_cast<uint32_t>(leadingNumber(text, 10, maxValue).value_or(0));
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
    auto select = [&shown](const char* prefix, unsigned number) {
        shown.selected.push_back(formatText("%s%ux", prefix, number));
    };
    if (isInfraredReaction(reaction)) return shown;   // its low nibble is a protocol, not a page
    switch (reaction.kind & 0x0F) {
    case ReactionSystem:
        for (int n = 0; n < kSystemControlCount; ++n) {
            if ((reaction.arg2 & (1u << n)) != 0) select(kSystemPanelPrefix, unsigned(n));
        }
        break;
    case ReactionKeyboard:
        for (int bit = 0; bit < kModifierCount; ++bit) {
            if ((reaction.arg1 & (1u << bit)) != 0) select(kModifierPanelPrefix, unsigned(bit));
        }
        for (uint8_t usage : {reaction.arg2, reaction.arg3}) {
            if (usage != 0) select(kKeyPanelPrefix, usage);
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
