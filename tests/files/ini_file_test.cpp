#include "files/ini_file.h"
#include "lang/lang.h"
#include "test_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace zmt;
using zmt::test::readFile;
using zmt::test::TempFolder;
using zmt::test::writeFile;

namespace {

IniFile iniFrom(const TempFolder& folder, const std::string& text) {
    const std::string path = folder.file("in.ini");
    writeFile(path, text);
    IniFile ini;
    EXPECT_TRUE(ini.read(path).ok());
    return ini;
}

} // namespace

TEST(IniFile, NamesAreComparedWithoutCaseAndBlanksAroundThemDoNotCount) {
    TempFolder folder;
    IniFile ini = iniFrom(folder, "[Param]\n  LongTo = 900 \n; Key=commented out\n[other]\nkey=2\n");
    EXPECT_EQ(ini.readInteger("PARAM", "LONGTO", 0), 900);
    EXPECT_EQ(ini.readText("param", "longto", ""), "900");
    EXPECT_EQ(ini.readText("PARAM", "KEY", "none"), "none"); // comments are not keys
    EXPECT_EQ(ini.readInteger("PARAM", "key", -1), -1);      // keys of another section are not seen
    EXPECT_TRUE(ini.hasSection("OTHER"));
    EXPECT_FALSE(ini.hasSection("EVENTS"));
}

TEST(IniFile, IntegersAreDecimalOrPrefixedHexAndAnythingElseGivesTheDefault) {
    TempFolder folder;
    IniFile ini = iniFrom(folder,
                          "[S]\ndec=70000\nneg=-10\nhex=0x1F\nupper=0XfF\nHEX=0x22\nall=0xFFFFFFFF\n"
                          "junk=12abc\nempty=\nbare=0x\nbig=2147483648\nmin=-2147483648\ndollar=$10\n");
    EXPECT_EQ(ini.readInteger("S", "dec", 0), 70000);
    EXPECT_EQ(ini.readInteger("S", "neg", 0), -10);
    EXPECT_EQ(ini.readInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.readInteger("S", "upper", 0), 255);
    EXPECT_EQ(ini.readInteger("S", "HEX", 0), 31); // same key as "hex": the first one wins
    EXPECT_EQ(ini.readInteger("S", "all", 0), -1);
    EXPECT_EQ(ini.readInteger("S", "junk", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "empty", 6), 6);
    EXPECT_EQ(ini.readInteger("S", "bare", 7), 7);
    EXPECT_EQ(ini.readInteger("S", "big", 8), 8);
    EXPECT_EQ(ini.readInteger("S", "min", 0), -2147483647 - 1);
    EXPECT_EQ(ini.readInteger("S", "dollar", 9), 9);
    EXPECT_EQ(ini.readInteger("S", "missing", 10), 10);
}

TEST(IniFile, TextReadsAreCappedAndTheDefaultOnlyStandsInForAMissingKey) {
    TempFolder folder;
    IniFile ini = iniFrom(folder, "[S]\nlong=" + std::string(5000, 'A') + "\nempty=\n");
    EXPECT_EQ(ini.readText("S", "long", "").size(), IniFile::kMaxTextLength);
    EXPECT_EQ(ini.readText("S", "empty", "default"), "");
    EXPECT_EQ(ini.readText("S", "missing", "default"), "default");
}

TEST(IniFile, WritingReplacesInPlaceAndKeepsEverythingElse) {
    TempFolder folder;
    const std::string original =
        "; written by hand\r\n[PARAM]\r\nlongto=900\r\nMINE=keep\r\n\r\n[EXTRA]\r\nA=1\r\n";
    IniFile ini = iniFrom(folder, original);
    ini.writeInteger("PARAM", "LONGTO", 1500);
    ini.writeFlag("PARAM", "TOUCH_WINDOWS", true); // new key: end of its section, before the blank line
    ini.writeText("EVENTS", "EVKEY01", "00");      // new section: end of the file
    EXPECT_EQ(ini.contents(),
              "; written by hand\r\n[PARAM]\r\nLONGTO=1500\r\nMINE=keep\r\nTOUCH_WINDOWS=1\r\n\r\n"
              "[EXTRA]\r\nA=1\r\n[EVENTS]\r\nEVKEY01=00\r\n");
    // Reads between the writes: a section that grows is read whole, and one
    // read in again is looked for afresh.
    ini.writeText("PARAM", "ADDED", "x");
    EXPECT_EQ(ini.find("PARAM", "added"), "x");
    EXPECT_EQ(ini.find("EXTRA", "A"), "1");
    ini.writeText("EXTRA", "B", "2");
    EXPECT_EQ(ini.find("extra", "B"), "2");
    writeFile(folder.file("other.ini"), "[EXTRA]\r\nC=3\r\n");
    ASSERT_TRUE(ini.read(folder.file("other.ini")).ok());
    EXPECT_EQ(ini.find("EXTRA", "B"), std::nullopt);
    EXPECT_EQ(ini.find("EXTRA", "C"), "3");
}

TEST(IniFile, LineEndsAndByteOrderMarkOfTheFileAreKept) {
    TempFolder folder;
    IniFile unix = iniFrom(folder, "[A]\nk=1\n");
    unix.writeInteger("A", "k", 2);
    EXPECT_EQ(unix.contents(), "[A]\nk=2\n");

    IniFile marked = iniFrom(folder, "\xEF\xBB\xBF[A]\nk=1"); // no line end at the very end either
    EXPECT_EQ(marked.readInteger("A", "K", 0), 1);
    marked.writeInteger("A", "k", 3);
    EXPECT_EQ(marked.contents(), "\xEF\xBB\xBF[A]\nk=3\n");

    IniFile fresh;
    fresh.writeInteger("A", "k", 4);
    EXPECT_EQ(fresh.contents(), "[A]\r\nk=4\r\n");
}

TEST(IniFile, AValueCannotPlantLinesOfItsOwn) {
    IniFile ini;
    ini.writeText("DirectoryConfig", "ZELMORVATOUCH", "/tmp/odd\n[MainSettings]\nLang=1");
    EXPECT_EQ(ini.readText("DirectoryConfig", "ZELMORVATOUCH", ""), "/tmp/odd");
    EXPECT_FALSE(ini.hasSection("MainSettings"));
}

TEST(IniFile, FailedReadsKeepTheContentsAndSayWhy) {
    TempFolder folder;
    IniFile ini = iniFrom(folder, "[A]\nk=1\n");

    FileResult missing = ini.read(folder.file("nothing.ini"));
    EXPECT_EQ(missing.error, FileError::NotFound);
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);

    FileResult directory = ini.read(folder.path().string());
    EXPECT_EQ(directory.error, FileError::CannotRead);

#ifndef _WIN32
    const std::string pipe = folder.file("pipe.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ini.read(pipe).error, FileError::CannotRead); // returns instead of waiting for a writer
#endif

    const std::string huge = folder.file("huge.ini");
    writeFile(huge, "[A]\nk=" + std::string(IniFile::kMaxFileBytes, '0') + "\n");
    EXPECT_EQ(ini.read(huge).error, FileError::TooLarge);
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
}

TEST(IniFile, SavingReplacesTheFileAtomicallyAndReportsFailure) {
    TempFolder folder;
    const std::string path = folder.file("out.ini");
    writeFile(path, "[A]\nk=1\n");
    IniFile ini;
    ASSERT_TRUE(ini.read(path).ok());
    ini.writeInteger("A", "k", 2);
    ASSERT_TRUE(ini.save(path).ok());
    EXPECT_EQ(readFile(path), "[A]\nk=2\n");
    // Only the file itself is left: no temporary twin.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    const std::string nowhere = folder.file("missing-folder/out.ini");
    FileResult failed = ini.save(nowhere);
    EXPECT_EQ(failed.error, FileError::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    setLanguage("en");
    EXPECT_EQ(failed.text().rfind("Unable to write to " + nowhere, 0), 0u) << failed.text();
    setLanguage("ru");
}

#ifndef _WIN32   // Windows lets only administrators make symbolic links
TEST(IniFile, SavingThroughASymbolicLinkKeepsTheLink) {
    TempFolder folder;
    const std::string real = folder.file("real.ini");
    const std::string link = folder.file("link.ini");
    writeFile(real, "[A]\nk=1\n");
    std::filesystem::create_symlink("real.ini", link);
    IniFile ini;
    ASSERT_TRUE(ini.read(link).ok());
    ini.writeInteger("A", "k", 5);
    ASSERT_TRUE(ini.save(link).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real), "[A]\nk=5\n");
}
#endif
