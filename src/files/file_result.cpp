#include "files/file_result.h"

#include "files/file_calls.h"
#include "lang/lang.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>

namespace zmt {

namespace fs = std::filesystem;

namespace {

const char* messageFormat(FileError error) {
    switch (error) {
    case FileError::None: return "";
    case FileError::NotFound: return N_("File %s not found");
    case FileError::CannotRead: return N_("Unable to read %s");
    case FileError::TooLarge: return N_("File %s is too large");
    case FileError::NotConfiguration:
        return N_("File %s is not a configuration file");
    case FileError::CannotWrite: return N_("Unable to write to %s");
    case FileError::Incomplete:
        return N_("The snapshot %s is incomplete (cut short?) and will not be used");
    }
    return "";
}

std::string reasonOf(int error) { return std::generic_category().message(error); }
std::string systemReason() { return reasonOf(errno); }

} // namespace

std::string FileResult::text() const {
    if (ok()) {
        if (damaged.empty()) return {};
        // Name a few of the damaged values; a hostile file could have thousands.
        std::string list;
        const std::size_t shown = std::min<std::size_t>(damaged.size(), 6);
        for (std::size_t i = 0; i < shown; ++i) list += (i ? ", " : "") + damaged[i];
        if (shown < damaged.size()) list += ", ...";
        return formatText(localized("File %s was read, but some values are damaged: %s"),
                          path.c_str(), list.c_str());
    }
    std::string message = formatText(localized(messageFormat(error)), path.c_str());
    if (!detail.empty()) message += "\n" + detail;
    return message;
}

// "KEYSCH4/KEY05..KEY16, EVENTS/EVKEY01..EVKEY60": keys in a row (the same
// section, numbers one apart) as one range.
std::string keyRangesText(const std::vector<std::string>& keys) {
    const auto split = [](const std::string& key, std::string& stem, long& number) {
        std::size_t digits = key.size();
        while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
        stem = key.substr(0, digits);
        number = digits < key.size() ? std::stol(key.substr(digits, 9)) : -1;
    };
    std::string text;
    std::size_t i = 0;
    while (i < keys.size()) {
        std::string stem, nextStem;
        long number = 0, next = 0;
        split(keys[i], stem, number);
        std::size_t last = i;
        while (number >= 0 && last + 1 < keys.size()) {
            split(keys[last + 1], nextStem, next);
            if (nextStem != stem || next != number + static_cast<long>(last - i) + 1) break;
            ++last;
        }
        if (!text.empty()) text += ", ";
        text += keys[i];
        if (last > i) text += ".." + keys[last].substr(keys[last].find('/') + 1);
        i = last + 1;
    }
    return text;
}

std::string FileResult::missingText() const {
    if (!ok() || missing.empty()) return {};
    return formatText(localized("File %s lacks keys every saved configuration file has (was it cut short?): %s.\nThey "
                                "would take their default values."),
                      path.c_str(), keyRangesText(missing).c_str());
}

std::string FileResult::reason() const { return error == FileError::NotFound ? reasonOf(ENOENT) : detail; }

fs::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string notRegularFileReason() {
    return localized("Not a regular file (a pipe, a device or a socket)");
}

FileResult readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content) {
    FileResult result{FileError::None, path, {}, {}};
    const auto fail = [&result](FileError error, std::string detail) {
        result.error = error;
        result.detail = std::move(detail);
        return result;
    };
    const fs::path file = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return fail(FileError::NotFound, {});
    if (status.type() == fs::file_type::directory) return fail(FileError::CannotRead, reasonOf(EISDIR));
    // A pipe would block the window (or the command) until a writer comes,
    // and a device might never end.
    if (status.type() != fs::file_type::regular) {
        if (ec) return fail(FileError::CannotRead, ec.message());
        return fail(FileError::CannotRead, notRegularFileReason());
    }
    const int fd = files::open(file, O_RDONLY);
    if (fd < 0 && errno == ENOENT) return fail(FileError::NotFound, {});
    if (fd < 0) return fail(FileError::CannotRead, systemReason());
    result.opened = true;
    // Read to the end instead of trusting the reported size: a file may
    // grow while we read it. Checked again once open: the name may have
    // been given to a pipe since.
    std::string data;
    std::uint64_t size = 0;
    bool regular = false;
    std::string why;
    if (files::size(fd, size, regular) != 0) why = systemReason();
    else if (!regular) why = notRegularFileReason();
    else if (!files::readAll(fd, data, maxBytes)) why = systemReason();
    files::close(fd);   // nothing was written: a close error loses nothing
    if (!why.empty()) return fail(FileError::CannotRead, why);
    if (data.size() > maxBytes) return fail(FileError::TooLarge, {});
    content = std::move(data);
    return result;
}

} // namespace zmt
