#include "lang/catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zmt;

namespace {

// A catalogue of one entry, Russian plural rule, to see whether a
// translation is taken.
std::string oneEntry(const std::string& id, const std::string& translation) {
    return "msgid \"\"\nmsgstr \"Language: ru\\n\"\n\nmsgid \"" + id + "\"\nmsgstr \"" + translation + "\"\n";
}

} // namespace

TEST(PrintfDirectives, CountsOnlyWhatTakesAnArgument) {
    struct Case {
        const char* format;
        std::vector<std::string> directives;
    };
    const Case cases[] = {
        {"Channel %d of %-5s", {"%d", "%-5s"}},
        {"%zu bytes, %08lX", {"%zu", "%08lX"}},
        {"100%% done", {}},
        {"Offset 10% when setting", {}},      // '%' before a letter that is no conversion
        {"an offset of 10%", {}},             // '%' at the very end
        {"50% done", {"% d"}},                // printf would read an int here, so it counts
        {"Отступ 10% при настройке", {}},     // the byte after '%' is not ASCII
        {"%*d", {"%*d"}},
        {"written %n", {"%n"}},
    };
    for (const Case& c : cases) EXPECT_EQ(printfDirectives(c.format), c.directives) << c.format;
}

TEST(Catalogue, KeepsATranslationUnlessItsDirectivesDiffer) {
    struct Case {
        const char* id;
        const char* translation;
        bool taken;
    };
    const Case cases[] = {
        {"Offset 10% when setting", "Отступ 10% при настройке", true},
        {"with an offset of 10%", "со смещением 10% от углов", true},
        {"Channel %d", "Канал %d", true},
        {"Channel %d", "Канал %s", false},          // would read a number as a string
        {"Channel %d", "Канал", false},             // the count would be lost
        {"Offset 10% when setting", "Отступ 10% s", false},   // a directive the English text lacks
    };
    for (const Case& c : cases) {
        const Catalogue catalogue(oneEntry(c.id, c.translation));
        const char* found = catalogue.find(c.id);
        EXPECT_EQ(found != nullptr, c.taken) << c.id << " / " << c.translation;
        if (c.taken && found != nullptr) EXPECT_STREQ(found, c.translation);
    }
}

// A translation the reader leaves out shows in English without a word, so
// every entry of a shipped catalogue must be taken (scripts/translations
// check sees to it that each is translated and not fuzzy).
TEST(Catalogue, TakesEveryEntryOfTheShippedCatalogues) {
    const BuiltInCatalogues shipped = builtInCatalogues();
    ASSERT_GT(shipped.count, 0u);
    for (std::size_t i = 0; i < shipped.count; ++i) {
        const std::string text = shipped.texts[i];
        std::size_t entries = 0;   // "msgid" opening a line, the header's left out
        for (std::size_t at = text.find("\nmsgid "); at != std::string::npos; at = text.find("\nmsgid ", at + 1))
            entries += text.compare(at, 10, "\nmsgid \"\"\n") != 0 || text.compare(at + 10, 1, "\"") == 0;
        const Catalogue catalogue(text);
        EXPECT_EQ(catalogue.size(), entries) << catalogue.code();
    }
}
