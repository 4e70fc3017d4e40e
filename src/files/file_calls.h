#pragma once
// The system calls through which the programs read and write their files,
// in one place for two reasons: the POSIX and Windows forms differ, and the
// fault tests must be able to make any single one of them fail the way a
// disk or a file system can (EIO, ENOSPC, EDQUOT, EINTR, a short read or
// write), to check that no file is damaged and no failure passes for
// success. Each function returns what its system call returns: -1 (or an
// error number where noted) with errno set on failure.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace zmt::files {

enum class Call { Open, Read, Write, Size, Reserve, Truncate, Sync, Close, Rename, Remove, Lock, Owner, Mode };

// Asked before each call while installed: 0 lets the call run, anything else
// is the errno it fails with, without running. A read or a write may be cut
// shorter by lowering size (never to 0).
class Faults {
public:
    virtual ~Faults() = default;
    virtual int before(Call call, std::size_t& size) = 0;
};

// Installs faults for its lifetime. Tests only: the programs never do, and
// the hook is not meant for more than one thread.
class FaultScope {
public:
    explicit FaultScope(Faults& faults);
    ~FaultScope();
    FaultScope(const FaultScope&) = delete;
    FaultScope& operator=(const FaultScope&) = delete;

private:
    Faults* previous_;
};

// The flags are the system's own (O_RDONLY, O_WRONLY | O_CREAT | O_EXCL...);
// binary and close-on-exec are added here. New files get the ordinary mode
// for new files of the user.
int open(const std::filesystem::path& file, int flags);
long read(int fd, void* buffer, std::size_t size);
// At offset, not at the file position.
long writeAt(int fd, const void* data, std::size_t size, std::uint64_t offset);
// The file's size; regular is false for a pipe, a device or a folder.
int size(int fd, std::uint64_t& bytes, bool& regular);
// Makes sure the disk has room for the file to hold bytes, so that the
// writes that follow cannot run out of space half-way. Where the system
// can reserve blocks without changing the size it does so; elsewhere the
// file grows to bytes, its new tail zeros (the old bytes stay as they were).
int reserve(int fd, std::uint64_t bytes);
int truncate(int fd, std::uint64_t bytes);
int sync(int fd);
int close(int fd);
int rename(const std::filesystem::path& from, const std::filesystem::path& to);
int remove(const std::filesystem::path& file);
// An advisory lock on an open file or folder (flock): shared, or exclusive
// and only when nobody else holds one. Released by closing the descriptor,
// and by the system when the process dies. Returns -1 with ENOTSUP where the
// system has no such locks.
int lock(int fd, bool exclusive);
// The owner and group, then the mode, of an open file (POSIX; a no-op elsewhere).
int giveOwner(int fd, unsigned owner, unsigned group);
int giveMode(int fd, unsigned mode);

// Built on the calls above, so faults reach them too; false with errno set.
// All of data at offset, through short writes and interruptions.
bool writeAll(int fd, const char* data, std::size_t size, std::uint64_t offset);
// From the file position to the end, but no more than limit + 1 bytes, so
// that a file over the limit shows without being read whole.
bool readAll(int fd, std::string& out, std::size_t limit);

} // namespace zmt::files
