#pragma once
// Snapshots: what a controller held, kept before the program changes its
// configuration as a whole, so that nothing the controller held is lost.
//
// One folder per controller serial; each snapshot is an ordinary .ZMT file
// that opens like any other, named by its time (UTC, so that names sort in
// time order whatever the clock's zone) and its cause:
//     <root>/1001/20261207-224500-full-write.ZMT
// Two taken within one second get a sequence number (20261207-224500_2-...).
// The file also holds a section SNAPSHOT (CAUSE, SERIAL and, where the .ZMT
// keys would not give back the exact bytes, the controller's memory byte
// for byte under IMAGE), which the configuration loader skips.
#include "config/config_image.h"
#include "files/file_result.h"
#include "lang/lang.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zmt {

class Host;

// Said when a snapshot that was due could not be kept (after the reason).
inline constexpr const char* kSnapshotNotKeptText =
    N_("The snapshot of the controller's configuration could not be kept; nothing was changed.");

enum class SnapshotCause {
    FileSent,          // a configuration file opened and sent
    FullWrite,         // the whole configuration written
    Defaults,          // reset to the factory defaults
    Restart,           // a restart, after which the controller reads its configuration anew
    FirmwareUpdate,
    LearningWritten,   // button learning's results written
    Restored,          // a snapshot put back
    FirstRead,         // the first full read of a session
    QuickSetup,        // the quick set-up started (or zmtctl assign changed a button)
};

// The cause as it stands in file names ("full-write"); nothing for an unknown key.
const char* snapshotCauseKey(SnapshotCause cause);
std::optional<SnapshotCause> snapshotCauseFromKey(const std::string& key);
// The cause in words, in the current language.
std::string snapshotCauseText(SnapshotCause cause);

struct SnapshotEntry {
    std::string path;
    std::string stamp;            // "20261207-224500", UTC
    unsigned sequence = 1;        // within one second
    SnapshotCause cause = SnapshotCause::FullWrite;

    // "2026-12-07 22:45:00 UTC" and "2026-12-07T22:45:00Z".
    std::string timeText() const;
    std::string isoTime() const;
    // Seconds since 1970 (for spacing out old snapshots).
    long long seconds() const;
};

// $XDG_DATA_HOME/zmtsetup/snapshots (else ~/.local/share/zmtsetup/snapshots)
// on Linux, %LOCALAPPDATA%\zmtsetup\snapshots on Windows; empty when the
// environment names no such folder.
std::string defaultSnapshotFolder();

class SnapshotStore {
public:
    // Per controller at most this many are kept.
    static constexpr std::size_t kKeepPerController = 200;
    // The newest ones are never thinned out, however close together.
    static constexpr std::size_t kKeepNewestAlways = 20;

    using Clock = std::function<std::time_t()>;
    // root: the folder of the serials' folders; now: the wall clock (tests
    // give their own).
    explicit SnapshotStore(std::string root, Clock now = {});

    struct Taken {
        FileResult result;      // a folder or file that could not be written
        std::string path;       // the snapshot holding this configuration
        bool added = false;     // false: the newest one already held it
    };
    // Keeps image as the configuration controller serial held, unless its
    // newest snapshot holds exactly the same; then thins the folder down to
    // kKeepPerController.
    Taken take(uint32_t serial, const ConfigImage& image, SnapshotCause cause);

    // The snapshots of one controller, newest first. Files of other names
    // in the folder are left out.
    std::vector<SnapshotEntry> list(uint32_t serial) const;
    // Serials with a folder in the store, in increasing order.
    std::vector<uint32_t> serials() const;
    std::string folder(uint32_t serial) const;
    const std::string& root() const { return root_; }

private:
    void thin(uint32_t serial) const;

    std::string root_;
    Clock now_;
};

// Reads a snapshot (or any .ZMT file) into image. A snapshot's IMAGE, when it
// is whole and clean, wins over the configuration keys. fromStore, when
// given, tells whether the file was a snapshot (it has a SNAPSHOT section).
FileResult loadSnapshot(ConfigImage& image, const std::string& path, bool* fromStore = nullptr);

// After a firmware update: when what the controller holds now differs from
// what it held before (kept in snapshotPath), asks through the host whether
// to put the old configuration back. True only for Yes; no question when
// nothing changed.
bool offerRestoreAfterUpdate(Host& host, const ConfigImage& before, const ConfigImage& after,
                             const std::string& snapshotPath);

} // namespace zmt
