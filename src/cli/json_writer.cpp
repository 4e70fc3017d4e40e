#include "cli/json_writer.h"

#include <cstdio>

namespace zmt::cli {

namespace {

void appendEscape(std::string& out, unsigned unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", unit);
    out += buffer;
}

// The code point of the well-formed UTF-8 sequence at text[i], and its
// length; 0 when the bytes there are not one (stray continuation, overlong
// form, surrogate, beyond U+10FFFF, cut short).
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& point) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    std::size_t length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; point = lead & 0x1F; minimum = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; point = lead & 0x0F; minimum = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; point = lead & 0x07; minimum = 0x10000; }
    else return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

} // namespace

std::string JsonWriter::quote(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) appendEscape(out, c);
                else out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        char32_t point = 0;
        const std::size_t length = decodeUtf8(utf8, i, point);
        if (length == 0) {
            appendEscape(out, 0xFFFD);
            ++i;
            continue;
        }
        if (point >= 0x10000) {
            // Outside the basic plane: a surrogate pair.
            const char32_t offset = point - 0x10000;
            appendEscape(out, 0xD800 + (offset >> 10));
            appendEscape(out, 0xDC00 + (offset & 0x3FF));
        } else {
            appendEscape(out, point);
        }
        i += length;
    }
    out += '"';
    return out;
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!filled_.empty()) {
        if (filled_.back()) text_ += ',';
        filled_.back() = true;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    text_ += '{';
    filled_.push_back(false);
}

void JsonWriter::endObject() {
    text_ += '}';
    filled_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    text_ += '[';
    filled_.push_back(false);
}

void JsonWriter::endArray() {
    text_ += ']';
    filled_.pop_back();
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    text_ += quote(name);
    text_ += ':';
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    text_ += quote(utf8);
}

void JsonWriter::number(std::int64_t value) {
    beforeValue();
    text_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    text_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    text_ += "null";
}

} // namespace zmt::cli
