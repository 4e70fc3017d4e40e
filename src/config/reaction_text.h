#pragma once
// Texts that describe what an event sends and what triggers it, for the
// editor's memos and for anything else that shows a configuration in words.
// The keyboard part names usages by number until the picker window supplies
// its key captions.
#include "config/config_image.h"

#include <string>
#include <vector>

namespace zmt {

inline constexpr const char* kReactionNotSpecified = "Отсутствует\0Not specified";
inline constexpr const char* kIrUndefined = "Отсутствует\0Undefined";

// The description of a HID reaction (kind below 16) as the memo shows it: a
// line of two spaces, then the parts joined by " + ", or "Not specified" when
// there are none. Keyboard keys whose caption is unknown show as "KEY1:%d"
// and "KEY2:x%02X", consumer usages as "ConsumerPage:x%04X", system controls
// as "SystemControl%d" with their bit number.
std::vector<std::string> describeReaction(const Reaction& reaction);
// Only the text of the parts (empty when the reaction sends nothing).
std::string reactionPartsText(const Reaction& reaction);

// An infrared reaction (high four bits of kind not 0): "  ", "IR code" and
// "<protocol> <address> / <command>", or "  " and "Not specified" for a kind
// the controller does not know.
std::vector<std::string> describeIrReaction(const Reaction& reaction);

// The trigger text of an infrared-triggered event: "NEC 4 / 17", or
// "Undefined" for a protocol without a name.
std::string irTriggerText(const IrCode& code);

} // namespace zmt
