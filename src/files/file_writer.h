#pragma once
// Putting a file on the disk; the system calls go through files/file_calls.h.
#include "files/file_result.h"

#include <string>

namespace zmt {

// The one way the programs write a file (configuration files, settings,
// the simulated unit's state, firmware files), so that saving never defeats
// a file's own protection and never leaves half a file behind:
// - a file the user may not write (or, on Windows, a read-only one) is
//   refused with CannotWrite and left exactly as it was;
// - a symbolic link is followed to the file it names, and the link stays;
// - where the folder allows, the content goes to a new file of a unique name
//   beside the target, is flushed to the disk and renamed over the target,
//   with the target's mode, group and (where the system allows) owner; a
//   file whose group could not be kept that way is written in place instead;
// - where the folder does not allow a new file, an existing writable file is
//   written in place;
// - a new file gets the ordinary mode for new files of the user.
FileResult writeFileSafely(const std::string& path, const std::string& content);

} // namespace zmt
