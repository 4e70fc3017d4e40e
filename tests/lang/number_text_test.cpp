// The one set of rules for numbers and bytes in text: which texts each reader
// takes, and what it makes of them.
#include "lang/number_text.h"

#include <gtest/gtest.h>

#include <limits>

using namespace zmt;

namespace {
constexpr auto kDec = NumberBase::Decimal;
constexpr auto kHex = NumberBase::DecimalOrHex;
constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
} // namespace

TEST(NumberText, AWholeNumberIsDigitsOrZeroXHexAndNothingElse) {
    struct Case { const char* text; uint64_t limit; NumberBase base; std::optional<uint64_t> value; };
    const Case cases[] = {
        {"0", 0, kDec, 0},           {"255", 255, kDec, 255},       {"256", 255, kDec, std::nullopt},
        {"010", 99, kDec, 10},       {"010", 99, kHex, 10},         // a leading 0 is no octal
        {"0x1F", 255, kHex, 31},     {"0X1f", 255, kHex, 31},       {"0x1F", 255, kDec, std::nullopt},
        {"0x", 255, kHex, std::nullopt}, {"0x100", 255, kHex, std::nullopt}, {"1F", 255, kHex, std::nullopt},
        {"", 9, kDec, std::nullopt}, {" 5", 9, kDec, std::nullopt}, {"5 ", 9, kDec, std::nullopt},
        {"+5", 9, kDec, std::nullopt}, {"-5", 9, kHex, std::nullopt}, {"5", 4, kDec, std::nullopt},
        {"000000000000000000000001", 1, kDec, 1},
        {"18446744073709551615", kMax64, kDec, kMax64},
        {"18446744073709551616", kMax64, kDec, std::nullopt},   // one past: refused, not wrapped
        {"0xFFFFFFFFFFFFFFFF0", kMax64, kHex, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseUnsigned(c.text, c.limit, c.base), c.value) << '"' << c.text << "\" up to " << c.limit;
}

TEST(NumberText, ATypedNumberIsItsLeadingDigitsSaturated) {
    struct Case { const char* text; int base; uint64_t limit; int maxDigits; std::optional<uint64_t> value; };
    const Case cases[] = {
        {"12ab", 10, 1000, 64, 12},   {"12ab", 16, 0xFFFF, 64, 0x12AB}, {"1234", 10, 100, 64, 100},
        {"123456", 16, 0xFFFFFF, 4, 0x1234},                          {"x1", 10, 1000, 64, std::nullopt},
        {" 5", 10, 9, 64, std::nullopt}, {"", 10, 9, 64, std::nullopt},
        {"99999999999999999999999999", 10, 1000000, 64, 1000000},    // no wrap however long
    };
    for (const Case& c : cases)
        EXPECT_EQ(leadingUnsigned(c.text, c.base, c.limit, c.maxDigits), c.value) << '"' << c.text << '"';
    EXPECT_EQ(skipBlanks(" \t\n 5 "), "5 ");
}

TEST(NumberText, BytesAreTwoHexDigitsApartAndDumpedTheSameWay) {
    EXPECT_EQ(parseHexBytes(" 0a FF\t3C\n"), (std::vector<uint8_t>{0x0A, 0xFF, 0x3C}));
    EXPECT_EQ(parseHexBytes("  "), std::vector<uint8_t>{});
    for (const char* bad : {"1", "0A0B", "0x", "G0", "-1"}) {
        std::string word;
        EXPECT_EQ(parseHexBytes(std::string("00 ") + bad, &word), std::nullopt) << bad;
        EXPECT_EQ(word, bad);
    }
    const uint8_t bytes[] = {0x0A, 0xFF, 0x00};
    EXPECT_EQ(hexDump(bytes, 3), " 0A FF 00");
    EXPECT_EQ(hexDump(bytes, 0), "");
    EXPECT_EQ(parseHexBytes(hexDump(bytes, 3)), std::vector<uint8_t>(bytes, bytes + 3));
}
