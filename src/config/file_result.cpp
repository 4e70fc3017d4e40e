#include "config/file_result.h"

#include "lang/lang.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace zmt {

namespace fs = std::filesystem;

namespace {

const char* messageFormat(FileError error) {
    switch (error) {
    case FileError::None: return "";
    case FileError::NotFound: return "Файл %s не найден\0File %s not found";
    case FileError::CannotRead: return "Не удаётся прочитать файл %s\0Unable to read %s";
    case FileError::TooLarge: return "Файл %s слишком большой\0File %s is too large";
    case FileError::NotConfiguration:
        return "Файл %s не является файлом конфигурации\0File %s is not a configuration file";
    case FileError::CannotWrite: return "Не удаётся записать файл %s\0Unable to write to %s";
    }
    return "";
}

std::string systemReason() { return std::strerror(errno); }

} // namespace

std::string FileResult::text() const {
    if (ok()) {
        if (damaged.empty()) return {};
        // Name a few of the damaged values; a hostile file could have thousands.
        std::string list;
        const std::size_t shown = std::min<std::size_t>(damaged.size(), 6);
        for (std::size_t i = 0; i < shown; ++i) list += (i ? ", " : "") + damaged[i];
        if (shown < damaged.size()) list += ", ...";
        return formatText(LangText("Файл %s прочитан, но часть значений повреждена: %s\0"
                                   "File %s was read, but some values are damaged: %s"),
                          path.c_str(), list.c_str());
    }
    std::string message = formatText(LangText(messageFormat(error)), path.c_str());
    if (!detail.empty()) message += "\n" + detail;
    return message;
}

fs::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

FileResult readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content) {
    FileResult result{FileError::None, path, {}, {}};
    const fs::path file = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) {
        result.error = FileError::NotFound;
        return result;
    }
    if (status.type() == fs::file_type::directory) {
        result.error = FileError::CannotRead;
        result.detail = std::make_error_code(std::errc::is_a_directory).message();
        return result;
    }
    // A pipe or a device would block the window or never end.
    if (status.type() != fs::file_type::regular) {
        result.error = FileError::CannotRead;
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = FileError::CannotRead;
        result.detail = systemReason();
        return result;
    }
    // Read in pieces instead of trusting the reported size: devices and pipes
    // report none, and a file may grow while we read it.
    std::string data;
    char buffer[16384];
    while (in) {
        in.read(buffer, sizeof buffer);
        data.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (data.size() > maxBytes) {
            result.error = FileError::TooLarge;
            return result;
        }
    }
    if (in.bad()) {
        result.error = FileError::CannotRead;
        result.detail = systemReason();
        return result;
    }
    content = std::move(data);
    return result;
}

} // namespace zmt
