#pragma once
// Numbers and bytes written as text: the one set of rules every reader of a
// typed value, a file, an option or an object name goes through, so that the
// same text means the same number everywhere.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmt {

enum class NumberBase { Decimal, DecimalOrHex };

// A text that is one unsigned number and nothing else: decimal digits, or
// with DecimalOrHex also "0x"/"0X" and hexadecimal digits. No sign, no
// blanks, no octal. Nothing when it is not such a number or exceeds limit.
std::optional<uint64_t> parseUnsigned(std::string_view text, uint64_t limit,
                                      NumberBase base = NumberBase::Decimal);

// The number a typed text starts with, read leniently as a person means it:
// digits of base (10 or 16) up to the first other character, at most
// maxDigits of them, saturating at limit instead of wrapping. Nothing when
// the text does not start with a digit. Blanks and signs are the caller's:
// each typed field has its own view of them.
std::optional<uint64_t> leadingUnsigned(std::string_view text, int base, uint64_t limit, int maxDigits = 64);

// text without its leading blanks, as the C scanners skip them.
std::string_view skipBlanks(std::string_view text);

// The value of one digit in base (up to 16, either case), -1 when it is none.
int digitValue(char c, int base);

// Bytes written as two hexadecimal digits each, separated by blanks
// ("0A ff 3C"). Nothing when a word is not such a byte; badWord then holds it.
std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text, std::string* badWord = nullptr);

// The bytes for a log line: " 0A FF 3C", upper case, a blank before each.
std::string hexDump(const uint8_t* bytes, std::size_t count);

// Text from a file made safe to show in a message: control characters (C0,
// DEL and the C1 range, which a terminal may take for the start of an escape
// sequence) become \xNN (\u0080 to \u009F for C1), line breaks included,
// as one line of a file must stay one line of the message. Tabs and
// everything else, Cyrillic included, stay as they are.
std::string escapeControls(std::string_view text);

} // namespace zmt
