#pragma once
// zmtctl levels [--count N]: the four channel levels as the controller reads
// them, one line every 100 ms, until stopped or N lines are printed.
#include "cli/commands.h"

namespace zmt::cli {

int runLevels(Session& session, const Arguments& arguments);

} // namespace zmt::cli
