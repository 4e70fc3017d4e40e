#include "lang/catalogue.h"
#include "lang/lang.h"
#include "pseudo_language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zmt;

namespace {

struct Entry {
    std::string context;
    std::string id;
    std::string plural;
};

// The build writes the pseudo-language with every string on one line, so
// reading it back needs only the escapes it uses.
std::string unquoted(const std::string& line) {
    std::string text;
    for (std::size_t i = line.find('"') + 1; i + 1 < line.size(); ++i) {
        if (line[i] != '\\') {
            text += line[i];
            continue;
        }
        const char c = line[++i];
        text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return text;
}

std::vector<Entry> entriesOf(const std::string& po) {
    std::vector<Entry> entries;
    std::string context;
    std::size_t at = 0;
    while (at < po.size()) {
        std::size_t end = po.find('\n', at);
        if (end == std::string::npos) end = po.size();
        const std::string line = po.substr(at, end - at);
        at = end + 1;
        if (line.rfind("msgctxt ", 0) == 0) context = unquoted(line);
        else if (line.rfind("msgid_plural ", 0) == 0) entries.back().plural = unquoted(line);
        else if (line.rfind("msgid ", 0) == 0) {
            if (line != "msgid \"\"") entries.push_back({context, unquoted(line), {}});
            context.clear();
        }
    }
    return entries;
}

std::size_t codePoints(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// The plain Latin letters of a text outside its printf directives, which
// keep theirs.
std::size_t asciiLetters(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) count += (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    for (const std::string& directive : printfDirectives(text)) count -= asciiLetters(directive.substr(1));
    return count;
}

// The letters after each mnemonic '&' ("&&" is a plain ampersand).
std::string mnemonics(const std::string& text) {
    std::string letters;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') letters += text[i + 1];
        ++i;
    }
    return letters;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(separator, at)) != std::string::npos; at = next + separator.size())
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

// What the layout checks rely on: the text is bracketed inside its outer
// blanks, grown, accented, and carries the source's directives and
// mnemonics unchanged. A "\r\n" list is checked item by item.
void expectPseudo(const std::string& source, const char* pseudo) {
    SCOPED_TRACE(source);
    ASSERT_NE(pseudo, nullptr) << "the catalogue reader refused the text";
    const std::string text = pseudo;
    if (source.find("\r\n") != std::string::npos) {
        const auto sourceItems = split(source, "\r\n");
        const auto items = split(text, "\r\n");
        ASSERT_EQ(items.size(), sourceItems.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!sourceItems[i].empty()) expectPseudo(sourceItems[i], items[i].c_str());
        return;
    }
    const std::size_t first = source.find_first_not_of(" \n");
    if (first == std::string::npos) return;
    const std::size_t last = source.find_last_not_of(" \n");
    ASSERT_GT(text.size(), first + (source.size() - last));
    EXPECT_EQ(text.substr(0, first), source.substr(0, first));
    EXPECT_EQ(text.substr(text.size() - (source.size() - last - 1)), source.substr(last + 1));
    EXPECT_EQ(text[first], '[');
    EXPECT_EQ(text[text.size() - (source.size() - last)], ']');
    const std::size_t length = codePoints(source);
    EXPECT_GE(codePoints(text), length + 2);
    if (length >= 20) {
        EXPECT_GE(codePoints(text) * 10, length * 13);
    }
    if (asciiLetters(source) >= 6) {
        EXPECT_LT(asciiLetters(text) * 2, asciiLetters(source));
    }
    EXPECT_EQ(printfDirectives(text), printfDirectives(source));
    EXPECT_EQ(mnemonics(text), mnemonics(source));
}

std::string pseudoText() {
    const BuiltInCatalogues pseudo = pseudoCatalogues();
    return pseudo.count == 1 ? pseudo.texts[0] : "";
}

} // namespace

TEST(PseudoLanguage, EveryTextIsBracketedLongerAndAccentedWithItsDirectivesKept) {
    const std::string po = pseudoText();
    const Catalogue catalogue(po);
    EXPECT_EQ(catalogue.code(), kPseudoLanguage);
    const auto entries = entriesOf(po);
    ASSERT_GT(entries.size(), 400u);   // the whole template, not a stub
    EXPECT_EQ(catalogue.size(), entries.size());
    for (const Entry& entry : entries) {
        if (entry.plural.empty()) {
            const std::string key = entry.context.empty() ? entry.id : entry.context + '\004' + entry.id;
            expectPseudo(entry.id, catalogue.find(key));
        } else {
            expectPseudo(entry.id, catalogue.findPlural(entry.id, 1));
            expectPseudo(entry.plural, catalogue.findPlural(entry.id, 2));
        }
    }
    // A file dialog's filter is read from its text: the patterns must still match.
    const char* filter = catalogue.find("Text files (*.txt *.log)");
    ASSERT_NE(filter, nullptr);
    EXPECT_NE(std::string(filter).find("(*.txt *.log)"), std::string::npos);
}

TEST(PseudoLanguage, CanBeChosenLikeAShippedLanguage) {
    const std::string before = languageCode();
    addPseudoLanguage();
    ASSERT_TRUE(setLanguage(kPseudoLanguage));
    const char* mode = localized("Mode");
    EXPECT_STREQ(mode, "[Ṁöđé]");
    addPseudoLanguage();   // again: nothing changes, the text looked up stays valid
    EXPECT_EQ(localized("Mode"), mode);
    bool named = false;
    for (const Language& language : languages()) named |= language.code == kPseudoLanguage && language.name == "[Ƥšéüđö]";
    EXPECT_TRUE(named);
    EXPECT_NE(formatInEveryLanguage(N_("IR trigger of event %d"), 3).find("[ÍŔ ťŕíĝĝéŕ öƒ éṽéñť 3"), std::string::npos);
    setLanguage(before);
}
