#include "device/log_lines.h"

#include <algorithm>

namespace zmt {

namespace {

// Grows a buffer by a quarter instead of the library's usual doubling: an
// hour of device log is tens of megabytes, and doubling could leave nearly
// as much again reserved and unused.
template <class Buffer>
void makeRoom(Buffer& buffer, std::size_t more) {
    const std::size_t needed = buffer.size() + more;
    if (needed <= buffer.capacity()) return;
    buffer.reserve(std::max(needed, buffer.capacity() + buffer.capacity() / 4 + 256));
}

std::size_t characters(std::string_view utf8) {
    // Every byte but a continuation byte (10xxxxxx) starts a character.
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

void LogLines::append(std::string_view text) {
    for (;;) {
        const std::size_t lineBreak = text.find('\n');
        if (lineBreak == std::string_view::npos) {
            appendOne(text);
            return;
        }
        std::string_view line = text.substr(0, lineBreak);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        appendOne(line);
        text.remove_prefix(lineBreak + 1);
    }
}

void LogLines::appendOne(std::string_view line) {
    makeRoom(text_, line.size());
    makeRoom(ends_, 1);
    text_.insert(text_.end(), line.begin(), line.end());
    ends_.push_back(text_.size());
    widest_ = std::max(widest_, characters(line));
}

void LogLines::clear() {
    std::vector<char>().swap(text_);
    std::vector<std::size_t>().swap(ends_);
    widest_ = 0;
}

std::string_view LogLines::line(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_.data() + begin, ends_[index] - begin);
}

std::string LogLines::joined(std::size_t first, std::size_t count) const {
    std::string out;
    if (count == 0) return out;
    const std::size_t begin = first == 0 ? 0 : ends_[first - 1];
    out.reserve(ends_[first + count - 1] - begin + count);
    for (std::size_t i = first; i < first + count; ++i) {
        if (i != first) out += '\n';
        out.append(line(i));
    }
    return out;
}

std::string LogLines::fileText() const {
    std::string out;
    out.reserve(text_.size() + ends_.size());
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        out.append(line(i));
        out += '\n';
    }
    return out;
}

} // namespace zmt
