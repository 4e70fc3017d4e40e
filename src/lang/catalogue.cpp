#include "lang/catalogue.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace zmt {

namespace {

constexpr int kMostPluralForms = 8;

// One entry as the file spells it.
struct PoEntry {
    std::string context;
    std::string id;
    std::string idPlural;
    bool hasContext = false;
    bool fuzzy = false;
    std::vector<std::string> strings;   // msgstr is [0]; msgstr[N] is [N]
};

// The text of a quoted .po string, escapes undone. Unknown escapes keep their
// character, as msgfmt would refuse them anyway.
std::string unquote(std::string_view line) {
    std::string text;
    const std::size_t open = line.find('"');
    const std::size_t close = line.rfind('"');
    if (open == std::string_view::npos || close <= open) return text;
    text.reserve(close - open);
    for (std::size_t i = open + 1; i < close; ++i) {
        // The run up to the next escape goes in at once.
        const std::size_t escape = std::min(line.find('\\', i), close);
        text.append(line.data() + i, escape - i);
        i = escape;
        if (i >= close) break;
        if (i + 1 >= close) {
            text += '\\';
            continue;
        }
        const char c = line[++i];
        switch (c) {
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case 'a': text += '\a'; break;
        case 'b': text += '\b'; break;
        case 'f': text += '\f'; break;
        case 'v': text += '\v'; break;
        case 'x': {
            int value = 0;
            while (i + 1 < close && std::isxdigit(static_cast<unsigned char>(line[i + 1])))
                value = value * 16 + (std::isdigit(static_cast<unsigned char>(line[i + 1])) ? line[i + 1] - '0' : (std::tolower(line[i + 1]) - 'a' + 10)), ++i;
            text += static_cast<char>(value);
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                int value = c - '0';
                for (int digits = 1; digits < 3 && i + 1 < close && line[i + 1] >= '0' && line[i + 1] <= '7'; ++digits)
                    value = value * 8 + (line[++i] - '0');
                text += static_cast<char>(value);
            } else {
                text += c;
            }
        }
    }
    return text;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Reads the entries of a .po text one by one, handing each to take, so no
// more than one is held at a time.
template <typename Take>
void readEntries(std::string_view po, Take take) {
    PoEntry entry;
    std::string* continued = nullptr;   // the string a bare "..." line goes on
    bool started = false;
    bool idSeen = false;
    bool fuzzyComing = false;
    const auto finish = [&] {
        if (started) take(entry);
        entry = PoEntry{};
        continued = nullptr;
        started = false;
    };
    while (!po.empty()) {
        const std::size_t end = po.find('\n');
        std::string_view line = po.substr(0, end);
        po = end == std::string_view::npos ? std::string_view{} : po.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty()) continue;
        if (line[0] == '#') {
            if (startsWith(line, "#,") && line.find("fuzzy") != std::string_view::npos) fuzzyComing = true;
            continue;
        }
        if (line[0] == '"') {
            if (continued != nullptr) *continued += unquote(line);
            continue;
        }
        // msgctxt always opens an entry; msgid does unless it follows its msgctxt.
        const bool context = startsWith(line, "msgctxt");
        const bool id = startsWith(line, "msgid ") || startsWith(line, "msgid\"");
        if (started && (context || (id && !(entry.hasContext && !idSeen)))) finish();
        if (!started) {
            started = true;
            idSeen = false;
            entry.fuzzy = fuzzyComing;
            fuzzyComing = false;
        }
        if (id) idSeen = true;
        if (startsWith(line, "msgctxt")) {
            entry.hasContext = true;
            entry.context = unquote(line);
            continued = &entry.context;
        } else if (startsWith(line, "msgid_plural")) {
            entry.idPlural = unquote(line);
            continued = &entry.idPlural;
        } else if (startsWith(line, "msgid")) {
            entry.id = unquote(line);
            continued = &entry.id;
        } else if (startsWith(line, "msgstr[")) {
            // No language has more than a handful of forms; a number beyond
            // that is a damaged line, not a reason to allocate.
            const int index = std::atoi(std::string(line.substr(7, 3)).c_str());
            if (index < 0 || index >= kMostPluralForms) {
                continued = nullptr;
                continue;
            }
            if (entry.strings.size() <= static_cast<std::size_t>(index)) entry.strings.resize(static_cast<std::size_t>(index) + 1);
            std::string& text = entry.strings[static_cast<std::size_t>(index)];
            text = unquote(line);
            continued = &text;
        } else if (startsWith(line, "msgstr")) {
            if (entry.strings.empty()) entry.strings.resize(1);
            std::string& text = entry.strings[0];
            text = unquote(line);
            continued = &text;
        } else {
            continued = nullptr;   // a line the format does not have: skipped
        }
    }
    finish();
}

// A header field's value ("Language: ru\n" gives "ru").
std::string headerField(const std::string& header, std::string_view field) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find('\n', at);
        if (end == std::string::npos) end = header.size();
        const std::string_view line(header.data() + at, end - at);
        if (startsWith(line, field) && line.size() > field.size() && line[field.size()] == ':') {
            std::string_view value = line.substr(field.size() + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.remove_suffix(1);
            return std::string(value);
        }
        at = end + 1;
    }
    return {};
}

// A small recursive-descent reader of the plural rule: the grammar of C's
// conditional expressions over one variable, as Plural-Forms uses it.
class PluralRule {
public:
    PluralRule(std::string_view text, unsigned long n) : text_(text), n_(n) {}

    bool evaluate(unsigned long& result) {
        result = conditional();
        skipBlanks();
        return ok_ && at_ == text_.size();
    }

private:
    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    bool take(std::string_view token) {
        skipBlanks();
        if (text_.substr(at_, token.size()) != token) return false;
        // "<" must not take the first half of "<=", nor "=" of "==" alone.
        if (token.size() == 1 && at_ + 1 < text_.size() && text_[at_ + 1] == '=' && std::strchr("<>!=", token[0])) return false;
        at_ += token.size();
        return true;
    }
    unsigned long conditional() {
        const unsigned long condition = logicalOr();
        if (!take("?")) return condition;
        const unsigned long yes = conditional();
        if (!take(":")) ok_ = false;
        const unsigned long no = conditional();
        return condition != 0 ? yes : no;
    }
    unsigned long logicalOr() {
        unsigned long value = logicalAnd();
        while (take("||")) {
            const unsigned long right = logicalAnd();
            value = (value != 0 || right != 0) ? 1 : 0;
        }
        return value;
    }
    unsigned long logicalAnd() {
        unsigned long value = equality();
        while (take("&&")) {
            const unsigned long right = equality();
            value = (value != 0 && right != 0) ? 1 : 0;
        }
        return value;
    }
    unsigned long equality() {
        unsigned long value = relation();
        for (;;) {
            if (take("==")) value = value == relation() ? 1 : 0;
            else if (take("!=")) value = value != relation() ? 1 : 0;
            else return value;
        }
    }
    unsigned long relation() {
        unsigned long value = sum();
        for (;;) {
            if (take("<=")) value = value <= sum() ? 1 : 0;
            else if (take(">=")) value = value >= sum() ? 1 : 0;
            else if (take("<")) value = value < sum() ? 1 : 0;
            else if (take(">")) value = value > sum() ? 1 : 0;
            else return value;
        }
    }
    unsigned long sum() {
        unsigned long value = product();
        for (;;) {
            if (take("+")) value += product();
            else if (take("-")) value -= product();
            else return value;
        }
    }
    unsigned long product() {
        unsigned long value = unary();
        for (;;) {
            if (take("*")) value *= unary();
            else if (take("/")) value = divide(value, unary(), true);
            else if (take("%")) value = divide(value, unary(), false);
            else return value;
        }
    }
    unsigned long divide(unsigned long value, unsigned long divisor, bool quotient) {
        if (divisor == 0) {
            ok_ = false;
            return 0;
        }
        return quotient ? value / divisor : value % divisor;
    }
    unsigned long unary() {
        if (take("!")) return unary() == 0 ? 1 : 0;
        skipBlanks();
        if (take("(")) {
            const unsigned long value = conditional();
            if (!take(")")) ok_ = false;
            return value;
        }
        if (at_ < text_.size() && text_[at_] == 'n') {
            ++at_;
            return n_;
        }
        if (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
            unsigned long value = 0;
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) value = value * 10 + static_cast<unsigned long>(text_[at_++] - '0');
            return value;
        }
        ok_ = false;
        return 0;
    }

    std::string_view text_;
    unsigned long n_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

} // namespace

bool evaluatePluralRule(std::string_view rule, unsigned long count, unsigned long& result) {
    return PluralRule(rule, count).evaluate(result);
}

std::vector<std::string> printfDirectives(std::string_view format) {
    // Only what printf would take for a conversion counts: "10% off" or a
    // percent sign before a Cyrillic letter is text, in the English and in
    // the translation alike.
    std::vector<std::string> directives;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t end = i + 1;
        while (end < format.size() && std::strchr("-+ #0123456789.*'hljztLq", format[end]) != nullptr) ++end;
        if (end >= format.size()) break;
        if (format[end] == '%' && end == i + 1) {
            i = end;
            continue;
        }
        if (std::strchr("diouxXeEfFgGaAcspn", format[end]) == nullptr) continue;
        directives.emplace_back(format.substr(i, end - i + 1));
        i = end;
    }
    return directives;
}

Catalogue::Catalogue(std::string_view poText) {
    // Every text goes into one buffer, each ended by a NUL; the table is
    // made when the buffer is whole, its keys views into it.
    struct Pending {
        std::size_t key;
        std::size_t keyLength;
        Entry entry;
    };
    std::vector<Pending> pending;
    // The texts take less room than the file that spells them: one buffer
    // of its size holds them without moving (a move would hold two at once).
    texts_.reserve(poText.size());
    const auto keep = [this](std::string_view text) {
        const std::size_t at = texts_.size();
        texts_.append(text);
        texts_.push_back('\0');
        return at;
    };
    readEntries(poText, [&](PoEntry& entry) {
        if (entry.id.empty() && !entry.hasContext) {
            if (!entry.strings.empty()) readHeader(entry.strings[0]);
            return;
        }
        if (entry.fuzzy) return;
        const bool plural = !entry.idPlural.empty();
        const std::string& source = plural ? entry.idPlural : entry.id;
        const auto sourceDirectives = printfDirectives(source);
        // Texts with no percent sign on either side need no comparing.
        const auto sameDirectives = [&](const std::string& translation) {
            if (source.find('%') == std::string::npos && translation.find('%') == std::string::npos) return true;
            return printfDirectives(translation) == sourceDirectives;
        };
        // The code passes the same arguments to either English form.
        if (plural && printfDirectives(entry.id) != sourceDirectives) return;
        const std::size_t forms = plural ? pluralCount_ : 1;
        for (std::size_t index = 0; index < forms; ++index)
            if (index >= entry.strings.size() || entry.strings[index].empty() || !sameDirectives(entry.strings[index])) return;
        const std::string key = entry.hasContext ? entry.context + '\004' + entry.id : entry.id;
        Pending made{keep(key), key.size(), Entry{plural, static_cast<uint32_t>(formStarts_.size()), static_cast<uint8_t>(forms)}};
        for (std::size_t index = 0; index < forms; ++index) formStarts_.push_back(static_cast<uint32_t>(keep(entry.strings[index])));
        pending.push_back(made);
    });
    entries_.reserve(pending.size());
    for (const Pending& made : pending) entries_.emplace(std::string_view(texts_.data() + made.key, made.keyLength), made.entry);
}

void Catalogue::readHeader(const std::string& header) {
    code_ = headerField(header, "Language");
    name_ = headerField(header, "X-Language-Name");
    if (name_.empty()) name_ = code_;
    const std::string forms = headerField(header, "Plural-Forms");
    const std::size_t count = forms.find("nplurals=");
    const std::size_t rule = forms.find("plural=", count == std::string::npos ? 0 : count + 9);
    if (count == std::string::npos || rule == std::string::npos) return;
    pluralCount_ = static_cast<std::size_t>(std::atoi(forms.c_str() + count + 9));
    std::string expression = forms.substr(rule + 7);
    while (!expression.empty() && (expression.back() == ';' || expression.back() == ' ')) expression.pop_back();
    unsigned long probe = 0;
    if (pluralCount_ >= 1 && pluralCount_ <= static_cast<std::size_t>(kMostPluralForms) && evaluatePluralRule(expression, 1, probe))
        pluralRule_ = expression;
    else
        pluralCount_ = 2;
}

const char* Catalogue::find(std::string_view key) const {
    // A plural entry's forms carry the count's directive, which a text
    // looked up alone need not have: only a plain entry answers.
    const auto found = entries_.find(key);
    return found == entries_.end() || found->second.plural ? nullptr : texts_.data() + formStarts_[found->second.firstForm];
}

const char* Catalogue::findPlural(std::string_view singular, unsigned long count) const {
    const auto found = entries_.find(singular);
    if (found == entries_.end() || !found->second.plural) return nullptr;
    const std::size_t index = std::min<std::size_t>(pluralIndex(count), found->second.forms - 1u);
    return texts_.data() + formStarts_[found->second.firstForm + index];
}

std::size_t Catalogue::pluralIndex(unsigned long count) const {
    if (pluralRule_.empty()) return count == 1 ? 0 : 1;
    unsigned long index = 0;
    if (!evaluatePluralRule(pluralRule_, count, index) || index >= pluralCount_) return 0;
    return index;
}

} // namespace zmt
