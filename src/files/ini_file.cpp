#include "files/ini_file.h"

#include "files/file_writer.h"
#include "lang/number_text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace zmt {

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

std::string trim(std::string_view text) {
    const auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    return std::string(text.substr(begin, end - begin));
}

// ASCII only: names must compare the same whatever locale the program runs in.
std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

std::optional<int> parseIniInteger(const std::string& raw) {
    const std::string text = trim(raw);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    const std::string_view digits = std::string_view(text).substr(pos);
    const auto parsed = parseUnsigned(digits, 0xFFFFFFFFull, NumberBase::DecimalOrHex);
    if (!parsed) return std::nullopt;
    const uint64_t value = *parsed;
    if (digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X')) {
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
    lastSection_.reset();
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(parseLine(std::move(line)));
        start = end + 1;
    }
    return result;
}

std::string IniFile::contents() const {
    std::string text = byteOrderMark_ ? kByteOrderMark : "";
    const char* end = crlf_ ? "\r\n" : "\n";
    for (const Line& line : lines_) text += line.text + end;
    return text;
}

FileResult IniFile::save(const std::string& path) const { return writeFileSafely(path, contents()); }

IniFile::Line IniFile::parseLine(std::string text) {
    Line line{std::move(text), false, {}};
    const std::string trimmed = trim(line.text);
    if (trimmed.empty() || trimmed.front() == ';') return line;   // blank or comment
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        if (close != std::string::npos) {
            line.section = true;
            line.name = lowerCase(trim(std::string_view(trimmed).substr(1, close - 1)));
        }
        return line;
    }
    const std::size_t equals = trimmed.find('=');
    if (equals != std::string::npos) line.name = lowerCase(trim(std::string_view(trimmed).substr(0, equals)));
    return line;
}

std::optional<IniFile::Range> IniFile::sectionRange(const std::string& section) const {
    const std::string name = lowerCase(section);
    if (lastSection_ && lastSection_->name == name) return lastSection_->range;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!lines_[i].section || lines_[i].name != name) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !lines_[end].section) ++end;
        lastSection_ = FoundSection{lines_[i].name, Range{i, end}};
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::keyLine(const Range& range, const std::string& key) const {
    const std::string name = lowerCase(key);
    if (name.empty()) return std::nullopt;
    for (std::size_t i = range.header + 1; i < range.end; ++i)
        if (lines_[i].name == name) return i;
    return std::nullopt;
}

bool IniFile::hasSection(const std::string& section) const { return sectionRange(section).has_value(); }

std::optional<std::string> IniFile::find(const std::string& section, const std::string& key) const {
    const auto range = sectionRange(section);
    if (!range) return std::nullopt;
    const auto line = keyLine(*range, key);
    if (!line) return std::nullopt;
    const std::string& text = lines_[*line].text;
    return trim(std::string_view(text).substr(text.find('=') + 1));
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
    Line line = parseLine(key + "=" + value.substr(0, value.find_first_of("\r\n")));
    const auto range = sectionRange(section);
    lastSection_.reset();   // a line added below moves the sections after it
    if (!range) {
        lines_.push_back(parseLine("[" + section + "]"));
        lines_.push_back(std::move(line));
        return;
    }
    if (const auto existing = keyLine(*range, key)) {
        lines_[*existing] = std::move(line);
        return;
    }
    // After the section's last non-blank line, so blank lines that separate
    // it from the next section stay where they are.
    std::size_t at = range->end;
    while (at > range->header + 1 && trim(lines_[at - 1].text).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::writeInteger(const std::string& section, const std::string& key, long long value) {
    writeText(section, key, std::to_string(value));
}

void IniFile::writeFlag(const std::string& section, const std::string& key, bool value) {
    writeText(section, key, value ? "1" : "0");
}

} // namespace zmt
