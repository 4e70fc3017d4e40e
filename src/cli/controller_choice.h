#pragma once
// Which controller a zmtctl command talks to when several are plugged in:
// the check before a device command (--serial, or the only one
// present), and --all, which runs a command on every controller in turn.
#include "cli/commands.h"

namespace zmt::cli {

// Before a command that talks to one controller: exitOk when it may go on
// (the chosen controller, or the only one present, is there and free), or
// the status after saying why not: several present and none chosen (the
// serials and how to choose), the chosen serial not present (the serials
// that are), or the controller held by another program (exitBusy). Any
// other failure is left to the command to report, as it always was.
int checkControllerChoice(Session& session);

// zmtctl --all COMMAND ... (a command of DeviceUse::OneOrAll, without
// --serial: the caller checks both): one question for the batch (or --yes), then the
// command on each controller present, one result line each; a failure does
// not stop the others. exitOk when every one succeeded, else the status of
// the first that failed.
int runOnEveryController(Session& session, const CommandRow& command, const Arguments& arguments);

} // namespace zmt::cli
