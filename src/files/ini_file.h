#pragma once
// The ini-style files of the program: the configuration files (.ZMT) and the
// program's settings. Files are edited, not regenerated: writing a key changes
// its line where it stands (or adds it to its section), and every other line,
// comment and section of the file stays as it was. Section and key names are
// compared without regard to case, as the files have always been treated.
//
// Use: read() a file (or start empty), query and write values, save().
#include "files/file_result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zmt {

class IniFile {
public:
    // No real file of ours comes near this; anything larger is refused unread.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;
    // A text read returns at most this many characters.
    static constexpr std::size_t kMaxTextLength = 2047;

    // Replaces the contents with the file at path. On failure (including a
    // missing file, FileError::NotFound) the contents stay as they were.
    FileResult read(const std::string& path);
    // Writes the contents to path through writeFileSafely.
    FileResult save(const std::string& path) const;

    // The text of key in section (at most 2047 characters), or fallback when
    // the key is missing.
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
    // Decimal, or hexadecimal after 0x/0X; fallback when the key is missing or
    // its value is not such a number (or does not fit 32 bits).
    int readInteger(const std::string& section, const std::string& key, int fallback) const;
    // The value as it stands, or nothing when the key is missing.
    std::optional<std::string> find(const std::string& section, const std::string& key) const;
    bool hasSection(const std::string& section) const;

    // Replaces the key's value in place, or adds the key at the end of its
    // section, or adds the section at the end of the file. A line break in the
    // value would split the line and plant a key of its own, so the value is
    // cut at the first one.
    void writeText(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, long long value);
    void writeFlag(const std::string& section, const std::string& key, bool value);

    // The file as it would be saved.
    std::string contents() const;

private:
    // Each line is taken apart once, so a lookup compares names only.
    struct Line {
        std::string text;
        bool section = false;   // a "[name]" line
        std::string name;       // lower-case section or key name; empty for other lines
    };
    static Line parseLine(std::string text);
    struct Range { std::size_t header; std::size_t end; }; // header line, one past the last line
    std::optional<Range> sectionRange(const std::string& section) const;
    std::optional<std::size_t> keyLine(const Range& range, const std::string& key) const;

    std::vector<Line> lines_;
    // Files are read and written section by section: the section found last
    // is remembered until a line is added or the file read again.
    struct FoundSection { std::string name; Range range; };
    mutable std::optional<FoundSection> lastSection_;
    bool crlf_ = true;       // new files get the line ends the Windows tools expect
    bool byteOrderMark_ = false;
};

// Parses an integer the way the ini files are read; nothing when text is not one.
std::optional<int> parseIniInteger(const std::string& text);

} // namespace zmt
