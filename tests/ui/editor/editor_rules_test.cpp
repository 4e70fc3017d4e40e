// The rules of the buttons grid and the event editor, on the record alone and
// against the simulated controller: every edit must leave the image as the
// controller expects it, and one synchronisation tick later the controller
// must hold exactly that image.
#include "test_languages.h"
#include "config/config_transfer.h"
#include "lang/lang.h"
#include "learned_buttons.h"
#include "sim_rig.h"
#include "ui/editor/editor_rules.h"
#include "config/key_names.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace zmt;
using namespace zmt::editor;

namespace {

// A record as a controller holds it after learning (putLearnedButtons).
struct Bench {
    test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    ConfigTransfer transfer{rig.link, record, flags, nullptr};
    KeysGridRules grid{record};
    EventRules events{record};

    Bench() {
        EXPECT_EQ(int(transfer.readConfiguration()), 0);
        FlagsForTests::setDeviceConnected(flags, true);
        fixtures::putLearnedButtons(record.image);
        sync();
    }
    EventRecord& event(int index) { return record.image.events[index]; }
    // As the editor shows an event: brought in line, then viewed.
    EventView show(int index) {
        events.normaliseEvent(index);
        return events.eventView(index);
    }
    // One tick of the automatic synchronisation; true when the controller
    // then holds the image byte for byte.
    bool sync() {
        transfer.syncChanges();
        return std::memcmp(rig.controller->state.config.data(), record.image.bytes(), kConfigImageSize) == 0;
    }
};

} // namespace

class EditorRules : public ::testing::Test {
protected:
    void TearDown() override { setLanguage("ru"); }
};

TEST_F(EditorRules, CellTextsAndAutoLabels) {
    Bench b;
    ASSERT_EQ(b.grid.cellText(0, 1), std::string("VOL+"));
    ASSERT_EQ(b.grid.cellText(0, 3), std::string("1.80"));
    ASSERT_EQ(b.grid.cellText(2, 1), std::string("3.42"));
    ASSERT_EQ(b.grid.cellText(0, 4), std::string());
    // A full five-byte name has no terminator and must not run into the next field.
    b.record.image.keys[1][0] = KeyRecord{137, 3, {'A', 'B', 'C', 'D', 'E'}};
    ASSERT_EQ(b.grid.cellText(1, 1), std::string("ABCDE"));
    ASSERT_EQ(b.grid.cellText(4, 1), std::string("Enc1+"));
    ASSERT_EQ(b.grid.cellText(4, 2), std::string("Enc1-"));
    ASSERT_EQ(b.grid.cellText(4, 3), std::string());  // encoder 2 is off
    ASSERT_TRUE(!b.grid.selectable(4, 3));
    ASSERT_TRUE(!b.grid.selectable(4, 5));
    ASSERT_TRUE(b.grid.selectable(4, 1));
    ASSERT_TRUE(!b.grid.selectable(0, 4));
    // Out of the grid is empty and unselectable, never a crash.
    ASSERT_EQ(b.grid.cellText(7, 99), std::string());
    ASSERT_TRUE(!b.grid.selectable(-1, 0));
}

TEST_F(EditorRules, PointerHints) {
    Bench b;
    PointerHint hint = b.grid.pointerAt(2, 1);
    ASSERT_EQ(hint.tip, std::string("Канал 3, код 42 (допуск 15)"));
    ASSERT_EQ(int(hint.shape), int(PointerShape::Hand));
    setLanguage("en");
    ASSERT_EQ(b.grid.pointerAt(0, 1).tip, std::string("Button \"VOL+\" channel 1, code 40 (limit 10)"));
    ASSERT_EQ(b.grid.pointerAt(4, 2).tip, std::string("Decreasing the value of the encoder 1"));
    ASSERT_EQ(int(b.grid.pointerAt(4, 3).shape), int(PointerShape::NoEntry));
    ASSERT_EQ(int(b.grid.pointerAt(0, 9).shape), int(PointerShape::NoEntry));
    ASSERT_EQ(int(b.grid.pointerAt(0, 0).shape), int(PointerShape::Help));
    ASSERT_EQ(int(b.grid.pointerAt(1, 0).shape), int(PointerShape::Default));
    ASSERT_EQ(int(b.grid.pointerAt(4, 0).shape), int(PointerShape::Default));
}

TEST_F(EditorRules, NamingAButton) {
    Bench b;
    // Seven letters keep five.
    ASSERT_EQ(KeysGridRules::typedName("ABCDEFG"), std::string("ABCDE"));
    auto result = b.grid.commitName(0, 3, "ABCDEFG", "1.80");
    ASSERT_EQ(int(result.outcome), int(KeysGridRules::NameOutcome::Stored));
    ASSERT_EQ(result.text, std::string("ABCDE"));
    ASSERT_TRUE(std::memcmp(b.record.image.keys[0][2].name, "ABCDE", 5) == 0);
    ASSERT_TRUE(b.sync());

    // An emptied name stores the automatic label, which still reads as unnamed.
    result = b.grid.commitName(0, 3, "", "ABCDE");
    ASSERT_EQ(result.text, std::string("1.80"));
    ASSERT_TRUE(std::memcmp(b.record.image.keys[0][2].name, "1.80\0", 5) == 0);
    ASSERT_EQ(b.grid.pointerAt(0, 3).tip, std::string("Канал 1, код 80 (допуск 10)"));
    ASSERT_TRUE(b.sync());

    // A name another button carries is refused and the old text stored again.
    result = b.grid.commitName(0, 3, "VOL-", "1.80");
    ASSERT_EQ(int(result.outcome), int(KeysGridRules::NameOutcome::Duplicate));
    ASSERT_EQ(result.refused, std::string("VOL-"));
    ASSERT_EQ(result.text, std::string("1.80"));
    ASSERT_TRUE(std::memcmp(b.record.image.keys[0][2].name, "1.80\0", 5) == 0);
    // Renaming a button to its own name is no duplicate; names are case-sensitive.
    ASSERT_EQ(int(b.grid.commitName(0, 1, "VOL+", "VOL+").outcome), int(KeysGridRules::NameOutcome::Stored));
    ASSERT_EQ(int(b.grid.commitName(0, 3, "vol-", "1.80").outcome), int(KeysGridRules::NameOutcome::Stored));
    // Another button's automatic label is taken as well.
    ASSERT_EQ(int(b.grid.commitName(0, 3, "3.42", "vol-").outcome), int(KeysGridRules::NameOutcome::Duplicate));

    // Five Russian letters are five name bytes and read back the same.
    result = b.grid.commitName(2, 1, "Громкость", "3.42");
    ASSERT_EQ(result.text, std::string("Громк"));
    ASSERT_EQ(b.grid.cellText(2, 1), std::string("Громк"));
    ASSERT_EQ(uint8_t(b.record.image.keys[2][0].name[0]), uint8_t(0xC3));
    ASSERT_TRUE(b.sync());

    // The button went away while its editor was open: nothing is stored.
    std::memset(&b.record.image.keys[0][1], 0, sizeof(KeyRecord));
    ASSERT_EQ(int(b.grid.commitName(0, 2, "NEW", "VOL-").outcome), int(KeysGridRules::NameOutcome::NoButton));
    ASSERT_EQ(b.record.image.keys[0][1].name[0], '\0');
}

TEST_F(EditorRules, NameBytes) {
    // Bytes without a letter read as '?', never as broken text.
    const char raw[5] = {'A', char(0x81), char(0xA8), char(0xFF), 0};
    ASSERT_EQ(nameBytesToText(raw, 5), std::string("A?Ёя"));
    ASSERT_EQ(textToNameBytes("a€b", 5), std::string("a?b"));
    // A broken UTF-8 sequence counts one character per byte.
    ASSERT_EQ(characterCount(std::string("\xD0", 1)), std::size_t(1));
    ASSERT_EQ(firstCharacters("日本語テキスト", 2), std::string("日本"));
}

TEST_F(EditorRules, DropsOntoTheEventPanels) {
    Bench b;
    EventRecord& e = b.event(0);
    // An encoder direction can be a key but never a modifier.
    ASSERT_TRUE(!KeysGridRules::dropAccepted(DropPanel::Modifier, e, 4));
    ASSERT_TRUE(!b.grid.drop(DropPanel::Modifier, 0, 4, 1));
    ASSERT_EQ(e.modRow, uint8_t(0));
    ASSERT_TRUE(KeysGridRules::dropAccepted(DropPanel::Key, e, 4));

    // A drop onto an event without a trigger makes it any press, other bits kept.
    e.flags = EV_WAKEUP | EventShortPress;
    ASSERT_TRUE(b.grid.drop(DropPanel::Key, 0, 0, 1));
    ASSERT_EQ(e.flags, uint8_t(EV_WAKEUP | EventAnyPress));
    ASSERT_EQ(e.keyCol, uint8_t(0));
    ASSERT_EQ(e.keyRow, uint8_t(1));
    ASSERT_TRUE(b.sync());

    // The modifier must be on another channel than the key.
    ASSERT_TRUE(!b.grid.drop(DropPanel::Modifier, 0, 0, 2));
    ASSERT_EQ(e.modRow, uint8_t(0));
    ASSERT_TRUE(b.grid.drop(DropPanel::Modifier, 0, 2, 1));
    ASSERT_EQ(e.modCol, uint8_t(2));
    ASSERT_EQ(e.modRow, uint8_t(1));
    // ...and the key on another channel than the modifier; the type stays.
    e.flags = EventLongPress;
    ASSERT_TRUE(!b.grid.drop(DropPanel::Key, 0, 2, 1));
    ASSERT_TRUE(b.grid.drop(DropPanel::Key, 0, 0, 3));
    ASSERT_EQ(e.flags, uint8_t(EventLongPress));
    ASSERT_TRUE(b.sync());

    // Infrared-triggered events take no buttons.
    EventRecord& ir = b.event(1);
    ir.flags = EV_IR_TRIGGER | EventShortPress;
    ir.setIrCode(IrCode{17, 4, 1});
    const EventRecord before = ir;
    ASSERT_TRUE(!b.grid.drop(DropPanel::Key, 1, 0, 1));
    ASSERT_TRUE(std::memcmp(&ir, &before, sizeof ir) == 0);
    // Nor do events that do not exist.
    ASSERT_TRUE(!b.grid.drop(DropPanel::Key, 60, 0, 1));
}

TEST_F(EditorRules, PressesOnTheGrid) {
    // Channel 1 holds rows 1..3, channel 2 nothing, encoder 1 is on and
    // encoder 2 off; row 0 is the header, -1 outside the cells.
    const struct {
        int column, row;
        GridButton button;
        bool drag;
        int menu, channel, sourceColumn, sourceRow;
    } cases[] = {
        {0, 1, GridButton::Left, true, NoDeleteAction, 0, 0, 1},
        {0, 3, GridButton::Right, false, DeleteOneKey, 0, 0, 3},
        {0, 1, GridButton::Other, false, NoDeleteAction, 0, 0, 1},
        {0, 4, GridButton::Left, false, NoDeleteAction, 0, 0, 0},    // an empty slot
        {0, 4, GridButton::Right, false, NoDeleteAction, 0, 0, 0},
        {2, 0, GridButton::Right, false, DeleteChannel, 3, 2, 0},    // a caption deletes its channel
        {1, 0, GridButton::Right, false, NoDeleteAction, 0, 0, 0},   // ...when it holds anything
        {0, 0, GridButton::Left, false, NoDeleteAction, 0, 0, 0},
        {4, 0, GridButton::Right, false, NoDeleteAction, 0, 0, 0},
        {4, 2, GridButton::Left, true, NoDeleteAction, 0, 4, 2},     // an encoder turn drags
        {4, 2, GridButton::Right, false, NoDeleteAction, 0, 0, 0},   // ...but has no menu
        {4, 3, GridButton::Left, false, NoDeleteAction, 0, 0, 0},    // encoder 2 is off
        {5, 1, GridButton::Left, false, NoDeleteAction, 0, 0, 0},
        {-1, -1, GridButton::Right, false, NoDeleteAction, 0, 0, 0},
    };
    Bench b;
    for (const auto& c : cases) {
        b.grid.state() = GridEditorState{};
        b.grid.state().dragCol = b.grid.state().dragRow = 9;
        const GridPress press = b.grid.press(c.column, c.row, c.button);
        const std::string where = std::to_string(c.column) + "," + std::to_string(c.row);
        ASSERT_TRUE(press.drag == c.drag && (b.grid.state().dragging != 0) == c.drag) << where;
        ASSERT_TRUE(press.menu == c.menu && press.channel == c.channel) << where;
        ASSERT_TRUE(b.grid.state().dragCol == c.sourceColumn && b.grid.state().dragRow == c.sourceRow) << where;
    }
}

TEST_F(EditorRules, DragHoverPrefersTheModifierPanel) {
    Bench b;
    b.event(1) = EventRecord{1, 0, 0, 0, EventShortPress, {}};   // key: channel 1, row 1
    b.event(2).flags = EV_IR_TRIGGER | EventShortPress;
    const std::optional<DropPanel> none;
    const struct {
        int event, sourceColumn;
        bool overModifier, overKey, candidate;
        std::optional<DropPanel> target;
        bool accepted;
    } cases[] = {
        {0, 0, true, true, true, DropPanel::Modifier, true},
        // An encoder turn is refused as a modifier, and the key panel
        // beneath the pointer does not take it instead.
        {0, 4, true, true, true, DropPanel::Modifier, false},
        {0, 4, false, true, true, DropPanel::Key, true},
        {0, 0, false, false, true, none, false},
        {1, 0, true, false, true, DropPanel::Modifier, false},   // the key's own channel
        {1, 2, true, false, true, DropPanel::Modifier, true},
        {2, 0, true, true, false, none, false},                    // an infrared trigger
        {60, 0, true, true, false, none, false},
    };
    for (const auto& c : cases) {
        b.grid.state().dragCol = c.sourceColumn;
        const DropHover hover = b.grid.hover(c.event, c.overModifier, c.overKey);
        const std::string which = std::to_string(c.event) + "/" + std::to_string(c.sourceColumn);
        ASSERT_TRUE(hover.candidate == c.candidate && hover.target == c.target && hover.accepted == c.accepted) << which;
    }
}

TEST_F(EditorRules, NamingFromOpeningToClose) {
    Bench b;
    enum Step { Open, Close };
    const struct {
        Step step;
        int column, row;
        bool commit;
        NamingState state;
    } steps[] = {
        {Close, 0, 0, false, NamingState::Idle},   // an editor that named nothing
        {Open, 0, 3, false, NamingState::Opened},
        {Open, 0, 1, false, NamingState::Opened},   // a second opening keeps the first cell
        {Close, 0, 0, true, NamingState::Idle},
        {Close, 0, 0, false, NamingState::Idle},   // committed once only
        {Open, 2, 1, false, NamingState::Opened},
        {Close, 0, 0, true, NamingState::Idle},
    };
    int n = 0;
    for (const auto& s : steps) {
        const std::string at = "step " + std::to_string(n++);
        bool commit = false;
        if (s.step == Open) b.grid.namingOpened(s.column, s.row, b.grid.cellText(s.column, s.row));
        else commit = b.grid.namingClosed();
        ASSERT_TRUE(commit == s.commit && b.grid.state().editState == s.state) << at;
    }
    // The cell committed last is still where the name goes, with the text
    // a refused name falls back to; no other cell is held meanwhile.
    ASSERT_EQ(b.grid.state().editCol, 2);
    ASSERT_EQ(b.grid.state().editText, std::string("3.42"));
    b.grid.namingOpened(0, 3, "1.80");
    ASSERT_TRUE(b.grid.beingNamed(0, 3));
    ASSERT_TRUE(!b.grid.beingNamed(0, 1));
    ASSERT_EQ(b.grid.state().editText, std::string("1.80"));
}

TEST_F(EditorRules, CaptionsAndHeldButtonNames) {
    const struct {
        int column;
        const char* russian;
        const char* english;
    } headers[] = {{0, "Канал 1", "Ch 1"}, {3, "Канал 4", "Ch 4"}, {4, "Энкодер", "Encoder"}, {5, "", ""}, {-1, "", ""}};
    for (const auto& h : headers) {
        setLanguage("ru");
        ASSERT_EQ(channelCaption(h.column), std::string(h.russian));
        setLanguage("en");
        ASSERT_EQ(channelCaption(h.column), std::string(h.english));
    }

    Bench b;
    const struct {
        int column, row;
        const char* shown;
        const char* name;
    } held[] = {
        {0, 1, "", "VOL+"},          // the stored name
        {0, 3, "", "1.80"},          // unnamed: the automatic label
        {0, 1, "VO", "VO"},          // what the cell shows, a name being typed
        {0, 0, "VOL+", ""},          // nothing held
        {7, 1, "", ""},
    };
    for (const auto& h : held) {
        ASSERT_EQ(heldButtonName(b.record.image, h.column, h.row, h.shown), std::string(h.name));
    }
}

TEST_F(EditorRules, DeletingAButtonClearsItsReferences) {
    Bench b;
    b.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionKeyboard, 0, 0x28, 0}};
    b.event(1) = EventRecord{1, 2, 1, 0, EventAnyPress, {ReactionKeyboard, 0, 0x29, 0}};
    b.event(2) = EventRecord{2, 0, 0, 0, EventShortPress, {}};
    // An infrared trigger whose code bytes happen to read as (1, 0).
    b.event(3) = EventRecord{1, 0, 1, 0, EV_IR_TRIGGER | EventShortPress, {}};
    ASSERT_TRUE(b.sync());

    b.grid.state() = GridEditorState{};
    b.grid.state().dragCol = 0;
    b.grid.state().dragRow = 1;
    b.grid.state().popupAction = DeleteOneKey;
    ASSERT_EQ(b.events.runPendingDelete(b.grid, 0), int(DeleteOneKey));
    ASSERT_EQ(b.grid.state().popupAction, 0);
    const uint8_t zero[7] = {};
    ASSERT_TRUE(std::memcmp(&b.record.image.keys[0][0], zero, 7) == 0);
    ASSERT_EQ(b.event(0).keyRow, uint8_t(0));
    ASSERT_EQ(b.event(0).keyCol, uint8_t(0));
    ASSERT_EQ(b.event(1).modRow, uint8_t(0));
    ASSERT_EQ(b.event(1).keyRow, uint8_t(1));  // its key is on channel 3
    ASSERT_EQ(b.event(2).keyRow, uint8_t(2));
    ASSERT_EQ(b.event(3).keyRow, uint8_t(1));   // infrared code untouched
    ASSERT_EQ(b.event(3).modRow, uint8_t(1));
    ASSERT_TRUE(b.sync());

    // The header row deletes nothing as a single button.
    b.grid.state().dragRow = 0;
    b.grid.state().popupAction = DeleteOneKey;
    b.events.runPendingDelete(b.grid, 0);
    ASSERT_EQ(b.record.image.keys[0][1].level, uint8_t(60));
}

TEST_F(EditorRules, DeletingAChannelLeavesPlaceholders) {
    Bench b;
    b.event(0) = EventRecord{1, 2, 2, 0, EventShortPress, {ReactionKeyboard, 0, 0x28, 0}};
    ASSERT_TRUE(b.grid.channelHasData(2));
    b.grid.state().dragCol = 2;
    b.grid.state().dragRow = 0;
    b.grid.state().popupAction = DeleteChannel;
    b.events.runPendingDelete(b.grid, 0);
    ASSERT_TRUE(!b.grid.channelHasData(2));
    ASSERT_EQ(b.event(0).keyRow, uint8_t(1));
    const EventView view = b.show(0);
    ASSERT_EQ(view.keyText, std::string("3.[1] ?"));
    ASSERT_EQ(view.modifierText, std::string("VOL-"));
    ASSERT_TRUE(b.sync());
    // The encoder column is no channel.
    b.grid.state().dragCol = 4;
    b.grid.state().popupAction = DeleteChannel;
    b.events.runPendingDelete(b.grid, 0);
    ASSERT_EQ(b.record.image.keys[0][0].level, uint8_t(40));
}

TEST_F(EditorRules, ShowingAnEventNormalisesIt) {
    Bench b;
    // No key and no modifier: disabled, nothing sent, no option bits.
    b.event(0) = EventRecord{0, 0, 0, 0, EV_ONCE | EV_WAKEUP | EventLongPress, {ReactionKeyboard, 1, 2, 3}};
    EventView view = b.show(0);
    ASSERT_EQ(b.event(0).flags, uint8_t(0));
    ASSERT_EQ(b.event(0).reaction.kind, uint8_t(0));
    ASSERT_TRUE(!view.typeEnabled && !view.onceEnabled && !view.wakeUpEnabled);
    ASSERT_EQ(view.reactionLines.back(), std::string("Отсутствует"));
    ASSERT_TRUE(b.sync());

    // Only a modifier: any press unless disabled, never once.
    b.event(1) = EventRecord{0, 0, 1, 0, EV_ONCE | EventShortPress, {}};
    view = b.show(1);
    ASSERT_EQ(b.event(1).flags, uint8_t(EventAnyPress));
    ASSERT_TRUE(view.typeEnabled && !view.onceEnabled && view.wakeUpEnabled);
    ASSERT_EQ(view.modifierText, std::string("VOL+"));
    b.events.setEventType(1, EventLongPress);
    view = b.show(1);
    ASSERT_EQ(view.eventType, int(EventAnyPress));
    b.events.setEventType(1, EventDisabled);
    view = b.show(1);
    ASSERT_EQ(view.eventType, int(EventDisabled));
    ASSERT_TRUE(!view.onceEnabled);
    ASSERT_TRUE(b.sync());

    // A button key: once belongs to long and any presses only.
    b.event(2) = EventRecord{2, 0, 0, 0, EventShortPress, {}};
    view = b.show(2);
    ASSERT_TRUE(!view.onceEnabled);
    b.events.setEventType(2, EventLongPress);
    view = b.show(2);
    ASSERT_TRUE(view.onceEnabled);
    b.events.setOnce(2, true);
    ASSERT_EQ(b.event(2).flags, uint8_t(EV_ONCE | EventLongPress));
    ASSERT_TRUE(b.sync());
    b.events.setEventType(2, EventShortPress);
    b.show(2);
    ASSERT_EQ(b.event(2).flags, uint8_t(EventShortPress));
    ASSERT_TRUE(b.sync());

    // An encoder key always carries once and is any press; with its
    // encoder off the panel shows a placeholder and the reference stays.
    b.event(3) = EventRecord{1, 4, 0, 0, EventShortPress, {}};
    view = b.show(3);
    ASSERT_EQ(b.event(3).flags, uint8_t(EV_ONCE | EventAnyPress));
    ASSERT_TRUE(view.once && !view.onceEnabled);
    ASSERT_EQ(view.keyText, std::string("Enc1+"));
    b.record.image.enc0Mode = 0;
    view = b.show(3);
    ASSERT_EQ(view.keyText, std::string("Enc1+ ?"));
    ASSERT_EQ(b.event(3).keyRow, uint8_t(1));
    ASSERT_TRUE(b.sync());

    // An encoder row past the four directions is no key at all.
    b.event(4) = EventRecord{9, 4, 0, 0, EventAnyPress, {ReactionKeyboard, 0, 4, 0}};
    view = b.show(4);
    ASSERT_EQ(b.event(4).keyRow, uint8_t(0));
    ASSERT_EQ(b.event(4).flags, uint8_t(0));
    ASSERT_EQ(b.event(4).reaction.kind, uint8_t(0));
    ASSERT_TRUE(b.sync());

    // A modifier reference outside the grid shows a placeholder, no crash.
    b.event(5) = EventRecord{1, 0, 200, 9, EventShortPress, {}};
    ASSERT_EQ(b.show(5).modifierText, std::string("10.[200] ?"));
    ASSERT_EQ(b.show(60).keyText, std::string());
}

TEST_F(EditorRules, InfraredEvents) {
    Bench b;
    EventRecord& e = b.event(0);
    e.flags = EV_IR_TRIGGER | EV_WAKEUP | EventShortPress;
    e.setIrCode(IrCode{17, 4, 1});
    e.reaction = Reaction{0x11, 5, 0x34, 0x12};
    EventView view = b.show(0);
    ASSERT_TRUE(view.irTrigger && view.typeEnabled && view.wakeUp);
    ASSERT_EQ(view.irText, std::string("NEC 4 / 17"));
    ASSERT_TRUE(view.irReaction);
    ASSERT_EQ(view.reactionLines.size(), std::size_t(3));
    ASSERT_EQ(view.reactionLines[2], std::string("NEC 4660 / 5"));
    ASSERT_EQ(e.flags, uint8_t(EV_IR_TRIGGER | EV_WAKEUP | EventShortPress));
    ASSERT_TRUE(b.events.menuOffered(DeleteIrTrigger, 0));
    ASSERT_TRUE(!b.events.menuOffered(DeleteEventKey, 0));
    ASSERT_TRUE(b.sync());

    // Removing the code leaves an event without a trigger, which empties it.
    b.grid.state().popupAction = DeleteIrTrigger;
    b.events.runPendingDelete(b.grid, 0);
    b.show(0);
    const uint8_t zero[9] = {};
    ASSERT_TRUE(std::memcmp(&e, zero, 9) == 0);
    ASSERT_TRUE(b.sync());
}

TEST_F(EditorRules, MenusOfTheEventPanels) {
    Bench b;
    b.event(0) = EventRecord{1, 0, 0, 0, EventLongPress, {ReactionConsumer, 0, 0xE9, 0}};
    ASSERT_TRUE(!b.events.menuOffered(DeleteModifier, 0));
    ASSERT_TRUE(b.events.menuOffered(DeleteEventKey, 0));
    ASSERT_TRUE(b.events.menuOffered(DeleteReaction, 0));
    ASSERT_TRUE(!b.events.menuOffered(DeleteHomeReaction, 0));
    b.record.image.homeReaction = Reaction{ReactionKeyboard, 0, 0x4A, 0};
    ASSERT_TRUE(b.events.menuOffered(DeleteHomeReaction, 0));
    b.record.image.homeReaction = Reaction{0x11, 1, 2, 3};  // infrared HOME: no menu
    ASSERT_TRUE(!b.events.menuOffered(DeleteHomeReaction, 0));

    // Deleting the key of an event without a modifier empties it, reaction included.
    b.grid.state().popupAction = DeleteEventKey;
    b.events.runPendingDelete(b.grid, 0);
    b.show(0);
    const uint8_t zero[9] = {};
    ASSERT_TRUE(std::memcmp(&b.event(0), zero, 9) == 0);
    ASSERT_TRUE(b.sync());

    b.grid.state().popupAction = DeleteHomeReaction;
    b.events.runPendingDelete(b.grid, 0);
    ASSERT_EQ(b.record.image.homeReaction.kind, uint8_t(0));
    ASSERT_TRUE(b.sync());
}
