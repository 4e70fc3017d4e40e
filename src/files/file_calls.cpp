#include "files/file_calls.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <stdio.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace zmt::files {

namespace {

Faults* installed = nullptr;

// 0 when the call may run; otherwise errno is set and the call is not made.
bool refused(Call call, std::size_t& size) {
    if (installed == nullptr) return false;
    const int error = installed->before(call, size);
    if (error == 0) return false;
    errno = error;
    return true;
}

bool refused(Call call) {
    std::size_t none = 0;
    return refused(call, none);
}

} // namespace

FaultScope::FaultScope(Faults& faults) : previous_(installed) { installed = &faults; }
FaultScope::~FaultScope() { installed = previous_; }

#ifndef _WIN32

int open(const std::filesystem::path& file, int flags) {
    if (refused(Call::Open)) return -1;
    // Read and write for everyone the user's umask lets through, as any new
    // file of the user would get.
    return ::open(file.c_str(), flags | O_CLOEXEC, 0666);
}

long read(int fd, void* buffer, std::size_t size) {
    if (refused(Call::Read, size)) return -1;
    return ::read(fd, buffer, size);
}

long writeAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    if (refused(Call::Write, size)) return -1;
    return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}

int size(int fd, std::uint64_t& bytes, bool& regular) {
    if (refused(Call::Size)) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return -1;
    bytes = static_cast<std::uint64_t>(info.st_size);
    regular = S_ISREG(info.st_mode);
    return 0;
}

int reserve(int fd, std::uint64_t bytes) {
    if (refused(Call::Reserve)) return -1;
    if (bytes == 0) return 0;
#ifdef __linux__
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0) return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return -1;
#endif
    const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes));
    if (error == 0) return 0;
    errno = error;
    return -1;
}

int truncate(int fd, std::uint64_t bytes) {
    if (refused(Call::Truncate)) return -1;
    return ::ftruncate(fd, static_cast<off_t>(bytes));
}

int sync(int fd) {
    if (refused(Call::Sync)) return -1;
    return ::fsync(fd);
}

int close(int fd) {
    if (refused(Call::Close)) {
        // Linux frees the descriptor even when close reports an error.
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return ::close(fd);
}

int rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (refused(Call::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int remove(const std::filesystem::path& file) {
    if (refused(Call::Remove)) return -1;
    return ::unlink(file.c_str());
}

int lock(int fd, bool exclusive) {
    if (refused(Call::Lock)) return -1;
    return ::flock(fd, exclusive ? LOCK_EX | LOCK_NB : LOCK_SH);
}

int giveOwner(int fd, unsigned owner, unsigned group) {
    if (refused(Call::Owner)) return -1;
    return ::fchown(fd, static_cast<uid_t>(owner), static_cast<gid_t>(group));
}

int giveMode(int fd, unsigned mode) {
    if (refused(Call::Mode)) return -1;
    return ::fchmod(fd, static_cast<mode_t>(mode));
}

#else

int open(const std::filesystem::path& file, int flags) {
    if (refused(Call::Open)) return -1;
    int fd = -1;
    const errno_t error = _wsopen_s(&fd, file.c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                                    _S_IREAD | _S_IWRITE);
    if (error != 0) errno = error;
    return fd;
}

long read(int fd, void* buffer, std::size_t size) {
    if (refused(Call::Read, size)) return -1;
    return _read(fd, buffer, static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30)));
}

long writeAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    if (refused(Call::Write, size)) return -1;
    if (_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
    return _write(fd, data, static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30)));
}

int size(int fd, std::uint64_t& bytes, bool& regular) {
    if (refused(Call::Size)) return -1;
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return -1;
    bytes = static_cast<std::uint64_t>(info.st_size);
    regular = (info.st_mode & _S_IFMT) == _S_IFREG;
    return 0;
}

int reserve(int fd, std::uint64_t bytes) {
    if (refused(Call::Reserve)) return -1;
    // No reservation that keeps the size: growing the file allocates its tail.
    const long long now = _filelengthi64(fd);
    if (now < 0) return -1;
    if (static_cast<std::uint64_t>(now) >= bytes) return 0;
    const errno_t error = _chsize_s(fd, static_cast<long long>(bytes));
    if (error == 0) return 0;
    errno = error;
    return -1;
}

int truncate(int fd, std::uint64_t bytes) {
    if (refused(Call::Truncate)) return -1;
    const errno_t error = _chsize_s(fd, static_cast<long long>(bytes));
    if (error == 0) return 0;
    errno = error;
    return -1;
}

int sync(int fd) {
    if (refused(Call::Sync)) return -1;
    return _commit(fd);
}

int close(int fd) {
    if (refused(Call::Close)) {
        const int error = errno;
        _close(fd);
        errno = error;
        return -1;
    }
    return _close(fd);
}

int rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (refused(Call::Rename)) return -1;
    // Replaces an existing target, which _wrename does not.
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (!ec) return 0;
    errno = ec.default_error_condition().value();
    return -1;
}

int remove(const std::filesystem::path& file) {
    if (refused(Call::Remove)) return -1;
    return _wremove(file.c_str());
}

int lock(int, bool) {
    if (refused(Call::Lock)) return -1;
    errno = ENOTSUP;
    return -1;
}

int giveOwner(int, unsigned, unsigned) { return refused(Call::Owner) ? -1 : 0; }
int giveMode(int, unsigned) { return refused(Call::Mode) ? -1 : 0; }

#endif

bool writeAll(int fd, const char* data, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t piece = std::min<std::size_t>(size - done, std::size_t{1} << 20);
        const long written = writeAt(fd, data + done, piece, offset + done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            // Only a zero-length write may write nothing; a disk that takes
            // no byte and says no error is failing all the same.
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool readAll(int fd, std::string& out, std::size_t limit) {
    out.clear();
    char buffer[16384];
    while (out.size() <= limit) {
        const long got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

} // namespace zmt::files
