#include "ui/editor/editor_rules.h"

#include "config/key_names.h"
#include "lang/lang.h"

#include <cstring>

namespace zmt::editor {

namespace {

constexpr const char* kEncoderTips[kEncoderDirections] = {
    N_("Increasing the value of the encoder 1"),
    N_("Decreasing the value of the encoder 1"),
    N_("Increasing the value of the encoder 2"),
    N_("Decreasing the value of the encoder 2"),
};

bool reactionPresent(const Reaction& reaction) {
    return (reaction.kind >> 4) == 1 || (reaction.kind & 0x0F) != 0;
}

} // namespace

const char* deleteActionCaption(int action) {
    switch (action) {
    case DeleteOneKey: return N_("Delete this key");
    case DeleteModifier: return N_("Delete mod key");
    case DeleteEventKey: return N_("Delete key");
    case DeleteReaction: return N_("Delete reaction");
    case DeleteHomeReaction: return N_("Delete HOME key");
    case DeleteChannel: return N_("Delete all buttons of the channel %d");
    case DeleteIrTrigger: return N_("Delete IR code");
    default: return "\0";
    }
}

// ---- the buttons grid ----

std::string KeysGridRules::autoLabel(int column, int row) const {
    const KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr) return {};
    return editor::autoLabel(column, key->level);
}

bool KeysGridRules::selectable(int column, int row) const {
    if (column == kEncoderColumn) return encoderRowOn(row);
    return editable(column, row);
}

bool KeysGridRules::editable(int column, int row) const {
    const KeyRecord* key = record_.image.keyAt(column, row);
    return key != nullptr && key->level != 0;
}

bool KeysGridRules::channelHasData(int column) const {
    if (column < 0 || column >= kChannels) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(record_.image.keys[column]);
    for (std::size_t i = 0; i < sizeof record_.image.keys[column]; ++i) {
        if (bytes[i] != 0) return true;
    }
    return false;
}

PointerHint KeysGridRules::pointerAt(int column, int row) const {
    if (row == 0) {
        if (column >= 0 && column < kChannels && channelHasData(column)) return {"", PointerShape::Help};
        return {"", PointerShape::Default};
    }
    if (column == kEncoderColumn) {
        if (encoderRowOn(row)) return {localized(kEncoderTips[row - 1]), PointerShape::Hand};
        return {"", PointerShape::NoEntry};
    }
    const KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr || key->level == 0) return {"", PointerShape::NoEntry};
    const std::string text = cellText(column, row);
    if (isAutoLabel(text)) {
        return {formatText(localized("Channel %u, code %u (limit %u)"),
                           unsigned(column + 1), unsigned{key->level}, unsigned{key->tolerance}),
                PointerShape::Hand};
    }
    return {formatText(localized("Button \"%s\" channel %u, code %u (limit %u)"),
                       text.c_str(), unsigned(column + 1), unsigned{key->level}, unsigned{key->tolerance}),
            PointerShape::Hand};
}

GridPress KeysGridRules::press(int column, int row, GridButton button) {
    GridEditorState& state = state_;
    state.dragCol = 0;
    state.dragRow = 0;
    GridPress result;
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return result;
    if (row == 0) {
        // A channel's caption offers to delete all its buttons.
        if (button == GridButton::Right && column < kChannels && channelHasData(column)) {
            state.dragCol = column;
            result.menu = DeleteChannel;
            result.channel = column + 1;
        }
        return result;
    }
    if (column == kEncoderColumn) {
        // An encoder turn is dragged onto an event, never deleted or renamed.
        if (button == GridButton::Left && encoderRowOn(row)) {
            state.dragCol = column;
            state.dragRow = row;
            state.dragging = 1;
            result.drag = true;
        }
        return result;
    }
    if (!editable(column, row)) return result;
    state.dragCol = column;
    state.dragRow = row;
    if (button == GridButton::Right) {
        result.menu = DeleteOneKey;
    } else if (button == GridButton::Left) {
        state.dragging = 1;
        result.drag = true;
    }
    return result;
}

DropHover KeysGridRules::hover(int eventIndex, bool overModifier, bool overKey) const {
    DropHover result;
    const EventRecord* event = record_.image.eventAt(eventIndex);
    if (event == nullptr || !dropCandidate(*event)) return result;
    result.candidate = true;
    if (overModifier) result.target = DropPanel::Modifier;
    else if (overKey) result.target = DropPanel::Key;
    if (result.target) result.accepted = dropAccepted(*result.target, *event, state_.dragCol);
    return result;
}

void KeysGridRules::namingOpened(int column, int row, const std::string& cellText) {
    GridEditorState& state = state_;
    // Reopened before the name was committed: the first text is still what
    // a refused name goes back to.
    if (state.editState != NamingState::Idle) return;
    state.editState = NamingState::Opened;
    state.editCol = column;
    state.editRow = row;
    state.editText = cellText;
}

bool KeysGridRules::beingNamed(int column, int row) const {
    const GridEditorState& state = state_;
    return state.editState != NamingState::Idle && state.editCol == column && state.editRow == row;
}

bool KeysGridRules::namingClosed() {
    if (state_.editState == NamingState::Idle) return false;
    state_.editState = NamingState::Idle;
    return true;
}

std::string KeysGridRules::typedName(const std::string& text) { return firstCharacters(text, kKeyNameLength); }

KeysGridRules::NameCommit KeysGridRules::commitName(int column, int row, const std::string& typed,
                                                    const std::string& oldText) {
    KeyRecord* key = record_.image.keyAt(column, row);
    // The button may have gone while its name was edited (deleted, or a new
    // configuration read); there is nothing left to name.
    if (key == nullptr || key->level == 0) return {NameOutcome::NoButton, cellText(column, row), {}};

    // What the name bytes can hold is what the cell will show and what
    // counts when names are compared.
    const std::string stored = textToNameBytes(typedName(typed), kKeyNameLength);
    std::string text = stored.empty() ? autoLabel(column, row) : nameBytesToText(stored.data(), stored.size());
    NameOutcome outcome = NameOutcome::Stored;
    std::string refused;
    for (int c = 0; c < kChannels && outcome == NameOutcome::Stored; ++c) {
        for (int r = 1; r < kGridRows; ++r) {
            if ((c != column || r != row) && cellText(c, r) == text) {
                outcome = NameOutcome::Duplicate;
                refused = text;
                text = oldText;
                break;
            }
        }
    }
    key->setName(textToNameBytes(text, kKeyNameLength));
    return {outcome, text, refused};
}

bool KeysGridRules::dropAccepted(DropPanel panel, const EventRecord& event, int sourceColumn) {
    // A button and its modifier must lie on different channels (the
    // controller reads one level per channel), and an encoder turn can
    // start an event but cannot be held as a modifier.
    if (panel == DropPanel::Modifier) {
        return sourceColumn != kEncoderColumn && !(event.keyRow != 0 && event.keyCol == sourceColumn);
    }
    return !(event.modRow != 0 && event.modCol == sourceColumn);
}

bool KeysGridRules::drop(DropPanel panel, int eventIndex, int sourceColumn, int sourceRow) {
    EventRecord* event = record_.image.eventAt(eventIndex);
    if (event == nullptr || !dropCandidate(*event) || !dropAccepted(panel, *event, sourceColumn)) return false;
    if (sourceColumn < 0 || sourceColumn > kEncoderColumn || sourceRow < 1 || sourceRow >= kGridRows) return false;
    if (event->keyRow == 0 && event->modRow == 0) event->setEventType(EventAnyPress);
    if (panel == DropPanel::Modifier) {
        event->modCol = static_cast<uint8_t>(sourceColumn);
        event->modRow = static_cast<uint8_t>(sourceRow);
    } else {
        event->keyCol = static_cast<uint8_t>(sourceColumn);
        event->keyRow = static_cast<uint8_t>(sourceRow);
    }
    return true;
}

void KeysGridRules::deleteKey(int column, int row) {
    KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr) return;
    std::memset(key, 0, sizeof *key);
    for (EventRecord& event : record_.image.events) {
        if (event.irTrigger()) continue;
        if (event.keyRow == row && event.keyCol == column) event.keyRow = event.keyCol = 0;
        if (event.modRow == row && event.modCol == column) event.modRow = event.modCol = 0;
    }
}

void KeysGridRules::deleteChannel(int column) {
    if (column < 0 || column >= kChannels) return;
    std::memset(record_.image.keys[column], 0, sizeof record_.image.keys[column]);
}

// ---- the event editor ----

void EventRules::setEventType(int index, int type) {
    if (EventRecord* event = record_.image.eventAt(index)) event->setEventType(type);
}

void EventRules::setOnce(int index, bool on) {
    if (EventRecord* event = record_.image.eventAt(index)) event->setFlag(EV_ONCE, on);
}

void EventRules::setWakeUp(int index, bool on) {
    if (EventRecord* event = record_.image.eventAt(index)) event->setFlag(EV_WAKEUP, on);
}

bool EventRules::menuOffered(int action, int index) const {
    if (action == DeleteHomeReaction) {
        const Reaction& home = record_.image.homeReaction;
        return home.kind < 16 && (home.kind & 0x0F) != 0;
    }
    const EventRecord* event = record_.image.eventAt(index);
    if (event == nullptr) return false;
    switch (action) {
    case DeleteModifier: return !event->irTrigger() && event->modRow != 0;
    case DeleteEventKey: return !event->irTrigger() && event->keyRow != 0;
    case DeleteReaction: return reactionPresent(event->reaction);
    case DeleteIrTrigger: return event->irTrigger();
    default: return false;
    }
}

int EventRules::runPendingDelete(KeysGridRules& grid, int eventIndex) {
    GridEditorState& state = grid.state();
    const int action = state.popupAction;
    state.popupAction = NoDeleteAction;
    EventRecord* event = record_.image.eventAt(eventIndex);
    switch (action) {
    case DeleteOneKey:
        if (state.dragRow != 0) grid.deleteKey(state.dragCol, state.dragRow);
        break;
    case DeleteChannel:
        if (state.dragRow == 0 && state.dragCol != kEncoderColumn) grid.deleteChannel(state.dragCol);
        break;
    case DeleteModifier:
        if (event != nullptr) event->modRow = event->modCol = 0;
        break;
    case DeleteEventKey:
        if (event != nullptr) event->keyRow = event->keyCol = 0;
        break;
    case DeleteReaction:
        if (event != nullptr) event->reaction = Reaction{};
        break;
    case DeleteHomeReaction:
        record_.image.homeReaction = Reaction{};
        break;
    case DeleteIrTrigger:
        if (event != nullptr && event->irTrigger()) {
            event->flags = static_cast<uint8_t>(event->flags & ~EV_TRIGGER_MASK);
            event->setIrCode(IrCode{});
        }
        break;
    default:
        break;
    }
    return action;
}

} // namespace zmt::editor
