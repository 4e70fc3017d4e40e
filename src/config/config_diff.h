#pragma once
// What differs between two configurations, in the words of the listing
// (zmtctl show): buttons by channel and row with their names, events by
// number with their trigger and response as the editor shows them, the HOME
// key and the parameters with their captions, in the current language.
#include "config/config_listing.h"

#include <string>
#include <vector>

namespace zmt {

// One part that differs. before holds the lines of the first configuration,
// after those of the second; one of them is empty when the part (a button,
// an event) is there on one side only.
struct ConfigDifference {
    ListingSection section;
    std::string key;                   // as ListingEntry::key
    std::vector<std::string> before;
    std::vector<std::string> after;
};

// In the listing's order: buttons by channel and row, events by number, then
// HOME and the parameters.
std::vector<ConfigDifference> compareConfigurations(const ConfigImage& first, const ConfigImage& second);
// The same with the second configuration's listing made already
// (listingEntries(second)): the history compares many snapshots with one.
std::vector<ConfigDifference> compareConfigurations(const ConfigImage& first, const ConfigImage& second,
                                                    const std::vector<ListingEntry>& secondListing);

// The differences for people: under each section's title, the first
// configuration's lines marked "-" and the second's "+"; no line ends in a
// newline. Nothing when there are no differences.
std::vector<std::string> differenceLines(const std::vector<ConfigDifference>& differences);

// One line for a list of snapshots: "Same", or how many of each kind of part
// differ ("2 buttons, 1 event, parameters").
std::string differenceSummary(const std::vector<ConfigDifference>& differences);

} // namespace zmt
