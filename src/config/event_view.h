#pragma once
// How an event reads: the rules the controller expects of an event, applied
// before it is shown, and what its controls show. The event editor shows
// this; zmtctl's listing prints it, so both say the same of a configuration.
#include "config/config_image.h"

#include <string>
#include <vector>

namespace zmt::editor {

// Everything the event editor shows for one event.
struct EventView {
    bool irTrigger = false;
    std::string irText;
    int eventType = 0;
    bool typeEnabled = false;
    bool once = false;
    bool onceEnabled = false;
    bool wakeUp = false;
    bool wakeUpEnabled = false;
    std::string modifierText;
    std::string keyText;
    bool irReaction = false;           // the reaction is an infrared one
    std::vector<std::string> reactionLines;
};

// Brings the event in line with the rules the controller expects (see the
// .cpp). An index outside 0..59 changes nothing.
void normaliseEvent(ConfigImage& image, int index);
// What the event's controls show, for an event normaliseEvent has brought in
// line; showing never edits. An index outside 0..59 shows an empty, disabled
// editor.
EventView eventView(const ConfigImage& image, int index);
// Whether the event keeps a reaction: it has a button, a modifier or an
// infrared trigger. Normalising an event with none clears its reaction.
bool eventTakesReaction(const ConfigImage& image, int index);

} // namespace zmt::editor
