// writeFileSafely: the one place where the programs put a file on the disk.
// The system calls it makes go through files/file_calls.h, where the
// fault tests can make any one of them fail.
#include "files/file_writer.h"

#include "files/file_calls.h"
#include "lang/lang.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zmt {

namespace fs = std::filesystem;

namespace {

// An open file that is closed however the write ends.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(const fs::path& file, int flags) : fd_(files::open(file, flags)) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&& other) noexcept {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
        return *this;
    }

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // A write error may only be reported by the close.
    bool close() {
        if (fd_ < 0) return true;
        const int closed = files::close(fd_);
        fd_ = -1;
        return closed == 0;
    }

private:
    int fd_ = -1;
};

std::string reason(int error) { return std::generic_category().message(error); }

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// May the user write this existing file? Asked of the system, which knows
// about groups, access lists and read-only mounts; root may write anything.
// 0 when allowed, otherwise the system's reason (EACCES, EROFS...).
int writeRefusal(const fs::path& file) {
#ifdef _WIN32
    // The read-only attribute shows as missing write permissions.
    std::error_code ec;
    const fs::perms perms = fs::status(file, ec).permissions();
    if (ec || (perms & fs::perms::owner_write) == fs::perms::none) return EACCES;
    return _waccess(file.c_str(), 2) == 0 ? 0 : EACCES;
#else
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
#endif
}

// The file a path names once its symbolic links are followed; the links
// themselves stay as they are.
fs::path followLinks(fs::path file, std::error_code& ec) {
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(file, ec)) {
            ec.clear();
            return file;
        }
        const fs::path next = fs::read_symlink(file, ec);
        if (ec) return file;
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return file;
}

// ---- temporary files ----

// ".car.ZMT.zmt-1a2b3c4d.tmp": hidden, beside the target, and never longer
// than the longest name a file system takes (255 bytes, or UTF-16 units on
// Windows), so any file that may exist can also be saved. A long name is cut
// at a whole UTF-8 character; the random part keeps it unique.
constexpr std::size_t kLongestName = 255;
constexpr std::string_view kTemporaryMark = ".zmt-";
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kRandomDigits = 8;

std::string temporaryName(const std::string& name, unsigned random) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%.*s%08x%.*s", static_cast<int>(kTemporaryMark.size()),
                  kTemporaryMark.data(), random, static_cast<int>(kTemporaryEnd.size()), kTemporaryEnd.data());
    const std::size_t room = kLongestName - 1 - std::strlen(suffix);
    std::size_t keep = std::min(room, name.size());
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::string temporary = ".";
    temporary.append(name, 0, keep);
    temporary += suffix;
    return temporary;
}

bool isHexDigits(std::string_view text) {
    return text.size() == kRandomDigits &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A name temporaryName makes (for any target). Names of the form earlier
// versions made, ".car.ZMT.1a2b3c4d.tmp", count for their own target only:
// without our mark, nothing else says they are ours.
bool isOurTemporary(std::string_view name, std::string_view target) {
    if (name.size() > kLongestName || !name.starts_with('.') || !name.ends_with(kTemporaryEnd)) return false;
    name.remove_suffix(kTemporaryEnd.size());
    if (name.size() < kRandomDigits + 1 || !isHexDigits(name.substr(name.size() - kRandomDigits))) return false;
    name.remove_suffix(kRandomDigits);
    if (name.ends_with(kTemporaryMark)) return true;
    return name.size() == target.size() + 2 && name.substr(1, target.size()) == target && name.back() == '.';
}

// Saves into a folder hold a shared lock on it for as long as their
// temporary file exists. A save that can have the lock alone knows that no
// other save of ours is running there, so a temporary file of ours that it
// finds was left by a save that died (killed, power cut) and may go; the
// system drops a dead process's locks, so a crash never stops the cleaning.
// Where no lock can be had (a folder we may not list, a system without such
// locks) nothing is cleaned, and the save goes on without one.
class FolderLock {
public:
    FolderLock(const fs::path& folder, const std::string& target) {
#ifdef O_DIRECTORY
        fd_ = files::open(folder.empty() ? fs::path(".") : folder, O_RDONLY | O_DIRECTORY);
#endif
        if (fd_ < 0) return;
        if (files::lock(fd_, true) == 0) removeStaleTemporaries(folder, target);
        // Blocks only while another save cleans, which takes a moment. The
        // exclusive lock is dropped on the way: harmless, as our own
        // temporary file does not exist yet.
        files::lock(fd_, false);
    }
    ~FolderLock() {
        if (fd_ >= 0) files::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    static void removeStaleTemporaries(const fs::path& folder, const std::string& target) {
        std::error_code ec;
        for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, ec), end; !ec && entry != end;
             entry.increment(ec)) {
            if (isOurTemporary(utf8Of(entry->path().filename()), target) &&
                entry->symlink_status(ec).type() == fs::file_type::regular)
                files::remove(entry->path());
        }
    }

    int fd_ = -1;
};

// ---- the two ways of saving ----

// What the target was before the save, to be given to its replacement.
struct Original {
    bool exists = false;
#ifndef _WIN32
    struct stat info {};
#endif
};

enum class Outcome { Done, Failed, NotHere };

struct Failure {
    int error = 0;
    bool oldContentLost = false;   // the in-place path could not put it back
};

// Gives the new file the original's owner, group and mode. False when the
// group could not be kept (the user is no member of it): replacing would
// then hand the file to another group.
bool keepAttributes([[maybe_unused]] FileHandle& file, [[maybe_unused]] const Original& original) {
#ifndef _WIN32
    if (!original.exists) return true;
    const struct stat& info = original.info;
    // Only root may give a file away; anyone may keep a group they belong to.
    if (files::giveOwner(file.fd(), info.st_uid, info.st_gid) != 0 &&
        files::giveOwner(file.fd(), static_cast<unsigned>(-1), info.st_gid) != 0)
        return false;
    // After the owner: changing it clears the set-id bits.
    if (files::giveMode(file.fd(), info.st_mode & 07777) != 0) return false;
#endif
    return true;
}

void syncFolder([[maybe_unused]] const fs::path& folder) {
#ifdef O_DIRECTORY
    // The rename itself is only safe once the folder is on the disk too.
    FileHandle handle(folder.empty() ? fs::path(".") : folder, O_RDONLY | O_DIRECTORY);
    if (handle.isOpen()) files::sync(handle.fd());
#endif
}

// The normal way: the content goes to a new file beside the target, is
// flushed to the disk and renamed over the target in one step, so the
// target is the old file or the new one whenever the program or the system
// stops.
Outcome replaceThroughTemporary(const fs::path& target, const std::string& content, const Original& original,
                                Failure& failure) {
    const fs::path folder = target.parent_path();
    const std::string name = utf8Of(target.filename());
    const FolderLock lock(folder, name);
    // A unique name, never one that is already there: two saves at once,
    // or a file of the user's that happens to have that name, are safe.
    std::random_device random;
    fs::path temporary;
    FileHandle file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / pathFromUtf8(temporaryName(name, static_cast<unsigned>(random())));
        file = FileHandle(temporary, O_WRONLY | O_CREAT | O_EXCL);
        if (file.isOpen() || errno != EEXIST) break;
    }
    if (!file.isOpen()) {
        failure.error = errno;
        return Outcome::NotHere;   // a folder the user may not write, as a rule
    }
    const auto giveUp = [&](Outcome outcome, int why) {
        failure.error = why;
        file.close();
        files::remove(temporary);
        return outcome;
    };
    if (!keepAttributes(file, original)) return giveUp(Outcome::NotHere, errno);
    if (!files::writeAll(file.fd(), content.data(), content.size(), 0) || files::sync(file.fd()) != 0)
        return giveUp(Outcome::Failed, errno);
    if (!file.close()) return giveUp(Outcome::Failed, errno);
    if (files::rename(temporary, target) != 0) return giveUp(Outcome::Failed, errno);
    syncFolder(folder);
    return Outcome::Done;
}

// Why a file is ever rewritten in place: replacing it through a new file is
// impossible, or would change what the file is, when
//  - the folder takes no new file from this user (the file alone was made
//    writable for them);
//  - the file has a second name (a hard link), which a new file would leave
//    holding the old content;
//  - the user is no member of the file's group, and a new file would be
//    handed to another group, changing who may read it.
// The old bytes are overwritten here, so the old content is read first, the
// room for the new content is reserved before the first old byte is
// touched (a full disk or quota then fails with the file as it was), the
// new content goes in one write, and if that or anything after it fails the
// old content is written back. New content shorter than the old goes in
// with the old tail blanked in the same write (line ends for text, zeros
// otherwise), so that a crash before the truncation leaves the new content
// and nothing of the old: blank lines every ini reader skips, and a binary
// file (a firmware file) whose check then fails instead of old bytes that
// could pass for part of it.
Outcome writeInPlace(const fs::path& target, const std::string& content, Failure& failure) {
    // For reading too: the old content must be at hand to be put back.
    FileHandle file(target, O_RDWR);
    std::string old;
    if (!file.isOpen() || !files::readAll(file.fd(), old, std::string::npos - 1)) {
        failure.error = errno;
        return Outcome::Failed;
    }
    const int fd = file.fd();
    if (files::reserve(fd, content.size()) != 0) {
        failure.error = errno;
        // A reservation that grew the file (where the system cannot reserve
        // otherwise) gives the growth back.
        files::truncate(fd, old.size());
        return Outcome::Failed;
    }
    std::string blanked = content;
    if (blanked.size() < old.size()) blanked.resize(old.size(), content.find('\0') == std::string::npos ? '\n' : '\0');
    const bool written = files::writeAll(fd, blanked.data(), blanked.size(), 0) &&
                         (content.size() >= old.size() || files::truncate(fd, content.size()) == 0) &&
                         files::sync(fd) == 0;
    if (!written) {
        failure.error = errno;
        failure.oldContentLost = !(files::writeAll(fd, old.data(), old.size(), 0) &&
                                   files::truncate(fd, old.size()) == 0 && files::sync(fd) == 0);
        return Outcome::Failed;
    }
    if (!file.close()) {
        failure.error = errno;
        return Outcome::Failed;
    }
    return Outcome::Done;
}

} // namespace

FileResult writeFileSafely(const std::string& path, const std::string& content) {
    FileResult result{FileError::None, path, {}, {}};
    const auto refuse = [&result](const std::string& detail) {
        result.error = FileError::CannotWrite;
        result.detail = detail;
        return result;
    };
    std::error_code ec;
    const fs::path target = followLinks(pathFromUtf8(path), ec);
    if (ec) return refuse(ec.message());

    Original original;
    const fs::file_status status = fs::status(target, ec);
    original.exists = fs::exists(status);
    if (original.exists) {
        if (fs::is_directory(status)) return refuse(reason(EISDIR));
        // A pipe or a device is no file to save into.
        if (!fs::is_regular_file(status)) return refuse(notRegularFileReason());
        if (const int refusal = writeRefusal(target)) return refuse(reason(refusal));
#ifndef _WIN32
        if (::stat(target.c_str(), &original.info) != 0) return refuse(reason(errno));
#endif
    }

    Failure failure;
    Outcome outcome = Outcome::NotHere;
#ifndef _WIN32
    // Another name for the same file (a hard link) would keep the old
    // content if the file were replaced.
    if (!original.exists || original.info.st_nlink <= 1)
#endif
        outcome = replaceThroughTemporary(target, content, original, failure);
    if (outcome == Outcome::NotHere && original.exists) outcome = writeInPlace(target, content, failure);
    if (outcome == Outcome::Done) return result;
    std::string detail = reason(failure.error);
    if (failure.oldContentLost) {
        detail += '\n';
        detail += localized("The file's old content could not be put back");
    }
    return refuse(detail);
}

} // namespace zmt
