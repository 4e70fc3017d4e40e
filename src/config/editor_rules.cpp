#include "config/editor_rules.h"

#include "config/reaction_text.h"
#include "lang/lang.h"
#include "config/key_names.h"

#include <cstring>

namespace zmt::editor {

namespace {

constexpr const char* kEncoderLabels[kEncoderDirections] = {"Enc1+", "Enc1-", "Enc2+", "Enc2-"};
constexpr const char* kEncoderTips[kEncoderDirections] = {
    "Увеличение значения энкодера 1\0Increasing the value of the encoder 1",
    "Уменьшение значения энкодера 1\0Decreasing the value of the encoder 1",
    "Увеличение значения энкодера 2\0Increasing the value of the encoder 2",
    "Уменьшение значения энкодера 2\0Decreasing the value of the encoder 2",
};


void setEventTypeBits(EventRecord& event, int type) {
    event.flags = static_cast<uint8_t>((event.flags & ~EV_TYPE_MASK) | (type & EV_TYPE_MASK));
}

void setBit(EventRecord& event, uint8_t bit, bool on) {
    event.flags = static_cast<uint8_t>(on ? event.flags | bit : event.flags & ~bit);
}

bool reactionPresent(const Reaction& reaction) {
    return (reaction.kind >> 4) == 1 || (reaction.kind & 0x0F) != 0;
}

// The panel text of a trigger reference whose cell shows nothing.
std::string placeholder(int column, int row) {
    if (column == kEncoderColumn && row >= 1 && row <= kEncoderDirections) {
        return std::string(kEncoderLabels[row - 1]) + " ?";
    }
    return formatText("%d.[%d] ?", column + 1, row);
}

} // namespace

const char* deleteActionCaption(int action) {
    switch (action) {
    case DeleteOneKey: return "Удалить эту кнопку\0Delete this key";
    case DeleteModifier: return "Удалить модификатор\0Delete mod key";
    case DeleteEventKey: return "Удалить кнопку\0Delete key";
    case DeleteReaction: return "Удалить реакцию\0Delete reaction";
    case DeleteHomeReaction: return "Удалить кнопку HOME\0Delete HOME key";
    case DeleteChannel: return "Удалить все кнопки %d канала\0Delete all buttons of the channel %d";
    case DeleteIrTrigger: return "Удалить ИК код\0Delete IR code";
    default: return "\0";
    }
}

// ---- the buttons grid ----

std::string gridHeaderText(int column) {
    if (column >= 0 && column < kChannels) return formatText(LangText("Канал %d\0Ch %d"), column + 1);
    if (column == kEncoderColumn) return LangText("Энкодер\0Encoder");
    return {};
}

std::string buttonName(const ConfigImage& image, int column, int row) {
    const KeyRecord* key = image.keyAt(column, row);
    if (key == nullptr) return {};
    const std::string name = key->nameText();
    return name.empty() ? autoLabel(column, key->level) : name;
}

std::string heldButtonName(const ConfigImage& image, int column, int row, const std::string& cellText) {
    if (row == 0) return {};
    return cellText.empty() ? buttonName(image, column, row) : cellText;
}

std::string KeysGridRules::encoderLabel(int row) {
    return row >= 1 && row <= kEncoderDirections ? kEncoderLabels[row - 1] : "";
}

bool KeysGridRules::encoderRowOn(int row) const {
    if (row == 1 || row == 2) return record_.image.enc0Mode != 0;
    if (row == 3 || row == 4) return record_.image.enc1Mode != 0;
    return false;
}

std::string KeysGridRules::autoLabel(int column, int row) const {
    const KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr) return {};
    return editor::autoLabel(column, key->level);
}

std::string KeysGridRules::cellText(int column, int row) const {
    if (column == kEncoderColumn) return encoderRowOn(row) ? encoderLabel(row) : std::string();
    const KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr || key->level == 0) return {};
    if (key->name[0] != '\0') return nameBytesToText(key->name, kKeyNameLength);
    return autoLabel(column, row);
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
        if (encoderRowOn(row)) return {LangText(kEncoderTips[row - 1]), PointerShape::Hand};
        return {"", PointerShape::NoEntry};
    }
    const KeyRecord* key = record_.image.keyAt(column, row);
    if (key == nullptr || key->level == 0) return {"", PointerShape::NoEntry};
    const std::string text = cellText(column, row);
    if (isAutoLabel(text)) {
        return {formatText(LangText("Канал %u, код %u (допуск %u)\0Channel %u, code %u (limit %u)"),
                           unsigned(column + 1), unsigned{key->level}, unsigned{key->tolerance}),
                PointerShape::Hand};
    }
    return {formatText(LangText("Кнопка \"%s\" канал %u, код %u (допуск %u)\0Button \"%s\" channel %u, code %u (limit %u)"),
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
    if (event->keyRow == 0 && event->modRow == 0) setEventTypeBits(*event, EventAnyPress);
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
    for (int row = 1; row < kGridRows; ++row) record_.keyCellMark[column][row] = 0;
}

// ---- the event editor ----

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
void EventRules::normaliseEvent(int index) {
    EventRecord* event = record_.image.eventAt(index);
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
                setBit(*event, EV_ONCE, true);
                if (event->eventType() != EventDisabled) setEventTypeBits(*event, EventAnyPress);
            }
        } else {
            setBit(*event, EV_ONCE, false);
            if (hasModifier) {
                if (event->eventType() != EventDisabled) setEventTypeBits(*event, EventAnyPress);
            } else {
                setEventTypeBits(*event, EventDisabled);
                event->reaction = Reaction{};
            }
        }
    }

    const int type = event->eventType();
    const bool keyOfferingOnce = event->irTrigger() || (event->keyRow != 0 && event->keyCol != kEncoderColumn);
    if (keyOfferingOnce && (type == EventDisabled || type == EventShortPress)) setBit(*event, EV_ONCE, false);
    if (!offeredChoices(*event).type) setBit(*event, EV_WAKEUP, false);
}

EventView EventRules::eventView(int index) const {
    EventView view;
    const EventRecord* event = record_.image.eventAt(index);
    if (event == nullptr) return view;

    const OfferedChoices offered = offeredChoices(*event);
    view.typeEnabled = offered.type;
    view.onceEnabled = offered.once;
    view.wakeUpEnabled = offered.type;
    if (event->irTrigger()) {
        view.irTrigger = true;
        view.irText = irTriggerText(event->irCode());
    } else {
        if (event->modRow != 0) {
            view.modifierText = grid_.cellText(event->modCol, event->modRow);
            if (view.modifierText.empty()) view.modifierText = placeholder(event->modCol, event->modRow);
        }
        if (event->keyRow != 0) {
            view.keyText = grid_.cellText(event->keyCol, event->keyRow);
            if (view.keyText.empty()) view.keyText = placeholder(event->keyCol, event->keyRow);
        }
    }
    view.eventType = event->eventType();
    view.once = (event->flags & EV_ONCE) != 0;
    view.wakeUp = (event->flags & EV_WAKEUP) != 0;
    view.irReaction = isInfraredReaction(event->reaction);
    view.reactionLines = reactionMemoLines(event->reaction);
    return view;
}

bool EventRules::takesReaction(int index) const {
    const EventRecord* event = record_.image.eventAt(index);
    if (event == nullptr) return false;
    // As normaliseEvent sees it: an encoder direction past the four that exist
    // is no key.
    const bool key = event->keyRow != 0 && !(event->keyCol == kEncoderColumn && event->keyRow > kEncoderDirections);
    return event->irTrigger() || event->modRow != 0 || key;
}

void EventRules::setEventType(int index, int type) {
    if (EventRecord* event = record_.image.eventAt(index)) setEventTypeBits(*event, type);
}

void EventRules::setOnce(int index, bool on) {
    if (EventRecord* event = record_.image.eventAt(index)) setBit(*event, EV_ONCE, on);
}

void EventRules::setWakeUp(int index, bool on) {
    if (EventRecord* event = record_.image.eventAt(index)) setBit(*event, EV_WAKEUP, on);
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
