#pragma once
// The event and reaction editor on the Parameters page: the sixty event
// tabs, the trigger of the selected event (a modifier and a key dragged from
// the buttons grid, or an infrared code), its type and flags, its reaction
// and the virtual HOME key's reaction, both edited in the keyboard usage
// picker. The widgets are thin: every rule lives in EventRules and
// KeysGridRules over the configuration record.
//
// Built once with the main window by the ParametersPage, after the
// parameters panel that shares the page with it and the buttons grid:
//     auto* panel = new ParametersPanel(mainForm, record);
//     KeysGridView grid(mainForm, record);
//     EventEditor events(mainForm, record, *panel, grid);
//     events.setLink(&link);                 // the infrared captures read through it
// Its job is split over files: event_editor.cpp (the event panel),
// home_key.cpp, event_ir_capture.cpp and grid_delete_menu.cpp.
// It places its controls on the page "TabSheetParameters" (the HOME key into
// the panel's touch group), owns the page's delete menu "PopupMenuKeys",
// answers the panel's refresh requests and follows the window's start-up and
// showingImage signals (after the panel, which connects first). Other parts
// call the public operations below (the firmware update locks the editor).
#include "config/config_image.h"
#include "config/edit_history.h"
#include "ui/editor/editor_rules.h"
#include "config/ir_capture.h"
#include "ui/editor/keys_grid_view.h"
#include "ui/picker/reaction_picker.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <vector>

class QAction;
class QCheckBox;
class QColor;
class QComboBox;
class QLabel;
class QMenu;
class QTabBar;
class QWidget;

namespace zmt { class DeviceLink; }

namespace zmt::ui {

class EditorShell;
class Panel;
class ParametersPanel;

class EventEditor : public QObject, private KeysGridView::Partner, private ReactionOwner {
    Q_OBJECT
public:
    EventEditor(EditorShell& window, ConfigRecord& record, ParametersPanel& panel, KeysGridView& grid);
    ~EventEditor() override;

    // Where the infrared captures read the controller's last code; null (the
    // default) reads as a controller that is not there.
    void setLink(DeviceLink* link) { link_ = link; }

    // ---- offered to the rest of the window ----
    // The grid's and the editor's part of showing a new image.
    void showImage();
    int selectedEvent() const;
    // Selects an event's tab, as a click on it does.
    void selectEvent(int index);
    void showEvent(int index);
    void showSelectedEvent() { showEvent(selectedEvent()); }
    void describeHomeReaction();
    // Enables or disables every editing control of the page (and the picker's groups).
    void setEditorLock(bool enabled);
    // Its controls in the order Tab visits them: the event strip, the
    // trigger, the type and flags, the reaction. The HOME key, which stands
    // among the parameters, is apart.
    std::vector<QWidget*> tabStops() const;
    QWidget* homeKey() const;

    // ---- window event handlers ----
    void onEventTabChanged();
    void onEventTypeChanged(int index);
    void onEventOnceToggled(bool checked);
    void onEventWakeUpToggled(bool checked);
    void onEventReactionClicked();
    void onHomeReactionClicked();
    void onCaptureIrTrigger();
    void onCaptureIrReaction();
    void onDeleteFromGrid();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the grid asks of us.
    bool dragOver(const QPoint& global, bool dropping) override;
    void dragEnded() override;
    void offerDelete(int action, const QPoint& global, int channel) override;
    void buttonsChanged() override { showSelectedEvent(); }
    void assignFromGrid(editor::DropPanel panel, int column, int row) override;
    void runDelete(int action) override;
    // What the picker tells and asks about the reaction it edits.
    void reactionShown() override;
    bool mayChangeReaction() override;

    void build(QWidget* page);
    void buildHomeKey(ParametersPanel& panel);
    void buildDeleteMenu();
    void retranslate();
    void retranslateHomeKey();
    void prepareEditor();

    void setPanelColours(Panel* panel, const QColor& background, const QColor& text);
    void setPanelNormal(Panel* panel);
    void popupDeleteMenu(int action, const QPoint& global, int channel = 0);
    void panelMouseDown(QObject* panel, Qt::MouseButton button, const QPoint& global);
    // The delete action a panel's menu offers for the selected event, if any.
    int panelDeleteAction(QObject* panel) const;
    // Space, Enter, Delete and the menu key on a focused panel; true when used.
    bool panelKey(QObject* panel, QEvent* event);

    // One undo step for the handler it is made in.
    EditStep edit(EditLabel label);
    void openPicker(const std::string& caption, QLabel* memo, Reaction& reaction);
    // True when the event keeps a reaction; otherwise the user is told why
    // not (an information box) and false comes back.
    bool reactionAccepted(int index);
    // For a click on a reaction panel: the picker opens clear of the panel
    // clicked, and comes back from the task bar and to the front.
    void openPickerFrom(const QWidget* clicked, const std::string& caption, QLabel* memo, Reaction& reaction);
    // The HOME memo's type and place for the description it shows.
    void fitHomeMemo();
    // The HOME reaction was deleted: shown again in the open picker, or
    // described anew in its memo.
    void homeReactionDeleted();
    void setMemoLines(QLabel* memo, const std::vector<std::string>& lines);
    IrCodeReader irReader();
    // Shows what an infrared capture came to; the event is shown again
    // whenever it may have changed.
    void reportIrCapture(const IrCapture& capture);
    static std::string eventCaption(int index);

    EditorShell& window_;
    ConfigRecord& record_;
    ParametersPanel& panel_;
    KeysGridView& grid_;
    DeviceLink* link_ = nullptr;
    bool editorEnabled_ = true;   // the lock, for a picker built later
    editor::EventRules eventRules_;

    QWidget* eventArea_ = nullptr;
    QWidget* irGet_ = nullptr;
    QWidget* irSend_ = nullptr;
    QTabBar* eventTabs_ = nullptr;
    Panel* panelModKey_ = nullptr;
    Panel* panelIrCode_ = nullptr;
    Panel* panelIrDef_ = nullptr;
    Panel* keyModPanel_ = nullptr;
    Panel* keyValPanel_ = nullptr;
    QComboBox* eventType_ = nullptr;
    QCheckBox* once_ = nullptr;
    QCheckBox* wakeUp_ = nullptr;
    Panel* reactionPanel_ = nullptr;
    QLabel* reactionMemo_ = nullptr;
    Panel* homePanel_ = nullptr;
    QLabel* homeMemo_ = nullptr;
    double homeMemoPoints_ = 0;
    QMenu* deleteMenu_ = nullptr;
    QAction* deleteItem_ = nullptr;
    // The reaction the picker was last opened on, its memo and the name of
    // the picker's changes to it; pickerEvent_ is -1 for the HOME key's.
    Reaction* pickerReaction_ = nullptr;
    QLabel* pickerMemo_ = nullptr;
    EditLabel pickerLabel_;
    int pickerEvent_ = -1;
};

} // namespace zmt::ui
