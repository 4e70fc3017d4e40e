#pragma once
// The program's settings in the window: read once at start-up (the main
// window and the picker are placed from them), written back when the main
// window closes, and the three file dialogs, each starting in the folder of
// the last file chosen for its kind and centred over the main window.
//
//   SettingsStore settings(window, settingsFilePath(programPath, userConfigFolder()));
//   window.startUp();                        // loads the file
//   std::string file = settings.askOpenConfigFile();   // "" when cancelled
//   settings.rememberConfigFile(file);
#include "ui/help/help_window.h"
#include "ui/procedures/guided_procedures.h"
#include "ui/shell/main_window.h"
#include "ui/shell/settings.h"

#include <QFileDialog>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace zmt::ui {

class SettingsStore : private SettingsSource, public FirmwareFileChooser, public HelpPlaceKeeper {
public:
    // The window's settings source from now on.
    SettingsStore(MainWindow& window, std::string settingsPath);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const std::string& settingsPath() const { return path_; }
    const ProgramSettings& settings() const { return settings_; }

    // The chosen full path (UTF-8), or "" when the dialog was cancelled.
    std::string askOpenConfigFile() { return ask(kOpenConfigDialog, QFileDialog::AcceptOpen); }
    std::string askSaveConfigFile() { return ask(kSaveConfigDialog, QFileDialog::AcceptSave); }
    std::string askFirmwareFile() { return ask(kFirmwareDialog, QFileDialog::AcceptOpen); }
    // The next dialog of the kind starts in this file's folder, and a
    // configuration file heads the recent files; "" changes nothing.
    void rememberConfigFile(const std::string& path);
    void rememberFirmwareFile(const std::string& path) { remember(FileKind::Firmware, path); }
    // FirmwareFileChooser: the firmware dialog, remembering the chosen folder.
    std::string chooseFirmwareFile() override {
        const std::string path = askFirmwareFile();
        rememberFirmwareFile(path);
        return path;
    }
    // The configuration files opened or saved lately, the latest first.
    const std::vector<std::string>& recentFiles() const { return settings_.recentFiles; }
    // Takes path out of the recent files (it has gone), in the file too.
    void forgetRecentFile(const std::string& path);
    // The controller chosen among several, kept with the rest when the
    // window closes.
    void rememberControllerSerial(uint32_t serial) { settings_.controllerSerial = serial; }
    // HelpPlaceKeeper: kept with the rest when the window closes.
    std::optional<QRect> helpPlace() const override;
    void rememberHelpPlace(const QRect& frame) override;
    // The controllers the quick set-up was offered for: each once, kept in
    // the file at once.
    bool quickSetupOffered(uint32_t serial) const { return zmt::quickSetupOffered(settings_, serial); }
    void rememberQuickSetupOffered(uint32_t serial);
    // Where the quick set-up window stood when it last closed (its frame's
    // top-left), kept with the rest when the main window closes.
    void rememberQuickSetupPlace(int left, int top) {
        settings_.quickLeft = left;
        settings_.quickTop = top;
    }

private:
    // SettingsSource
    std::optional<ProgramSettings> loadSettings() override;
    void saveSettings(const ProgramSettings& fromWindow) override;
    std::string ask(const FileDialogKind& kind, QFileDialog::AcceptMode mode);
    void remember(FileKind kind, const std::string& path);
    // A settings file that could not be written, in the status bar.
    void noticeFailedSave(const FileResult& saved);

    MainWindow& window_;
    std::string path_;
    ProgramSettings settings_;
    // A file we could not read is never overwritten: the user's own
    // settings may still be in it.
    bool unreadable_ = false;
};

} // namespace zmt::ui
