#include "lang/number_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zmt {

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

std::string_view skipBlanks(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return text.substr(at);
}

std::optional<uint64_t> parseUnsigned(std::string_view text, uint64_t limit, NumberBase base) {
    int radix = 10;
    if (base == NumberBase::DecimalOrHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        radix = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c, radix);
        // Checked before it grows, so no length of digits can wrap it.
        if (digit < 0 || value > limit / radix || static_cast<uint64_t>(digit) > limit - value * radix)
            return std::nullopt;
        value = value * radix + digit;
    }
    return value;
}

std::optional<uint64_t> leadingUnsigned(std::string_view text, int base, uint64_t limit, int maxDigits) {
    uint64_t value = 0;
    int digits = 0;
    for (std::size_t at = 0; at < text.size() && digits < maxDigits; ++at, ++digits) {
        const int digit = digitValue(text[at], base);
        if (digit < 0) break;
        value = std::min<uint64_t>(value * base + digit, limit);
    }
    if (digits == 0) return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text, std::string* badWord) {
    std::vector<uint8_t> bytes;
    for (text = skipBlanks(text); !text.empty(); text = skipBlanks(text)) {
        std::size_t end = 0;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        const std::string_view word = text.substr(0, end);
        const int high = word.size() == 2 ? digitValue(word[0], 16) : -1;
        const int low = word.size() == 2 ? digitValue(word[1], 16) : -1;
        if (high < 0 || low < 0) {
            if (badWord != nullptr) *badWord = std::string(word);
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        text.remove_prefix(end);
    }
    return bytes;
}

std::string hexDump(const uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string escapeControls(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    char code[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            shown += code;
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(code, sizeof code, "\\u%04X", next);
            shown += code;
            ++i;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

} // namespace zmt
