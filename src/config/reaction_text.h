#pragma once
// What the picker's controls stand for and the one-line description of a
// reaction ("lCtrl + rAlt + A", "ConsumerPage:VOL+"). The picker window, the
// event editor's memos and zmtctl all describe reactions from these tables,
// so a key shows the same caption on the keyboard and in every description.
#include "config/config_image.h"
#include "lang/lang.h"

#include <cstdint>
#include <string>
#include <vector>

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
inline constexpr const char* kNoReactionText = N_("Not specified");

// The description in the current language: describeReaction, or
// "Not specified" when that is empty.
std::string reactionDescriptionLine(const Reaction& reaction);

// Shown for an infrared code whose protocol has no name.
inline constexpr const char* kIrUndefined = N_("Undefined");

// The trigger text of an infrared-triggered event: "NEC 4 / 17" (protocol,
// address, command), or "Undefined" for a protocol without a name.
std::string irTriggerText(const IrCode& code);

// An infrared reaction as its memo shows it: "  ", "IR code" and
// "<protocol> <address> / <command>", or "  " and "Not specified" for a
// kind whose high four bits are not 1.
std::vector<std::string> describeIrReaction(const Reaction& reaction);

// The lines the event editor's memo shows for any reaction, in the current
// language: the infrared lines above, or "  " and the description line.
std::vector<std::string> reactionMemoLines(const Reaction& reaction);

} // namespace zmt
