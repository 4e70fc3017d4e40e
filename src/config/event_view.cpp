#include "config/event_view.h"

#include "config/button_names.h"
#include "config/reaction_text.h"

namespace zmt::editor {

namespace {

// Which of the type, once and wake-up choices an event offers as it stands.
struct OfferedChoices {
    bool type = false;
    bool once = false;
};

OfferedChoices offeredChoices(const EventRecord& event) {
    OfferedChoices offered;
    if (event.irTrigger()) {
        offered.type = offered.once = true;
    } else {
        if (event.modRow != 0) offered.type = true;
        if (event.keyRow != 0) {
            offered.type = true;
            offered.once = event.keyCol != kEncoderColumn;
        }
    }
    const int type = event.eventType();
    // The once bit belongs to long and any presses only.
    if (type == EventDisabled || type == EventShortPress) offered.once = false;
    return offered;
}

} // namespace

// The controller's expectations, applied before an event is shown:
//  - a button event with neither key nor modifier is disabled, sends nothing
//    and has neither the once nor the wake-up bit;
//  - an event with only a modifier, or with an encoder turn as key, is "any
//    press" unless disabled (a modifier alone, or a turn, has no duration);
//  - an encoder key always carries the once bit;
//  - the once bit belongs to long and any presses of a key only.
void normaliseEvent(ConfigImage& image, int index) {
    EventRecord* event = image.eventAt(index);
    if (event == nullptr) return;

    if (!event->irTrigger()) {
        const bool hasModifier = event->modRow != 0;
        if (event->keyCol == kEncoderColumn && event->keyRow > kEncoderDirections) {
            // Only four encoder directions exist; a reference past them
            // (from a damaged file) is no key at all.
            event->keyRow = event->keyCol = 0;
        }
        if (event->keyRow != 0) {
            if (event->keyCol == kEncoderColumn) {
                event->setFlag(EV_ONCE, true);
                if (event->eventType() != EventDisabled) event->setEventType(EventAnyPress);
            }
        } else {
            event->setFlag(EV_ONCE, false);
            if (hasModifier) {
                if (event->eventType() != EventDisabled) event->setEventType(EventAnyPress);
            } else {
                event->setEventType(EventDisabled);
                event->reaction = Reaction{};
            }
        }
    }

    const int type = event->eventType();
    const bool keyOfferingOnce = event->irTrigger() || (event->keyRow != 0 && event->keyCol != kEncoderColumn);
    if (keyOfferingOnce && (type == EventDisabled || type == EventShortPress)) event->setFlag(EV_ONCE, false);
    if (!offeredChoices(*event).type) event->setFlag(EV_WAKEUP, false);
}

EventView eventView(const ConfigImage& image, int index) {
    EventView view;
    const EventRecord* event = image.eventAt(index);
    if (event == nullptr) return view;

    const OfferedChoices offered = offeredChoices(*event);
    view.typeEnabled = offered.type;
    view.onceEnabled = offered.once;
    view.wakeUpEnabled = offered.type;
    if (event->irTrigger()) {
        view.irTrigger = true;
        view.irText = irTriggerText(event->irCode());
    } else {
        if (event->modRow != 0) view.modifierText = triggerButtonText(image, event->modCol, event->modRow);
        if (event->keyRow != 0) view.keyText = triggerButtonText(image, event->keyCol, event->keyRow);
    }
    view.eventType = event->eventType();
    view.once = (event->flags & EV_ONCE) != 0;
    view.wakeUp = (event->flags & EV_WAKEUP) != 0;
    view.irReaction = isInfraredReaction(event->reaction);
    view.reactionLines = reactionMemoLines(event->reaction);
    return view;
}

bool eventTakesReaction(const ConfigImage& image, int index) {
    const EventRecord* event = image.eventAt(index);
    if (event == nullptr) return false;
    // As normaliseEvent sees it: an encoder direction past the four that exist
    // is no key.
    const bool key = event->keyRow != 0 && !(event->keyCol == kEncoderColumn && event->keyRow > kEncoderDirections);
    return event->irTrigger() || event->modRow != 0 || key;
}

} // namespace zmt::editor
