#pragma once
// The desktop program's command line: a few options and at most one
// configuration file to open. Plain types, so they can be parsed and tested
// before any window exists.
#include <string>
#include <vector>

namespace zmt::ui {

struct StartupOptions {
    bool simulator = false;          // run on the built-in simulated controller
    std::string simulatorStateFile;  // its state file; empty: a fresh one in memory
    // --simulator given again: one more simulated controller each, with its
    // own state file (empty: in memory).
    std::vector<std::string> moreSimulatorStateFiles;
    std::string screenshotDir;       // save pictures of the windows there and exit
    std::string configFile;          // a .ZMT file to open at start-up, made absolute; empty: none
    std::string error;               // set when the arguments make no sense
};

// args: the arguments after the program name, with the toolkit's own already removed.
StartupOptions parseCommandLine(const std::vector<std::string>& args);

// Checked before the toolkit starts (it needs a display, the answer does
// not): the first "--" option that is not ours, or "" when there is none.
// The toolkit's own options are single-dash ("-platform offscreen").
std::string unknownLongOption(const std::vector<std::string>& args);

extern const char* const kUsageText;

} // namespace zmt::ui
