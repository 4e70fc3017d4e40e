#include "config/config_diff.h"

#include "lang/lang.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <unordered_map>
#include <utility>

namespace zmt {

namespace {

std::string trimmed(const std::string& line) {
    const std::size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : line.substr(start);
}

// Where a part stands in the listing: its section, then for buttons and
// events the numbers in its key (channel and row, event number), then its
// place in the listing (the fixed parts are in both listings alike).
struct Placed {
    ListingSection section;
    // At most two in a key ("ch2.11", "event7"); -1 where a key has fewer,
    // so "event7" sorts before "event7.1" as it would by its numbers alone.
    std::array<int, 2> numbers;
    std::size_t index;
    std::string key;

    bool operator<(const Placed& other) const {
        if (section != other.section) return section < other.section;
        if (numbers != other.numbers) return numbers < other.numbers;
        return index < other.index;
    }
};

Placed placeOf(const ListingEntry& entry, std::size_t index) {
    Placed placed{entry.section, {-1, -1}, index, entry.key};
    if (entry.section == ListingSection::Buttons || entry.section == ListingSection::Events) {
        int number = -1;
        std::size_t found = 0;
        for (char c : entry.key + ".") {
            if (c >= '0' && c <= '9') number = (number < 0 ? 0 : number * 10) + (c - '0');
            else if (number >= 0) {
                if (found < placed.numbers.size()) placed.numbers[found++] = number;
                number = -1;
            }
        }
        placed.index = 0;
    }
    return placed;
}

using ListingIndex = std::unordered_map<std::string, const ListingEntry*>;

ListingIndex indexOf(const std::vector<ListingEntry>& entries) {
    ListingIndex index;
    for (const ListingEntry& entry : entries) index.emplace(entry.key, &entry);
    return index;
}

std::vector<std::string> linesOf(const ListingIndex& index, const std::string& key) {
    const auto found = index.find(key);
    return found == index.end() ? std::vector<std::string>() : found->second->lines;
}

} // namespace

std::vector<ConfigDifference> compareConfigurations(const ConfigImage& first, const ConfigImage& second) {
    if (std::memcmp(first.bytes(), second.bytes(), sizeof(ConfigImage)) == 0) return {};
    return compareConfigurations(first, second, listingEntries(second));
}

std::vector<ConfigDifference> compareConfigurations(const ConfigImage& first, const ConfigImage& second,
                                                    const std::vector<ListingEntry>& secondListing) {
    std::vector<ConfigDifference> differences;
    std::size_t bytesDiffering = 0;
    for (std::size_t k = 0; k < sizeof(ConfigImage); ++k)
        if (first.bytes()[k] != second.bytes()[k]) ++bytesDiffering;
    if (bytesDiffering == 0) return differences;

    const std::vector<ListingEntry> before = listingEntries(first);
    const std::vector<ListingEntry>& after = secondListing;
    std::vector<Placed> parts;
    for (const std::vector<ListingEntry>* listing : {&before, &after}) {
        // Counted within the section: the fixed parts stand alike in both
        // listings, however many buttons and events come before them.
        std::size_t place = 0;
        for (std::size_t k = 0; k < listing->size(); ++k) {
            if (k > 0 && (*listing)[k].section != (*listing)[k - 1].section) place = 0;
            parts.push_back(placeOf((*listing)[k], place++));
        }
    }
    std::stable_sort(parts.begin(), parts.end());
    const ListingIndex beforeIndex = indexOf(before);
    const ListingIndex afterIndex = indexOf(after);
    std::set<std::string> seen;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (!seen.insert(parts[k].key).second) continue;
        std::vector<std::string> was = linesOf(beforeIndex, parts[k].key);
        std::vector<std::string> now = linesOf(afterIndex, parts[k].key);
        if (was != now) differences.push_back({parts[k].section, parts[k].key, std::move(was), std::move(now)});
    }
    // Bytes no listed part shows (an event the editor would clear, a flag
    // without a field) still make the configurations differ; say so rather
    // than call them the same.
    if (differences.empty())
        differences.push_back({ListingSection::Parameters, "memory", {},
                               {formatText(localized("  Controller memory: bytes that differ: %u"),
                                           static_cast<unsigned>(bytesDiffering))}});
    return differences;
}

std::vector<std::string> differenceLines(const std::vector<ConfigDifference>& differences) {
    std::vector<std::string> lines;
    bool first = true;
    ListingSection current{};
    for (const ConfigDifference& difference : differences) {
        if (first || difference.section != current) {
            if (std::string title = listingSectionTitle(difference.section); !title.empty()) lines.push_back(title);
            current = difference.section;
            first = false;
        }
        for (const std::string& line : difference.before) lines.push_back("  - " + trimmed(line));
        for (const std::string& line : difference.after) lines.push_back("  + " + trimmed(line));
    }
    return lines;
}

std::string differenceSummary(const std::vector<ConfigDifference>& differences) {
    if (differences.empty()) return localized("Same");
    int buttons = 0, events = 0;
    bool home = false, parameters = false;
    for (const ConfigDifference& difference : differences) {
        switch (difference.section) {
        case ListingSection::Buttons: ++buttons; break;
        case ListingSection::Events: ++events; break;
        case ListingSection::Home: home = true; break;
        case ListingSection::Parameters: parameters = true; break;
        }
    }
    std::vector<std::string> parts;
    if (buttons > 0) parts.push_back(formatText(localized("buttons: %d"), buttons));
    if (events > 0) parts.push_back(formatText(localized("events: %d"), events));
    if (home) parts.push_back(localized("HOME key"));
    if (parameters) parts.push_back(localized("parameters"));
    std::string text = localized("Differs: ");
    for (std::size_t k = 0; k < parts.size(); ++k) text += (k ? ", " : "") + parts[k];
    return text;
}

} // namespace zmt
