#include "device/controller_hold.h"

#include "lang/lang.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace zmt {

namespace {

// The executable's own name, for a program that did not name itself.
std::string executableName() {
#ifdef _WIN32
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    std::wstring name(path, length > MAX_PATH ? 0 : length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && name.substr(name.size() - 4) == L".exe") name.resize(name.size() - 4);
    std::string narrow;
    for (wchar_t c : name) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
#else
    char name[64] = {};
    std::FILE* comm = std::fopen("/proc/self/comm", "r");
    if (comm == nullptr) return {};
    const bool read = std::fgets(name, sizeof name, comm) != nullptr;
    std::fclose(comm);
    std::string text = read ? name : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
#endif
}

std::string& programName() {
    static std::string name = executableName();
    return name;
}

// Longest readable part of a lock file's name; the hash keeps it unique.
constexpr std::size_t kNamePartMax = 60;
constexpr std::size_t kContentMax = 256;

uint64_t fnv1a(std::string_view text) {
    uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

// "program\npid\nserial\n"; the serial line is empty until known. Always
// kContentSize bytes (blank lines after the three), so that rewriting it
// never truncates the file: on a disk file system a truncation costs
// milliseconds, on every controller a list holds.
constexpr std::size_t kContentSize = 96;
std::string contentText(std::optional<uint32_t> serial) {
#ifdef _WIN32
    const long pid = static_cast<long>(GetCurrentProcessId());
#else
    const long pid = static_cast<long>(getpid());
#endif
    std::string text = programName().substr(0, 64) + "\n" + std::to_string(pid) + "\n" +
                       (serial ? std::to_string(*serial) : std::string()) + "\n";
    text.resize(kContentSize, '\n');
    return text;
}

HolderInfo parseContent(const std::string& text) {
    HolderInfo holder;
    std::size_t start = 0;
    std::string lines[3];
    for (std::string& line : lines) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;
        line = text.substr(start, end - start);
        start = end + 1;
    }
    // What another program wrote is read as data: a name with control
    // characters or a number that is none is left out, never trusted.
    for (char c : lines[0])
        if (static_cast<unsigned char>(c) < 0x20) return holder;
    holder.program = lines[0].substr(0, 64);
    char* end = nullptr;
    const long pid = std::strtol(lines[1].c_str(), &end, 10);
    if (end != lines[1].c_str() && *end == '\0' && pid > 0) holder.processId = pid;
    const unsigned long long serial = std::strtoull(lines[2].c_str(), &end, 10);
    if (!lines[2].empty() && *end == '\0' && serial <= 0xFFFFFFFFULL) holder.serial = static_cast<uint32_t>(serial);
    return holder;
}

enum class LockResult { Taken, HeldElsewhere, Failed };

// "%s: <system's words>" for failure().
std::string systemFailure(const char* literal, const std::string& path, const std::string& reason) {
    return formatText(localized(literal), path.c_str(), reason.c_str());
}

constexpr const char* kCannotOpenLiteral = N_("cannot open %s: %s");
constexpr const char* kCannotLockLiteral = N_("cannot lock %s: %s");

#ifdef _WIN32
// The lock sits on a byte far past the content, so that others may read
// the content while it is held (Windows byte locks keep readers out).
constexpr DWORD kLockOffsetHigh = 0;
constexpr DWORD kLockOffsetLow = 0x40000000;

std::wstring wide(const std::string& utf8) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring text(count > 0 ? static_cast<std::size_t>(count) : 1, L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), count);
    text.resize(text.size() - 1);
    return text;
}

std::string systemText(DWORD error) {
    char buffer[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

// Deleted when the last program lets go of it; a link in its place is not
// followed (the reparse point is opened, and is no file we lock).
HANDLE openLockFile(const std::string& path) {
    return CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

LockResult lockNow(HANDLE file) {
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return LockResult::Taken;
    return GetLastError() == ERROR_LOCK_VIOLATION ? LockResult::HeldElsewhere : LockResult::Failed;
}

std::string readContent(HANDLE file) {
    char buffer[kContentMax];
    DWORD got = 0;
    OVERLAPPED at{};
    if (!ReadFile(file, buffer, sizeof buffer, &got, &at)) return {};
    return std::string(buffer, got);
}

void writeAt(HANDLE file, const std::string& text) {
    OVERLAPPED at{};
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, &at);
}

void closeHandle(HANDLE file) { CloseHandle(file); }
#else
// A folder only this user (or the system) can write: nobody else can put a
// file or a link of their choosing there. "" when it is one, else why not.
std::string unsafeFolderReason(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return std::strerror(errno);
    if (!S_ISDIR(status.st_mode)) return std::strerror(ENOTDIR);
    if ((status.st_uid != geteuid() && status.st_uid != 0) || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return localized("other users can write to this folder");
    return {};
}

// Opens (or makes) a lock file without following a link, and only when it
// is a plain file of this user's with no other name.
int openLockFile(const std::string& path, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid() || status.st_nlink != 1) {
        why = localized("it is not a plain file of this user's");
        ::close(fd);
        return -1;
    }
    return fd;
}

// An open-file-description lock: like flock() it belongs to this open of
// the file (so two holds in one program exclude each other too) and goes
// when the program ends, but it is a call of its own, apart from the
// flock() the file writer takes on the files it replaces.
LockResult lockNow(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    while (fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EACCES ? LockResult::HeldElsewhere : LockResult::Failed;
    }
    return LockResult::Taken;
}

// The device's own lock, the one flock(1) and other tools see too.
LockResult lockDevice(int fd) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Failed;
    }
    return LockResult::Taken;
}

// The file at path is still the one open as fd: a lock taken on a file that
// its holder removed just before holds nothing.
bool stillNamed(int fd, const std::string& path) {
    struct stat open {}, named {};
    return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

std::string readContent(int fd) {
    char buffer[kContentMax];
    const ssize_t got = pread(fd, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

void writeAt(int fd, const std::string& text) {
    // Best effort: the lock is what keeps others out; the text only names us.
    [[maybe_unused]] const ssize_t written = pwrite(fd, text.data(), text.size(), 0);
}

// Who holds a flock on the open device fd, as the system lists it
// (/proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:05:567 0 EOF"); 0 when
// it does not say.
long deviceLockHolder(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0) return 0;
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(status.st_dev), minor(status.st_dev),
                  static_cast<unsigned long long>(status.st_ino));
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (locks == nullptr) return 0;
    long holder = 0;
    char line[256];
    while (holder == 0 && std::fgets(line, sizeof line, locks) != nullptr) {
        char kind[16] = {}, arrow[4] = {}, device[64] = {};
        long pid = 0;
        // A program waiting for the lock is listed with "->"; it holds nothing.
        if (std::sscanf(line, "%*d: %3s", arrow) == 1 && std::strcmp(arrow, "->") == 0) continue;
        if (std::sscanf(line, "%*d: %15s %*s %*s %ld %63s", kind, &pid, device) == 3 &&
            std::strcmp(kind, "FLOCK") == 0 && std::strcmp(device, wanted) == 0)
            holder = pid;
    }
    std::fclose(locks);
    return holder;
}

// A process's own name (/proc/PID/comm), read as data.
std::string processName(long pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/comm", pid);
    std::FILE* comm = std::fopen(path, "re");
    if (comm == nullptr) return {};
    char name[64] = {};
    const bool read = std::fgets(name, sizeof name, comm) != nullptr;
    std::fclose(comm);
    std::string text = read ? name : "";
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20) return {};
    return text;
}

void closeHandle(int fd) { ::close(fd); }
#endif

// The note beside a device hold: the same three lines as a lock file, in
// the lock folder, for others of this user to read. Best effort: the device
// lock alone keeps others out.
std::string noteFileFor(const std::string& path) {
    std::string name = ControllerHold::lockFileFor(path);
    if (name.empty()) return name;
    return name.substr(0, name.size() - 5) + ".note";
}

void writeNote(const std::string& path, const std::string& text) {
    const std::string note = noteFileFor(path);
    if (note.empty()) return;
#ifdef _WIN32
    HANDLE file = CreateFileW(wide(note).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    writeAt(file, text);
    CloseHandle(file);
#else
    std::string why;
    if (!unsafeFolderReason(ControllerHold::lockFolder()).empty()) return;
    const int fd = openLockFile(note, why);
    if (fd < 0) return;
    writeAt(fd, text);
    ::close(fd);
#endif
}

HolderInfo readNote(const std::string& path) {
    const std::string note = noteFileFor(path);
    if (note.empty()) return {};
#ifdef _WIN32
    HANDLE file = CreateFileW(wide(note).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const std::string text = readContent(file);
    CloseHandle(file);
    return parseContent(text);
#else
    const int fd = ::open(note.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat status {};
    const bool plain = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid();
    const std::string text = plain ? readContent(fd) : std::string();
    ::close(fd);
    return parseContent(text);
#endif
}

void removeNote(const std::string& path) {
    const std::string note = noteFileFor(path);
    if (note.empty()) return;
#ifdef _WIN32
    DeleteFileW(wide(note).c_str());
#else
    ::unlink(note.c_str());
#endif
}

#ifndef _WIN32
// $XDG_CACHE_HOME/zmt, else ~/.cache/zmt: the user's own, on the local disk
// as a rule; "" when neither is named.
std::string cacheLockFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && *cache == '/') return std::string(cache) + "/zmt";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') return std::string(home) + "/.cache/zmt";
    return {};
}
#endif

} // namespace

#ifdef _WIN32
const ControllerHold::Handle ControllerHold::kNoHandle = INVALID_HANDLE_VALUE;
#else
const ControllerHold::Handle ControllerHold::kNoHandle = -1;
#endif

std::string HolderInfo::text() const {
    std::string shown = program.empty() ? std::string(localized("another program")) : program;
    if (processId != 0)
        shown += formatText(localized(", process %ld"), processId);
    return shown;
}

std::string HolderInfo::busyText() const {
    return formatText(localized("The controller is busy (held by %s)"),
                      text().c_str());
}

std::string holdFailureText(const std::string& reason) {
    return formatText(localized("The controller cannot be held for this program: %s.\nWithout the hold another program "
                                "could write to it at the same time, so nothing was changed."),
                      reason.c_str());
}

ControllerHold::ControllerHold(ControllerHold&& other) noexcept
    : handle_(other.handle_), place_(other.place_), key_(std::move(other.key_)), failure_(std::move(other.failure_)),
      denied_(other.denied_) {
    other.handle_ = kNoHandle;
}

ControllerHold& ControllerHold::operator=(ControllerHold&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = other.handle_;
        place_ = other.place_;
        key_ = std::move(other.key_);
        failure_ = std::move(other.failure_);
        denied_ = other.denied_;
        other.handle_ = kNoHandle;
    }
    return *this;
}

void ControllerHold::setProgramName(const std::string& name) { programName() = name; }

std::string ControllerHold::lockFolder() {
    for (const char* variable : {"ZMT_LOCK_DIR", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
#ifdef _WIN32
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return ".";
    const int count = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string folder(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), folder.data(), count, nullptr, nullptr);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
#else
    // Never the temporary folder: a fixed name there is anyone's to take.
    return cacheLockFolder();
#endif
}

std::string ControllerHold::lockFileFor(const std::string& key) {
    // Paths carry slashes, backslashes, '#' and '&' (Windows interface
    // paths); only a readable part of the key goes into the name.
    std::string name;
    for (char c : key) {
        if (name.size() == kNamePartMax) break;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-';
        name.push_back(plain ? c : '_');
    }
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
    const std::string folder = lockFolder();
    if (folder.empty()) return {};
    return folder + "/zmt-" + name + "-" + hash + ".lock";
}

bool ControllerHold::acquire(const std::string& key, HolderInfo& holder, Place place) {
    holder = HolderInfo{};
    failure_.clear();
    denied_ = false;
    if (held() && key_ == key) return true;
    Handle handle = kNoHandle;
    const bool taken =
        place == Place::Device ? acquireDevice(key, holder, handle) : acquireLockFile(key, holder, handle);
    if (!taken) return false;
    release();
    handle_ = handle;
    place_ = place;
    key_ = key;
    writeContent(std::nullopt);
    return true;
}

bool ControllerHold::acquireLockFile(const std::string& key, HolderInfo& holder, Handle& handle) {
    const std::string folder = lockFolder();
    if (folder.empty()) {
        failure_ = localized("no folder for lock files is set (XDG_RUNTIME_DIR, HOME)");
        return false;
    }
    const std::string path = lockFileFor(key);
#ifdef _WIN32
    // Another program may be letting go of it this very moment: the file is
    // then on its way out and refuses to open for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        handle = openLockFile(path);
        if (handle != kNoHandle || GetLastError() != ERROR_ACCESS_DENIED) break;
        Sleep(1);
    }
    if (handle == kNoHandle) {
        failure_ = systemFailure(kCannotOpenLiteral, path, systemText(GetLastError()));
        return false;
    }
    const LockResult locked = lockNow(handle);
    if (locked == LockResult::Taken) return true;
    if (locked == LockResult::HeldElsewhere) holder = parseContent(readContent(handle));
    else failure_ = systemFailure(kCannotLockLiteral, path, systemText(GetLastError()));
    closeHandle(handle);
    handle = kNoHandle;
    return false;
#else
    // The cache folder is made when missing, as the run-time folder never is.
    if (folder == cacheLockFolder()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
        ::mkdir(folder.c_str(), 0700);
    }
    if (const std::string unsafe = unsafeFolderReason(folder); !unsafe.empty()) {
        failure_ = formatText(localized("the lock folder %s cannot be used: %s"),
                              folder.c_str(), unsafe.c_str());
        return false;
    }
    // A holder removes its file as it lets go; one who opened that file
    // just before holds a lock on a file nobody else can find, so the file
    // is taken only while it still stands under its name.
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string why;
        handle = openLockFile(path, why);
        if (handle == kNoHandle) {
            failure_ = systemFailure(kCannotOpenLiteral, path, why);
            return false;
        }
        const LockResult locked = lockNow(handle);
        if (locked == LockResult::Taken && stillNamed(handle, path)) return true;
        if (locked == LockResult::HeldElsewhere) holder = parseContent(readContent(handle));
        else if (locked == LockResult::Failed) failure_ = systemFailure(kCannotLockLiteral, path, std::strerror(errno));
        closeHandle(handle);
        handle = kNoHandle;
        if (locked != LockResult::Taken) return false;
    }
    failure_ = systemFailure(kCannotLockLiteral, path, std::strerror(EAGAIN));
    return false;
#endif
}

bool ControllerHold::acquireDevice(const std::string& path, HolderInfo& holder, Handle& handle) {
#ifdef _WIN32
    // One name for the interface in every session of the machine. A
    // mutex of another user's is closed to us: that user holds it.
    const std::string name = "Global\\zmt-hold-" + [&path] {
        char hash[20];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(path)));
        return std::string(hash);
    }();
    handle = CreateMutexW(nullptr, TRUE, wide(name).c_str());
    if (handle == nullptr) {
        handle = kNoHandle;
        if (GetLastError() == ERROR_ACCESS_DENIED) return false;   // holder unknown: another user
        failure_ = systemFailure(kCannotLockLiteral, path, systemText(GetLastError()));
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Made by someone else: ours only if its owner has let go (or died).
        const DWORD waited = WaitForSingleObject(handle, 0);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            holder = readNote(path);
            CloseHandle(handle);
            handle = kNoHandle;
            return false;
        }
    }
    return true;
#else
    handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle == kNoHandle) {
        // Refused access is the open's own matter (its explanation says how
        // to grant it); a node gone since the search is simply gone.
        denied_ = errno == EACCES || errno == EPERM;
        failure_ = systemFailure(kCannotOpenLiteral, path, std::strerror(errno));
        return false;
    }
    const LockResult locked = lockDevice(handle);
    if (locked == LockResult::Taken) return true;
    if (locked == LockResult::HeldElsewhere) {
        // The system names the process; its note, when it is this user's
        // and that process wrote it, names the controller too.
        const long pid = deviceLockHolder(handle);
        holder = readNote(path);
        if (pid != 0 && holder.processId != pid) {
            holder = HolderInfo{};
            holder.processId = pid;
            holder.program = processName(pid);
        }
    } else {
        failure_ = systemFailure(kCannotLockLiteral, path, std::strerror(errno));
    }
    ::close(handle);
    handle = kNoHandle;
    return false;
#endif
}

void ControllerHold::writeContent(std::optional<uint32_t> serial) {
    const std::string text = contentText(serial);
    if (place_ == Place::Device) writeNote(key_, text);
    else writeAt(handle_, text);
}

void ControllerHold::noteSerial(uint32_t serial) {
    if (held()) writeContent(serial);
}

void ControllerHold::release() {
    if (!held()) return;
    if (place_ == Place::Device) {
        removeNote(key_);
#ifdef _WIN32
        ReleaseMutex(handle_);
#endif
    } else {
#ifndef _WIN32
        // Removed while still locked, so that whoever opens the name next
        // makes a new file; one who opened the old file meanwhile finds it
        // gone from its name and tries again (Windows removes it itself
        // once the last program closes it).
        const std::string path = lockFileFor(key_);
        if (stillNamed(handle_, path)) ::unlink(path.c_str());
#endif
    }
    closeHandle(handle_);
    handle_ = kNoHandle;
    key_.clear();
}

bool ControllerHold::heldElsewhere(const std::string& key, HolderInfo& holder, Place place) {
    ControllerHold probe;
    if (probe.acquire(key, holder, place)) return false;
    return probe.failure().empty();
}

} // namespace zmt
