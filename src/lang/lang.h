#pragma once
// The program's texts. Every user-visible text is written in the code in
// English and looked up, at the moment of use, in the catalogue of the
// language in force (translations/LANG.po, gettext's format, built into the
// programs). A text a catalogue lacks shows in English, so a missing
// translation never loses the message.
//
//   localized("Error")                        where the text is used;
//   N_("Error")                               where it is kept for later (tables,
//                                             constants), localized when used;
//   NC_("head unit type", "Disabled")         one English text that needs two
//                                             translations, told apart by a context;
//   localizedPlural("%d frame", "%d frames", n)   a count, in the language's plural forms.
//
// scripts/translations collects these marks into the catalogues; its check
// (run by the tests) fails when a text is missing from one.
#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Marks a text for the catalogues without translating it here.
#define N_(text) text
// A text with a context: the context, gettext's separator, the English text.
#define NC_(context, text) context "\004" text

namespace zmt {

// The text of the current language for an English text (or an NC_ pair). The
// pointer stays valid for the life of the program.
const char* localized(const char* source);

// The form for count: singular or plural in English, the catalogue's form
// chosen by its plural rule otherwise. Usually a format given count again.
const char* localizedPlural(const char* singular, const char* plural, unsigned long count);

// A text made at run time that follows a later language switch holds one
// text per language, NUL-separated, in the order of languages().
// localized picks the current one (the whole string when it has no NUL).
std::string localized(const std::string& text);
// Such a text: the format's translation in every language, each filled with
// the same arguments.
std::string formatInEveryLanguageV(const char* source, va_list args);
std::string formatInEveryLanguage(const char* source, ...);

// The languages present: English, in which the code is written, and one per
// catalogue, ordered by code. name is the language's name in itself.
struct Language {
    std::string code;   // "en", "ru", ...
    std::string name;   // "English", "Русский", ...
};
const std::vector<Language>& languages();
inline constexpr const char* kSourceLanguage = "en";

// The language in force: its code and its place in languages(). At start it
// is Russian when that catalogue is present, English otherwise.
const std::string& languageCode();
std::size_t languageIndex();

// Switches to the language of code: a code from languages(), or a locale name
// such as "ru_RU.UTF-8" (the part before '_', '.' and '@' is compared).
// False, and nothing changes, when no such language is present.
bool setLanguage(std::string_view code);

// Adds a catalogue (the text of a .po file) to the languages present; one
// of a language present already is left out. The built-in ones come in by themselves; this is for a
// catalogue that is not shipped, the pseudo-language of the layout checks.
void addCatalogue(const char* poText);

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
