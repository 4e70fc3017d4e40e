#include "lang/lang.h"

#include <gtest/gtest.h>

using namespace zmt;

namespace {
struct LanguageGuard {
    ~LanguageGuard() { setLanguageIndex(Russian); }
};
} // namespace

TEST(localized, PicksTheHalfOfTheCurrentLanguage) {
    LanguageGuard guard;
    const char* literal = "Ошибка\0Error";
    setLanguageIndex(Russian);
    EXPECT_STREQ(localized(literal), "Ошибка");
    setLanguageIndex(English);
    EXPECT_STREQ(localized(literal), "Error");
}

TEST(localized, MissingHalfGivesNullMarkerButRussianIsReturnedAsIs) {
    LanguageGuard guard;
    setLanguageIndex(English);
    EXPECT_STREQ(localized("Только\0"), "(null)");
    EXPECT_STREQ(localized(nullptr), "(null)");
    setLanguageIndex(Russian);
    EXPECT_STREQ(localized("\0English"), "");
}

TEST(localized, AnyIndexOtherThanEnglishMeansRussian) {
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
