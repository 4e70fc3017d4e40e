#include "lang/lang.h"

#include "lang/catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zmt {

namespace {

constexpr std::size_t kLineCapacity = 1000;
constexpr const char* kStartLanguage = "ru";

// The languages present and the one in force. Catalogues are read once, at
// first use, and never change after (tests may add one); a language switch
// only moves `current`, so texts looked up before stay valid.
struct Languages {
    std::vector<Language> list;
    std::vector<std::unique_ptr<Catalogue>> catalogues;   // by list's index; null for English
    std::size_t current = 0;

    void add(const char* poText) {
        auto catalogue = std::make_unique<Catalogue>(poText);
        if (catalogue->code().empty() || catalogue->code() == kSourceLanguage) return;
        // A language present already keeps its catalogue: texts looked up in
        // it are pointers into it, and must stay valid.
        if (find(catalogue->code()) < list.size()) return;
        const auto at = std::lower_bound(list.begin(), list.end(), catalogue->code(),
                                         [](const Language& language, const std::string& code) { return language.code < code; });
        const auto index = static_cast<std::size_t>(at - list.begin());
        const std::string currentCode = list.empty() ? std::string() : list[current].code;
        list.insert(at, Language{catalogue->code(), catalogue->name()});
        catalogues.insert(catalogues.begin() + static_cast<std::ptrdiff_t>(index), std::move(catalogue));
        if (!currentCode.empty()) current = find(currentCode);
    }
    std::size_t find(std::string_view code) const {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].code == code) return i;
        return list.size();
    }
};

Languages& state() {
    static Languages languages = [] {
        Languages made;
        made.list.push_back(Language{kSourceLanguage, "English"});
        made.catalogues.emplace_back();
        const BuiltInCatalogues builtIn = builtInCatalogues();
        for (std::size_t i = 0; i < builtIn.count; ++i) made.add(builtIn.texts[i]);
        const std::size_t start = made.find(kStartLanguage);
        made.current = start < made.list.size() ? start : 0;
        return made;
    }();
    return languages;
}

const Catalogue* currentCatalogue() {
    Languages& languages = state();
    return languages.catalogues[languages.current].get();
}

// The English text of a source: after the context, when it has one.
const char* englishOf(const char* source) {
    const char* separator = std::strchr(source, '\004');
    return separator == nullptr ? source : separator + 1;
}

} // namespace

const char* localized(const char* source) {
    if (source == nullptr) return "";
    if (const Catalogue* catalogue = currentCatalogue())
        if (const char* text = catalogue->find(source)) return text;
    return englishOf(source);
}

const char* localizedPlural(const char* singular, const char* plural, unsigned long count) {
    if (const Catalogue* catalogue = currentCatalogue())
        if (const char* text = catalogue->findPlural(singular, count)) return text;
    return count == 1 ? singular : plural;
}

std::string localized(const std::string& text) {
    if (text.find('\0') == std::string::npos) return text;
    std::size_t at = 0;
    for (std::size_t skip = languageIndex(); skip > 0; --skip) {
        const std::size_t next = text.find('\0', at);
        if (next == std::string::npos) return std::string(text.c_str());   // fewer texts: the first
        at = next + 1;
    }
    return std::string(text.c_str() + at);
}

std::string formatInEveryLanguageV(const char* source, va_list args) {
    Languages& languages = state();
    std::string text;
    for (std::size_t i = 0; i < languages.list.size(); ++i) {
        const Catalogue* catalogue = languages.catalogues[i].get();
        const char* found = catalogue == nullptr ? nullptr : catalogue->find(source);
        va_list copy;
        va_copy(copy, args);
        if (i > 0) text.push_back('\0');
        text += formatTextV(found != nullptr ? found : englishOf(source), copy);
        va_end(copy);
    }
    return text;
}

std::string formatInEveryLanguage(const char* source, ...) {
    va_list args;
    va_start(args, source);
    std::string text = formatInEveryLanguageV(source, args);
    va_end(args);
    return text;
}

const std::vector<Language>& languages() { return state().list; }

const std::string& languageCode() { return state().list[state().current].code; }

std::size_t languageIndex() { return state().current; }

bool setLanguage(std::string_view code) {
    Languages& languages = state();
    std::size_t index = languages.find(code);
    if (index == languages.list.size()) index = languages.find(code.substr(0, code.find_first_of("_.@")));
    if (index == languages.list.size()) return false;
    languages.current = index;
    return true;
}

void addCatalogue(const char* poText) { state().add(poText); }

std::string formatTextV(const char* format, va_list args) {
    char buffer[kLineCapacity];
    int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) return {};
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(written), kLineCapacity - 1));
}

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}

} // namespace zmt
