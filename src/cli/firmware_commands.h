#pragma once
// zmtctl's firmware commands (rows of the command table):
//   flash FILE.LDR                 the window's firmware update, questions
//                                  answered by --yes or on the terminal
//   make-ldr PAYLOAD OUT.LDR ...   a firmware file around a payload
#include "cli/commands.h"

namespace zmt::cli {

int runFlash(Session& session, const Arguments& arguments);
int runMakeLdr(Session& session, const Arguments& arguments);

// "1", "1.2", "1.18" as a version x100 (at most 655.35).
bool parseVersion(const std::string& text, uint16_t& value);

} // namespace zmt::cli
