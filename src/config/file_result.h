#pragma once
// The outcome of reading or writing one of our files, kept as data so that the
// window (or zmtctl) builds the message in the language in force when it shows it.
#include <filesystem>
#include <string>
#include <vector>

namespace zmt {

enum class FileError {
    None,
    NotFound,          // no file at that path
    CannotRead,        // it exists but cannot be opened or read
    TooLarge,          // far bigger than any file of ours; refused unread
    NotConfiguration,  // readable, but holds none of the configuration sections
    CannotWrite,       // the file (or its temporary twin) cannot be written or put in place
};

struct FileResult {
    FileError error = FileError::None;
    std::string path;
    std::string detail;                 // the system's reason, when there is one
    std::vector<std::string> damaged;   // values that were read leniently (see loadConfigFile)

    bool ok() const { return error == FileError::None; }
    // The error message, or on success a warning about damaged values, in the
    // current language; empty when there is nothing to say.
    std::string text() const;
};

// A path from UTF-8 text (what the windows and the command line hand us), so
// that names outside ASCII also work where the system's narrow encoding is not UTF-8.
std::filesystem::path pathFromUtf8(const std::string& utf8);

// Reads a whole file of at most maxBytes into content.
FileResult readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content);

// Replaces the file with content through a temporary file in the same folder
// and a rename, so a crash or a full disk never leaves half a file behind. A
// symbolic link is followed, so the link itself stays.
FileResult writeFileAtomically(const std::string& path, const std::string& content);

} // namespace zmt
