#include "lang/lang.h"

#include <gtest/gtest.h>

using namespace zmt;

namespace {
struct LanguageGuard {
    ~LanguageGuard() { setLanguageIndex(Russian); }
};
} // namespace

TEST(LangText, PicksTheHalfOfTheCurrentLanguage) {
    LanguageGuard guard;
    const char* literal = "Ошибка\0Error";
    setLanguageIndex(Russian);
    EXPECT_STREQ(LangText(literal), "Ошибка");
    setLanguageIndex(English);
    EXPECT_STREQ(LangText(literal), "Error");
}

TEST(LangText, MissingHalfGivesNullMarkerButRussianIsReturnedAsIs) {
    LanguageGuard guard;
    setLanguageIndex(English);
    EXPECT_STREQ(LangText("Только\0"), "(null)");
    EXPECT_STREQ(LangText(nullptr), "(null)");
    setLanguageIndex(Russian);
    EXPECT_STREQ(LangText("\0English"), "");
}

TEST(LangText, AnyIndexOtherThanEnglishMeansRussian) {
    LanguageGuard guard;
    setLanguageIndex(5);
    EXPECT_EQ(languageIndex(), Russian);
    setLanguageIndex(English);
    EXPECT_EQ(languageIndex(), English);
}

TEST(FormatText, FormatsAndCutsOverlongLinesInsteadOfOverrunning) {
    EXPECT_EQ(formatText("Канал %d", 3), "Канал 3");
    std::string longArg(3000, 'a');
    EXPECT_EQ(formatText("%s", longArg.c_str()).size(), 999u);
}
