#pragma once
// One program per controller: a hold taken before the first frame goes to a
// controller and kept while the program works with it, so that two programs
// never interleave their frames on one device (the controller answers the
// last request it got, so the other program's reply would be lost or taken
// for its own).
//
// A real controller is held on the device itself, where every user of the
// machine meets the hold and no folder is needed: an advisory lock (flock)
// on its hidraw node, opened by the path the enumeration gave, on Linux; a
// mutex in the Global\ namespace named after the interface path on Windows.
// What cannot carry a lock of its own (a simulator state file, which is
// replaced whole on every save) is held through a lock file in a folder only
// this user can write: $ZMT_LOCK_DIR (the tests), $XDG_RUNTIME_DIR, else the
// user's cache folder. Lock files are opened without following links,
// checked to be this user's plain file, and removed when let go.
//
// The operating system drops every kind of hold when the program ends,
// kill -9 included, so no stale hold survives a crash. The holder's program
// name, process id and (once known) the controller's serial are written
// where others of this user can read them (the lock file itself, or a note
// beside the device hold), so a refused program can say who holds it and
// `zmtctl list` can name a controller it may not talk to. A hold that
// cannot be taken at all is a failure of its own (failure() says why): the
// caller stops, it never goes on without the hold.
//
// It keeps out only programs that ask, which is what is wanted between our
// own programs (zmtsetup, zmtctl, and the simulator's state files).
#include <cstdint>
#include <optional>
#include <string>

namespace zmt {

// Who holds something, as its lock file tells.
struct HolderInfo {
    std::string program;             // "zmtctl", "zmtsetup"; may be empty
    long processId = 0;              // 0 when the file did not tell
    std::optional<uint32_t> serial;  // the held controller's serial, once known

    // "zmtctl, process 1234".
    std::string text() const;
    // "The controller is busy (held by zmtctl, process 1234)": what the
    // status bar and zmtctl say.
    std::string busyText() const;
};

// The message for a hold that cannot be taken, with failure()'s reason:
// said by zmtctl and shown in a box by the window.
std::string holdFailureText(const std::string& reason);

class ControllerHold {
public:
    ControllerHold() = default;
    ~ControllerHold() { release(); }
    ControllerHold(const ControllerHold&) = delete;
    ControllerHold& operator=(const ControllerHold&) = delete;
    ControllerHold(ControllerHold&& other) noexcept;
    ControllerHold& operator=(ControllerHold&& other) noexcept;

    // The name the holder's lock files give for this program; set once by
    // main() ("zmtctl"); unset, the executable's own name is used.
    static void setProgramName(const std::string& name);
    // Where the lock files go: $ZMT_LOCK_DIR when set (the tests keep their
    // lock files apart), else $XDG_RUNTIME_DIR, else the user's cache
    // folder ($XDG_CACHE_HOME or ~/.cache, then zmt; the temporary folder
    // on Windows, which is the user's own there). "" when none is named.
    static std::string lockFolder();
    // The lock file for a key (an interface path, a state file's path).
    static std::string lockFileFor(const std::string& key);

    // What carries the hold: a lock file named after the key, or the device
    // whose path the key is.
    enum class Place { LockFile, Device };

    // Takes the hold on key. True when held (again, if it already was);
    // false when another program holds it (holder then says who) or the
    // hold cannot be taken (holder empty, reason in failure(), in the
    // current language; deniedAccess() when the system refused to open the
    // device, which is a matter of access rights rather than of the hold).
    // Taking a new key gives up the one held before, but only once the new
    // one is held.
    bool acquire(const std::string& key, HolderInfo& holder, Place place = Place::LockFile);
    // Records the held controller's serial in the lock file.
    void noteSerial(uint32_t serial);
    void release();

    bool held() const { return handle_ != kNoHandle; }
    const std::string& key() const { return key_; }
    const std::string& failure() const { return failure_; }
    bool deniedAccess() const { return denied_; }

    // Whether another program holds key, without taking it.
    static bool heldElsewhere(const std::string& key, HolderInfo& holder, Place place = Place::LockFile);

private:
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    static const Handle kNoHandle;
    void writeContent(std::optional<uint32_t> serial);
    bool acquireLockFile(const std::string& key, HolderInfo& holder, Handle& handle);
    bool acquireDevice(const std::string& path, HolderInfo& holder, Handle& handle);

    Handle handle_ = kNoHandle;
    Place place_ = Place::LockFile;
    std::string key_;
    std::string failure_;
    bool denied_ = false;
};

} // namespace zmt
