#pragma once
// What the buttons grid and the event editor do to the configuration record,
// without any window: selection and pointer rules, naming, drops, deletions
// and the event's choices. The widgets ask these classes and show the
// answers, so every rule is testable on its own and the record stays the one
// place the configuration lives. How buttons and events read (names, the
// normalised event) is the core's, since zmtctl's listing says the same.
#include "config/button_names.h"
#include "config/config_image.h"
#include "config/event_view.h"
#include "lang/lang.h"

#include <optional>
#include <string>
#include <vector>

namespace zmt::editor {

inline constexpr int kGridRows = 16;           // row 0 is the header
inline constexpr int kGridColumns = kChannels + 1;

// Pending actions of the grid's single pop-up menu item.
enum DeleteAction : int {
    NoDeleteAction = 0,
    DeleteOneKey = 1,
    DeleteModifier = 2,
    DeleteEventKey = 3,
    DeleteReaction = 4,
    DeleteHomeReaction = 5,
    DeleteChannel = 6,
    DeleteIrTrigger = 7,
};
// The caption the menu item shows for an action (an English text marked N_; action
// 6 holds a %d for the channel number).
const char* deleteActionCaption(int action);

enum class PointerShape { Default, NoEntry, Hand, Help, Drag, NoDrop };

struct PointerHint {
    std::string tip;   // empty: the hint is withdrawn
    PointerShape shape;
};

enum class DropPanel { Modifier, Key };

// The mouse buttons the grid tells apart.
enum class GridButton { Left, Right, Other };

// What a press on a grid cell starts.
struct GridPress {
    bool drag = false;             // the cell's button (or encoder turn) is dragged
    int menu = NoDeleteAction;     // the delete item offered: DeleteOneKey or DeleteChannel
    int channel = 0;               // 1..4, the channel DeleteChannel names
};

// The event panels while a button is dragged over them.
struct DropHover {
    bool candidate = false;        // false: the event takes no drops, the panels are left alone
    std::optional<DropPanel> target;   // the panel under the pointer
    bool accepted = false;         // the target takes the dragged button
};

// Where naming a button in its grid cell stands: no name pending, or the
// cell's editor has opened. The name is committed when the editor closes.
enum class NamingState : int32_t { Idle = 0, Opened = 1 };

// Editor state of the buttons grid and its pop-up menu: the window's own,
// never part of the configuration.
struct GridEditorState {
    int32_t dragCol = 0;
    int32_t dragRow = 0;
    int32_t dragging = 0;
    int32_t popupAction = 0;
    int32_t editCol = 0;
    int32_t editRow = 0;
    NamingState editState = NamingState::Idle;
    std::string editText;
};


class KeysGridRules {
public:
    explicit KeysGridRules(ConfigRecord& record) : record_(record) {}

    // Text of a cell in rows 1..15 (name, automatic label, encoder label or
    // empty); anything outside the grid is empty.
    std::string cellText(int column, int row) const { return buttonCellText(record_.image, column, row); }
    std::string autoLabel(int column, int row) const;
    bool encoderRowOn(int row) const { return editor::encoderRowOn(record_.image, row); }
    // A cell that holds a button, or an encoder direction that is switched on.
    bool selectable(int column, int row) const;
    // A button cell whose name may be edited.
    bool editable(int column, int row) const;
    bool channelHasData(int column) const;

    // Tooltip and pointer shape over a cell; row 0 is the header.
    PointerHint pointerAt(int column, int row) const;

    // A press of button on a cell (row 0 is the header, -1 is outside the
    // cells): records the drag source (0, 0 where nothing starts) and whether
    // a drag begins, and says what to offer.
    GridPress press(int column, int row, GridButton button);
    // The dragged button over the selected event's panels; where the pointer
    // is over both, the modifier panel takes it.
    DropHover hover(int eventIndex, bool overModifier, bool overKey) const;

    // Naming in place. The first opening of a cell's editor remembers the
    // cell and its text (what a refused name falls back to); while a name is
    // pending that cell is not rewritten from outside.
    void namingOpened(int column, int row, const std::string& cellText);
    bool beingNamed(int column, int row) const;
    // The cell's editor has closed: true when a name was being typed, which
    // the caller then commits (naming is over; the cell is editCol/editRow).
    bool namingClosed();

    // Typing: the text the cell keeps while its editor is open.
    static std::string typedName(const std::string& text);

    // Committing an edited name: an empty one becomes the automatic label,
    // one that another button already carries is refused and the old text
    // kept. The cell then shows text; refused is the name that was refused.
    enum class NameOutcome { Stored, Duplicate, NoButton };
    struct NameCommit {
        NameOutcome outcome;
        std::string text;
        std::string refused;
    };
    NameCommit commitName(int column, int row, const std::string& typed, const std::string& oldText);

    // Drops from cell (sourceColumn, sourceRow) onto the event's panels.
    static bool dropCandidate(const EventRecord& event) { return !event.irTrigger(); }
    static bool dropAccepted(DropPanel panel, const EventRecord& event, int sourceColumn);
    // Stores the source in the event when the panel accepts it; false otherwise.
    bool drop(DropPanel panel, int eventIndex, int sourceColumn, int sourceRow);

    // Menu actions 1 and 6.
    void deleteKey(int column, int row);
    void deleteChannel(int column);

    // The grid's drag, pop-up and naming state: the window's, not the
    // configuration's.
    GridEditorState& state() { return state_; }
    const GridEditorState& state() const { return state_; }

private:
    ConfigRecord& record_;
    GridEditorState state_;
};

// Why a reaction is refused for an event without a trigger.
inline constexpr const char* kNoTriggerText =
    N_("Give the event a button or an IR code first");

class EventRules {
public:
    explicit EventRules(ConfigRecord& record) : record_(record) {}

    // The editor brings the event in line (config/event_view.h) before it
    // shows it.
    void normaliseEvent(int index) { editor::normaliseEvent(record_.image, index); }
    EventView eventView(int index) const { return editor::eventView(record_.image, index); }

    // Whether the event keeps a reaction: it has a button, a modifier or an
    // infrared trigger. Normalising an event with none clears its reaction, so
    // a reaction given to it would be lost at the next look; the editor
    // refuses it instead, telling why (kNoTriggerText).
    bool takesReaction(int index) const { return eventTakesReaction(record_.image, index); }

    void setEventType(int index, int type);
    void setOnce(int index, bool on);
    void setWakeUp(int index, bool on);

    // Whether the panel's menu is offered (actions 2 to 5 and 7).
    bool menuOffered(int action, int index) const;
    // Runs the record's pending delete action (1 to 7) with the grid's drag
    // source and the selected event, and clears it. Returns the action run.
    int runPendingDelete(KeysGridRules& grid, int eventIndex);

private:
    ConfigRecord& record_;
};

} // namespace zmt::editor
