#include "config/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace zmt {

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

std::string trim(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string> sectionName(const std::string& line) {
    const std::string text = trim(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const std::size_t close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    return trim(text.substr(1, close - 1));
}

bool isComment(const std::string& line) {
    const std::string text = trim(line);
    return !text.empty() && text.front() == ';';
}

} // namespace

std::optional<int> parseIniInteger(const std::string& raw) {
    const std::string text = trim(raw);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int base = 10;
    if (text.size() - pos > 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) return std::nullopt;
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
        else return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) {
        // Eight hexadecimal digits cover the whole 32-bit pattern: 0xFFFFFFFF is -1.
        const auto bits = static_cast<uint32_t>(value);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<int>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int>(value);
}

FileResult IniFile::read(const std::string& path) {
    std::string data;
    FileResult result = readWholeFile(path, kMaxFileBytes, data);
    if (!result.ok()) return result;

    byteOrderMark_ = data.starts_with(kByteOrderMark);
    if (byteOrderMark_) data.erase(0, 3);
    crlf_ = data.find("\r\n") != std::string::npos || data.empty();
    lines_.clear();
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

std::string IniFile::contents() const {
    std::string text = byteOrderMark_ ? kByteOrderMark : "";
    const char* end = crlf_ ? "\r\n" : "\n";
    for (const std::string& line : lines_) text += line + end;
    return text;
}

FileResult IniFile::save(const std::string& path) const { return writeFileAtomically(path, contents()); }

std::optional<IniFile::Range> IniFile::sectionRange(const std::string& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_[i]);
        if (!name || !sameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !sectionName(lines_[end])) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::keyLine(const Range& range, const std::string& key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const std::string& line = lines_[i];
        if (isComment(line)) continue;
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && sameName(trim(line.substr(0, equals)), key)) return i;
    }
    return std::nullopt;
}

bool IniFile::hasSection(const std::string& section) const { return sectionRange(section).has_value(); }

std::optional<std::string> IniFile::find(const std::string& section, const std::string& key) const {
    const auto range = sectionRange(section);
    if (!range) return std::nullopt;
    const auto line = keyLine(*range, key);
    if (!line) return std::nullopt;
    const std::string& text = lines_[*line];
    return trim(text.substr(text.find('=') + 1));
}

std::string IniFile::readText(const std::string& section, const std::string& key,
                              const std::string& fallback) const {
    const auto value = find(section, key);
    if (!value) return fallback;
    return value->substr(0, kMaxTextLength);
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const {
    const auto value = find(section, key);
    if (!value) return fallback;
    return parseIniInteger(*value).value_or(fallback);
}

void IniFile::writeText(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value.substr(0, value.find_first_of("\r\n"));
    const auto range = sectionRange(section);
    if (!range) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    if (const auto existing = keyLine(*range, key)) {
        lines_[*existing] = line;
        return;
    }
    // After the section's last non-blank line, so blank lines that separate
    // it from the next section stay where they are.
    std::size_t at = range->end;
    while (at > range->header + 1 && trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, long long value) {
    writeText(section, key, std::to_string(value));
}

void IniFile::writeFlag(const std::string& section, const std::string& key, bool value) {
    writeText(section, key, value ? "1" : "0");
}

} // namespace zmt
