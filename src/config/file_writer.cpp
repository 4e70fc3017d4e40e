// writeFileSafely: the one place where the programs put a file on the disk.
// The standard library has no way to create a file exclusively, flush it to
// the disk or keep its owner, so those few steps use the system's own calls,
// one small wrapper each for POSIX and for Windows.
#include "config/file_result.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace zmt {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr int kCreateNew = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
constexpr int kWriteExisting = _O_WRONLY | _O_BINARY;
#else
constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
constexpr int kWriteExisting = O_WRONLY | O_CLOEXEC;
#endif

// An open file that is closed however the write ends.
class FileHandle {
public:
    FileHandle(const fs::path& file, int flags) {
#ifdef _WIN32
        _wsopen_s(&fd_, file.c_str(), flags, _SH_DENYNO, _S_IREAD | _S_IWRITE);
#else
        // Read and write for everyone the user's umask lets through, as any
        // new file of the user would get.
        fd_ = ::open(file.c_str(), flags, 0666);
#endif
    }
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool writeAll(const std::string& content) {
        std::size_t done = 0;
        while (done < content.size()) {
            const std::size_t piece = std::min<std::size_t>(content.size() - done, 1 << 20);
#ifdef _WIN32
            const int written = _write(fd_, content.data() + done, static_cast<unsigned>(piece));
#else
            const ssize_t written = ::write(fd_, content.data() + done, piece);
#endif
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            done += static_cast<std::size_t>(written);
        }
        return true;
    }
    // Cuts the file after size bytes (the old content may have been longer).
    bool truncate(std::size_t size) {
#ifdef _WIN32
        return _chsize_s(fd_, static_cast<long long>(size)) == 0;
#else
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
#endif
    }
    // On the disk, not only in the system's cache: a rename may reach the
    // disk before the data it names otherwise, and a power cut then leaves
    // an empty file under the old name.
    bool sync() {
#ifdef _WIN32
        return _commit(fd_) == 0;
#else
        return ::fsync(fd_) == 0;
#endif
    }
    // A write error may only be reported by the close.
    bool close() {
        if (fd_ < 0) return true;
#ifdef _WIN32
        const int closed = _close(fd_);
#else
        const int closed = ::close(fd_);
#endif
        fd_ = -1;
        return closed == 0;
    }

private:
    int fd_ = -1;
};

std::string reason(int error) { return std::generic_category().message(error); }

// May the user write this existing file? Asked of the system, which knows
// about groups, access lists and read-only mounts; root may write anything.
bool userMayWrite(const fs::path& file) {
#ifdef _WIN32
    // The read-only attribute shows as missing write permissions.
    std::error_code ec;
    const fs::perms perms = fs::status(file, ec).permissions();
    if (ec || (perms & fs::perms::owner_write) == fs::perms::none) return false;
    return _waccess(file.c_str(), 2) == 0;
#else
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
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

// What the target was before the save, to be given to its replacement.
struct Original {
    bool exists = false;
#ifndef _WIN32
    struct stat info {};
#endif
};

enum class Outcome { Done, Failed, NotHere };

// Gives the new file the original's owner, group and mode. False when the
// group could not be kept (the user is no member of it): replacing would
// then hand the file to another group.
bool keepAttributes([[maybe_unused]] FileHandle& file, [[maybe_unused]] const Original& original) {
#ifndef _WIN32
    if (!original.exists) return true;
    const struct stat& info = original.info;
    // Only root may give a file away; anyone may keep a group they belong to.
    if (::fchown(file.fd(), info.st_uid, info.st_gid) != 0 &&
        ::fchown(file.fd(), static_cast<uid_t>(-1), info.st_gid) != 0)
        return false;
    // After the owner: changing it clears the set-id bits.
    if (::fchmod(file.fd(), info.st_mode & 07777) != 0) return false;
#endif
    return true;
}

void syncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    // The rename itself is only safe once the folder is on the disk too.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

Outcome replaceThroughTemporary(const fs::path& target, const std::string& content, const Original& original,
                                int& error) {
    // A unique name in the same folder (a rename does not cross file
    // systems), hidden, and never one that is already there: two saves at
    // once, or a file of the user's that happens to have that name, are safe.
    std::random_device random;
    fs::path temporary;
    std::optional<FileHandle> file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        temporary = target.parent_path() / (fs::path(".") += target.filename());
        temporary += suffix;
        file.emplace(temporary, kCreateNew);
        if (file->isOpen() || errno != EEXIST) break;
    }
    if (!file->isOpen()) {
        error = errno;
        return Outcome::NotHere;   // a folder the user may not write, as a rule
    }
    const auto giveUp = [&](Outcome outcome, int why) {
        error = why;
        file->close();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return outcome;
    };
    if (!keepAttributes(*file, original)) return giveUp(Outcome::NotHere, errno);
    if (!file->writeAll(content) || !file->sync()) return giveUp(Outcome::Failed, errno);
    if (!file->close()) return giveUp(Outcome::Failed, errno);
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) return giveUp(Outcome::Failed, ec.value());
    syncFolder(target.parent_path());
    return Outcome::Done;
}

// Where no new file may be made beside it, the file itself is overwritten:
// its protection allows that, and it keeps owner, group, mode and links by
// nature. A crash half-way could leave it cut short; there is no other way.
Outcome writeInPlace(const fs::path& target, const std::string& content, int& error) {
    FileHandle file(target, kWriteExisting);
    if (!file.isOpen() || !file.writeAll(content) || !file.truncate(content.size()) || !file.sync() ||
        !file.close()) {
        error = errno;
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
        if (!fs::is_regular_file(status)) return refuse(reason(EINVAL));
        if (!userMayWrite(target)) return refuse(reason(EACCES));
#ifndef _WIN32
        if (::stat(target.c_str(), &original.info) != 0) return refuse(reason(errno));
#endif
    }

    int error = 0;
    Outcome outcome = Outcome::NotHere;
#ifndef _WIN32
    // Another name for the same file (a hard link) would keep the old
    // content if the file were replaced.
    if (!original.exists || original.info.st_nlink <= 1)
#endif
        outcome = replaceThroughTemporary(target, content, original, error);
    if (outcome == Outcome::NotHere && original.exists) outcome = writeInPlace(target, content, error);
    if (outcome != Outcome::Done) return refuse(reason(error));
    return result;
}

} // namespace zmt
