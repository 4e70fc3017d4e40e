#pragma once
// The controller side of zmtsetup, joined to the main window in this one
// place: the device stack (the HID backend, hidapi or the simulated
// controller, the transport, the link, the connection watch, the
// configuration record and its transfer) over the window's host and flags,
// the Simulator window, the undo history, and the window signals that drive
// them: the poll tick, the synchronisation on every sync tick with the
// "changes pending" panel, the watch's configuration read in the busy
// state (asking first when edits would be lost), the question before
// closing with changes pending, the close of the controller, undo and redo.
// It connects to the window's signals and answers its questions (close
// guard, undo labels); the Program builds it (ui/shell/program.h).
//
// The editors' widgets belong to the window and work on record(), so the
// record must outlive the window: the session may be destroyed after it.
#include "config/edit_history.h"
#include "stack/device_stack.h"
#include "ui/shell/main_window.h"
#include "ui/shell/undo_buttons.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmt::sim { class Simulator; }

namespace zmt {
class DeviceNotifications;
}

namespace zmt::ui {

class SimulatorWindow;

class ControllerSession : public QObject, private CloseGuard, private UndoLabels {
public:
    // simulated: the in-process controller instead of USB; stateFile (may be
    // empty) is where its state is kept between runs.
    // moreUnits: further simulated units, one per state file ("" for none).
    ControllerSession(MainWindow& window, bool simulated, std::string stateFile, std::vector<std::string> moreUnits = {});
    // The stack closes the controller.
    ~ControllerSession() override;
    ControllerSession(const ControllerSession&) = delete;
    ControllerSession& operator=(const ControllerSession&) = delete;

    // The simulated controller's state file (DeviceStack::loadState).
    bool loadState(std::string& error) { return stack_.loadState(error); }
    // The last load failed because another program holds the file.
    bool stateFileBusy() const { return stack_.stateFileBusy(); }
    bool saveState(std::string& error) { return stack_.saveState(error); }

    // Shows the Simulator window beside the main window (simulated mode only).
    void showSimulatorWindow();

    // Pictures of the program with the simulated controller connected (the
    // banner and identity in the memo, dots in the status bar) and of the
    // Simulator window, in both languages, into dir.
    bool saveConnectedScreenshots(const QString& dir, QString* why);

    // The one configuration record of the session: the editors, the file
    // handlers and the transfer all work on this one.
    ConfigRecord& record() { return stack_.record(); }
    ConfigTransfer& transfer() { return stack_.transfer(); }
    // The undo history of record().image; every full read starts it anew.
    // The window hands it to the editors (MainWindow::editHistory).
    EditHistory& history() { return history_; }
    // Takes the latest edit back, or does the last one taken back again,
    // and shows the whole image; the synchronisation then sends what
    // differs, as after any edit. Refused (false) while button learning
    // runs or an edit is under way.
    bool undo();
    bool redo();
    // Edits that have not reached the controller and would go out once it
    // is there (nothing counts while the image holds no configuration).
    bool changesWaiting() const;
    // Brings the "changes pending" panel up to date at once (every common
    // tick does it too), e.g. right after a file replaced the image.
    void refreshPendingPanel();

    // Called once a controller's configuration has been read into the image
    // (not when the user kept edits instead), after the window is free again.
    void setAfterRead(std::function<void()> hook) { afterRead_ = std::move(hook); }

    HidTransport& transport() { return stack_.transport(); }
    DeviceLink& link() { return stack_.link(); }
    ConnectionWatch& watch() { return stack_.watch(); }
    sim::Simulator* simulator() { return stack_.simulator(); }
    SimulatorWindow* simulatorWindow() { return simulatorWindow_.get(); }

private:
    void syncTick();
    bool undoAllowed() const;
    void afterUndoOrRedo();
    // A controller with another serial number: its configuration is read,
    // unless the user keeps edits that never reached a controller.
    void readNewController();
    // Polls at once when the system announces a device; without such
    // announcements the poll alone finds arrivals.
    void listenForArrivals();
    // CloseGuard, UndoLabels
    bool closeAllowed() override;
    std::string undoLabel() override;
    std::string redoLabel() override;

    // The window as the watch sees it: its device buttons, the device-log
    // switch, the Monitoring page and the poll timer.
    class WatchAdapter : public WatchWindow {
    public:
        explicit WatchAdapter(MainWindow& window) : window_(window) {}
        void setToolbarBusy(bool busy) override;
        bool deviceLogChecked() override;
        void setDeviceLogChecked(bool checked) override;
        bool monitoringPageActive() override;
        void setPollInterval(unsigned ms) override;
        void stopPollTimer() override;
        void startPollTimer() override;

    private:
        MainWindow& window_;
    };

    MainWindow& window_;
    WatchAdapter adapter_;
    // Before the stack: its transfer keeps a pointer to the history.
    EditHistory history_;
    DeviceStack stack_;
    std::unique_ptr<SimulatorWindow> simulatorWindow_;
    std::vector<std::unique_ptr<SimulatorWindow>> moreSimulatorWindows_;   // further units
    // The controller whose configuration the image was last read from
    // (none yet): the question about edits names it when another is chosen.
    std::optional<uint32_t> imageSerial_;
    // The system's announcements of devices arriving and leaving (real
    // controllers only; null when the system offers none).
    std::unique_ptr<DeviceNotifications> arrivals_;
    bool arrivalsToListenFor_ = false;   // opened at the first poll
    std::function<void()> afterRead_;
};

} // namespace zmt::ui
