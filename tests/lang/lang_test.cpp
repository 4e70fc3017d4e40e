#include "lang/catalogue.h"
#include "lang/lang.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zmt;

namespace {

struct LanguageGuard {
    ~LanguageGuard() { setLanguage("ru"); }
};

// A catalogue written as a translator's tool writes one: continued strings,
// comments, a context, a plural entry, escapes, and the faults a file may
// have (a fuzzy guess, a missing translation, a directive that differs).
constexpr const char* kTestCatalogue = R"po(# A test language
msgid ""
msgstr ""
"Language: ts\n"
"X-Language-Name: Тестовый\n"
"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\n"

#: src/somewhere.cpp:1
msgid "Error"
msgstr "Ошибка"

msgid ""
"Two lines\n"
"of text"
msgstr "Две строки\nтекста \"в кавычках\""

msgctxt "head unit type"
msgid "Disabled"
msgstr "Не задан"

msgid "Disabled"
msgstr "Отключен"

#, c-format
msgid "after %d frame"
msgid_plural "after %d frames"
msgstr[0] "после %d кадра"
msgstr[1] "после %d кадров"
msgstr[2] "после %d кадров"

#, fuzzy
msgid "Guessed"
msgstr "Угадано"

msgid "Untranslated"
msgstr ""

#, c-format
msgid "Channel %d of %s"
msgstr "Канал %s из %d"
)po";

struct TestLanguage {
    TestLanguage() {
        static const bool added = (addCatalogue(kTestCatalogue), true);
        (void)added;
        EXPECT_TRUE(setLanguage("ts"));
    }
    LanguageGuard guard;
};

} // namespace

TEST(Catalogues, TheBuiltInOnesAreOfferedEachInItsOwnName) {
    bool russian = false;
    bool english = false;
    for (const Language& language : languages()) {
        russian = russian || (language.code == "ru" && language.name == "Русский");
        english = english || (language.code == "en" && language.name == "English");
    }
    EXPECT_TRUE(russian && english);
    LanguageGuard guard;
    ASSERT_TRUE(setLanguage("ru"));
    EXPECT_STREQ(localized("Error"), "Ошибка");
    EXPECT_STREQ(localized(NC_("head unit type", "Disabled")), "Не задан");
    ASSERT_TRUE(setLanguage("en"));
    EXPECT_STREQ(localized("Error"), "Error");
    EXPECT_STREQ(localized(NC_("head unit type", "Disabled")), "Disabled");
}

TEST(Catalogues, EveryShippedTranslationIsUsed) {
    // A translation the reader drops shows English in its place: each entry
    // of a shipped catalogue must come through.
    const BuiltInCatalogues builtIn = builtInCatalogues();
    ASSERT_GT(builtIn.count, 0u);
    for (std::size_t i = 0; i < builtIn.count; ++i) {
        const std::string text = builtIn.texts[i];
        std::size_t entries = 0;
        for (std::size_t at = text.find("\nmsgid "); at != std::string::npos; at = text.find("\nmsgid ", at + 1)) ++entries;
        const Catalogue catalogue(text);
        EXPECT_EQ(catalogue.size() + 1, entries) << catalogue.code();   // the header is no entry
    }
}

TEST(Catalogues, ATranslationIsFoundOnlyWhenItIsSafeToShow) {
    TestLanguage test;
    const struct {
        const char* source;
        const char* shown;
    } cases[] = {
        {"Error", "Ошибка"},
        {"Two lines\nof text", "Две строки\nтекста \"в кавычках\""},   // continued, escapes undone
        {NC_("head unit type", "Disabled"), "Не задан"},
        {"Disabled", "Отключен"},
        {"Guessed", "Guessed"},                      // fuzzy: a guess is not a translation
        {"Untranslated", "Untranslated"},
        {"Channel %d of %s", "Channel %d of %s"},    // its directives differ: printf would misread
        {"Not in the catalogue", "Not in the catalogue"},
        {NC_("other", "Error"), "Error"},            // a context of its own is another text
        {"after %d frame", "after %d frame"},        // a plural entry answers only for a count
    };
    for (const auto& c : cases) EXPECT_STREQ(localized(c.source), c.shown) << c.source;
}

TEST(Catalogues, PluralsFollowTheLanguagesRule) {
    TestLanguage test;
    const struct {
        unsigned long count;
        const char* form;
    } cases[] = {{1, "после %d кадра"}, {2, "после %d кадров"}, {5, "после %d кадров"}, {11, "после %d кадров"},
                 {21, "после %d кадра"}, {22, "после %d кадров"}, {111, "после %d кадров"}};
    for (const auto& c : cases)
        EXPECT_STREQ(localizedPlural("after %d frame", "after %d frames", c.count), c.form) << c.count;
    EXPECT_STREQ(localizedPlural("Error", "Errors", 5), "Errors");   // a plain entry has no forms
    setLanguage("en");
    EXPECT_STREQ(localizedPlural("after %d frame", "after %d frames", 1), "after %d frame");
    EXPECT_STREQ(localizedPlural("after %d frame", "after %d frames", 0), "after %d frames");
}

TEST(Catalogues, RussianCountsReadRight) {
    const struct {
        unsigned long count;
        unsigned long form;
    } cases[] = {{1, 0}, {2, 1}, {4, 1}, {5, 2}, {11, 2}, {12, 2}, {14, 2}, {21, 0}, {104, 1}, {0, 2}};
    const char* rule = "(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)";
    for (const auto& c : cases) {
        unsigned long form = 99;
        EXPECT_TRUE(evaluatePluralRule(rule, c.count, form));
        EXPECT_EQ(form, c.form) << c.count;
    }
}

TEST(Catalogues, APluralRuleThatDoesNotParseIsRefused) {
    unsigned long form = 0;
    for (const char* rule : {"n %", "(n == 1", "n ? 1", "n / 0", "m == 1", "n == 1 )", ""})
        EXPECT_FALSE(evaluatePluralRule(rule, 3, form)) << rule;
    EXPECT_TRUE(evaluatePluralRule("n != 1", 3, form));
    EXPECT_EQ(form, 1u);
    EXPECT_TRUE(evaluatePluralRule("n>=2 && n<=4 ? 1 : !n", 0, form));
    EXPECT_EQ(form, 1u);
}

TEST(Catalogues, DirectivesAreComparedInOrder) {
    EXPECT_EQ(printfDirectives("%d of %-5s, 100%% %zu %"), (std::vector<std::string>{"%d", "%-5s", "%zu"}));
    EXPECT_TRUE(printfDirectives("no directives").empty());
    // A percent sign in text is no directive, before a Cyrillic letter too.
    EXPECT_EQ(printfDirectives("Offset 10% when setting"), printfDirectives("Отступ 10% при настройке"));
}

TEST(Catalogues, ALocaleNameChoosesItsLanguageAndAnUnknownOneChangesNothing) {
    LanguageGuard guard;
    EXPECT_TRUE(setLanguage("en_GB.UTF-8"));
    EXPECT_EQ(languageCode(), "en");
    EXPECT_TRUE(setLanguage("ru_RU@latin"));
    EXPECT_EQ(languageCode(), "ru");
    EXPECT_FALSE(setLanguage("de_DE"));
    EXPECT_FALSE(setLanguage(""));
    EXPECT_EQ(languageCode(), "ru");
}

TEST(Catalogues, ABrokenFileGivesWhatItCanAndNeverCrashes) {
    // Cut anywhere, a catalogue still reads (what is whole is used).
    const std::string whole = kTestCatalogue;
    for (std::size_t cut = 0; cut < whole.size(); cut += 7) {
        const Catalogue partial(std::string_view(whole).substr(0, cut));
        (void)partial.find("Error");
        (void)partial.findPlural("after %d frame", 21);
    }
    const Catalogue noHeader("msgid \"Error\"\nmsgstr \"Ошибка\"\n\"");
    EXPECT_TRUE(noHeader.code().empty());   // not offered
    EXPECT_STREQ(noHeader.find("Error"), "Ошибка");
    const Catalogue badRule("msgid \"\"\nmsgstr \"Language: xx\\nPlural-Forms: nplurals=2; plural=n %;\\n\"\n"
                            "msgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"A\"\nmsgstr[1] \"B\"\n");
    EXPECT_STREQ(badRule.findPlural("a", 1), "A");   // English's rule instead
    EXPECT_STREQ(badRule.findPlural("a", 2), "B");
}

TEST(LanguageTexts, ARunTimeTextFollowsALaterSwitch) {
    LanguageGuard guard;
    const std::string everyLanguage = formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), 7);
    setLanguage("en");
    EXPECT_EQ(localized(everyLanguage), "Keyboard (Reactions for the event 7)");
    setLanguage("ru");
    EXPECT_EQ(localized(everyLanguage), "Клавиатура (реакция на событие 7)");
    EXPECT_EQ(localized(std::string("no NUL")), "no NUL");
}

TEST(FormatText, FormatsAndCutsOverlongLinesInsteadOfOverrunning) {
    EXPECT_EQ(formatText("Канал %d", 3), "Канал 3");
    std::string longArg(3000, 'a');
    EXPECT_EQ(formatText("%s", longArg.c_str()).size(), 999u);
}
