// zmtctl: the command-line companion of zmtsetup. It shares the core with the
// window: the same transport, link and connection watch, driven from a
// terminal instead of timers.
#include "cli/commands.h"
#include "device/access_help.h"
#include "cli/controller_choice.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace zmt::cli {
namespace {

struct CommandLine {
    GlobalOptions options;
    bool help = false;
    bool version = false;
    std::string command;
    Arguments arguments;
};

// The language of the locale LC_ALL, LC_MESSAGES or LANG names (the first
// set), when a catalogue of it is built in; English otherwise. --lang
// overrides it.
std::string languageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return setLanguage(value) ? languageCode() : kSourceLanguage;
    }
    return kSourceLanguage;
}

bool parseLanguage(const std::string& value, std::string& language) {
    if (!setLanguage(value)) return false;
    language = languageCode();
    return true;
}

// Global options are taken wherever they stand; the first other word is the
// command and everything else belongs to it. Returns exitOk or a usage error.
int parseCommandLine(int argc, char** argv, CommandLine& line) {
    line.options.language = languageFromEnvironment();
    // --lang is applied first, so that every later message is in its language.
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") break;
        if (argument == "--lang" && i + 1 < argc) parseLanguage(argv[i + 1], line.options.language);
        if (argument.rfind("--lang=", 0) == 0) parseLanguage(argument.substr(7), line.options.language);
    }
    setLanguage(line.options.language);

    bool onlyArguments = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (onlyArguments || argument.empty() || argument[0] != '-') {
            if (line.command.empty()) line.command = argument;
            else line.arguments.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyArguments = true;
        } else if (argument == "--simulator") {
            line.options.simulator = true;
        } else if (argument.rfind("--simulator=", 0) == 0) {
            line.options.simulator = true;
            const std::string file = argument.substr(12);
            if (file.empty())
                return usageError(localized("--simulator=: the file name is missing"));
            // Each file more is one simulated controller more.
            if (line.options.stateFile) line.options.moreUnits.push_back(file);
            else line.options.stateFile = file;
        } else if (argument == "--serial" || argument.rfind("--serial=", 0) == 0) {
            std::string value;
            if (argument == "--serial") {
                if (i + 1 == argc) return usageError(localized("--serial needs a number"));
                value = argv[++i];
            } else {
                value = argument.substr(9);
            }
            const auto serial = parseUnsigned(value, 0xFFFFFFFFUL);
            if (!serial)
                return usageError(formatText(localized("--serial: '%s' is not a serial number"),
                                             value.c_str()));
            line.options.serial = static_cast<uint32_t>(*serial);
        } else if (argument == "--all") {
            line.options.all = true;
        } else if (argument == "--lang" || argument.rfind("--lang=", 0) == 0) {
            std::string value;
            if (argument == "--lang") {
                // The two languages shipped; a catalogue added later is taken
                // all the same, it only goes unnamed here.
                if (i + 1 == argc) return usageError(localized("--lang needs ru or en"));
                value = argv[++i];
            } else {
                value = argument.substr(7);
            }
            if (!parseLanguage(value, line.options.language))
                return usageError(formatText(localized("--lang: '%s' is neither ru nor en"),
                                             value.c_str()));
        } else if (argument == "--json") {
            line.options.json = true;
        } else if (argument == "--log") {
            line.options.exchangeLog = true;
        } else if (argument == "--yes" || argument == "-y") {
            line.options.yes = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if ((argument == "--version" || argument == "-V") && line.command != "make-ldr") {
            // make-ldr has a --version of its own: the version written into the file.
            line.version = true;
        } else if (!line.command.empty()) {
            line.arguments.push_back(argument);   // the command's own option
        } else {
            return usageError(formatText(localized("unknown option '%s'"),
                                         argument.c_str()));
        }
    }
    return exitOk;
}

void printHelp() {
    std::printf("%s", localized(
        "NAME\n    zmtctl - configure the ZEL MORVA TOUCH controller from the command "
        "line\n\nSYNOPSIS\n    zmtctl [OPTIONS] COMMAND [ARGUMENTS]\n\nDESCRIPTION\n    Finds the "
        "controller on USB (or the in-process simulated controller) and\n    runs one command. The "
        "command's output goes to stdout; errors,\n    questions, the exchange log and the "
        "progress bar (on a terminal only)\n    go to stderr.\n\nOPTIONS\n    --simulator[=FILE]\n "
        "       Use the simulated controller instead of USB. With FILE its state is\n        "
        "loaded from the file and saved back after the command (through a\n        temporary "
        "file); a file that does not exist gives a new controller.\n        The file format is "
        "described in docs/simulator.md. Each further\n        --simulator=FILE adds one more "
        "controller (new ones are numbered\n        1001, 1002...). A file another run holds gives "
        "status 5.\n    --serial N\n        Talk to the controller with serial number N. Without "
        "it, when\n        several controllers are connected, a command does nothing and\n        "
        "lists them (status 1).\n    --all\n        For write, defaults, reset and flash: each "
        "connected controller\n        in turn, one result line each; a failure on one does not "
        "stop\n        the others. One question covers them all (see --yes).\n    --lang ru|en\n   "
        "     Language of the messages: ru, en or another language built in.\n"
        "        By default the one LC_ALL, LC_MESSAGES or LANG names (Russian\n"
        "        when it starts with \"ru\"), English when none is built in.\n    --json\n        For info, list, show, ir, history, "
        "diff and functions: JSON on\n        stdout instead of text (its fields are listed in "
        "zmtctl(1)). Errors\n        and exit statuses stay the same.\n    --log\n        Print "
        "the exchange log on stderr, one line per frame (identity\n        frames are not "
        "logged).\n    -y, --yes\n        Answer Yes to every question. Without it a question is "
        "asked on\n        the terminal, and answered No when stdin is not a terminal.\n    -h, "
        "--help\n        This help.\n    -V, --version\n        The program's "
        "version.\n\nCOMMANDS\n"));
    for (const CommandRow& command : commandTable()) {
        std::printf("    %s%s%s\n", command.name, *command.synopsis ? " " : "", command.synopsis);
        std::string help = localized(command.help);
        std::size_t start = 0;
        while (start <= help.size()) {
            const std::size_t end = help.find('\n', start);
            std::printf("        %s\n", help.substr(start, end == std::string::npos ? std::string::npos : end - start).c_str());
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    std::printf("%s", localized(
        "\nEXIT STATUS\n    0   success\n    1   bad options or arguments\n    2   the controller "
        "failed or is not connected (its text on stderr)\n    3   a file cannot be read or "
        "written\n    4   a question was answered No, or the change was refused: nothing was "
        "changed\n    5   another program holds the controller (or the simulator state "
        "file)\n\nEXAMPLES\n    zmtctl info\n    zmtctl --simulator=unit.sim --lang en info\n    "
        "zmtctl --simulator=unit.sim monitor --count 5\n    zmtctl read car.ZMT\n    zmtctl --yes "
        "write car.ZMT\n    zmtctl assign VOL+ volume-up --long mute\n"));
}

int run(int argc, char** argv) {
    CommandLine line;
    if (const int status = parseCommandLine(argc, argv, line); status != exitOk) return status;
    if (line.help) {
        printHelp();
        return exitOk;
    }
    if (line.version) {
        std::printf("zmtctl %s\n", kProgramVersion);
        return exitOk;
    }
    if (line.command.empty()) return usageError(localized("no command given"));
    const CommandRow* command = findCommand(line.command);
    if (command == nullptr)
        return usageError(formatText(localized("unknown command '%s'"),
                                     line.command.c_str()));

    // Only these commands have facts to hand to a script; any other would
    // print text where a script expects JSON.
    if (line.options.json && line.command != "info" && line.command != "list" && line.command != "show" &&
        line.command != "ir" && line.command != "history" &&
        line.command != "diff" && line.command != "functions")
        return usageError(formatText(localized("--json works only with info, list, show, ir, history, diff and functions, not with '%s'"),
                                     line.command.c_str()));
    if (line.options.all && command->use != DeviceUse::OneOrAll)
        return usageError(formatText(localized("--all works only with write, defaults, reset and flash, not with '%s'"),
                                     line.command.c_str()));
    if (line.options.all && line.options.serial)
        return usageError(localized("--serial and --all exclude each other"));

    // The name the hold gives others when they find a controller busy.
    ControllerHold::setProgramName("zmtctl");
    Session session(line.options);
    std::string error;
    if (!session.loadState(error)) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Simulator state file error: %s"),
                                error.c_str()).c_str());
        return session.stateFileBusy() ? exitBusy : exitFile;
    }
    int status = exitOk;
    if (line.options.all) status = runOnEveryController(session, *command, line.arguments);
    else if (command->use != DeviceUse::None) status = checkControllerChoice(session);
    if (!line.options.all && status == exitOk) status = command->run(session, line.arguments);
    // "Disconnected" alone would send the user looking for a cable fault
    // when the controller is there but its node is locked.
    if (status == exitDevice && session.transport().openDenied())
        for (const std::string& help : accessDeniedHelp()) std::fprintf(stderr, "%s\n", help.c_str());
    session.host().progressHide();
    // A usage error never reached the device. Any other end keeps its
    // state, a failed command too: what it did before failing (records
    // read, bytes written) really happened.
    if (status == exitUsage) return status;
    if (!session.saveState(error)) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Cannot write the simulator state file: %s"),
                                error.c_str()).c_str());
        return status != exitOk ? status : exitFile;
    }
    return status;
}

// A run whose output did not reach standard output in full (a reader that
// went away, a full disk under a redirection) has not done what it was
// asked, whatever the command says. A reader gone ends it by SIGPIPE, as
// other tools end in a pipe; it is ignored until then only so that the
// simulated controller's state is saved first.
int endOutput(int status) {
    int error = std::fflush(stdout) != 0 ? errno : 0;
    if (error == 0 && std::ferror(stdout)) error = TerminalHost::outputError != 0 ? TerminalHost::outputError : EIO;
    if (error == 0) return status;
#ifdef SIGPIPE
    if (error == EPIPE) {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
#endif
    std::fprintf(stderr, "%s: %s\n",
                 localized("Error writing to standard output"),
                 std::strerror(error));
    return status != exitOk ? status : exitFile;
}

} // namespace
} // namespace zmt::cli

int main(int argc, char** argv) {
    zmt::cli::TerminalHost::ignoreBrokenPipe();
    zmt::cli::TerminalHost::useUtf8Console();
    std::vector<std::string> arguments = zmt::cli::TerminalHost::utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return zmt::cli::endOutput(zmt::cli::run(static_cast<int>(arguments.size()), pointers.data()));
}
