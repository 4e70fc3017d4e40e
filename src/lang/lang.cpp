#include "lang/lang.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zmt {

namespace {
int currentLanguage = Russian;
constexpr std::size_t kLineCapacity = 1000;
} // namespace

int languageIndex() { return currentLanguage; }

void setLanguageIndex(int index) { currentLanguage = index == English ? English : Russian; }

const char* localized(const char* literal) {
    if (literal == nullptr) return "(null)";
    const char* text = literal;
    for (int skip = 0; skip < currentLanguage; ++skip) {
        text += std::strlen(text) + 1;
        if (*text == '\0') return "(null)";
    }
    return text;
}

std::string localized(const std::string& text) {
    if (text.find('\0') == std::string::npos) return text;
    return localized(text.c_str());   // c_str() ends the English half with a NUL
}

std::string bilingualCopy(const char* literal) {
    const std::size_t russian = std::strlen(literal);
    return std::string(literal, russian + 1) + (literal + russian + 1);
}

std::string formatBilingualV(const char* literal, va_list args) {
    va_list copy;
    va_copy(copy, args);
    std::string text = formatTextV(literal, args);
    text.push_back('\0');
    text += formatTextV(literal + std::strlen(literal) + 1, copy);
    va_end(copy);
    return text;
}

std::string formatTextV(const char* format, va_list args) {
    char buffer[kLineCapacity];
    int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) return {};
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(written), kLineCapacity - 1));
}

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}

} // namespace zmt
