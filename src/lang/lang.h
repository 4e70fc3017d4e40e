#pragma once
// Bilingual texts. Every user-visible text is one literal holding the Russian
// half, a NUL, the English half and a NUL: "Ошибка\0Error". The half is picked
// at the moment of use, so a text built after a language switch follows it.
#include <cstdarg>
#include <string>

namespace zmt {

enum Language : int { Russian = 0, English = 1 };

// The language in force: 0 Russian (at start), 1 English. The number of
// halves localized skips.
int languageIndex();
void setLanguageIndex(int index);

// Picks the half of the current language. A half reached by skipping that is
// empty gives "(null)", so a missing translation shows up instead of
// vanishing; index 0 returns the Russian half as it is.
const char* localized(const char* literal);

// A bilingual text made at run time keeps the literal's shape in a string:
// the Russian half, a NUL, the English half. localized picks its half (the
// whole string when it has no NUL).
std::string localized(const std::string& text);
// A copy of a literal's two halves, for a text that must outlive it.
std::string bilingualCopy(const char* literal);
// Each half of a bilingual format ("рус %d\0eng %d") filled with the same
// arguments.
std::string formatBilingualV(const char* literal, va_list args);

// printf-style formatting into a bounded line (the program's texts stay under
// 1000 bytes; anything longer is cut rather than overrunning).
std::string formatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string formatTextV(const char* format, va_list args);

// The program's own version text, shown in the window title and by --version.
inline constexpr const char* kProgramVersion = ZMT_VERSION_TEXT;

} // namespace zmt

// Writing a literal: "Русский\0English". When the English half starts with a
// digit, split the literal ("Канал\0" "1 ...") or the compiler reads an octal
// escape instead of the separating NUL.
