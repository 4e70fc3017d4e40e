#include "setup/function_catalogue.h"

#include "config/reaction_text.h"
#include "lang/lang.h"

namespace zmt::setup {

namespace {

constexpr Reaction consumer(uint16_t usage) {
    return Reaction{ReactionConsumer, 0, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
}

// Consumer-page usages only: a head unit or tablet acts on them whatever
// app is in front (a keyboard key would go to the app with the focus), and
// Android and Windows both handle every one of them without a driver of
// their own. The short names are ASCII, so they fit the controller's five
// name bytes in any code page.
constexpr FunctionEntry kCatalogue[] = {
    {"volume-up", N_("Volume up"), "VOL+", FunctionKind::Reaction, consumer(0x00E9), "Volume Increment"},
    {"volume-down", N_("Volume down"), "VOL-", FunctionKind::Reaction, consumer(0x00EA), "Volume Decrement"},
    {"mute", N_("Mute"), "MUTE", FunctionKind::Reaction, consumer(0x00E2), "Mute"},
    {"next-track", N_("Next track"), "NEXT", FunctionKind::Reaction, consumer(0x00B5), "Scan Next Track"},
    {"previous-track", N_("Previous track"), "PREV", FunctionKind::Reaction, consumer(0x00B6),
     "Scan Previous Track"},
    {"play-pause", N_("Play/Pause"), "PLAY", FunctionKind::Reaction, consumer(0x00CD), "Play/Pause"},
    {"stop", N_("Stop"), "STOP", FunctionKind::Reaction, consumer(0x00B7), "Stop"},
    {"home", N_("Home"), "HOME", FunctionKind::Reaction, consumer(0x0223), "AC Home"},
    {"back", N_("Back"), "BACK", FunctionKind::Reaction, consumer(0x0224), "AC Back"},
    {"voice-assistant", N_("Voice assistant"), "VOICE", FunctionKind::Reaction, consumer(0x00CF),
     "Voice Command"},
    {"another-key", N_("Another key…"), "KEY", FunctionKind::Picker, Reaction{}, ""},
    {"nothing", N_("Nothing (button switched off)"), "OFF", FunctionKind::Nothing, Reaction{},
     ""},
};

constexpr std::size_t kOrdinary = 10;
static_assert(sizeof kCatalogue / sizeof kCatalogue[0] == kOrdinary + 2);

} // namespace

bool sameReaction(const Reaction& a, const Reaction& b) {
    return a.kind == b.kind && a.arg1 == b.arg1 && a.arg2 == b.arg2 && a.arg3 == b.arg3;
}

std::span<const FunctionEntry> functionCatalogue() { return kCatalogue; }

std::span<const FunctionEntry> setupSteps() { return std::span<const FunctionEntry>(kCatalogue, kOrdinary); }

const FunctionEntry* findFunction(std::string_view key) {
    for (const FunctionEntry& entry : kCatalogue)
        if (key == entry.key) return &entry;
    return nullptr;
}

const FunctionEntry* functionSending(const Reaction& reaction) {
    for (const FunctionEntry& entry : setupSteps())
        if (sameReaction(entry.reaction, reaction)) return &entry;
    return nullptr;
}

std::string functionName(const FunctionEntry& entry) { return localized(entry.names); }

FunctionChoice FunctionChoice::picked(const Reaction& reaction) {
    return {findFunction("another-key"), reaction};
}

bool FunctionChoice::valid() const {
    if (function == nullptr) return false;
    switch (function->kind) {
    case FunctionKind::Reaction:
    case FunctionKind::Nothing:
        return true;
    case FunctionKind::Picker:
        // Something the controller can send over USB: an empty reaction
        // would leave a button that does nothing under a name that says
        // otherwise. Infrared reactions are the event editor's business.
        return !isInfraredReaction(reaction) && !describeReaction(reaction).empty();
    }
    return false;
}

std::string choiceText(const FunctionChoice& choice) {
    if (choice.function == nullptr) return {};
    if (choice.function->kind == FunctionKind::Picker) return reactionText(choice.reaction);
    return functionName(*choice.function);
}

std::string reactionText(const Reaction& reaction) {
    if (const FunctionEntry* entry = functionSending(reaction)) return functionName(*entry);
    if (isInfraredReaction(reaction)) {
        const std::vector<std::string> lines = describeIrReaction(reaction);   // "  ", "IR code", the code
        return lines.size() == 3 ? lines[1] + " " + lines[2] : lines.back();
    }
    return reactionDescriptionLine(reaction);
}

} // namespace zmt::setup
