// The user guides against the program: every text they quote is one the
// program shows in that language, every link and picture resolves, both
// guides have the same sections, and a message box finds the entry that
// explains it. The program's texts are read from its sources, so a text
// renamed in the code and not in the guide fails here.
#include "test_languages.h"
#include "ui/help/guide_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zmt::help {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = ZMT_SOURCE_ROOT;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The string literals of a C++ source, adjacent ones joined as the compiler
// joins them, escapes decoded.
std::vector<std::string> stringLiterals(const std::string& source) {
    std::vector<std::string> literals;
    std::string current;
    bool open = false;
    const auto finish = [&] {
        if (open) literals.push_back(current);
        current.clear();
        open = false;
    };
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (source.compare(i, 2, "//") == 0) {
            i = std::min(source.find('\n', i), source.size());
            continue;
        }
        if (source.compare(i, 2, "/*") == 0) {
            i = std::min(source.find("*/", i), source.size()) + 1;
            continue;
        }
        if (c == '\'') {
            finish();
            for (++i; i < source.size() && source[i] != '\''; ++i)
                if (source[i] == '\\') ++i;
            continue;
        }
        if (c == '"') {
            for (++i; i < source.size() && source[i] != '"'; ++i) {
                if (source[i] != '\\') {
                    current += source[i];
                    continue;
                }
                const char escape = source[++i];
                if (escape == 'n') current += '\n';
                else if (escape == 'r') current += '\r';
                else if (escape == 't') current += '\t';
                else if (escape == '0') current += '\0';
                else if (escape == 'x') {
                    std::size_t end = i + 1;
                    while (end < source.size() && std::isxdigit(static_cast<unsigned char>(source[end]))) ++end;
                    current += static_cast<char>(std::stoi(source.substr(i + 1, end - i - 1), nullptr, 16));
                    i = end - 1;
                } else current += escape;
            }
            open = true;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        finish();
    }
    finish();
    return literals;
}

// A menu's text as the user reads it: "&Copy" shows as "Copy".
std::string withoutMnemonics(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

// The program's texts by language: English, as the code has them; Russian,
// the Russian catalogue's texts and the literals no catalogue translates (a
// product name, "Windows", the language menu). The catalogue's quoted strings
// read like a source's literals.
const std::array<std::vector<std::string>, 2>& programTexts() {
    static const std::array<std::vector<std::string>, 2> texts = [] {
        std::array<std::vector<std::string>, 2> found;
        for (const auto& entry : fs::recursive_directory_iterator(kSourceRoot / "src")) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h") continue;
            for (const std::string& literal : stringLiterals(readFile(entry.path()))) {
                found[0].push_back(withoutMnemonics(literal));
                found[1].push_back(withoutMnemonics(literal));
            }
        }
        for (const std::string& literal : stringLiterals(readFile(kSourceRoot / "translations" / "ru.po")))
            found[0].push_back(withoutMnemonics(literal));
        // The language menu names each language in itself, in every language.
        for (const Language& language : languages())
            for (auto& texts : found) texts.push_back(language.name);
        return found;
    }();
    return texts;
}

std::vector<GuideSection> guide(int language) {
    return readGuide(readFile(kSourceRoot / "docs" / "guide" / guideFileName(language)), language);
}

// ---- the reading rules ----

TEST(GuideIndex, QuotesFitTheFormatsTheyComeFrom) {
    struct Case {
        const char* quote;
        const char* format;
        bool fits;
    };
    const Case cases[] = {
        {"Controller is disconnected", "Controller is disconnected", true},
        {"Controller is disconnected", "Error writing to the device\n%s", false},       // all of it inside a value
        {"Allowed 200 to 1500 ms, set to 1500", "Allowed %u to %u ms, set to %u", true},
        {"Allowed … to … ms, set to …", "Allowed %u to %u ms, set to %u", true},
        {"File … not found", "File %s not found", true},
        {"File car.ZMT not found", "File %s not found", true},
        {"Are you sure you want to write data to the controller?",                   // a line break in the box
         "Are you sure you want to write\ndata to the controller?", true},
        {"Version 1.17", "Версия %s", false},
        {"Error writing to the devise", "Error writing to the device\n%s", false},   // a typo in the guide
        {"File … found", "File %s not found", true},                                 // "…" leaves out "not"
        {"File … lost", "File %s not found", false},
        {"Offset 10% when setting", "Offset 10% when setting", true},               // a percent sign, not a value
        {"Controller … is connected", "Controller \"%s\" is connected%s", true},
        {"is connected", "Controller \"%s\" is connected%s", true},
        {"Connected now", "Controller \"%s\" is connected%s", false},
    };
    for (const Case& c : cases) EXPECT_EQ(quoteFitsFormat(c.quote, c.format), c.fits) << c.quote << " / " << c.format;
}

TEST(GuideIndex, SectionsQuotesLinksAndPicturesAreRead) {
    const std::string english =
        "# <a name=\"contents\">Guide</a>\n"
        "See [files](#files) and \"Help\".\n"
        "\n"
        "## <a name=\"files\">Files</a>\n"
        "Click \"Open the\n"
        "file\" `not \"a quote\"` <b>bold</b>.\n"
        "![picture](../screenshots/x.png)\n"
        "```\n"
        "\"inside code\"\n"
        "```\n"
        "### Without an anchor\n"
        "\"Still files\"\n";
    const std::vector<GuideSection> read = readGuide(english, 1);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].anchor, "contents");
    EXPECT_EQ(read[1].title, "Guide");
    EXPECT_EQ(read[1].links, std::vector<std::string>{"#files"});
    EXPECT_EQ(read[1].quotes, std::vector<std::string>{"Help"});
    EXPECT_EQ(read[2].anchor, "files");
    EXPECT_EQ(read[2].quotes, (std::vector<std::string>{"Open the file", "Still files"}));
    EXPECT_EQ(read[2].pictures, std::vector<std::string>{"../screenshots/x.png"});

    const std::vector<GuideSection> russian = readGuide("## <a name=\"x\">Раздел</a>\nНажмите «Открыть» и \"не цитата\".\n", 0);
    ASSERT_EQ(russian.size(), 2u);
    EXPECT_EQ(russian[1].quotes, std::vector<std::string>{"Открыть"});
}

TEST(GuideIndex, AMessageFindsTheMostSpecificEntry) {
    const std::vector<GuideSection> read = readGuide(
        "## <a name=\"msg-controller\">Errors</a>\n\"Error writing to the device\", \"Controller is disconnected\"\n"
        "## <a name=\"msg-hold\">Hold</a>\n\"The controller cannot be held for this program\"\n"
        "## <a name=\"files\">Not a message entry</a>\n\"Error writing to the device and more\"\n"
        "## <a name=\"msg-files\">Files</a>\n\"File … not found\"\n",
        1);
    struct Case {
        const char* shown;
        const char* topic;
    };
    const Case cases[] = {
        {"Error writing to the device\nController is disconnected", "msg-controller"},
        {"Error writing to the device\nThe controller cannot be held for this program: no folder", "msg-hold"},
        {"Error writing to the device and more", "msg-controller"},   // only msg- sections explain messages
        {"File /home/me/car.ZMT not found", "msg-files"},
        {"Something the guide does not know", kTroubleshootingAnchor},
    };
    for (const Case& c : cases) EXPECT_EQ(topicForMessage(read, c.shown), c.topic) << c.shown;
}

// ---- the guides themselves ----

TEST(Guide, EveryQuotedTextIsTheProgramsOwnInThatLanguage) {
    for (const int language : {0, 1}) {
        const std::vector<std::string>& texts = programTexts()[static_cast<std::size_t>(language)];
        for (const GuideSection& section : guide(language)) {
            for (const std::string& quote : section.quotes) {
                const bool found = std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
                    return quoteFitsFormat(quote, text);
                });
                EXPECT_TRUE(found) << guideFileName(language) << ", section " << section.anchor
                                   << ": no program text reads \"" << quote << "\"";
            }
        }
    }
}

TEST(Guide, EveryLinkAndPictureResolves) {
    for (const int language : {0, 1}) {
        const std::vector<GuideSection> sections = guide(language);
        std::vector<std::string> anchors;
        for (const GuideSection& section : sections) anchors.push_back(section.anchor);
        const fs::path folder = kSourceRoot / "docs" / "guide";
        for (const GuideSection& section : sections) {
            for (const std::string& link : section.links) {
                if (link.rfind("http://", 0) == 0 || link.rfind("https://", 0) == 0) continue;
                if (link.rfind('#', 0) == 0)
                    EXPECT_NE(std::find(anchors.begin(), anchors.end(), link.substr(1)), anchors.end())
                        << guideFileName(language) << ": no section " << link;
                else
                    EXPECT_TRUE(fs::exists(folder / link)) << guideFileName(language) << ": no file " << link;
            }
            for (const std::string& picture : section.pictures) {
                EXPECT_TRUE(fs::is_regular_file(folder / picture)) << guideFileName(language) << ": no picture " << picture;
                // Each guide shows the program in its own language.
                EXPECT_NE(picture.find(language == 0 ? "-ru." : "-en."), std::string::npos)
                    << guideFileName(language) << ": picture in the other language " << picture;
            }
        }
    }
}

TEST(Guide, BothLanguagesHaveTheSameSections) {
    std::array<std::vector<std::string>, 2> anchors;
    for (const int language : {0, 1}) {
        for (const GuideSection& section : guide(language)) {
            if (!section.anchor.empty()) anchors[static_cast<std::size_t>(language)].push_back(section.anchor);
            EXPECT_FALSE(section.anchor.empty() && !section.quotes.empty()) << "text before the first section";
        }
    }
    EXPECT_EQ(anchors[0], anchors[1]);
    for (const char* needed : {kContentsAnchor, kTroubleshootingAnchor}) EXPECT_NE(std::find(anchors[1].begin(), anchors[1].end(), needed), anchors[1].end()) << needed;
}

// The boxes the program shows most, each as the user sees it, lead F1 to
// the entry that explains them, in both languages.
TEST(Guide, MessageBoxesLeadToTheirEntries) {
    struct Case {
        const char* russian;
        const char* english;
        const char* topic;
    };
    const Case cases[] = {
        {"Ошибка записи в устройство\nКонтроллер отключен", "Error writing to the device\nController is disconnected",
         "msg-controller"},
        {"Ошибка чтения конфигурации из устройства\nВышел таймаут ожидания ответа",
         "Error reading the configuration of the device\nOut of the timeout response", "msg-controller"},
        {"Ошибка записи конфигурации\nКонтроллер нельзя закрепить за этой программой: другие пользователи могут писать в эту папку.",
         "Error writing configuration\nThe controller cannot be held for this program: other users can write to this folder.",
         "msg-hold"},
        {"Ошибка записи конфигурации\nКонтроллер отключен\nКонтроллер принял 128 из 979 байт новой конфигурации: теперь в "
         "нём часть новой и часть прежней. Запишите конфигурацию ещё раз, когда контроллер снова будет подключён.",
         "Error writing configuration\nController is disconnected\nThe controller took 128 of the 979 bytes of the new "
         "configuration: it now holds part of the new one and part of the old. Write the configuration again once the "
         "controller is back.",
         "msg-partial-write"},
        {"Это обновление не для данного устройства", "This update is not for this device", "msg-firmware"},
        {"Файл /home/me/car.ZMT не найден", "File /home/me/car.ZMT not found", "msg-files"},
        {"Не удаётся записать файл /home/me/car.ZMT\nPermission denied", "Unable to write to /home/me/car.ZMT\nPermission denied",
         "msg-files"},
        {"Снимок конфигурации контроллера не сохранён; ничего не изменено.",
         "The snapshot of the controller's configuration could not be kept; nothing was changed.", "msg-snapshots"},
        {"Изменения ещё не записаны в контроллер.\nВсё равно закрыть программу?",
         "Changes have not been written to the controller yet.\nClose the program anyway?", "msg-pending"},
        {"Вы действительно хотите запустить настройку кнопок?", "You really want to launch setup of keys?", "msg-learning"},
        {"ИК код отсутствует", "No Infrared code", "msg-ir"},
        {"Сначала задайте событию кнопку или ИК код", "Give the event a button or an IR code first", "msg-editor"},
        {"Вы действительно хотите\nзаписать данные в контроллер?", "Are you sure you want to write\ndata to the controller?",
         "msg-questions"},
        {"Ошибка чтения файла конфигурации программы", "Error reading the configuration file of the program", "msg-settings"},
    };
    const std::array<std::vector<GuideSection>, 2> guides = {guide(0), guide(1)};
    for (const Case& c : cases) {
        EXPECT_EQ(topicForMessage(guides[0], c.russian), c.topic) << c.russian;
        EXPECT_EQ(topicForMessage(guides[1], c.english), c.topic) << c.english;
    }
}

} // namespace
} // namespace zmt::help
