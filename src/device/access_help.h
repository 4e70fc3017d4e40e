#pragma once
// What to tell the user when the controller is plugged in but the system will
// not let this program open it (HidTransport::openDenied). The window puts
// these lines in the monitoring memo, zmtctl on stderr.
#include <string>
#include <vector>

namespace zmt {

// The rule file that grants access on Linux, as installed with the program.
const char* udevRulePath();

// The explanation in the current language, one line per element.
std::vector<std::string> accessDeniedHelp();

} // namespace zmt
