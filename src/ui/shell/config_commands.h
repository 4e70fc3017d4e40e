#pragma once
// The six configuration buttons of the toolbar: read and write the
// controller, factory defaults, restart, open and save a configuration file.
// Each runs inside the window's busy state and reports failures in a box.
//
//   ConfigCommands commands(window, session, settings);   // connects the buttons
#include "files/file_result.h"

#include <QObject>

#include <string>

namespace zmt {
class ConfigTransfer;
struct ConfigRecord;
}

namespace zmt::ui {

class ControllerSession;
class MainWindow;
class SettingsStore;

class ConfigCommands : public QObject {
public:
    ConfigCommands(MainWindow& window, ControllerSession& session, SettingsStore& settings);

    void onReadFromController();
    void onWriteToController();    // asks first
    void onFactoryConfiguration();      // asks first
    void onRestartController();
    void onOpenFile();
    void onSaveFile();
    // Opens path into the image as the open button does once its dialog
    // has answered (the command line, a dropped file and the recent files
    // come here too): an unreadable file changes nothing; a damaged one is
    // loaded only when the user agrees. One undo step.
    void openFile(const std::string& path);

private:

    MainWindow& window_;
    ControllerSession& session_;
    ConfigTransfer& transfer_;
    ConfigRecord& record_;
    SettingsStore& settings_;
};

} // namespace zmt::ui
