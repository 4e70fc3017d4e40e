#pragma once
// How the picker edits a reaction: a click on one of its controls or a code
// typed into one of its entry fields. Plain functions over the four bytes, so the rules are the
// same whoever drives them and are tested without a window.
#include "config/config_image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmt {

// What one of the picker's controls stands for.
struct PickerControl {
    enum Kind : uint8_t { Key, Modifier, Consumer, System };
    Kind kind;
    // Key: keyboard usage 1..255; Modifier: bit 0..7; Consumer: consumer
    // usage; System: system control 0..7.
    uint16_t code;
    bool operator==(const PickerControl&) const = default;
};

// The control's object name, by which translations and tests find it
// ("PanelKey4x", "PanelMod0x", "SpeedButtonMMKey00E9x", "SystemControl3x").
std::string pickerControlName(PickerControl control);

// Applies a click on the control to the reaction. Returns true when the
// reaction was edited and the picker must show it again; false for a code
// the control's kind cannot have (the reaction is then unchanged).
bool applyPickerClick(Reaction& reaction, PickerControl control);

// What the picker shows for a reaction: the panels drawn selected, the
// consumer button pressed in and the texts of the three entry fields.
struct PickerHighlight {
    std::vector<PickerControl> selected;     // keys, modifiers and system controls
    std::optional<uint16_t> consumerUsage;   // a consumer reaction's usage
    std::string key1 = "x00";
    std::string key2 = "x00";
    std::string consumer = "x0000";
};
// An infrared reaction, or none, highlights nothing.
PickerHighlight pickerHighlight(const Reaction& reaction);

// Reads a typed code: "x1E" / "X1e" hexadecimal (nothing readable after the
// x gives 0), anything else decimal (no digits gives 0). The result is
// clamped to 0..maxValue; a number too long for any integer is maxValue.
uint32_t parseTypedCode(std::string_view text, uint32_t maxValue);

enum class PickerEntry { Key1, Key2, Consumer };
// The largest value the entry field takes.
uint32_t pickerEntryMax(PickerEntry entry);
// Stores a typed code (already parsed and clamped) into the reaction:
// KEY1/KEY2 make it a keyboard reaction first (an infrared one included);
// the consumer code makes it a consumer reaction, even with usage 0.
void applyPickerEntry(Reaction& reaction, PickerEntry entry, uint32_t value);

} // namespace zmt
