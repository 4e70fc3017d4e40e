#pragma once
// zmtctl's commands. Each one is a row of the table: its name, its synopsis
// and help (both languages) and the function that runs it on the session.
// A new command is a new function and a new row; the help lists every row.
#include "cli/session.h"

#include <string>
#include <vector>

namespace zmt::cli {

// Exit status of zmtctl (also listed in --help).
enum ExitCode : int {
    exitOk = 0,
    exitUsage = 1,    // bad options or arguments
    exitDevice = 2,   // the controller failed or is not there
    exitFile = 3,     // a file cannot be read or written
    exitDeclined = 4, // a question was answered No: nothing was changed
    exitBusy = 5,     // another program holds the controller (or the state file)
};

// What a command needs of the controllers present.
enum class DeviceUse {
    None,       // no controller (show, make-ldr) or all of them (list)
    One,        // one controller: the chosen or the only one
    OneOrAll,   // the same, or each in turn with --all
};

using Arguments = std::vector<std::string>;

struct CommandRow {
    const char* name;
    const char* synopsis;   // arguments after the name, e.g. "[--count N]"
    const char* help;       // English, marked N_; one or more lines
    int (*run)(Session& session, const Arguments& arguments);
    DeviceUse use;
};

const std::vector<CommandRow>& commandTable();
const CommandRow* findCommand(const std::string& name);

// A usage error: the message and a hint at --help on stderr; returns exitUsage.
int usageError(const std::string& message);
// A device failure: the result code's text on stderr; returns exitDevice.
int deviceError(ResultCode code);

// "Nothing was changed." on stderr; returns exitDeclined.
int declined();
// The usage errors every command shares: an argument it does not take, and
// an option given without its value.
int unexpectedArgument(const std::string& argument);
int needsValue(const std::string& name);
// "--name VALUE" or "--name=VALUE" at arguments[i]: true when it is that
// option, with i advanced past its value; missing when no value follows.
bool optionValue(const Arguments& arguments, std::size_t& i, const std::string& name, std::string& value,
                 bool& missing);
// The arguments of a command whose only option is "--count N" (N from 1 to
// 1000000000); count stays 0 when it is not given. exitOk, or the usage
// error already reported.
int countOption(const Arguments& arguments, unsigned long& count);

} // namespace zmt::cli
