#pragma once
// The rules of giving a button a function, shared by the quick set-up and
// `zmtctl assign`: which learned button a level is (or which slot a new one
// takes), which events already fire on a press of it, and how a function
// takes a press's place among the events.
//
// A button with one function gets an "any press" event, so holding it (the
// volume) works as before; a button with a short and a long function gets a
// short-press event and a long-press event.
#include "config/config_image.h"
#include "setup/function_catalogue.h"
#include "setup/press_detection.h"
#include "lang/lang.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zmt::setup {

// The part of the image a set-up may change: the learned flag, the
// thresholds, the buttons and the events; the parameters after them are
// never touched.
inline constexpr std::size_t kSetupImageBytes = offsetof(ConfigImage, longPressTimeout);

// What the refusals say (formats marked N_: the channel counted from 1).
inline constexpr const char* kChannelFullText = N_("Channel %d already holds 15 buttons: no new one fits");
inline constexpr const char* kNoFreeEventText = N_("All 60 events are in use: there is no room for the function");

struct ButtonPlace {
    int channel = 0;   // grid column 0..3
    int row = 0;       // grid row 1..15
    bool operator==(const ButtonPlace&) const = default;
};

enum class PressLength { Short, Long };

// The events that fire when the button alone is pressed this long: those
// with the button as key, no modifier, and a type that fires on that press
// (an any-press event fires on both). In increasing order.
std::vector<int> eventsOnPress(const ConfigImage& image, ButtonPlace button, PressLength length);

struct PlacedButton {
    enum Kind { Known, Learned, ChannelFull } kind = Known;
    ButtonPlace place;
};
// The button read at level on channel: the learned one within reach of the
// level (its name kept when it has one of its own), or a new one in the
// channel's first free slot. A new or unnamed button is called shortName
// unless another button already goes by that name (it then keeps its
// automatic label). ChannelFull changes nothing.
PlacedButton placeButton(ConfigImage& image, int channel, uint8_t level, const std::string& shortName);

// The learned button that goes by name (its own or its automatic label).
std::optional<ButtonPlace> findButtonByName(const ConfigImage& image, const std::string& name);

// Makes the press send the choice's reaction in a free event. keepOld
// false: the events that fire on this press give it up first (one that
// fires on this press only is cleared, an any-press event keeps the other
// press). Returns the event used, or -1 when none is free (then nothing
// changed). Not for "nothing": see switchOff.
int assignPress(ConfigImage& image, ButtonPlace button, PressLength length, const FunctionChoice& choice,
                bool keepOld);
// "nothing": every event the button alone triggers is cleared.
void switchOff(ConfigImage& image, ButtonPlace button);
// An any-press event of a button that now has a long-press function keeps
// only its short press.
void keepShortOnly(ConfigImage& image, int event);

// After new buttons were learned: tolerances and channel thresholds from
// the idle levels, and the buttons counted as learned (as learning leaves them).
void settleChannels(ConfigImage& image, const ChannelLevels& idleMaximum);

// What the events do, one line each: "Short press: Volume up (event 3)".
std::vector<std::string> describeEvents(const ConfigImage& image, const std::vector<int>& events);
// What a press of the button does now: the functions of its events, joined.
std::string pressText(const ConfigImage& image, ButtonPlace button, PressLength length);

} // namespace zmt::setup
