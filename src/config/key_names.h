#pragma once
// Button names as the controller and the configuration files keep them: up to
// five bytes in the Windows Cyrillic code page, one byte per character, so a
// five-letter Russian name fits as well as an English one. The window works in
// UTF-8; these convert at the boundary. Nothing here can fail: a byte with no
// letter behind it reads as '?', and so does a character the code page lacks.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zmt::editor {

// The name bytes (stopping at the first NUL, at most n) as UTF-8 text.
std::string nameBytesToText(const char* bytes, std::size_t n);
// Text as at most n name bytes (shorter when the text is shorter, no NUL).
std::string textToNameBytes(const std::string& text, std::size_t n);
// The first n characters (not bytes) of UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t n);
std::size_t characterCount(const std::string& text);

// "c.v": what a button without a name of its own is called (channel counted
// from 1, then its level).
std::string autoLabel(int channel, uint8_t level);
// A text reads as an automatic label when it is a digit, a full stop and, as
// far as present, digits up to the fifth character (what follows is not
// looked at). Such a name is replaced when its button's level changes.
bool isAutoLabel(const std::string& text);

} // namespace zmt::editor
