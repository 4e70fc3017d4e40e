#include "config/config_listing.h"

#include "config/button_names.h"
#include "config/event_view.h"
#include "config/key_names.h"
#include "config/reaction_text.h"
#include "lang/lang.h"

#include <algorithm>
#include <cstring>

namespace zmt {

namespace {

// An item of one of the editor's lists, or the stored number itself when a
// file holds a value no list has (the listing must show it, not hide it).
ListedChoice choice(const char* const* items, int count, unsigned value) {
    if (value < static_cast<unsigned>(count)) return {value, localized(items[value])};
    return {value, formatText("? (%u)", value)};
}

std::string yesNo(bool on) { return localized(on ? N_("yes") : N_("no")); }

bool allZero(const void* bytes, std::size_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != 0) return false;
    }
    return true;
}

void describeButtons(const ConfigImage& image, ConfigDescription& description) {
    for (int channel = 0; channel < kChannels; ++channel) {
        for (int row = 1; row <= kSlotsPerChannel; ++row) {
            const KeyRecord* key = image.keyAt(channel, row);
            if (key->level == 0) continue;
            description.buttons.push_back(
                {channel + 1, row, editor::buttonCellText(image, channel, row), unsigned{key->level}, unsigned{key->tolerance}});
        }
    }
}

void describeEvents(ConfigImage& copy, ConfigDescription& description) {
    for (int index = 0; index < kEvents; ++index) {
        // As the editor would show it (the listing works on a copy).
        editor::normaliseEvent(copy, index);
        const editor::EventView view = editor::eventView(copy, index);
        const EventRecord& event = copy.events[index];
        if (allZero(&event, sizeof event)) continue;
        ListedEvent listed;
        listed.number = index + 1;
        listed.irTrigger = view.irTrigger;
        if (view.irTrigger) {
            listed.irCode = view.irText;
        } else {
            listed.button = view.keyText;
            listed.modifier = view.modifierText;
        }
        listed.type = choice(kEventTypeItems, kEventTypeCount, static_cast<unsigned>(view.eventType));
        listed.oneTimeOnly = view.once;
        listed.wakeUp = view.wakeUp;
        listed.reaction = event.reaction;
        listed.response = reactionListingText(event.reaction);
        description.events.push_back(std::move(listed));
    }
}

void describeParameters(const ConfigImage& image, ConfigDescription& description) {
    description.longTapMs = image.longPressTimeout;
    const uint8_t modes[2] = {image.enc0Mode, image.enc1Mode};
    const uint8_t divisors[2] = {image.enc0Div, image.enc1Div};
    for (int encoder = 0; encoder < 2; ++encoder) {
        description.encoders[encoder] = {choice(kEncoderModeItems, kEncoderModeCount, modes[encoder]),
                                         divisors[encoder] + 1u};
    }
    description.touchWindows = (image.touchFlags & TOUCH_WINDOWS) != 0;
    description.touchFiveLines = (image.touchFlags & TOUCH_5LINES) != 0;
    description.touchWakeUp = image.touchWakeUp != 0;
    description.touchMode = choice(kTouchModeItems, kTouchModeCount, image.touchMode);
    description.headUnit = choice(kHeadTypeItems, kHeadTypeCount, image.headType);
}

std::string triggerText(const ListedEvent& event) {
    if (event.irTrigger) return std::string(localized("IR code")) + " " + event.irCode;
    std::string text;
    if (!event.modifier.empty()) {
        text += std::string(localized("Modifier")) + " " + event.modifier;
    }
    if (!event.button.empty()) {
        if (!text.empty()) text += ", ";
        text += std::string(localized("Button")) + " " + event.button;
    }
    return text;
}

} // namespace

std::string reactionListingText(const Reaction& reaction) {
    const std::vector<std::string> memo = reactionMemoLines(reaction);
    std::string text;
    for (std::size_t i = 1; i < memo.size(); ++i) {
        if (i > 1) text += ' ';
        text += memo[i];
    }
    return text;
}

ConfigDescription describeConfiguration(const ConfigImage& image) {
    // Normalising edits the events, so the listing works on a copy.
    ConfigImage copy = image;
    ConfigDescription description;
    describeButtons(image, description);
    describeEvents(copy, description);
    description.homeReaction = image.homeReaction;
    description.home = reactionListingText(image.homeReaction);
    describeParameters(image, description);
    return description;
}

std::vector<ListingEntry> listingEntries(const ConfigImage& image) {
    const ConfigDescription description = describeConfiguration(image);
    std::vector<ListingEntry> entries;
    for (const ListedButton& button : description.buttons) {
        // Padded by characters, not bytes, so Cyrillic names line up too.
        std::string name = button.name;
        name.append(kKeyNameLength - std::min<std::size_t>(editor::characterCount(name), kKeyNameLength), ' ');
        entries.push_back({ListingSection::Buttons, "ch" + std::to_string(button.channel) + "." + std::to_string(button.slot),
                           {formatText(localized("  Ch %d [%d]  %s  code %u, limit %u"),
                                       button.channel, button.slot, name.c_str(), button.code, button.limit)}});
    }
    for (const ListedEvent& event : description.events) {
        std::string line = "  " + std::to_string(event.number) + ": " + triggerText(event) + "; " + event.type.text;
        if (event.oneTimeOnly) line += std::string("; ") + localized("One time only");
        if (event.wakeUp) line += std::string("; ") + localized("Wake Up");
        entries.push_back({ListingSection::Events, "event" + std::to_string(event.number),
                           {line, std::string("      ") + localized("Response: ") + event.response}});
    }
    entries.push_back({ListingSection::Home, "home",
                       {std::string(localized("Button HOME: ")) + description.home}});
    entries.push_back({ListingSection::Parameters, "longTap",
                       {formatText(localized("  Long tap > %u mSec"), description.longTapMs)}});
    for (int encoder = 0; encoder < 2; ++encoder) {
        const ListedEncoder& listed = description.encoders[encoder];
        entries.push_back({ListingSection::Parameters, "encoder" + std::to_string(encoder + 1),
                           {formatText(localized("  Encoder %d: mode %s, divisor %u"),
                                       encoder + 1, listed.mode.text.c_str(), listed.divisor)}});
    }
    entries.push_back({ListingSection::Parameters, "touchPanel",
                       {formatText(localized("  Touch panel: Windows %s, 5 lines %s, wake up %s, mode %s"),
                                   yesNo(description.touchWindows).c_str(), yesNo(description.touchFiveLines).c_str(),
                                   yesNo(description.touchWakeUp).c_str(), description.touchMode.text.c_str())}});
    entries.push_back({ListingSection::Parameters, "headUnit",
                       {formatText(localized("  Head unit: %s"),
                                   description.headUnit.text.c_str())}});
    return entries;
}

std::string listingSectionTitle(ListingSection section) {
    switch (section) {
    case ListingSection::Buttons: return localized("Buttons");
    case ListingSection::Events: return localized("Events");
    case ListingSection::Home: return {};
    case ListingSection::Parameters: return localized("Parameters");
    }
    return {};
}

std::vector<std::string> listConfiguration(const ConfigImage& image) {
    const std::vector<ListingEntry> entries = listingEntries(image);
    std::vector<std::string> lines;
    // Every section has its title, an empty one too, as the listing always had.
    for (ListingSection section :
         {ListingSection::Buttons, ListingSection::Events, ListingSection::Home, ListingSection::Parameters}) {
        if (std::string title = listingSectionTitle(section); !title.empty()) lines.push_back(title);
        for (const ListingEntry& entry : entries)
            if (entry.section == section) lines.insert(lines.end(), entry.lines.begin(), entry.lines.end());
    }
    return lines;
}

} // namespace zmt
