#include "ui/help/guide_index.h"

#include <cctype>
#include <cstring>
#include <sstream>

namespace zmt::help {

namespace {

constexpr const char* kEllipsis = "…";

// Any run of white space counts as one space: a guide wraps its lines where
// a message box breaks its own.
std::string normalised(const std::string& text) {
    std::string out;
    bool space = false;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            space = true;
            continue;
        }
        if (space && !out.empty()) out += ' ';
        space = false;
        out += c;
    }
    return out;
}

std::vector<std::string> splitOn(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// Code spans and HTML tags are not prose.
std::string proseOnly(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '`') {
            const std::size_t end = line.find('`', i + 1);
            if (end == std::string::npos) break;
            i = end;
            out += ' ';
            continue;
        }
        if (line[i] == '<' && i + 1 < line.size() && (std::isalpha(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '/')) {
            const std::size_t end = line.find('>', i + 1);
            if (end != std::string::npos) {
                i = end;
                continue;
            }
        }
        out += line[i];
    }
    return out;
}

void collectQuotes(const std::string& paragraph, int language, std::vector<std::string>& quotes) {
    const std::string prose = proseOnly(paragraph);
    const std::string open = language == 0 ? "«" : "\"";
    const std::string close = language == 0 ? "»" : "\"";
    for (std::size_t from = 0;;) {
        const std::size_t start = prose.find(open, from);
        if (start == std::string::npos) return;
        const std::size_t end = prose.find(close, start + open.size());
        if (end == std::string::npos) return;
        quotes.push_back(normalised(prose.substr(start + open.size(), end - start - open.size())));
        from = end + close.size();
    }
}

// [text](target) and ![alt](path), outside code spans.
void collectLinks(const std::string& line, GuideSection& section) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '`') {
            const std::size_t end = line.find('`', i + 1);
            if (end == std::string::npos) return;
            i = end;
            continue;
        }
        if (line.compare(i, 2, "](") != 0) continue;
        const std::size_t end = line.find(')', i + 2);
        if (end == std::string::npos) return;
        const std::size_t open = line.rfind('[', i);
        const bool picture = open != std::string::npos && open > 0 && line[open - 1] == '!';
        std::string target = line.substr(i + 2, end - i - 2);
        // A title after the path ("path "title"") is not part of it.
        if (const std::size_t space = target.find(' '); space != std::string::npos) target.resize(space);
        (picture ? section.pictures : section.links).push_back(target);
        i = end;
    }
}

std::string anchorOf(const std::string& heading) {
    const std::string marker = "<a name=\"";
    const std::size_t at = heading.find(marker);
    if (at == std::string::npos) return {};
    const std::size_t end = heading.find('"', at + marker.size());
    if (end == std::string::npos) return {};
    return heading.substr(at + marker.size(), end - at - marker.size());
}

// A format as tokens: a byte, or -1 for a conversion (%s, %u, %02u, %lu...).
std::vector<int> formatTokens(const std::string& format) {
    std::vector<int> tokens;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%') {
            if (i + 1 < format.size() && format[i + 1] == '%') {
                tokens.push_back('%');
                ++i;
                continue;
            }
            std::size_t j = i + 1;
            while (j < format.size() && std::strchr("-+ #0", format[j]) != nullptr) ++j;
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
            if (j < format.size() && format[j] == '.') {
                ++j;
                while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
            }
            while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'z')) ++j;
            if (j < format.size() && std::strchr("sdiuxXc", format[j]) != nullptr) {
                tokens.push_back(-1);
                i = j;
                continue;
            }
        }
        tokens.push_back(static_cast<unsigned char>(format[i]));
    }
    return tokens;
}

} // namespace

std::vector<GuideSection> readGuide(const std::string& markdown, int language) {
    std::vector<GuideSection> sections(1);
    std::istringstream in(markdown);
    std::string line;
    std::string paragraph;
    bool inCode = false;
    const auto endParagraph = [&] {
        if (!paragraph.empty()) collectQuotes(paragraph, language, sections.back().quotes);
        paragraph.clear();
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("```", 0) == 0) {
            endParagraph();
            inCode = !inCode;
            continue;
        }
        if (inCode) continue;
        if (line.rfind("#", 0) == 0) {
            endParagraph();
            if (std::string anchor = anchorOf(line); !anchor.empty()) {
                sections.push_back({});
                sections.back().anchor = std::move(anchor);
                std::size_t start = line.find_first_not_of("# ");
                sections.back().title = normalised(proseOnly(start == std::string::npos ? "" : line.substr(start)));
            }
            collectLinks(line, sections.back());
            collectQuotes(line, language, sections.back().quotes);
            continue;
        }
        if (normalised(line).empty()) {
            endParagraph();
            continue;
        }
        collectLinks(line, sections.back());
        paragraph += line;
        paragraph += '\n';
    }
    endParagraph();
    return sections;
}

bool quoteFoundIn(const std::string& quote, const std::string& shownText) {
    const std::string text = normalised(shownText);
    std::size_t from = 0;
    bool any = false;
    for (const std::string& part : splitOn(normalised(quote), kEllipsis)) {
        const std::string piece = normalised(part);
        if (piece.empty()) continue;
        const std::size_t at = text.find(piece, from);
        if (at == std::string::npos) return false;
        from = at + piece.size();
        any = true;
    }
    return any;
}

bool quoteFitsFormat(const std::string& quote, const std::string& format) {
    const std::vector<int> tokens = formatTokens(normalised(format));
    // A piece of the quote must meet some of the format's own words, or any
    // text at all would fit inside a value.
    constexpr std::size_t kEnough = 3;
    const std::size_t places = tokens.size() + 1;
    // reached[j * (kEnough + 1) + n]: the quote so far fits up to token j,
    // with n (at most kEnough) of its characters met by the format's own.
    const auto at = [](std::size_t j, std::size_t n) { return j * (kEnough + 1) + n; };
    std::vector<char> reached(places * (kEnough + 1), 0);
    // A conversion may also stand for nothing.
    const auto close = [&] {
        for (std::size_t j = 0; j < tokens.size(); ++j)
            for (std::size_t n = 0; n <= kEnough; ++n)
                if (reached[at(j, n)] && tokens[j] == -1) reached[at(j + 1, n)] = 1;
    };
    bool fitted = false;
    for (const std::string& part : splitOn(normalised(quote), kEllipsis)) {
        const std::string piece = normalised(part);
        if (piece.empty()) continue;
        // The first piece starts anywhere; a later one anywhere after the
        // place the one before it ended ("…" skips any part of the format).
        std::size_t first = 0;
        if (fitted) {
            while (first < places && !reached[at(first, kEnough)]) ++first;
            if (first == places) return false;
        }
        std::fill(reached.begin(), reached.end(), 0);
        for (std::size_t j = first; j < places; ++j) reached[at(j, 0)] = 1;
        close();
        for (const char c : piece) {
            std::vector<char> next(reached.size(), 0);
            bool alive = false;
            for (std::size_t j = 0; j < tokens.size(); ++j) {
                for (std::size_t n = 0; n <= kEnough; ++n) {
                    if (!reached[at(j, n)]) continue;
                    if (tokens[j] == -1) next[at(j, n)] = alive = true;
                    else if (tokens[j] == static_cast<unsigned char>(c))
                        next[at(j + 1, std::min(n + 1, kEnough))] = alive = true;
                }
            }
            if (!alive) return false;
            reached.swap(next);
            close();
        }
        // A short piece is enough when all of it is the format's own.
        const std::size_t needed = std::min(kEnough, piece.size());
        bool met = false;
        for (std::size_t j = 0; j < places && !met; ++j)
            for (std::size_t n = needed; n <= kEnough; ++n) met = met || reached[at(j, n)];
        if (!met) return false;
        // Only the ends that met enough of the format go on.
        for (std::size_t j = 0; j < places; ++j) {
            bool enough = false;
            for (std::size_t n = needed; n <= kEnough; ++n) enough = enough || reached[at(j, n)];
            for (std::size_t n = 0; n <= kEnough; ++n) reached[at(j, n)] = 0;
            reached[at(j, kEnough)] = enough;
        }
        fitted = true;
    }
    return true;
}

std::string topicForMessage(const std::vector<GuideSection>& guide, const std::string& shownText) {
    std::string best = kTroubleshootingAnchor;
    std::size_t bestLength = 0;
    for (const GuideSection& section : guide) {
        if (section.anchor.rfind(kMessageSectionPrefix, 0) != 0) continue;
        for (const std::string& quote : section.quotes) {
            if (quote.size() <= bestLength || !quoteFoundIn(quote, shownText)) continue;
            best = section.anchor;
            bestLength = quote.size();
        }
    }
    return best;
}

const char* guideFileName(int language) { return language == 0 ? "guide-ru.md" : "guide-en.md"; }

} // namespace zmt::help
