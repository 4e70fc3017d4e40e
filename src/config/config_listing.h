#pragma once
// A configuration in words, for reading and comparing set-ups without the
// window (zmtctl show): the learned buttons, every event that does
// something, the HOME key and the controller-wide parameters, in the
// current language. Triggers read as the event editor shows them and
// reactions as its memo describes them, because the same rules produce both.
#include "config/config_image.h"

#include <string>
#include <vector>

namespace zmt {

// One line per entry; no line ends in a newline. The image is not changed:
// the editor's normalisation of each event is applied to a copy.
std::vector<std::string> listConfiguration(const ConfigImage& image);

// The reaction as one line: the memo's lines after its blank first one,
// joined by a space ("lCtrl + A", "IR code NEC 4 / 17", "Not specified").
std::string reactionListingText(const Reaction& reaction);

} // namespace zmt
