#pragma once
// One program per controller: a hold taken before the first frame goes to a
// controller and kept while the program works with it, so that two programs
// never interleave their frames on one device (the controller answers the
// last request it got, so the other program's reply would be lost or taken
// for its own).
//
// The hold is a lock file in the user's run-time folder ($XDG_RUNTIME_DIR,
// or the temporary folder), named after what is held: an open-file lock
// (fcntl F_OFD_SETLK) on Linux, LockFileEx() on Windows. The operating
// system drops either lock when the program ends, kill -9 included, so no
// stale hold survives a crash. The
// file carries the holder's program name, process id and (once known) the
// controller's serial number, so a refused program can say who holds it and
// `zmtctl list` can name a controller it may not talk to.
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
    // lock files apart), else $XDG_RUNTIME_DIR, else the temporary folder.
    static std::string lockFolder();
    // The lock file for a key (an interface path, a state file's path).
    static std::string lockFileFor(const std::string& key);

    // Takes the hold on key. True when held (again, if it already was);
    // false when another program holds it (holder then says who) or the
    // lock file cannot be made (holder empty, reason in failure()).
    // Taking a new key gives up the one held before, but only once the new
    // one is held.
    bool acquire(const std::string& key, HolderInfo& holder);
    // Records the held controller's serial in the lock file.
    void noteSerial(uint32_t serial);
    void release();

    bool held() const { return handle_ != kNoHandle; }
    const std::string& key() const { return key_; }
    const std::string& failure() const { return failure_; }

    // Whether another program holds key, without taking it.
    static bool heldElsewhere(const std::string& key, HolderInfo& holder);

private:
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    static const Handle kNoHandle;
    void writeContent(std::optional<uint32_t> serial);

    Handle handle_ = kNoHandle;
    std::string key_;
    std::string failure_;
};

} // namespace zmt
