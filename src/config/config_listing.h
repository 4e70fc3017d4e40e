#pragma once
// A configuration in words, for reading and comparing set-ups without the
// window (zmtctl show): the learned buttons, every event that does
// something, the HOME key and the controller-wide parameters, in the
// current language. Triggers read as the event editor shows them and
// reactions as its memo describes them, because the same rules produce both.
//
// describeConfiguration gives the facts one by one (zmtctl show --json
// prints them as they are); listConfiguration lays the same facts out as
// lines for people.
#include "config/config_image.h"

#include <array>
#include <string>
#include <vector>

namespace zmt {

// A stored number and the text of the list item it picks ("? (9)" when no
// item of the list has that number).
struct ListedChoice {
    unsigned value = 0;
    std::string text;
};

struct ListedButton {
    int channel = 0;      // 1..4
    int slot = 0;         // 1..15, the row of the buttons grid
    std::string name;     // as the grid shows it: the name, or "channel.level"
    unsigned code = 0;    // the level the button produces
    unsigned limit = 0;   // its tolerance
};

struct ListedEvent {
    int number = 0;             // 1..60
    bool irTrigger = false;
    std::string irCode;         // "NEC 4 / 17" when irTrigger
    std::string button;         // the grid names of the trigger, "" when none
    std::string modifier;
    ListedChoice type;          // Disabled, Short press, Long tap, Any press
    bool oneTimeOnly = false;
    bool wakeUp = false;
    Reaction reaction{};
    std::string response;       // the reaction as one line
};

struct ListedEncoder {
    ListedChoice mode;
    unsigned divisor = 1;       // as the panel shows it (the stored value plus one)
};

struct ConfigDescription {
    std::vector<ListedButton> buttons;
    std::vector<ListedEvent> events;   // only events with any byte set that the editor keeps
    Reaction homeReaction{};
    std::string home;
    unsigned longTapMs = 0;
    std::array<ListedEncoder, 2> encoders;
    bool touchWindows = false;
    bool touchFiveLines = false;
    bool touchWakeUp = false;
    ListedChoice touchMode;
    ListedChoice headUnit;
};

// The image is not changed: the editor's normalisation of each event is
// applied to a copy.
ConfigDescription describeConfiguration(const ConfigImage& image);

// The parts of the listing, in its order, each with its lines as
// listConfiguration prints them and a key that names it in every language
// ("ch1.2", "event4", "home", "longTap", "encoder1", "touchPanel",
// "headUnit"), so that two configurations can be compared part by part.
enum class ListingSection { Buttons, Events, Home, Parameters };
struct ListingEntry {
    ListingSection section;
    std::string key;
    std::vector<std::string> lines;
};
std::vector<ListingEntry> listingEntries(const ConfigImage& image);
// "Buttons", "Events", "Parameters"; empty for the HOME key's line.
std::string listingSectionTitle(ListingSection section);

// One line per entry; no line ends in a newline.
std::vector<std::string> listConfiguration(const ConfigImage& image);

// The reaction as one line: the memo's lines after its blank first one,
// joined by a space ("lCtrl + A", "IR code NEC 4 / 17", "Not specified").
std::string reactionListingText(const Reaction& reaction);

} // namespace zmt
