#pragma once
// zmtctl commands that show what the window's editor shows: the last
// infrared code the controller received, and a configuration file in words.
#include "cli/commands.h"

namespace zmt::cli {

// zmtctl ir: the code as an event's trigger text ("NEC 4 / 17"), or
// "No Infrared code".
int runIr(Session& session, const Arguments& arguments);
// zmtctl show FILE.ZMT: the file's buttons, events, HOME key and parameters.
int runShow(Session& session, const Arguments& arguments);

} // namespace zmt::cli
