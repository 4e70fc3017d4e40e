#pragma once
// The main window: toolbar with the notice panel and progress gauge, the
// Monitoring and Parameters pages, the status bar, the five timers, and the
// services every other part uses (message boxes, notices, memo lines, waits,
// device buttons, language switch). It owns the program-wide flags and the
// Host through which the core reaches the window.
#include "config/edit_history.h"
#include "device/flags.h"
#include "device/host.h"
#include "lang/lang.h"
#include "ui/widgets/editor_host.h"
#include "ui/widgets/procedure_host.h"
#include "ui/shell/settings.h"
#include "ui/widgets/modal_dialogs.h"
#include "ui/i18n/qt_translations.h"

#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabBar;
class QTabWidget;
class QTimer;
class QToolButton;

namespace zmt::ui {

class ReactionPicker;
class LogView;
class Panel;
class QtHost;
class TabSheet;
class ToolBar;
class ToolbarNotice;
class UndoButtons;
class DialogCentring;

// What the window asks of the parts behind it, where an answer must come
// back; everything else reaches the parts as the window's signals.

// The settings file: read once at start-up, handed the window's settings
// when it closes.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    // Nothing when the file cannot be used (the user has been told): start-up
    // then keeps the design-time state.
    virtual std::optional<ProgramSettings> loadSettings() = 0;
    virtual void saveSettings(const ProgramSettings& settings) = 0;
};

// Asked before a close the user started: false keeps the window open
// (edits that have not reached the controller yet).
class CloseGuard {
public:
    virtual ~CloseGuard() = default;
    virtual bool closeAllowed() = 0;
};

class MainWindow : public QWidget, public EditorShell, public ProcedureShell {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 696;
    static constexpr int kClientHeight = 442;
    static constexpr int kToolBarHeight = 29;
    static constexpr int kStatusBarHeight = 19;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The toolbar's buttons, left to right.
    enum class ToolButton { UpdateDevice, ReadConfig, WriteConfig, ReadDevice, WriteDevice, ToDefault, Reset };
    static constexpr std::size_t kToolButtonCount = 7;
    QToolButton& toolButton(ToolButton which) const { return *toolButtons_[static_cast<std::size_t>(which)]; }
    // A button of another part that needs the controller: setToolbarBusy
    // enables and disables it with the toolbar's.
    void addDeviceButton(QWidget* button) override { controllerButtons_.push_back(button); }
    // The event tabs, whose page the settings keep.
    void setEventTabs(QTabBar* tabs) override { eventTabs_ = tabs; }
    // The Monitoring and Parameters pages.
    QTabWidget& pages() const { return *pages_; }
    // A control at the toolbar's right end (the controller choice), width
    // pixels wide; the notice panel ends before it while it is shown
    // (fitNoticePanel after showing or hiding it).
    void setToolBarEnd(QWidget* widget, int width);
    void fitNoticePanel();
    void showMonitoringPage() override;
    // The toolbar's right-click menu (language, diagnostics); parts add theirs.
    QMenu& toolBarMenu() const { return *popupMenu_; }

    // --- what other parts reach through the window ---
    // syncTick, startingUp, showingImage, languageChanged, pickerBuilt.
    ShellSignals& shellSignals() override { return shellSignals_; }
    QWidget& windowWidget() override { return *this; }
    ProgramFlags& flags() override { return flags_; }
    Host& host();
    // The parts that answer the window's questions; each must stay until
    // the window has closed (the Program owns them all). Null: the window
    // goes without (no settings file, nothing to undo, closing always allowed).
    void setSettingsSource(SettingsSource* source) { settingsSource_ = source; }
    void setCloseGuard(CloseGuard* guard) { closeGuard_ = guard; }
    // Replaces the host (tests put one on a virtual clock); must be a QtHost
    // made for this window.
    void setHost(std::unique_ptr<QtHost> host);

    // The device poll timer; the connection watch changes its interval
    // (200 ms, 10 ms while reading the device log) and stops and arms it.
    QTimer& pollTimer() { return *pollTimer_; }

    // Runs once after the parts are wired: restores settings (with the
    // language), lets the parts prepare (startingUp), enables the file
    // buttons, arms the poll, places the picker and shows the image.
    void startUp();
    // The keyboard usage picker, built the first time it is needed (opened,
    // or shown at start-up as the settings ask): with its keys and pictures
    // it costs more than the rest of the window, and most runs never open
    // it. It comes translated, placed where the settings put it, and sends
    // pickerBuilt so the parts that govern it bring it up to date.
    ReactionPicker& picker() override;
    // The picker if it has been built, null until then: what only updates
    // the picker (language, lock, highlights) has nothing to do before.
    ReactionPicker* builtPicker() const override { return picker_.get(); }
    // Before the picker opens for a click on clicked (a reaction panel, in
    // global coordinates; empty for none): a picker with no place yet (none
    // remembered in the settings) goes beside the window where it fits on
    // the screen, and one that would stand over clicked moves there too, so
    // the next click meant for the panel cannot land on a picker key.
    void placePickerClearOf(const QRect& clicked) override;

    // Switches the program's language to a code of languages(); an unknown
    // one changes nothing. The one in force is languageCode().
    void setLanguage(const std::string& code);

    // A modal box over the window (MsgBoxFlags in, MsgBoxAnswer out, as in
    // device/host.h); the text is already in the current language.
    Answer showMessage(MessageStyle style, const std::string& text) override;
    // Who runs the window's modal dialogs (boxes, the settings' and the
    // log's file dialogs); dialogs must outlive the window.
    void setDialogs(ModalDialogs& dialogs);
    ModalDialogs& dialogs() { return *dialogs_; }

    // A controller is connected and its configuration is in the image;
    // otherwise the user is told that none is connected.
    bool controllerKnown();

    // The blinking toolbar notice; clearMs 0 keeps it, blinkMs 0 keeps it steady.
    void showNotice(unsigned clearMs, unsigned blinkMs, const std::string& text) override;
    void showRemark(unsigned ms, const std::string& text) override;
    ToolbarNotice& notice() { return *notice_; }

    // Disables every device button; with busy false re-enables the file
    // buttons, and the device ones while a controller is connected.
    void setToolbarBusy(bool busy) override;
    // The editing hold: while a guided procedure (firmware update, button
    // learning, touch calibration) or a transfer of the whole configuration
    // runs, undo and redo refuse (buttons, keys and all): a step taken back
    // would go to the controller in the middle of it. Each phase holds it
    // for its whole length, however the toolbar's buttons come and go
    // meanwhile (the boot loader's announcement enables them during an
    // update). Holds nest; the undo buttons follow at once.
    void holdEditing(bool held) override;
    bool editingHeld() const { return editingHolds_ > 0; }
    // With several controllers present the title names the one the window
    // works with (none: the title as always).
    void showControllerInTitle(std::optional<uint32_t> serial);
    // Locks nest; the editor hears of the first lock and of the last release.
    void lockEditor(bool locked) override;
    bool editorLocked() const { return editorLocks_ > 0; }
    // lockEditor for a whole configuration on its way to or from the
    // controller. The editors refuse input from the first moment, but the
    // page keeps its picture until the transfer has run kGreyedPageAfterMs
    // or opens a box: most transfers end sooner, and a read then draws the
    // page once, with what it brought, instead of greyed first and again
    // right after. Nests like lockEditor.
    void lockEditorForTransfer(bool locked);
    // Called whenever the core lets events run: a page held by a transfer
    // that has run long enough to be noticed shows greyed from now on.
    void showHeldPageIfDue();
    // How long a transfer may hold the page's picture: a tenth of a second
    // still reads as at once, and meanwhile the gauge and the status line
    // say what runs.
    static constexpr uint32_t kGreyedPageAfterMs = 100;

    void memoLine(const std::string& line);
    void memoClear();
    bool exchangeLogOn() const;
    bool deviceLogOn() const;
    void setDeviceLogOn(bool on);
    bool monitoringPageActive() const;
    // The page the parameters panel, the buttons grid and the event editor share.
    QWidget* parametersPage() const override;

    // The whole refresh of the editors after the image was replaced.
    void showImage() override { emit shellSignals_.showingImage(); }

    // The undo history of the configuration the editors work on; its owner
    // (the one that owns the record) sets it. Editors open their steps on
    // it; null (windows built without one) means nothing is recorded.
    void setEditHistory(EditHistory* history) { editHistory_ = history; }
    EditHistory* editHistory() const override { return editHistory_; }
    // The undo and redo buttons and keys (every sync tick refreshes them).
    UndoButtons& undoButtons() { return *undoButtons_; }

    // The status bar's second panel: edits that have not reached the
    // controller yet. Kept in the current language.
    void setChangesPending(bool pending);
    bool changesPendingShown() const { return changesPending_; }

    void setStatusText(const QString& text);
    QString statusText() const;
    void showGauge(const Host::Gauge& gauge);

    // The settings as they are now (for saving) and applying the main
    // window's part of loaded ones (the picker is placed by startUp).
    // The file folders are not the window's: they stay empty here.
    ProgramSettings currentSettings() const;
    void applySettings(const ProgramSettings& settings);
    // Tab index the event tabs start on, from the settings.
    int initialEventPage() const override { return initialEventPage_; }

    // Keeps the file dialogs over the window's centre while they come up.
    DialogCentring& dialogCentring() { return *dialogCentring_; }

    // --- window event handlers ---
    void onPollTick();
    // A device arrived or left, as the system announced: poll now.
    void onDevicesAnnounced();
    void onSyncTick();
    // The sync tick rests once nothing can need it (no controller connected,
    // no input for a few seconds): an idle window with nothing plugged in
    // then wakes only for its rare polls. Input, a controller announced and
    // a file waiting to open start it again.
    void wakeSyncTick();
    bool syncTickResting() const;
    void onLogDoubleClick();
    void onDebugMenuToggled();
    // Commits what is typed into the focused field, exactly as leaving the
    // field does: done before the window closes and before every toolbar
    // action, whose buttons take no focus.
    void commitPendingInput();
    // Ends the program at the system's request (a signal): no question is
    // asked and a box waiting for an answer goes as if dismissed; pending
    // edits get one last attempt to reach the controller, and the settings
    // are saved as on every close.
    void closeOnSystemRequest();
    // Close request: asks the close guard first (false: nothing happens and
    // the window stays; on a system request closingUnasked is sent instead),
    // then marks the program closing, stops the poll, sends shuttingDown
    // (the parts end their procedures and let the controller go) and saves
    // the settings. Nothing in it waits.
    bool shutDownIfAllowed();

signals:
    // Parts connect to these; on a signal several parts serve, they run in
    // the order they connected (the Program connects the controller before
    // the editors).
    // The poll tick: the device poll and connection watch.
    void pollTick();
    // The system announced a device arriving or leaving; a poll follows at
    // once (the controller choice looks at the bus again with it).
    void devicesAnnounced();
    // A shut-down the system asked for (SIGTERM, logout): one last attempt
    // to send edits that have not reached the controller, without asking.
    void closingUnasked();
    // The language changes, before anything is shown in the new one: the
    // connection watch announces the controller again at its next poll.
    void languageSwitching();
    // Shut-down, after the poll stopped: close the controller handle.
    void shuttingDown();
    // The window has accepted its close; the program ends with it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Input anywhere in the program wakes the sync tick.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void buildPages();
    void buildPopupMenu();
    void buildTimers();
    std::optional<ProgramSettings> restoreSettings();
    // setLanguage without showing the image again.
    void useLanguage(const std::string& code);
    void applyPickerSettings(const ProgramSettings& settings);
    void retranslatePicker();
    void updateTitle();
    void retranslate();
    void showHeldPage();

    ProgramFlags flags_;
    SettingsSource* settingsSource_ = nullptr;
    CloseGuard* closeGuard_ = nullptr;
    std::unique_ptr<QtHost> host_;
    ShellSignals shellSignals_;
    ModalDialogs modalDialogs_;   // run for real, unless replaced
    ModalDialogs* dialogs_ = &modalDialogs_;
    QtTranslations qtTranslations_;
    bool qtTextsOwed_ = false;   // Qt's texts came with a box: the window retranslates on the next tick
    std::unique_ptr<ReactionPicker> picker_;
    // Where the settings put the picker, for when it is built; nothing when
    // they hold no reachable place (it goes beside the window when opened).
    std::optional<QPoint> pickerPlace_;
    // The picker stands where the user or the settings want it: it is only
    // moved off the panel that opened it.
    bool pickerPlaced_ = false;
    EditHistory* editHistory_ = nullptr;

    ToolBar* toolBar_ = nullptr;
    Panel* panelMenu_ = nullptr;
    QWidget* toolBarEnd_ = nullptr;
    std::array<QToolButton*, kToolButtonCount> toolButtons_{};
    std::vector<QWidget*> fileButtons_;
    std::vector<QWidget*> controllerButtons_;
    QTabBar* eventTabs_ = nullptr;
    UndoButtons* undoButtons_ = nullptr;
    // The toolbar button that had the focus when the buttons were locked:
    // Qt moves the focus on from a button it disables, and the keyboard
    // user gets it back when the command is over.
    QPointer<QWidget> lockedFocus_;
    QProgressBar* gauge_ = nullptr;
    QTabWidget* pages_ = nullptr;
    TabSheet* monitoringPage_ = nullptr;
    TabSheet* parametersPage_ = nullptr;
    LogView* memo_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QLabel* pendingPanel_ = nullptr;
    bool changesPending_ = false;
    QMenu* popupMenu_ = nullptr;
    QAction* menuDebug_ = nullptr;
    QAction* menuLog_ = nullptr;
    QAction* menuDevice_ = nullptr;
    std::vector<QAction*> languageItems_;   // in the order of languages()

    QTimer* pollTimer_ = nullptr;
    QTimer* syncTimer_ = nullptr;
    int quietSyncTicks_ = 0;   // ticks since input with no controller connected
    ToolbarNotice* notice_ = nullptr;
    DialogCentring* dialogCentring_ = nullptr;
    int initialEventPage_ = 0;
    int editingHolds_ = 0;
    int editorLocks_ = 0;
    int transferLocks_ = 0;
    // When a transfer's lock began holding the page's picture; nothing while
    // the page paints as usual.
    std::optional<uint32_t> pageHeldSince_;
    std::optional<uint32_t> titleSerial_;
    bool closing_ = false;
    bool systemClose_ = false;
};

} // namespace zmt::ui
