#pragma once
// The simulated controller's state file, so that several zmtctl runs act on
// one device. Plain text, one `key = value` per line, edited by hand freely:
//
//   # comment (also blank lines)
//   application_version = 117        decimal, x100 (0: only the boot loader)
//   serial = 1001                    decimal, 32 bits
//   boot_version = 100               decimal, x100
//   device_code = 1                  decimal 0..255
//   device_type = 1                  decimal 0..255
//   boot_mode = 0                    1: the boot loader runs
//   open_denied = 0                  1: listed, but opening is refused, as
//                                    for a hidraw node without the udev rule
//                                    (written only when 1)
//   config.0000 = DC 05 ...          hex bytes of the configuration memory,
//                                    starting at the decimal offset after the
//                                    dot; any number of runs, any length
//   touch = 00 00 ...                up to 10 hex bytes from offset 0
//   key_levels = FF FF FF FF         the four channel levels
//   ir_code = 00 00 00 00            the last infrared code
//   log = 01 02 0A 0B                one queued log record: type, declared
//                                    length, data (up to 32 bytes); repeat the
//                                    key for more records, oldest first
//   firmware.0000 = ...              bytes the boot loader stored, as config
//
// Keys left out keep the factory state; memory bytes not named keep their
// factory value. Hex bytes are two digits each, separated by blanks.
// Saving goes through writeFileSafely, like every file the programs write.
#include "sim/simulated_controller.h"

#include <string>

namespace zmt::sim {

// Text of a state; parse(format(s)) gives s back.
std::string formatControllerState(const ControllerState& state);
// Reads text into state (starting from the factory state). On a bad line
// returns false with a message naming the line; state is then untouched.
bool parseControllerState(const std::string& text, ControllerState& state, std::string& error);

// Files. A missing file on load is reported as an error too; callers that
// want a fresh device on first use check for existence first.
bool loadControllerState(const std::string& path, ControllerState& state, std::string& error);
bool saveControllerState(const std::string& path, const ControllerState& state, std::string& error);

} // namespace zmt::sim
