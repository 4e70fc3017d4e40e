#include "config/config_file.h"
#include "files/ini_file.h"
#include "lang/lang.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace zmt;
using zmt::test::fixture;
using zmt::test::readFile;
using zmt::test::TempFolder;
using zmt::test::writeFile;

namespace {

// The image of a file with one learned button and one event that uses it.
ConfigImage oneButtonImage() {
    ConfigImage image{};
    image.keysLearned = 1;
    image.channelThreshold[0] = 0x46;
    std::memset(image.channelThreshold + 1, 0xFF, 3);
    image.keys[0][0] = {0x78, 0x32, {}};
    image.keys[0][0].setName("VOL+");
    image.events[0].keyRow = 1;
    image.events[0].flags = EventShortPress;
    image.events[0].reaction = {ReactionKeyboard, 0, 0x28, 0};
    image.longPressTimeout = 1500;
    image.touchMode = 1;
    return image;
}

// Every byte random, except the touch flag bits the file has no place for
// and the divisors, which load as one their fields can show.
ConfigImage randomImage(unsigned seed) {
    std::mt19937 random(seed);
    ConfigImage image;
    for (std::size_t i = 0; i < kConfigImageSize; ++i) image.bytes()[i] = static_cast<uint8_t>(random());
    image.touchFlags &= TOUCH_WINDOWS | TOUCH_5LINES;
    image.enc0Div %= 10;
    image.enc1Div %= 10;
    return image;
}

bool sameBytes(const ConfigImage& a, const ConfigImage& b) {
    return std::memcmp(a.bytes(), b.bytes(), kConfigImageSize) == 0;
}

ConfigImage markerImage() {
    ConfigImage image;
    std::memset(image.bytes(), 0x5A, kConfigImageSize);
    return image;
}

} // namespace

TEST(HexText, DecodingIsLenientAndSaysWhetherTheTextWasClean) {
    uint8_t bytes[7];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_FALSE(hexDecode("78", 7, bytes));
    const uint8_t shortLine[7] = {0x78, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, shortLine, 7), 0);

    uint8_t pair[2];
    EXPECT_TRUE(hexDecode("a0Bf", 2, pair));
    EXPECT_EQ(pair[0], 0xA0);
    EXPECT_EQ(pair[1], 0xBF);
    EXPECT_FALSE(hexDecode("zz1G", 2, pair)); // a bad digit counts as 0
    EXPECT_EQ(pair[0], 0x00);
    EXPECT_EQ(pair[1], 0x10);
    EXPECT_FALSE(hexDecode("123", 2, pair)); // the lone last digit is ignored
    EXPECT_EQ(pair[0], 0x12);
    EXPECT_EQ(pair[1], 0x00);
    EXPECT_FALSE(hexDecode("1234FF", 2, pair)); // digits past the record are ignored
    EXPECT_EQ(pair[1], 0x34);
    EXPECT_FALSE(hexDecode("", 2, pair));
    EXPECT_EQ(pair[0], 0);

    const uint8_t record[3] = {0x00, 0xAB, 0x0F};
    EXPECT_EQ(hexEncode(record, 3), "00AB0F");
}

TEST(ConfigFile, SavedFileHasTheKnownLayout) {
    TempFolder folder;
    const std::string path = folder.file("car.ZMT");
    ConfigImage image = oneButtonImage();
    image.touchWakeUp = 1;
    ASSERT_TRUE(saveConfigFile(image, path).ok());
    const std::string text = readFile(path);
    EXPECT_EQ(text.rfind("[PARAM]\r\nLONGTO=1500\r\nENC0MODE=0\r\nENC0DIV=0\r\nENC1MODE=0\r\nENC1DIV=0\r\n"
                         "TOUCH_WINDOWS=0\r\nTOUCH_5LINES=0\r\nTOUCH_MODE=1\r\nHEAD_TYPE=0\r\n"
                         "KEYHOME=00000000\r\nKEY=0146FFFFFF\r\nTOUCH_WAKEUP=1\r\n"
                         "[KEYSCH1]\r\nKEY01=7832564F4C2B00\r\nKEY02=00000000000000\r\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("[KEYSCH4]\r\nKEY01="), std::string::npos);
    EXPECT_NE(text.find("KEY15=00000000000000\r\n[EVENTS]\r\nEVKEY01=010000000107002800\r\n"), std::string::npos);
    EXPECT_NE(text.find("EVKEY60=000000000000000000\r\n"), std::string::npos);
}

TEST(ConfigFile, SaveThenLoadGivesBackEveryByte) {
    TempFolder folder;
    for (unsigned seed : {1u, 2u, 3u}) {
        const std::string path = folder.file("round" + std::to_string(seed) + ".ZMT");
        const ConfigImage saved = randomImage(seed);
        ASSERT_TRUE(saveConfigFile(saved, path).ok());
        ConfigImage loaded = markerImage();
        FileResult result = loadConfigFile(loaded, path);
        ASSERT_TRUE(result.ok()) << result.text();
        EXPECT_TRUE(result.damaged.empty());
        EXPECT_TRUE(sameBytes(saved, loaded)) << "seed " << seed;
    }
}

TEST(ConfigFile, FileOfAnEarlierVersionLoadsWithTheWakeUpOff) {
    ConfigImage image = markerImage();
    FileResult result = loadConfigFile(image, fixture("legacy-one-button.ZMT"));
    ASSERT_TRUE(result.ok()) << result.text();
    EXPECT_TRUE(result.damaged.empty());
    EXPECT_TRUE(sameBytes(image, oneButtonImage())); // touchWakeUp 0 included
    EXPECT_TRUE(result.missing.empty()) << "older files lack the wake-up key as a rule, not by a cut";
}

TEST(ConfigFile, AFileCutShortLoadsButNamesTheKeysItLacks) {
    TempFolder folder;
    const std::string path = folder.file("cut.ZMT");
    ASSERT_TRUE(saveConfigFile(randomImage(7), path).ok());
    writeFile(path, readFile(path).substr(0, 1500));
    ConfigImage image = markerImage();
    const FileResult result = loadConfigFile(image, path);
    ASSERT_TRUE(result.ok()) << result.text();
    ASSERT_FALSE(result.missing.empty());
    EXPECT_EQ(result.missing.back(), "EVENTS/EVKEY60");
    setLanguage("en");
    const std::string text = result.missingText();
    EXPECT_NE(text.find("File " + path + " lacks keys every saved configuration file has"), std::string::npos) << text;
    EXPECT_NE(text.find("EVENTS/EVKEY01..EVKEY60"), std::string::npos) << "keys in a row as one range: " << text;
    setLanguage("ru");
    EXPECT_NE(result.missingText().find("нет ключей"), std::string::npos);
    // A whole file lacks nothing and says nothing.
    ASSERT_TRUE(saveConfigFile(randomImage(7), path).ok());
    EXPECT_EQ(loadConfigFile(image, path).missingText(), "");
}

TEST(ConfigFile, HandWrittenFileLoadsLenientlyAndNamesTheDamagedValues) {
    ConfigImage image = markerImage();
    FileResult result = loadConfigFile(image, fixture("handwritten.ZMT"));
    ASSERT_TRUE(result.ok()) << result.text();

    EXPECT_EQ(uint16_t{image.longPressTimeout}, 70000 % 65536); // no range check, low 16 bits
    EXPECT_EQ(image.touchFlags, TOUCH_WINDOWS);        // 2 is non-zero: set
    EXPECT_EQ(image.headType, 3);                      // hexadecimal integer
    EXPECT_EQ(image.enc0Div, 0);                       // not a number: default
    EXPECT_EQ(image.enc1Div, 9);                       // 25: the largest divisor a field shows
    EXPECT_EQ(image.touchMode, 1);                     // missing: default
    EXPECT_EQ(image.touchWakeUp, 0);
    EXPECT_EQ(image.homeReaction.kind, ReactionKeyboard);
    EXPECT_EQ(image.homeReaction.arg3, 0x29);
    EXPECT_EQ(image.keysLearned, 0); // KEY missing: empty text, zero bytes
    EXPECT_EQ(image.channelThreshold[0], 0);
    EXPECT_EQ(image.keys[1][0].level, 0xA0); // lower case reads like upper case
    EXPECT_EQ(image.keys[1][0].nameText(), "<<<<<");
    EXPECT_EQ(image.keys[1][2].level, 0x78); // "78": level only
    EXPECT_EQ(image.keys[1][2].tolerance, 0);
    EXPECT_EQ(image.keys[1][2].nameText(), "");
    const uint8_t zero[9] = {};
    EXPECT_EQ(std::memcmp(&image.events[4], zero, 9), 0); // "zz"
    EXPECT_EQ(image.events[1].flags, EventLongPress);       // extra digits ignored
    EXPECT_EQ(image.events[1].reaction.arg2, 0x28);
    EXPECT_EQ(image.keys[0][0].level, 0); // sections left out are zero

    EXPECT_EQ(result.damaged,
              (std::vector<std::string>{"PARAM/ENC0DIV", "PARAM/ENC1DIV", "KEYSCH2/KEY03", "EVENTS/EVKEY02", "EVENTS/EVKEY05"}));
    setLanguage("en");
    EXPECT_NE(result.text().find("some values are damaged: PARAM/ENC0DIV, PARAM/ENC1DIV, KEYSCH2"), std::string::npos);
    setLanguage("ru");
}

TEST(ConfigFile, SavingOverAFileKeepsWhatElseItHolds) {
    TempFolder folder;
    const std::string path = folder.file("car.ZMT");
    writeFile(path, "[NOTES]\nCar=Lada Vesta\n[PARAM]\nLONGTO=200\nOWNER=Ivan\n");
    ASSERT_TRUE(saveConfigFile(oneButtonImage(), path).ok());
    const std::string text = readFile(path);
    EXPECT_EQ(text.rfind("[NOTES]\nCar=Lada Vesta\n[PARAM]\nLONGTO=1500\nOWNER=Ivan\nENC0MODE=0\n", 0), 0u)
        << text;
    ConfigImage image{};
    ASSERT_TRUE(loadConfigFile(image, path).ok());
    EXPECT_TRUE(sameBytes(image, oneButtonImage()));
}

TEST(ConfigFile, FilesThatCannotBeLoadedLeaveTheImageUntouched) {
    TempFolder folder;
    const std::string notConfig = folder.file("notes.ZMT");
    writeFile(notConfig, "Just some text\nwith = signs\n[but no]\nsections=we know\n");
    const std::string binary = folder.file("binary.ZMT");
    static const char elf[] = "\x7F" "ELF\0\0\0[PARAM\0]\n";
    writeFile(binary, std::string(elf, sizeof elf - 1));
    const std::string huge = folder.file("huge.ZMT");
    writeFile(huge, "[PARAM]\n" + std::string(IniFile::kMaxFileBytes, ';') + "\n");

    const struct {
        std::string path;
        FileError error;
    } cases[] = {
        {folder.file("missing.ZMT"), FileError::NotFound},
        {folder.path().string(), FileError::CannotRead},
        {notConfig, FileError::NotConfiguration},
        {binary, FileError::NotConfiguration},
        {huge, FileError::TooLarge},
    };
    for (const auto& c : cases) {
        ConfigImage image = markerImage();
        FileResult result = loadConfigFile(image, c.path);
        EXPECT_EQ(result.error, c.error) << c.path;
        EXPECT_TRUE(sameBytes(image, markerImage())) << c.path;
        EXPECT_NE(result.text().find(c.path), std::string::npos) << result.text();
    }
}

TEST(ConfigFile, SavingNeverMergesIntoAFileThatIsNotIniText) {
    TempFolder folder;
    // A firmware image or a document chosen by mistake stays as it was.
    const std::string firmware = folder.file("new.LDR");
    static const char header[] = "\x76\x00\x01\x02\0\0\0\0payload\xC3\x31";
    const std::string firmwareBytes(header, sizeof header - 1);
    writeFile(firmware, firmwareBytes);
    const std::string letter = folder.file("letter.txt");
    writeFile(letter, "Dear Ivan,\nthe car is ready.\n");
    for (const std::string& path : {firmware, letter}) {
        FileResult result = saveConfigFile(oneButtonImage(), path);
        EXPECT_EQ(result.error, FileError::NotConfiguration) << path;
        EXPECT_NE(result.text().find(path), std::string::npos) << result.text();
    }
    EXPECT_EQ(readFile(firmware), firmwareBytes);
    EXPECT_EQ(readFile(letter), "Dear Ivan,\nthe car is ready.\n");

    // A configuration with stray NUL bytes loads, so it can be saved over too.
    const std::string damaged = folder.file("damaged.ZMT");
    static const char withNul[] = "; cut \0\0 short\n[PARAM]\nLONGTO=700\n";
    writeFile(damaged, std::string(withNul, sizeof withNul - 1));
    ASSERT_TRUE(saveConfigFile(oneButtonImage(), damaged).ok());

    // An empty file and one with only comments are fine to write into.
    const std::string empty = folder.file("empty.ZMT");
    writeFile(empty, "");
    const std::string commented = folder.file("commented.ZMT");
    writeFile(commented, "; set-up for the blue car\n\n");
    for (const std::string& path : {empty, commented}) {
        ASSERT_TRUE(saveConfigFile(oneButtonImage(), path).ok()) << path;
        ConfigImage image{};
        ASSERT_TRUE(loadConfigFile(image, path).ok()) << path;
        EXPECT_TRUE(sameBytes(image, oneButtonImage())) << path;
    }
}

TEST(ConfigFile, AHugeValueIsCutAndReportedNotTrusted) {
    TempFolder folder;
    const std::string path = folder.file("long.ZMT");
    writeFile(path, "[EVENTS]\nEVKEY01=" + std::string(300000, 'F') + "\n");
    ConfigImage image = markerImage();
    FileResult result = loadConfigFile(image, path);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(image.events[0].flags, 0xFF);
    EXPECT_EQ(image.events[1].flags, 0); // the neighbour is not overrun
    EXPECT_EQ(result.damaged, std::vector<std::string>{"EVENTS/EVKEY01"});
}

TEST(ConfigFile, AFileThatCannotBeWrittenIsReportedNotClaimedSaved) {
    TempFolder folder;
    const std::string intoNowhere = folder.file("no-such-folder/car.ZMT");
    FileResult result = saveConfigFile(oneButtonImage(), intoNowhere);
    EXPECT_EQ(result.error, FileError::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists(intoNowhere));
    setLanguage("en");
    EXPECT_EQ(result.text().rfind("Unable to write to " + intoNowhere, 0), 0u);
    setLanguage("ru");
    EXPECT_EQ(result.text().rfind("Не удаётся записать файл " + intoNowhere, 0), 0u);

    // A file we cannot read is not overwritten with our keys alone.
    const std::string huge = folder.file("huge.ZMT");
    writeFile(huge, std::string(IniFile::kMaxFileBytes + 1, ' '));
    EXPECT_EQ(saveConfigFile(oneButtonImage(), huge).error, FileError::TooLarge);
    EXPECT_EQ(std::filesystem::file_size(huge), IniFile::kMaxFileBytes + 1);
}
