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
    Incomplete,        // a snapshot that lacks what it says it holds (cut short): never put back
};

struct FileResult {
    FileError error = FileError::None;
    std::string path;
    std::string detail;                 // the system's reason, when there is one
    std::vector<std::string> damaged;   // values that were read leniently (see loadConfigFile)
    // Keys every saved configuration file has that this one lacks, as
    // "SECTION/KEY" (see loadConfigFile); they took their defaults.
    std::vector<std::string> missing = {};
    bool opened = false;                // readWholeFile: CannotRead came from reading, not opening

    bool ok() const { return error == FileError::None; }
    // The error message, or on success a warning about damaged values, in the
    // current language; empty when there is nothing to say.
    std::string text() const;
    // On success with keys missing, the warning that names them (ranges of
    // keys in a row shortened, "EVENTS/EVKEY31..EVKEY60"); empty otherwise.
    std::string missingText() const;
    // The system's reason alone ("No such file or directory" for NotFound,
    // whose text() says so in its own words); empty when there is none.
    std::string reason() const;
};

// A path from UTF-8 text (what the windows and the command line hand us), so
// that names outside ASCII also work where the system's narrow encoding is not UTF-8.
std::filesystem::path pathFromUtf8(const std::string& utf8);

// Reads a whole file of at most maxBytes into content. Anything but a
// complete read is an error with the system's reason (EIO, EISDIR...);
// content is then left as it was, so a file that could not be read is never
// taken for an empty one. A pipe or a device is refused unread.
FileResult readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content);

// The reason given for a pipe, a device or a socket where a file is wanted.
std::string notRegularFileReason();

} // namespace zmt
