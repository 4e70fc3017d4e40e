#pragma once
// The program's own settings: window positions, the selected event tab, the
// language, the log switches, the picker window, and the last file chosen in
// each file dialog. The windows hold a ProgramSettings, fill it from the file
// at start and write it back when the main window closes.
#include "files/file_result.h"
#include "lang/lang.h"

#include <optional>
#include <string>
#include <vector>

namespace zmt {

struct ProgramSettings {
    // Stored positions; nothing when the file has none (the window is centred).
    std::optional<int> mainTop;
    std::optional<int> mainLeft;
    int eventPage = 0;          // tab of the event editor, 0..59
    std::string lang = "ru";    // a language code of languages()
    bool log = false;           // exchange log switch
    bool debug = false;         // debug switch
    std::optional<int> keyTop;  // picker window
    std::optional<int> keyLeft;
    bool keyVisible = false;
    std::string configFile;     // last configuration file opened or saved
    std::string firmwareFile;   // last firmware file chosen
    // Configuration files opened or saved lately, the latest first
    // (at most kRecentFileSlots).
    std::vector<std::string> recentFiles;
    // The controller chosen last among several (its serial); nothing when
    // no choice was ever made.
    std::optional<uint32_t> controllerSerial;
    // The help window's outer top-left corner and inner size, as it was last
    // closed; nothing until it has been opened once.
    std::optional<int> helpLeft;
    std::optional<int> helpTop;
    std::optional<int> helpWidth;
    std::optional<int> helpHeight;
    // The quick set-up window's place; nothing until it was first moved off
    // its default place beside the main window.
    std::optional<int> quickTop;
    std::optional<int> quickLeft;
    // The controllers (serials) the quick set-up has been offered for, the
    // latest last: each is offered once, whatever the answer was.
    std::vector<uint32_t> quickSetupOffered;
};

inline constexpr std::size_t kRecentFileSlots = 8;
// An installer sets up unit after unit: the oldest serials are let go so
// the file stays small.
inline constexpr std::size_t kQuickSetupOfferedKept = 256;

// Shown when the settings file exists but cannot be read.
inline constexpr const char* kSettingsReadError =
    N_("Error reading the configuration file of the program");

// Reads the settings. A missing file is the normal first start: defaults and
// success. A file that cannot be read leaves settings at their defaults and
// returns the error.
FileResult loadSettings(const std::string& settingsPath, ProgramSettings& settings);

// The language in the file's Lang key: 0 and 1 for Russian and English, as
// files have always held them (so an older program reads them too), the code
// for any other language.
std::string languageFromSetting(const std::string& value);
std::string languageSetting(const std::string& code);
// Writes the MainSettings keys (MainTop, MainLeft, EventPage, Lang, Log, Debug,
// KeyTop, KeyLeft, KeyVisible, in that order, then Controller when one was
// chosen, QuickTop and QuickLeft when known, and the help window's HelpLeft,
// HelpTop, HelpWidth and HelpHeight once it has been opened), keeping everything else in the
// file, and creates the settings folder when needed. The remembered files
// are not written here: rememberFile stores them when they are chosen.
FileResult saveSettings(const std::string& settingsPath, const ProgramSettings& settings);

enum class FileKind { Configuration, Firmware };

// Stores path as the last file of its kind, in the file and in settings;
// a configuration file's save also stores settings.recentFiles. An empty
// path (a cancelled dialog) changes nothing.
FileResult rememberFile(const std::string& settingsPath, ProgramSettings& settings, FileKind kind,
                        const std::string& path);
// Stores settings.recentFiles alone (an entry taken out of the list).
FileResult storeRecentFiles(const std::string& settingsPath, const ProgramSettings& settings);
// Adds serial to the controllers the quick set-up was offered for, in
// settings and at once in the file (a program that ends abruptly must not
// ask again); a serial already there changes nothing.
FileResult rememberQuickSetupOffered(const std::string& settingsPath, ProgramSettings& settings, uint32_t serial);
bool quickSetupOffered(const ProgramSettings& settings, uint32_t serial);
// The folder a dialog starts in: the folder of the remembered file of its kind.
std::string dialogStartFolder(const ProgramSettings& settings, FileKind kind);

// What a file dialog shows. Titles are English texts marked N_, localized when shown.
struct FileDialogKind {
    FileKind kind;
    const char* title;
    const char* defaultSuffix;
    const char* filter;
};
extern const FileDialogKind kOpenConfigDialog;
extern const FileDialogKind kSaveConfigDialog;
extern const FileDialogKind kFirmwareDialog;
// Shown when a dialog cannot be made.
inline constexpr const char* kDialogCreateError = N_("Failed to create the dialog");

// The event tab to select: a stored index outside 0..59 selects the first tab.
int eventPageFromSetting(int stored);

// The folder part of a path (everything before the last / or \), without the
// separator; empty when the path has no folder.
std::string folderOf(const std::string& path);

// Where the settings live: a settings file beside the program (its name with
// ".ini") when one exists there and can be written, as on a portable install;
// otherwise zmtsetup/zmtsetup.ini in the user's configuration folder.
std::string settingsFilePath(const std::string& programPath, const std::string& userConfigFolder);
// The user's configuration folder from the environment: %APPDATA% on Windows,
// else $XDG_CONFIG_HOME, else $HOME/.config; empty when none is known.
std::string userConfigFolder();

} // namespace zmt
