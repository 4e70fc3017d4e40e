#pragma once
// What the picker's controls stand for and the one-line description of a
// reaction ("lCtrl + rAlt + A", "ConsumerPage:VOL+"). The picker window, the
// event editor's memos and zmtctl all describe reactions from these tables,
// so a key shows the same caption on the keyboard and in every description.
#include "config/config_image.h"

#include <cstdint>
#include <string>

namespace zmt {

// A key of the keyboard page (0x07) that the picker shows: usage 4..101.
struct KeyboardKey {
    uint8_t usage;
    const char* caption;
};
inline constexpr int kKeyboardKeyCount = 96;
extern const KeyboardKey kKeyboardKeys[kKeyboardKeyCount];
// Caption of the key for usage, or nullptr when the picker has no such key.
const char* keyboardKeyCaption(int usage);

// Modifier bit n (0..3 left, 4..7 right) in the order of the HID modifier byte.
inline constexpr int kModifierCount = 8;
extern const char* const kModifierCaptions[kModifierCount];

// The consumer page (0x0C) buttons, left to right, with the keyword that
// descriptions use.
struct ConsumerKey {
    uint16_t usage;
    const char* keyword;
};
inline constexpr int kConsumerKeyCount = 19;
extern const ConsumerKey kConsumerKeys[kConsumerKeyCount];
// Keyword of the button for usage, or nullptr when no button has it.
const char* consumerKeyword(uint16_t usage);

// System controls n = 0..7 (generic desktop usages 0x81..0x88).
inline constexpr int kSystemControlCount = 8;
extern const char* const kSystemControlCaptions[kSystemControlCount];

// An infrared reaction: the picker leaves it alone and descriptions do not
// apply to it.
inline bool isInfraredReaction(const Reaction& reaction) { return reaction.kind >= 0x10; }

// The parts of a HID reaction joined by " + "; empty when it has none
// (no reaction, an empty keyboard reaction, an infrared one).
std::string describeReaction(const Reaction& reaction);

// Shown when a reaction has no parts.
inline constexpr const char* kNoReactionText = "Отсутствует\0Not specified";

// The description in the current language: describeReaction, or
// "Not specified" when that is empty.
std::string reactionDescriptionLine(const Reaction& reaction);

} // namespace zmt
