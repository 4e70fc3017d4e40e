#pragma once
// What the help window and the guide's checks need to know of a guide: its
// sections (each opens with a heading that carries a named anchor), the
// program's texts each section quotes, and the links and pictures it holds.
// Plain text in, plain data out, so it is tested without a display.
//
// A guide quotes the program's own texts in the quotation marks of its
// language: «…» in Russian, "…" in English. A "…" inside a quote stands for
// a value the program fills in (a file name, a number) or a part left out.
// Code spans, code blocks and HTML tags are not prose: nothing in them counts
// as a quote.
#include <string>
#include <vector>

namespace zmt::help {

struct GuideSection {
    std::string anchor;                 // "" for the text before the first anchor
    std::string title;                  // the heading's text
    std::vector<std::string> quotes;    // program texts quoted in the section
    std::vector<std::string> links;     // link targets, pictures excluded
    std::vector<std::string> pictures;  // picture paths
};

// language: 0 Russian, 1 English (the program's language index).
std::vector<GuideSection> readGuide(const std::string& markdown, int language);

// Whether a quote from the guide can stand for the text a program shows:
// each part of the quote between "…" appears in text, in order.
bool quoteFoundIn(const std::string& quote, const std::string& shownText);

// Whether a quote can be a piece of a text the program builds from format:
// printf conversions (%s, %u, %02u...) in the format stand for any text,
// "…" in the quote for any text too; each part of the quote must fit the
// format somewhere, in order.
bool quoteFitsFormat(const std::string& quote, const std::string& format);

// Sections whose anchors start with this explain the program's messages.
inline constexpr const char* kMessageSectionPrefix = "msg-";
// The guide's first section, its table of contents: where F1 goes when
// nothing nearer has a section.
inline constexpr const char* kContentsAnchor = "contents";
// Where a message without an entry of its own is explained.
inline constexpr const char* kTroubleshootingAnchor = "troubleshooting";

// The anchor of the message section that explains a shown text best: the one
// whose quote matches the most of it (the longest matching quote wins, so a
// specific reason beats the general "Error writing to the device" above it).
// kTroubleshootingAnchor when no quote matches.
std::string topicForMessage(const std::vector<GuideSection>& guide, const std::string& shownText);

// The guide's file name for a language: "guide-ru.md", "guide-en.md".
const char* guideFileName(int language);

} // namespace zmt::help
