#pragma once
// The desktop program as one object: the main window and the picker, the
// settings file, the controller side (device stack, connection watch,
// synchronisation, undo, Simulator window when simulated), the toolbar's
// configuration commands, the Parameters page (parameters panel, buttons
// grid, event editor) and the guided procedures, joined in the order they
// depend on each other. main() builds it, and so does every window test, so
// the tests check the program's own wiring, not a copy of it.
//
//   Program program({.simulated = true, .settingsPath = path});
//   if (!program.loadState(error)) ...      // the simulated controller's file
//   program.startUp();                      // settings, language, image
//   program.show();  app.exec();
//   program.saveState(error);
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace zmt {
class SnapshotStore;
}

namespace zmt::ui {

class ConfigCommands;
class ControllerChoice;
class ControllerSession;
class EventEditor;
class FileOpening;
class ReactionPicker;
class KeysGridView;
class MainWindow;
class ParametersPage;
class ParametersPanel;
class GuidedProcedures;
class HelpDesk;
class QtHost;
class QuickSetupEntry;
class RecentFilesMenu;
class SettingsStore;
class SnapshotWindows;
class ToolBarShortcuts;

// Makes the window's host before anything uses it. Tests put the program
// on a virtual clock with one.
class HostMaker {
public:
    virtual std::unique_ptr<QtHost> makeHost(MainWindow& window) = 0;

protected:
    ~HostMaker() = default;
};

struct ProgramOptions {
    // The in-process simulated controller instead of USB, and where its
    // state is kept between runs (empty: nowhere).
    bool simulated = false;
    std::string simulatorStateFile;
    // More simulated units, one per state file ("" for one kept nowhere).
    std::vector<std::string> moreSimulatedUnits = {};
    // The program's settings file.
    std::string settingsPath;
    // Where the snapshots of the controllers' configurations go (one folder
    // per serial); empty: none are kept.
    std::string snapshotFolder = {};
    // A controller read with nothing set up on it is offered the quick
    // set-up (once per serial); off where nobody is there to answer.
    bool offerQuickSetup = true;
    // Who makes the window's host (it must outlive the constructor);
    // null: the window's own.
    HostMaker* hostMaker = nullptr;
};

class Program {
public:
    explicit Program(ProgramOptions options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The simulated controller's state file: false with a message when it
    // cannot be read or written (nothing else changes).
    bool loadState(std::string& error);
    // The load failed because another program holds the state file.
    bool stateFileBusy() const;
    bool saveState(std::string& error);

    // Restores the settings (the language with them), prepares the editor,
    // arms the poll and shows the image.
    void startUp();
    // The main window, and the Simulator window beside it when simulated.
    void show();
    // A configuration file named on the command line: opened as the
    // toolbar's open button opens one, once the first poll has read the
    // controller found (see FileOpening).
    void openAtStartup(const std::string& path);
    // Pictures of every window into dir; a demonstration configuration
    // beside that folder (../demo.ZMT) is shown in them when there is one.
    bool saveScreenshots(const QString& dir, QString* why);

    MainWindow& window() { return *window_; }
    // Built on first use (see MainWindow::picker).
    ReactionPicker& picker();
    SettingsStore& settings() { return *settings_; }
    ControllerSession& controller() { return *controller_; }
    ConfigCommands& commands() { return *commands_; }
    ParametersPanel& parameters();
    KeysGridView& keysGrid();
    EventEditor& events();
    GuidedProcedures& procedures() { return *procedures_; }
    FileOpening& fileOpening() { return *fileOpening_; }
    RecentFilesMenu& recentFiles() { return *recentFiles_; }
    SnapshotWindows& snapshotWindows() { return *snapshotWindows_; }
    ControllerChoice& controllerChoice() { return *controllerChoice_; }
    HelpDesk& help() { return *help_; }
    QuickSetupEntry& quickSetup() { return *quickSetup_; }

private:
    void wireHelp();

    // First, so it goes last: the editors' widgets belong to the window and
    // work on its configuration record.
    std::unique_ptr<SnapshotStore> snapshots_;
    std::unique_ptr<ControllerSession> controller_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<ConfigCommands> commands_;
    std::unique_ptr<ParametersPage> parametersPage_;
    std::unique_ptr<GuidedProcedures> procedures_;
    // Files from the command line, drops, the recent list; the toolbar's keys.
    std::unique_ptr<FileOpening> fileOpening_;
    std::unique_ptr<RecentFilesMenu> recentFiles_;
    std::unique_ptr<SnapshotWindows> snapshotWindows_;
    std::unique_ptr<ToolBarShortcuts> shortcuts_;
    std::unique_ptr<QuickSetupEntry> quickSetup_;
    ControllerChoice* controllerChoice_ = nullptr;   // owned by the window
    HelpDesk* help_ = nullptr;                       // owned by the window
};

} // namespace zmt::ui
