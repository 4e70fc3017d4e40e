#include "ui/shell/settings.h"

#include "files/ini_file.h"
#include "lang/lang.h"

#include <cctype>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zmt {

namespace fs = std::filesystem;

namespace {

const char* const kMain = "MainSettings";

const char* sectionOf(FileKind kind) { return kind == FileKind::Configuration ? "DirectoryConfig" : "DirectoryProg"; }
const char* keyOf(FileKind kind) { return kind == FileKind::Configuration ? "ZELMORVATOUCH" : "PROG"; }

std::optional<int> optionalInteger(const IniFile& ini, const char* key) {
    const auto text = ini.find(kMain, key);
    if (!text) return std::nullopt;
    return parseIniInteger(*text);
}

const char* const kRecent = "RecentFiles";

std::string recentKey(std::size_t slot) { return "File" + std::to_string(slot + 1); }

// An unused slot the file still holds is emptied, so an entry taken out of
// the list does not come back from the file; a file that never had a list
// gets none while the list is empty.
void writeRecentFiles(IniFile& ini, const ProgramSettings& settings) {
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        if (slot < settings.recentFiles.size()) ini.writeText(kRecent, recentKey(slot), settings.recentFiles[slot]);
        else if (ini.find(kRecent, recentKey(slot))) ini.writeText(kRecent, recentKey(slot), "");
    }
}

const char* const kQuickSetup = "QuickSetup";
const char* const kOffered = "Offered";

// "1001,1002": serials in decimal (the whole 32-bit range); anything that
// is not one is skipped.
std::vector<uint32_t> parseSerials(const std::string& text) {
    std::vector<uint32_t> serials;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        uint64_t value = 0;
        bool digits = end > start && end - start <= 10;
        for (std::size_t i = start; digits && i < end; ++i) {
            digits = text[i] >= '0' && text[i] <= '9';
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        }
        if (digits && value > 0 && value <= UINT32_MAX) serials.push_back(static_cast<uint32_t>(value));
        start = end + 1;
    }
    return serials;
}

std::string joinSerials(const std::vector<uint32_t>& serials) {
    std::string text;
    for (uint32_t serial : serials) text += (text.empty() ? "" : ",") + std::to_string(serial);
    return text;
}

std::string& rememberedFile(ProgramSettings& settings, FileKind kind) {
    return kind == FileKind::Configuration ? settings.configFile : settings.firmwareFile;
}

// Reads the file for an update; a missing file starts empty.
FileResult readForUpdate(IniFile& ini, const std::string& path) {
    FileResult result = ini.read(path);
    if (result.error == FileError::NotFound) result.error = FileError::None;
    return result;
}

FileResult saveWithFolder(const IniFile& ini, const std::string& path) {
    std::error_code ec;
    const fs::path folder = pathFromUtf8(path).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    return ini.save(path);
}

bool writableFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    // Opening for appending tells whether we may write without changing a byte.
    std::ofstream probe(file, std::ios::binary | std::ios::app);
    return probe.is_open();
}

} // namespace

const FileDialogKind kOpenConfigDialog{FileKind::Configuration,
                                       N_("The choice of device configuration file"),
                                       "ZMT", "*.ZMT"};
const FileDialogKind kSaveConfigDialog{FileKind::Configuration,
                                       N_("Saving the Configuration File Devices"),
                                       "ZMT", "*.ZMT"};
const FileDialogKind kFirmwareDialog{FileKind::Firmware,
                                     N_("The choice of device firmware update file"),
                                     "LDR", "*.LDR"};

std::string languageFromSetting(const std::string& value) {
    // Numbers are what the file has always held: 1 English, any other Russian.
    if (value.empty() || value.find_first_not_of("-0123456789") == std::string::npos) return value == "1" ? "en" : "ru";
    // A code is a few letters ("de", "pt_BR", "sr-Latn"); anything else is
    // damage, and the program starts as it does with no setting.
    const bool code = value.size() <= 16 && std::isalpha(static_cast<unsigned char>(value[0])) &&
                      value.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") == std::string::npos;
    return code ? value : "ru";
}

std::string languageSetting(const std::string& code) {
    if (code == "ru") return "0";
    if (code == "en") return "1";
    return code;
}

FileResult loadSettings(const std::string& settingsPath, ProgramSettings& settings) {
    settings = ProgramSettings{};
    IniFile ini;
    FileResult result = readForUpdate(ini, settingsPath);
    if (!result.ok()) return result;
    settings.mainTop = optionalInteger(ini, "MainTop");
    settings.mainLeft = optionalInteger(ini, "MainLeft");
    settings.eventPage = eventPageFromSetting(ini.readInteger(kMain, "EventPage", 0));
    settings.lang = languageFromSetting(ini.readText(kMain, "Lang", "0"));
    settings.log = ini.readInteger(kMain, "Log", 0) != 0;
    settings.debug = ini.readInteger(kMain, "Debug", 0) != 0;
    settings.keyTop = optionalInteger(ini, "KeyTop");
    settings.keyLeft = optionalInteger(ini, "KeyLeft");
    settings.keyVisible = ini.readInteger(kMain, "KeyVisible", 0) != 0;
    if (const auto serial = optionalInteger(ini, "Controller"); serial && *serial > 0)
        settings.controllerSerial = static_cast<uint32_t>(*serial);
    settings.helpLeft = optionalInteger(ini, "HelpLeft");
    settings.helpTop = optionalInteger(ini, "HelpTop");
    settings.helpWidth = optionalInteger(ini, "HelpWidth");
    settings.helpHeight = optionalInteger(ini, "HelpHeight");
    settings.quickTop = optionalInteger(ini, "QuickTop");
    settings.quickLeft = optionalInteger(ini, "QuickLeft");
    settings.quickSetupOffered = parseSerials(ini.readText(kQuickSetup, kOffered, ""));
    settings.configFile = ini.readText(sectionOf(FileKind::Configuration), keyOf(FileKind::Configuration), "");
    settings.firmwareFile = ini.readText(sectionOf(FileKind::Firmware), keyOf(FileKind::Firmware), "");
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        std::string file = ini.readText(kRecent, recentKey(slot), "");
        if (!file.empty()) settings.recentFiles.push_back(std::move(file));
    }
    return result;
}

FileResult saveSettings(const std::string& settingsPath, const ProgramSettings& settings) {
    IniFile ini;
    FileResult result = ini.read(settingsPath);
    const bool existed = result.ok();
    if (result.error == FileError::NotFound) result.error = FileError::None;
    if (!result.ok()) return result;   // never replace a file we could not read
    const std::string before = ini.contents();
    const auto writePosition = [&ini](const char* key, const std::optional<int>& value) {
        if (value) ini.writeInteger(kMain, key, *value);
    };
    writePosition("MainTop", settings.mainTop);
    writePosition("MainLeft", settings.mainLeft);
    ini.writeInteger(kMain, "EventPage", settings.eventPage);
    ini.writeText(kMain, "Lang", languageSetting(settings.lang));
    ini.writeFlag(kMain, "Log", settings.log);
    ini.writeFlag(kMain, "Debug", settings.debug);
    writePosition("KeyTop", settings.keyTop);
    writePosition("KeyLeft", settings.keyLeft);
    ini.writeInteger(kMain, "KeyVisible", settings.keyVisible ? 1 : 0);
    if (settings.controllerSerial) ini.writeText(kMain, "Controller", std::to_string(*settings.controllerSerial));
    writePosition("QuickTop", settings.quickTop);
    writePosition("QuickLeft", settings.quickLeft);
    writePosition("HelpLeft", settings.helpLeft);
    writePosition("HelpTop", settings.helpTop);
    writePosition("HelpWidth", settings.helpWidth);
    writePosition("HelpHeight", settings.helpHeight);
    // Nothing changed (the usual close): the file stays as it is, with no
    // write and no wait for the disk to take it.
    if (existed && ini.contents() == before) return result;
    return saveWithFolder(ini, settingsPath);
}

FileResult rememberFile(const std::string& settingsPath, ProgramSettings& settings, FileKind kind,
                        const std::string& path) {
    if (path.empty()) return FileResult{FileError::None, settingsPath, {}, {}};
    rememberedFile(settings, kind) = path;
    IniFile ini;
    FileResult result = readForUpdate(ini, settingsPath);
    if (!result.ok()) return result;
    ini.writeText(sectionOf(kind), keyOf(kind), path);
    if (kind == FileKind::Configuration) writeRecentFiles(ini, settings);
    return saveWithFolder(ini, settingsPath);
}

FileResult storeRecentFiles(const std::string& settingsPath, const ProgramSettings& settings) {
    IniFile ini;
    FileResult result = readForUpdate(ini, settingsPath);
    if (!result.ok()) return result;
    writeRecentFiles(ini, settings);
    return saveWithFolder(ini, settingsPath);
}

bool quickSetupOffered(const ProgramSettings& settings, uint32_t serial) {
    const std::vector<uint32_t>& offered = settings.quickSetupOffered;
    return std::find(offered.begin(), offered.end(), serial) != offered.end();
}

FileResult rememberQuickSetupOffered(const std::string& settingsPath, ProgramSettings& settings, uint32_t serial) {
    if (quickSetupOffered(settings, serial)) return FileResult{FileError::None, settingsPath, {}, {}};
    std::vector<uint32_t>& offered = settings.quickSetupOffered;
    offered.push_back(serial);
    if (offered.size() > kQuickSetupOfferedKept)
        offered.erase(offered.begin(), offered.end() - static_cast<std::ptrdiff_t>(kQuickSetupOfferedKept));
    IniFile ini;
    FileResult result = readForUpdate(ini, settingsPath);
    if (!result.ok()) return result;
    ini.writeText(kQuickSetup, kOffered, joinSerials(offered));
    return saveWithFolder(ini, settingsPath);
}

std::string dialogStartFolder(const ProgramSettings& settings, FileKind kind) {
    return folderOf(kind == FileKind::Configuration ? settings.configFile : settings.firmwareFile);
}

int eventPageFromSetting(int stored) { return stored < 0 || stored > 59 ? 0 : stored; }

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) return {};
    // A file in a root folder keeps the root's separator ("/", "D:\\").
    if (separator == 0 || path[separator - 1] == ':') return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::string settingsFilePath(const std::string& programPath, const std::string& configFolder) {
    fs::path beside = pathFromUtf8(programPath);
    beside.replace_extension(".ini");
    if (configFolder.empty() || writableFile(beside)) {
        const auto text = beside.u8string();
        return std::string(text.begin(), text.end());
    }
    const auto text = (pathFromUtf8(configFolder) / "zmtsetup" / "zmtsetup.ini").u8string();
    return std::string(text.begin(), text.end());
}

std::string userConfigFolder() {
#ifdef _WIN32
    // The narrow environment is in the ANSI code page, so a Cyrillic user
    // name would not survive being read as UTF-8; take the wide form.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr) return {};
    const auto text = fs::path(appData).u8string();
    return std::string(text.begin(), text.end());
#else
    const auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    if (std::string folder = variable("XDG_CONFIG_HOME"); !folder.empty()) return folder;
    if (std::string home = variable("HOME"); !home.empty()) return home + "/.config";
    return {};
#endif
}

} // namespace zmt
