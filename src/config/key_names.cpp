#include "config/key_names.h"

#include <cctype>
#include <vector>

namespace zmt::editor {

namespace {

constexpr char32_t kReplacement = U'?';

// Reads UTF-8 leniently: a broken sequence gives one replacement character
// per byte and reading goes on.
std::vector<char32_t> decodeUtf8(const std::string& text) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!ok) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char32_t byteToCharacter(unsigned char byte) {
    if (byte >= 0x20 && byte < 0x7F) return byte;
    if (byte >= 0xC0) return U'\u0410' + (byte - 0xC0);
    if (byte == 0xA8) return U'\u0401';
    if (byte == 0xB8) return U'\u0451';
    return kReplacement;
}

char characterToByte(char32_t code) {
    if (code >= 0x20 && code < 0x7F) return static_cast<char>(code);
    if (code >= U'\u0410' && code <= U'\u044F') return static_cast<char>(0xC0 + (code - U'\u0410'));
    if (code == U'\u0401') return static_cast<char>(0xA8);
    if (code == U'\u0451') return static_cast<char>(0xB8);
    return static_cast<char>(kReplacement);
}

} // namespace

std::string nameBytesToText(const char* bytes, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n && bytes[i] != '\0'; ++i) {
        appendUtf8(text, byteToCharacter(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

std::string textToNameBytes(const std::string& text, std::size_t n) {
    std::string bytes;
    for (char32_t code : decodeUtf8(text)) {
        if (bytes.size() == n) break;
        bytes += characterToByte(code);
    }
    return bytes;
}

std::string firstCharacters(const std::string& text, std::size_t n) {
    std::string out;
    std::size_t count = 0;
    for (char32_t code : decodeUtf8(text)) {
        if (count++ == n) break;
        appendUtf8(out, code);
    }
    return out;
}

std::size_t characterCount(const std::string& text) { return decodeUtf8(text).size(); }

std::string autoLabel(int channel, uint8_t level) { return std::to_string(channel + 1) + "." + std::to_string(level); }

bool isAutoLabel(const std::string& text) {
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (text.size() < 2 || !digit(text[0]) || text[1] != '.') return false;
    for (std::size_t i = 2; i < text.size() && i < 5; ++i) {
        if (!digit(text[i])) return false;
    }
    return true;
}

} // namespace zmt::editor
