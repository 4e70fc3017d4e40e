#pragma once
// The buttons grid and the event and reaction editor on the Parameters page.
// The widgets are thin: every rule lives in KeysGridRules and EventRules over
// the configuration record, and this class only shows their answers and
// passes the user's actions on.
//
// Built once with the main window, the record it edits and the parameters
// panel that shares the page with it:
//     auto* panel = new ParametersPanel(mainForm, record);
//     ParametersEditor editor(mainForm, record, *panel);
//     editor.setLink(&link);                 // the infrared captures read through it
//     hooks.showImage.add([panel] { panel->showImage(); });   // panel first
//     hooks.showImage.add([&editor] { editor.showImage(); });
// It places its controls on the page "TabSheetParameters" (the HOME key into
// the panel's touch group), answers the panel's refresh requests and installs
// the window hooks it serves: withdrawKeysHint, commitKeyName,
// rewriteEncoderLabels and prepareEditor. Whoever owns showImage composes it.
// Other parts call the public operations below (learning sets key cells, the
// firmware update locks the editor).
#include "config/config_image.h"
#include "config/edit_history.h"
#include "config/editor_rules.h"
#include "config/ir_capture.h"

#include <QObject>
#include <QPoint>

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QTabBar;
class QToolButton;
class QWidget;

namespace zmt { class DeviceLink; }

namespace zmt::ui {

class KeysGridView;
class MainForm;
class Panel;
class ParametersPanel;

class ParametersEditor : public QObject {
    Q_OBJECT
public:
    ParametersEditor(MainForm& window, _zelmorvatouch& record, ParametersPanel& panel);
    ~ParametersEditor() override;

    // Where the infrared captures read the controller's last code; null (the
    // default) reads as a controller that is not there.
    void setLink(DeviceLink* link) { link_ = link; }

    editor::KeysGridRules& gridRules() { return gridRules_; }
    editor::EventRules& eventRules() { return eventRules_; }

    // ---- offered to the rest of the window ----
    // The editor's part of showing a new image.
    void showImage();
    // Every cell from the image, all marks cleared; then the encoder column.
    void fillGrid();
    void rewriteEncoderLabels();
    // One button cell's text and highlight (the learning procedure).
    void setKeyCell(int column, int row, const QString& text, bool marked);
    // What a button cell shows now, a name being typed in it included.
    QString keyCellText(int column, int row) const;
    // Draws the grid again, e.g. after its cell marks changed.
    void repaintGrid();
    void clearGridSelection();
    int selectedEvent() const;
    void showEvent(int index);
    void showSelectedEvent() { showEvent(selectedEvent()); }
    void describeHomeReaction();
    // Enables or disables every editing control (and the picker's groups).
    void setEditorLock(bool enabled);

    // ---- window event handlers ----
    void TabControlEVKEYxChange();
    void ComboBoxEventEventChange(int index);
    void CheckBoxEventOnceClick(bool checked);
    void CheckBoxEventWakeUpClick(bool checked);
    void PanelEventReactionxClick();
    void PanelHOMExClick();
    void SpeedButtonIRGETClick();
    void SpeedButtonGetIRSendClick();
    void DeleteKeyxClick();
    void TimerCommonWithdrawHint();
    void TimerCommonCommitName();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class KeysGridDelegate;

    void buildGrid(QWidget* page);
    void buildEventEditor(QWidget* page);
    void buildHomeKey(ParametersPanel& panel);
    void installHooks();
    void prepareEditor();

    // Grid mouse handling; row 0 is the header.
    void gridMouseDown(int column, int row, Qt::MouseButton button, const QPoint& global);
    void gridMouseMove(int column, int row, const QPoint& global);
    void gridMouseUp(const QPoint& global);
    void evaluateDrop(const QPoint& global, bool dropping);
    void withdrawHint();
    void setDragPointer(editor::PointerShape shape);
    void setPanelColours(Panel* panel, const QColor& background, const QColor& text);
    void setPanelNormal(Panel* panel);
    void popupDeleteMenu(int action, const QPoint& global, int channel = 0);
    void panelMouseDown(QObject* panel, Qt::MouseButton button, const QPoint& global);

    // In-place naming.
    bool cellEditorOpen(int column, int row) const;
    QWidget* openNameEditor(QWidget* parent, int column, int row);
    void nameTyped(int column, int row, QWidget* lineEdit, const QString& text);

    // One undo step for the handler it is made in.
    EditStep edit(EditLabel label);
    void openPicker(const char* captionLiteral, QLabel* memo, Reaction& reaction);
    void bringPickerForward();
    // The HOME memo's type and place for the description it shows.
    void fitHomeMemo();
    void setMemoLines(QLabel* memo, const std::vector<std::string>& lines);
    IrCodeReader irReader();
    // Shows what an infrared capture came to; the event is shown again
    // whenever it may have changed.
    void reportIrCapture(const IrCapture& capture);
    const char* eventCaption(int index);

    MainForm& window_;
    _zelmorvatouch& record_;
    DeviceLink* link_ = nullptr;
    editor::KeysGridRules gridRules_;
    editor::EventRules eventRules_;

    QWidget* page_ = nullptr;
    QGroupBox* groupBoxKeys_ = nullptr;
    KeysGridView* grid_ = nullptr;
    QWidget* eventArea_ = nullptr;
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
    std::array<char, 200> eventCaption_{};  // Russian half, NUL, English half
    bool dragPointerSet_ = false;
};

} // namespace zmt::ui
