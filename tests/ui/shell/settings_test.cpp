#include "ui/shell/settings.h"
#include "files/ini_file.h"
#include "ui/widgets/window_placement.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace zmt;
using zmt::test::readFile;
using zmt::test::TempFolder;
using zmt::test::writeFile;

TEST(Settings, NoFileMeansDefaultsAndCentredWindows) {
    TempFolder folder;
    ProgramSettings settings;
    settings.lang = "en";
    FileResult result = loadSettings(folder.file("zmtsetup.ini"), settings);
    EXPECT_TRUE(result.ok());
    EXPECT_FALSE(settings.mainTop || settings.mainLeft || settings.keyTop || settings.keyLeft);
    EXPECT_EQ(settings.eventPage, 0);
    EXPECT_EQ(settings.lang, "ru");
    EXPECT_FALSE(settings.log || settings.debug || settings.keyVisible);
    EXPECT_EQ(dialogStartFolder(settings, FileKind::Configuration), "");
    const ui::Position main = ui::placeWindow(settings.mainLeft, settings.mainTop, {1280, 800}, {701, 501});
    EXPECT_EQ(main.left, 640 - 350);
    EXPECT_EQ(main.top, 400 - 250);
}

TEST(Settings, ValuesComeBackAndTheEventPageIsClamped) {
    TempFolder folder;
    const std::string path = folder.file("zmtsetup.ini");
    writeFile(path,
              "[MainSettings]\nMainTop=10\nMainLeft=-10\nEventPage=59\nLang=1\nLog=1\nDebug=0\n"
              "KeyTop=junk\nKeyLeft=0x20\nKeyVisible=1\n[DirectoryConfig]\nZELMORVATOUCH=/home/u/cfg/car.ZMT\n"
              "[DirectoryProg]\nPROG=/srv/fw/new.LDR\n");
    ProgramSettings settings;
    ASSERT_TRUE(loadSettings(path, settings).ok());
    EXPECT_EQ(settings.mainTop, 10);
    EXPECT_EQ(settings.mainLeft, -10);
    EXPECT_EQ(settings.eventPage, 59);
    EXPECT_EQ(settings.lang, "en");
    EXPECT_TRUE(settings.log);
    EXPECT_FALSE(settings.debug);
    EXPECT_FALSE(settings.keyTop); // not a number: as if missing, so centred
    EXPECT_EQ(settings.keyLeft, 32);
    EXPECT_TRUE(settings.keyVisible);
    EXPECT_EQ(dialogStartFolder(settings, FileKind::Configuration), "/home/u/cfg");
    EXPECT_EQ(dialogStartFolder(settings, FileKind::Firmware), "/srv/fw");

    EXPECT_EQ(eventPageFromSetting(60), 0);
    EXPECT_EQ(eventPageFromSetting(-1), 0);
    EXPECT_EQ(eventPageFromSetting(0), 0);
}

TEST(Settings, SavingWritesTheKeysInOrderAndKeepsTheRest) {
    TempFolder folder;
    const std::string path = folder.file("sub/zmtsetup.ini"); // the folder is made when needed
    ProgramSettings settings;
    ASSERT_TRUE(rememberFile(path, settings, FileKind::Configuration, "/data/cfg/car.ZMT").ok());
    settings.mainTop = 12;
    settings.mainLeft = -3;
    settings.eventPage = 5;
    settings.lang = "en";
    settings.log = true;
    settings.keyTop = 40;
    settings.keyLeft = 50;
    ASSERT_TRUE(saveSettings(path, settings).ok());
    EXPECT_EQ(readFile(path),
              "[DirectoryConfig]\r\nZELMORVATOUCH=/data/cfg/car.ZMT\r\n"
              "[MainSettings]\r\nMainTop=12\r\nMainLeft=-3\r\nEventPage=5\r\nLang=1\r\nLog=1\r\nDebug=0\r\n"
              "KeyTop=40\r\nKeyLeft=50\r\nKeyVisible=0\r\n");

    ProgramSettings again;
    ASSERT_TRUE(loadSettings(path, again).ok());
    EXPECT_EQ(again.mainLeft, -3);
    EXPECT_EQ(again.configFile, "/data/cfg/car.ZMT");

    // The same settings again (a close with nothing changed): not written,
    // the file keeps its time. A change is written.
    namespace fs = std::filesystem;
    const fs::file_time_type old = fs::last_write_time(path) - std::chrono::hours(24);
    fs::last_write_time(path, old);
    ASSERT_TRUE(saveSettings(path, again).ok());
    EXPECT_EQ(fs::last_write_time(path), old);
    again.eventPage = 6;
    ASSERT_TRUE(saveSettings(path, again).ok());
    EXPECT_NE(fs::last_write_time(path), old);
    EXPECT_NE(readFile(path).find("EventPage=6"), std::string::npos);
}

TEST(Settings, RememberedFoldersFollowTheirKindAndCancelChangesNothing) {
    TempFolder folder;
    const std::string path = folder.file("zmtsetup.ini");
    ProgramSettings settings;
    ASSERT_TRUE(rememberFile(path, settings, FileKind::Firmware, "/fw/a.LDR").ok());
    ASSERT_TRUE(rememberFile(path, settings, FileKind::Configuration, "D:\\cfg\\car.ZMT").ok());
    const std::string before = readFile(path);
    ASSERT_TRUE(rememberFile(path, settings, FileKind::Configuration, "").ok()); // cancelled dialog
    EXPECT_EQ(readFile(path), before);

    ProgramSettings loaded;
    ASSERT_TRUE(loadSettings(path, loaded).ok());
    EXPECT_EQ(dialogStartFolder(loaded, kOpenConfigDialog.kind), "D:\\cfg");
    EXPECT_EQ(dialogStartFolder(loaded, kSaveConfigDialog.kind), "D:\\cfg");
    EXPECT_EQ(dialogStartFolder(loaded, kFirmwareDialog.kind), "/fw");
}

TEST(Settings, FolderOfAPath) {
    EXPECT_EQ(folderOf("/home/u/car.ZMT"), "/home/u");
    EXPECT_EQ(folderOf("D:\\cfg\\car.ZMT"), "D:\\cfg");
    EXPECT_EQ(folderOf("D:\\car.ZMT"), "D:\\");
    EXPECT_EQ(folderOf("/car.ZMT"), "/");
    EXPECT_EQ(folderOf("car.ZMT"), "");
    EXPECT_EQ(folderOf(""), "");
}

TEST(Settings, AFileThatCannotBeReadGivesDefaultsAndIsNotOverwritten) {
    TempFolder folder;
    const std::string path = folder.file("zmtsetup.ini");
    writeFile(path, "[MainSettings]\nLang=1\n" + std::string(IniFile::kMaxFileBytes, ';'));
    ProgramSettings settings;
    FileResult result = loadSettings(path, settings);
    EXPECT_EQ(result.error, FileError::TooLarge);
    EXPECT_EQ(settings.lang, "ru");
    settings.mainTop = 5;
    EXPECT_FALSE(saveSettings(path, settings).ok());
    EXPECT_FALSE(rememberFile(path, settings, FileKind::Firmware, "/x.LDR").ok());
    EXPECT_EQ(readFile(path).size(), std::string("[MainSettings]\nLang=1\n").size() + IniFile::kMaxFileBytes);
}

TEST(SettingsLocation, BesideTheProgramOnlyWhenAUsableFileIsThere) {
    TempFolder folder;
    const std::string program = folder.file("zmtsetup");
    const std::string configFolder = folder.file("config");
    const std::string userFile = (std::filesystem::path(configFolder) / "zmtsetup" / "zmtsetup.ini").string();

    EXPECT_EQ(settingsFilePath(program, configFolder), userFile);
    writeFile(folder.file("zmtsetup.ini"), "[MainSettings]\n");
    EXPECT_EQ(settingsFilePath(program, configFolder), folder.file("zmtsetup.ini"));
    EXPECT_EQ(settingsFilePath(folder.file("zmtsetup.exe"), configFolder), folder.file("zmtsetup.ini"));

    // Something that is not a file by that name does not count.
    TempFolder other;
    std::filesystem::create_directory(other.file("zmtsetup.ini"));
    EXPECT_EQ(settingsFilePath(other.file("zmtsetup"), configFolder), userFile);
    // With no user folder known, beside the program is all there is.
    EXPECT_EQ(settingsFilePath(other.file("zmtsetup"), ""), other.file("zmtsetup.ini"));
}

#ifndef _WIN32
// A portable install in a folder the user may not add files to (the
// program's own folder, say), with a settings file the user may write:
// the settings are saved there, in place.
TEST(SettingsLocation, AWritableFileBesideTheProgramIsSavedInAClosedFolder) {
    TempFolder folder;
    const std::string path = folder.file("zmtsetup.ini");
    writeFile(path, "[MainSettings]\nLang=1\n");
    zmt::test::giveToOrdinaryUser(path);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                                    std::filesystem::perms::others_read |
                                                    std::filesystem::perms::others_exec);
    const int saved = zmt::test::asOrdinaryUser([&] {
        if (settingsFilePath(folder.file("zmtsetup"), folder.file("config")) != path) return 1;
        ProgramSettings settings;
        settings.mainTop = 42;
        return saveSettings(path, settings).ok() ? 0 : 2;
    });
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(saved, 0);
    EXPECT_NE(readFile(path).find("MainTop=42"), std::string::npos) << readFile(path);
}
#endif

#ifdef _WIN32
// Windows keeps the settings below %APPDATA%. A user name in Cyrillic is out
// of reach of the narrow environment, so this is where it would break.
TEST(SettingsLocation, WindowsKeepsThemBelowAppDataWhateverTheUserIsCalled) {
    const wchar_t* before = _wgetenv(L"APPDATA");
    const std::wstring saved = before ? before : L"";
    TempFolder folder;
    const std::filesystem::path appData = folder.path() / std::filesystem::path(u8"Пользователь") / "AppData";
    ASSERT_EQ(_wputenv_s(L"APPDATA", appData.wstring().c_str()), 0);
    const auto utf8 = [](const std::filesystem::path& path) {
        const auto text = path.u8string();
        return std::string(text.begin(), text.end());
    };
    const std::string configFolder = userConfigFolder();
    _wputenv_s(L"APPDATA", saved.c_str());

    EXPECT_EQ(configFolder, utf8(appData));
    const std::string path = settingsFilePath(utf8(folder.path() / "zmtsetup.exe"), configFolder);
    EXPECT_EQ(path, utf8(appData / "zmtsetup" / "zmtsetup.ini"));
    ProgramSettings settings;
    settings.lang = "en";
    ASSERT_TRUE(saveSettings(path, settings).ok());   // its folders are made on the way
    ASSERT_TRUE(loadSettings(path, settings).ok());
    EXPECT_EQ(settings.lang, "en");
    EXPECT_TRUE(std::filesystem::is_regular_file(appData / "zmtsetup" / "zmtsetup.ini"));
}
#endif

// The quick set-up is offered once per controller: the serials it was
// offered for survive the file (the whole 32-bit range, junk skipped), a
// serial is written once, the file's other keys stay, and the list keeps
// only the latest of a long series of units.
TEST(Settings, QuickSetupOffersAreRememberedPerSerial) {
    TempFolder folder;
    const std::string path = folder.file("zmtsetup.ini");
    writeFile(path, "[MainSettings]\nLang=1\n[QuickSetup]\nOffered=1001,x,,4294967295,4294967296,-5,77\n");
    ProgramSettings settings;
    ASSERT_TRUE(loadSettings(path, settings).ok());
    EXPECT_EQ(settings.quickSetupOffered, (std::vector<uint32_t>{1001, 4294967295u, 77}));
    EXPECT_TRUE(quickSetupOffered(settings, 77));
    EXPECT_FALSE(quickSetupOffered(settings, 1002));

    ASSERT_TRUE(rememberQuickSetupOffered(path, settings, 1002).ok());
    ASSERT_TRUE(rememberQuickSetupOffered(path, settings, 1001).ok());
    ProgramSettings again;
    ASSERT_TRUE(loadSettings(path, again).ok());
    EXPECT_EQ(again.quickSetupOffered, (std::vector<uint32_t>{1001, 4294967295u, 77, 1002}));
    EXPECT_EQ(again.lang, "en");

    for (uint32_t serial = 1; serial <= kQuickSetupOfferedKept + 10; ++serial)
        ASSERT_TRUE(rememberQuickSetupOffered(path, settings, 5000 + serial).ok());
    ASSERT_TRUE(loadSettings(path, again).ok());
    EXPECT_EQ(again.quickSetupOffered.size(), kQuickSetupOfferedKept);
    EXPECT_EQ(again.quickSetupOffered.back(), 5000 + kQuickSetupOfferedKept + 10);
    EXPECT_FALSE(quickSetupOffered(again, 1002));   // among the oldest, let go

    // The window's place goes with the main window's keys, only once known.
    settings.quickTop = 30;
    settings.quickLeft = 700;
    ASSERT_TRUE(saveSettings(path, settings).ok());
    ASSERT_TRUE(loadSettings(path, again).ok());
    EXPECT_EQ(again.quickTop, 30);
    EXPECT_EQ(again.quickLeft, 700);
}

// The Lang key keeps the numbers every earlier program wrote and reads, and
// holds a code only for a language they never had.
TEST(Settings, LanguageKeepsTheOldNumbersAndTakesCodesForOtherLanguages) {
    const struct {
        const char* stored;
        const char* language;
    } reads[] = {{"0", "ru"},   {"1", "en"},        {"7", "ru"},          {"-1", "ru"}, {"", "ru"},
                 {"de", "de"},  {"pt_BR", "pt_BR"}, {"sr-Latn", "sr-Latn"}, {"d e", "ru"}, {"1de", "ru"},
                 {"x;y", "ru"}, {"абв", "ru"},      {"abcdefghijklmnopq", "ru"}};
    for (const auto& read : reads) EXPECT_EQ(languageFromSetting(read.stored), read.language) << read.stored;
    EXPECT_EQ(languageSetting("ru"), "0");
    EXPECT_EQ(languageSetting("en"), "1");
    EXPECT_EQ(languageSetting("de"), "de");
}
