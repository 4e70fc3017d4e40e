#pragma once
// The monitoring log's lines, kept compactly so that a log left running for a
// working day stays small: all lines' UTF-8 bytes one after another in one
// buffer, and where each line ends. A text control spends some ten times a
// line's bytes on its layout; here a line costs its bytes and one offset,
// and the buffers grow by a quarter at a time, so the whole stays well within
// twice the text.
//
//   LogLines log;
//   log.append("t:01 l:02 [ 0A 0B ]");
//   std::string_view first = log.line(0);
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zmt {

class LogLines {
public:
    // Adds text as one line; a line break inside it starts a further line
    // (a carriage return before it is dropped), as a text control shows it.
    void append(std::string_view text);
    // Forgets every line and gives the memory back.
    void clear();

    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    // Line index (< size()) without its line break. Valid until the next append or clear.
    std::string_view line(std::size_t index) const;
    // Count lines from first (both within size()) joined by line breaks, none after the last.
    std::string joined(std::size_t first, std::size_t count) const;
    // The whole log as a text file: every line ends with a line break.
    std::string fileText() const;

    // The longest line, in characters (not bytes): how wide the log is.
    std::size_t widestLine() const { return widest_; }
    // The lines' own bytes, line breaks not counted.
    std::size_t textBytes() const { return text_.size(); }
    // What the log holds on the heap for its lines.
    std::size_t memoryBytes() const { return text_.capacity() + ends_.capacity() * sizeof(std::size_t); }

private:
    void appendOne(std::string_view line);

    // A vector, not a string: a string's reserve may still double.
    std::vector<char> text_;
    std::vector<std::size_t> ends_;
    std::size_t widest_ = 0;
};

} // namespace zmt
