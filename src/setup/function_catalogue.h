#pragma once
// The functions a car owner gives steering-wheel buttons in the quick
// set-up: one table, read by the set-up flow, by its window and by
// `zmtctl functions` and `zmtctl assign`, so all of them offer the same
// list with the same names and send the same reactions.
#include "config/config_image.h"

#include <span>
#include <string>
#include <string_view>

namespace zmt::setup {

enum class FunctionKind {
    Reaction,   // sends the reaction of its entry
    Picker,     // "another key…": sends whatever reaction the user picks
    Nothing,    // switches the button off: its events are cleared
};

struct FunctionEntry {
    const char* key;         // stable, for scripts: "volume-up"
    const char* names;       // English, marked N_; shown through localized()
    const char* shortName;   // what a new button is called, at most 5 characters
    FunctionKind kind;
    Reaction reaction;       // for FunctionKind::Reaction
    const char* usageName;   // the usage's name in the HID usage tables, for docs and --json
};

// Every entry, in the order the set-up walks through them; the ten ordinary
// functions come first, then "another key…" and "nothing".
std::span<const FunctionEntry> functionCatalogue();
// The ordinary functions only: the steps of a set-up run.
std::span<const FunctionEntry> setupSteps();
// The entry of a key, or nullptr.
const FunctionEntry* findFunction(std::string_view key);
// The ordinary entry whose reaction is exactly this one, or nullptr.
const FunctionEntry* functionSending(const Reaction& reaction);
// The entry's name in the current language.
std::string functionName(const FunctionEntry& entry);

// What one press of a button is to do: an entry and, for the picker, the
// reaction picked (for the other kinds it is the entry's own, or none).
struct FunctionChoice {
    const FunctionEntry* function = nullptr;
    Reaction reaction{};

    // An ordinary entry or "nothing", with its own reaction.
    static FunctionChoice of(const FunctionEntry& entry) { return {&entry, entry.reaction}; }
    // "another key…" with the reaction the user picked.
    static FunctionChoice picked(const Reaction& reaction);
    bool valid() const;
};

// How a choice reads in lists and summaries: the function's name, or for a
// picked reaction its description ("ConsumerPage:x00CF").
std::string choiceText(const FunctionChoice& choice);
// How a reaction already in an event reads: the catalogue's name when an
// ordinary function sends exactly it, else its description.
std::string reactionText(const Reaction& reaction);
// The same bytes sent: the same reaction.
bool sameReaction(const Reaction& a, const Reaction& b);

} // namespace zmt::setup
