#pragma once
// The buttons grid on the Parameters page: the learned buttons of the four
// channels and the encoder turns, named in place, dragged onto the event
// editor's panels and deleted from the page's pop-up menu. The widget is
// thin: every rule is KeysGridRules' over the configuration record.
//
// Built once with the main window, before the event editor beside it (which
// then becomes its partner):
//     KeysGridView grid(mainForm, record);
//     EventEditor events(mainForm, record, *panel, grid);
// It places "GroupBoxKeys" with "StringGridKeys" on the page
// "TabSheetParameters" and follows the window's sync tick (the pointer
// hint, a name being typed) and language changes (its header and encoder
// labels).
#include "config/config_image.h"
#include "config/edit_history.h"
#include "ui/editor/editor_rules.h"

#include <QObject>
#include <QPoint>

#include <array>

class QAction;
class QGroupBox;
class QMenu;
class QWidget;

namespace zmt::ui {

class KeysGridDelegate;
class KeysGridTable;
class EditorShell;

class KeysGridView : public QObject {
    Q_OBJECT
public:
    // What the grid needs from the event editor beside it.
    class Partner {
    public:
        virtual ~Partner() = default;
        // A button is dragged and the pointer is at global; dropping: it was
        // let go there. True where the panel under it takes the button.
        virtual bool dragOver(const QPoint& global, bool dropping) = 0;
        // The drag has ended: the drop panels look normal again.
        virtual void dragEnded() = 0;
        // The page's delete menu, for one of the grid's actions.
        virtual void offerDelete(int action, const QPoint& global, int channel) = 0;
        // A button's name changed: the selected event shows it again.
        virtual void buttonsChanged() = 0;
        // The keyboard's way to drop: the button of cell (column, row) is
        // made the selected event's key or modifier where the event takes it.
        virtual void assignFromGrid(editor::DropPanel panel, int column, int row) = 0;
        // Runs one of the delete menu's actions at once (the grid's drag
        // source says which button or channel).
        virtual void runDelete(int action) = 0;
    };

    KeysGridView(EditorShell& window, ConfigRecord& record);
    ~KeysGridView() override;

    void setPartner(Partner* partner) { partner_ = partner; }
    editor::KeysGridRules& rules() { return rules_; }
    // The group the grid sits in, locked with the rest of the editor.
    QWidget* box() const;
    // The grid itself (a tab stop).
    QWidget* grid() const;

    // Every cell from the image, all marks cleared; then the encoder column.
    void fillGrid();
    void rewriteEncoderLabels();
    // One button cell's text and highlight (the learning procedure).
    void setKeyCell(int column, int row, const QString& text, bool marked);
    // The one cell of a channel's column highlighted (row 0: none): the
    // button learning recognises there now.
    void markCell(int column, int row);
    bool cellMarked(int column, int row) const;
    // What a button cell shows now, a name being typed in it included.
    QString keyCellText(int column, int row) const;
    void clearGridSelection();

    // The sync timer's tick: the pointer hint goes once it is due.
    void withdrawHintWhenDue();
    // A name typed into a cell goes into the image (and so to the
    // controller) once its editor has closed; nothing while it is open.
    void commitTypedName();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class KeysGridDelegate;

    void build(QWidget* page);
    void retranslate();
    // What a screen reader says for a cell: its column, row and name, or
    // that it is empty; every cell anew after a change of the language.
    void nameCell(int column, int row);
    void nameCells();

    // Mouse handling; row 0 is the header.
    void mouseDown(int column, int row, Qt::MouseButton button, const QPoint& global);
    void mouseMove(int column, int row, const QPoint& global);
    void mouseUp(const QPoint& global);
    void dragTo(const QPoint& global, bool dropping);
    void withdrawHint();
    // The keyboard: the selected cell's menu and its shortcuts.
    void buildCellMenu();
    void popupCellMenu();
    void updateCellMenu();
    void assignSelected(editor::DropPanel panel);
    void deleteSelected(int action);
    // The selected cell as (column, row); row 0 when none.
    QPoint selectedCell() const;
    // The grid is where the keyboard is (its window's focus widget).
    bool keyboardIsHere() const;
    // Puts the current cell on one that can be acted on, as near the old
    // one as there is.
    void keepCurrentCell();
    void setDragPointer(editor::PointerShape shape);

    // In-place naming.
    bool cellEditorOpen(int column, int row) const;
    QWidget* openNameEditor(QWidget* parent, int column, int row);
    void nameTyped(int column, int row, QWidget* lineEdit, const QString& text);

    EditorShell& window_;
    ConfigRecord& record_;
    // The highlighted row of each channel's column (0: none): the window's
    // own, never part of the configuration.
    std::array<int, kChannels> markedRow_{};
    editor::KeysGridRules rules_;
    Partner* partner_ = nullptr;

    QWidget* page_ = nullptr;
    QGroupBox* groupBoxKeys_ = nullptr;
    KeysGridTable* grid_ = nullptr;
    bool dragPointerSet_ = false;
    QMenu* cellMenu_ = nullptr;
    QAction* asKey_ = nullptr;
    QAction* asModifier_ = nullptr;
    QAction* deleteKey_ = nullptr;
    QAction* deleteChannel_ = nullptr;
};

} // namespace zmt::ui
