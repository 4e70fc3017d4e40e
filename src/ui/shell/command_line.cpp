#include "ui/shell/command_line.h"

namespace zmt::ui {

const char* const kUsageText =
    "Usage: zmtsetup [options]\n"
    "Sets up the ZEL MORVA TOUCH controller.\n"
    "\n"
    "  --simulator          work with the built-in simulated controller\n"
    "  --simulator=FILE     the same, keeping its state in FILE\n"
    "  --screenshot DIR     save pictures of the main window in both languages to DIR and exit\n"
    "  --help               show this text and exit\n"
    "  --version            show the program version and exit\n";

std::string unknownLongOption(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) continue;
        if (arg == "--screenshot") {
            ++i;  // its folder may look like anything
            continue;
        }
        const std::vector<std::string> single{args[i]};
        const std::string error = parseCommandLine(single).error;
        if (error.rfind("unknown option", 0) == 0) return arg;
    }
    return {};
}

StartupOptions parseCommandLine(const std::vector<std::string>& args) {
    StartupOptions options;
    const std::string simulatorWithFile = "--simulator=";
    const std::string screenshotWithDir = "--screenshot=";
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            // Ours, but answered by main() before any window exists.
        } else if (arg == "--simulator") {
            options.simulator = true;
        } else if (arg.rfind(simulatorWithFile, 0) == 0) {
            options.simulator = true;
            options.simulatorStateFile = arg.substr(simulatorWithFile.size());
            if (options.simulatorStateFile.empty()) options.error = "--simulator= needs a file name";
        } else if (arg == "--screenshot") {
            if (i + 1 < args.size()) options.screenshotDir = args[++i];
            else options.error = "--screenshot needs a folder";
        } else if (arg.rfind(screenshotWithDir, 0) == 0) {
            options.screenshotDir = arg.substr(screenshotWithDir.size());
            if (options.screenshotDir.empty()) options.error = "--screenshot= needs a folder";
        } else {
            options.error = "unknown option: " + arg;
        }
    }
    return options;
}

} // namespace zmt::ui
