#pragma once
// zmtctl list [--json]: every controller present, with its serial and what
// it says of itself, or why it cannot say (held by another program, no
// answer).
#include "cli/commands.h"

namespace zmt::cli {

int runList(Session& session, const Arguments& arguments);

} // namespace zmt::cli
