#pragma once
// zmtctl's quick set-up: the catalogue of functions, giving one button a
// function from a script, and the guided set-up on a terminal. The rules
// are the core's (src/setup), the same the window follows.
#include "cli/commands.h"

namespace zmt::cli {

// zmtctl functions: the catalogue, one line each (--json: an array).
int runFunctions(Session& session, const Arguments& arguments);
// zmtctl assign BUTTON FUNCTION [--long FUNCTION]
int runAssign(Session& session, const Arguments& arguments);
// zmtctl quick-setup [--functions LIST]
int runQuickSetup(Session& session, const Arguments& arguments);

} // namespace zmt::cli
