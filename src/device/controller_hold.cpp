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

HANDLE openLockFile(const std::string& path) {
    return CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
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

void closeHandle(HANDLE file) { CloseHandle(file); }
#else
int openLockFile(const std::string& path) { return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); }

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

std::string readContent(int fd) {
    char buffer[kContentMax];
    const ssize_t got = pread(fd, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

void closeHandle(int fd) { ::close(fd); }
#endif

} // namespace

#ifdef _WIN32
const ControllerHold::Handle ControllerHold::kNoHandle = INVALID_HANDLE_VALUE;
#else
const ControllerHold::Handle ControllerHold::kNoHandle = -1;
#endif

std::string HolderInfo::text() const {
    std::string shown = program.empty() ? std::string(LangText("другая программа\0another program\0")) : program;
    if (processId != 0)
        shown += formatText(LangText(", процесс %ld\0, process %ld\0"), processId);
    return shown;
}

std::string HolderInfo::busyText() const {
    return formatText(LangText("Контроллер занят (его держит %s)\0The controller is busy (held by %s)\0"),
                      text().c_str());
}

ControllerHold::ControllerHold(ControllerHold&& other) noexcept
    : handle_(other.handle_), key_(std::move(other.key_)), failure_(std::move(other.failure_)) {
    other.handle_ = kNoHandle;
}

ControllerHold& ControllerHold::operator=(ControllerHold&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = other.handle_;
        key_ = std::move(other.key_);
        failure_ = std::move(other.failure_);
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
    const char* temporary = std::getenv("TMPDIR");
    return temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
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
    return lockFolder() + "/zmt-" + name + "-" + hash + ".lock";
}

bool ControllerHold::acquire(const std::string& key, HolderInfo& holder) {
    holder = HolderInfo{};
    failure_.clear();
    if (held() && key_ == key) return true;
    const std::string path = lockFileFor(key);
    Handle handle = openLockFile(path);
    if (handle == kNoHandle) {
        failure_ = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const LockResult locked = lockNow(handle);
    if (locked != LockResult::Taken) {
        if (locked == LockResult::HeldElsewhere) holder = parseContent(readContent(handle));
        else failure_ = "cannot lock " + path + ": " + std::strerror(errno);
        closeHandle(handle);
        return false;
    }
    release();
    handle_ = handle;
    key_ = key;
    writeContent(std::nullopt);
    return true;
}

void ControllerHold::writeContent(std::optional<uint32_t> serial) {
    const std::string text = contentText(serial);
#ifdef _WIN32
    OVERLAPPED at{};
    DWORD written = 0;
    WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, &at);
#else
    // Best effort: the lock is what keeps others out; the text only names us.
    if (pwrite(handle_, text.data(), text.size(), 0) < 0) failure_ = std::strerror(errno);
#endif
}

void ControllerHold::noteSerial(uint32_t serial) {
    if (held()) writeContent(serial);
}

void ControllerHold::release() {
    if (!held()) return;
    // The file stays: removing it would race with a program that has just
    // opened it and is about to lock the removed file.
    closeHandle(handle_);
    handle_ = kNoHandle;
    key_.clear();
}

bool ControllerHold::heldElsewhere(const std::string& key, HolderInfo& holder) {
    ControllerHold probe;
    if (probe.acquire(key, holder)) return false;
    return probe.failure().empty();
}

} // namespace zmt
