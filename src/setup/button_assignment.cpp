#include "setup/button_assignment.h"

#include "config/button_names.h"
#include "config/event_view.h"
#include "config/key_names.h"
#include "lang/lang.h"

#include <cstring>

namespace zmt::setup {

namespace {

// The button alone triggers the event (no modifier held, no infrared code).
bool triggeredBy(const EventRecord& event, ButtonPlace button) {
    return !event.irTrigger() && event.modRow == 0 && event.keyCol == button.channel && event.keyRow == button.row;
}

bool firesOn(int type, PressLength length) {
    if (type == EventAnyPress) return true;
    return type == (length == PressLength::Short ? EventShortPress : EventLongPress);
}

void clearEvent(EventRecord& event) { std::memset(&event, 0, sizeof event); }

bool nameInUse(const ConfigImage& image, const std::string& name, ButtonPlace except) {
    for (int c = 0; c < kChannels; ++c)
        for (int r = 1; r <= kSlotsPerChannel; ++r)
            if (ButtonPlace{c, r} != except && image.keyAt(c, r)->level != 0 && editor::buttonName(image, c, r) == name)
                return true;
    return false;
}

} // namespace

std::vector<int> eventsOnPress(const ConfigImage& image, ButtonPlace button, PressLength length) {
    std::vector<int> found;
    for (int e = 0; e < kEvents; ++e) {
        const EventRecord& event = image.events[e];
        if (triggeredBy(event, button) && firesOn(event.eventType(), length)) found.push_back(e);
    }
    return found;
}

PlacedButton placeButton(ConfigImage& image, int channel, uint8_t level, const std::string& shortName) {
    PlacedButton placed;
    int row = findKeySlot(image, channel, level);
    if (row == 0) {
        row = findFreeSlot(image, channel);
        if (row == 0) return {PlacedButton::ChannelFull, {channel, 0}};
        *image.keyAt(channel, row) = KeyRecord{level, 0, {}};
        placed.kind = PlacedButton::Learned;
    }
    placed.place = {channel, row};
    KeyRecord& key = *image.keyAt(channel, row);
    const std::string own = key.nameText();
    // A name the user gave stays; an automatic label is no name of theirs.
    if ((own.empty() || editor::isAutoLabel(own)) && !nameInUse(image, shortName, placed.place))
        key.setName(editor::textToNameBytes(shortName, kKeyNameLength));
    return placed;
}

std::optional<ButtonPlace> findButtonByName(const ConfigImage& image, const std::string& name) {
    for (int c = 0; c < kChannels; ++c)
        for (int r = 1; r <= kSlotsPerChannel; ++r)
            if (image.keyAt(c, r)->level != 0 && editor::buttonName(image, c, r) == name) return ButtonPlace{c, r};
    return std::nullopt;
}

int assignPress(ConfigImage& image, ButtonPlace button, PressLength length, const FunctionChoice& choice,
                bool keepOld) {
    int free = -1;
    for (int e = 0; e < kEvents && free < 0; ++e)
        if (!editor::eventTakesReaction(image, e)) free = e;
    // Old events that give the press up may free one; look at them first
    // only when there is none, so a full table changes nothing on failure.
    std::vector<int> old = keepOld ? std::vector<int>{} : eventsOnPress(image, button, length);
    if (free < 0) {
        for (int e : old)
            if (image.events[e].eventType() != EventAnyPress) free = e;
        if (free < 0) return -1;
    }
    for (int e : old) {
        EventRecord& event = image.events[e];
        if (event.eventType() == EventAnyPress)
            event.setEventType(length == PressLength::Short ? EventLongPress : EventShortPress);
        else
            clearEvent(event);
    }
    int type = EventLongPress;
    if (length == PressLength::Short) {
        // Alone on the button it answers any press; beside a long-press
        // function only the short one.
        type = eventsOnPress(image, button, PressLength::Long).empty() ? EventAnyPress : EventShortPress;
    }
    EventRecord& event = image.events[free];
    clearEvent(event);
    event.keyRow = static_cast<uint8_t>(button.row);
    event.keyCol = static_cast<uint8_t>(button.channel);
    event.setEventType(type);
    event.reaction = choice.reaction;
    return free;
}

void switchOff(ConfigImage& image, ButtonPlace button) {
    for (EventRecord& event : image.events)
        if (triggeredBy(event, button)) clearEvent(event);
}

void keepShortOnly(ConfigImage& image, int event) {
    EventRecord* record = image.eventAt(event);
    if (record != nullptr && record->eventType() == EventAnyPress) record->setEventType(EventShortPress);
}

void settleChannels(ConfigImage& image, const ChannelLevels& idleMaximum) {
    for (int c = 0; c < kChannels; ++c) {
        computeTolerances(image, c, idleMaximum[c]);
        image.channelThreshold[c] = channelThreshold(image, c, idleMaximum[c]);
    }
    image.keysLearned = 1;
}

std::vector<std::string> describeEvents(const ConfigImage& image, const std::vector<int>& events) {
    std::vector<std::string> lines;
    for (int e : events) {
        const EventRecord& event = image.events[e];
        lines.push_back(formatText(localized("%s: %s (event %d)"),
                                   localized(kEventTypeItems[event.eventType() & 3]),
                                   reactionText(event.reaction).c_str(), e + 1));
    }
    return lines;
}

std::string pressText(const ConfigImage& image, ButtonPlace button, PressLength length) {
    std::string text;
    for (int e : eventsOnPress(image, button, length)) {
        if (!text.empty()) text += ", ";
        text += reactionText(image.events[e].reaction);
    }
    return text;
}

} // namespace zmt::setup
