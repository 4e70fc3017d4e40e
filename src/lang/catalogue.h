#pragma once
// One language's catalogue, read from the text of a gettext .po file: the
// translation of each English text, the plural rule, and the language's code
// and own name from the header.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zmt {

class Catalogue {
public:
    // Reads a .po text. Entries marked fuzzy, untranslated ones, and those
    // whose printf directives differ from the English text's are left out:
    // the English text then shows, where a wrong directive would read
    // arguments that were never passed.
    explicit Catalogue(std::string_view poText);
    // The table points into the catalogue's own buffer.
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // "ru" from the header's Language ("ru_RU" gives "ru_RU"); empty when the
    // header names none, and such a catalogue is not offered.
    const std::string& code() const { return code_; }
    // The header's X-Language-Name, the language's name in itself; the code
    // when the header has none.
    const std::string& name() const { return name_; }

    // The translation of key (msgid, or msgctxt "\004" msgid), nullptr when none.
    const char* find(std::string_view key) const;
    // The form for count of a plural entry, nullptr when the entry is missing.
    const char* findPlural(std::string_view singular, unsigned long count) const;

    std::size_t size() const { return entries_.size(); }

private:
    std::size_t pluralIndex(unsigned long count) const;

    std::string code_;
    std::string name_;
    std::string pluralRule_;   // the C expression of Plural-Forms, empty for English's n != 1
    std::size_t pluralCount_ = 2;
    void readHeader(const std::string& header);

    struct Entry {
        bool plural;          // from msgid_plural: findPlural's only
        uint32_t firstForm;   // in formStarts_
        uint8_t forms;        // one, or one per plural form
    };
    std::string texts_;                  // every key and form, each ended by a NUL
    std::vector<uint32_t> formStarts_;   // where each form starts in texts_
    std::unordered_map<std::string_view, Entry> entries_;   // keys are views into texts_
};

// Evaluates a Plural-Forms expression (C syntax over n: ?: || && == != < > <=
// >= + - * / % ! and parentheses) for count. False when it does not parse.
bool evaluatePluralRule(std::string_view rule, unsigned long count, unsigned long& result);

// The printf conversions of a format in order ("%d", "%-5s", ...); "%%" and
// a percent sign no conversion follows are text.
std::vector<std::string> printfDirectives(std::string_view format);

// The .po texts built into the programs (translations/*.po), made by the build.
struct BuiltInCatalogues {
    const char* const* texts;
    std::size_t count;
};
BuiltInCatalogues builtInCatalogues();

} // namespace zmt
