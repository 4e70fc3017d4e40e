#pragma once
// What the editors of the Parameters page (parameters panel, buttons grid,
// event editor) use of the window, so that they never include the main
// window's header. The main window is the one EditorShell. It lives here,
// below the editors and the shell alike, so that the editors need nothing of
// the shell's folder.
#include "device/host.h"

#include <QObject>

#include <string>

class QRect;
class QTabBar;
class QWidget;

namespace zmt {
class EditHistory;
}

namespace zmt::ui {

class ReactionPicker;

// The window's notices to its parts. On a signal several parts serve, they
// run in the order they connected (the Program connects the controller
// before the editors).
class ShellSignals : public QObject {
    Q_OBJECT
signals:
    // The sync tick (every 100 ms): the synchronisation of edited bytes and the keys
    // grid's pointer hint.
    void syncTick();
    // Input still being typed is committed now (the focused field has just
    // been left): before the window closes and before every toolbar action.
    void inputCommitted();
    // Start-up, once the settings are applied: the configuration record is
    // started afresh and the editor prepares its controls.
    void startingUp();
    // Show the configuration image in the window (rebuilds computed texts).
    void showingImage();
    // The language changed (and once at start-up): the window's own texts
    // are rewritten; parts rewrite theirs.
    void languageChanged();
    // The picker has just been built, already translated and placed.
    void pickerBuilt(ReactionPicker& picker);
    // Everything that edits (the Parameters page and the picker) waits,
    // greyed, while locked: a whole configuration is on its way, or no
    // controller has been chosen among several yet.
    void editorLockChanged(bool locked);
};

class EditorShell {
public:
    virtual ShellSignals& shellSignals() = 0;
    // The window itself: the editors' owner and their menus' parent.
    virtual QWidget& windowWidget() = 0;
    // The page the parameters panel, the buttons grid and the event editor share.
    virtual QWidget* parametersPage() const = 0;
    // The undo history of the image the editors work on; null: none.
    virtual EditHistory* editHistory() const = 0;
    // A modal box (kinds and answers as in device/host.h), text in the
    // current language; the blinking toolbar notice.
    virtual Answer showMessage(MessageStyle style, const std::string& text) = 0;
    virtual void showNotice(unsigned clearMs, unsigned blinkMs, const std::string& text) = 0;
    // A remark that stays ms even when a brief notice comes over it.
    virtual void showRemark(unsigned ms, const std::string& text) = 0;
    // The picker, built when first asked for; null while it is not.
    virtual ReactionPicker& picker() = 0;
    virtual ReactionPicker* builtPicker() const = 0;
    // Moves the picker clear of a clicked control (global coordinates).
    virtual void placePickerClearOf(const QRect& clicked) = 0;
    // A button enabled only while a controller is connected.
    virtual void addDeviceButton(QWidget* button) = 0;
    // The event tabs, which the window's translation and settings reach.
    virtual void setEventTabs(QTabBar* tabs) = 0;
    // The event page the settings restored.
    virtual int initialEventPage() const = 0;

protected:
    ~EditorShell() = default;
};

} // namespace zmt::ui
