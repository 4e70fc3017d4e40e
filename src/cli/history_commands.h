#pragma once
// zmtctl's snapshots: kept before a command changes a controller's
// configuration as a whole, and listed by `zmtctl history`.
#include "cli/commands.h"
#include "config/snapshot_store.h"

namespace zmt::cli {

// What keepSnapshot read and where it is kept.
struct KeptSnapshot {
    bool read = false;      // false: only the boot loader runs, there was nothing to read
    ConfigImage image{};
    std::string path;       // empty when there is no data folder
};

// Reads what the chosen controller holds (one read) and keeps it as a
// snapshot. A controller that runs only its boot loader holds no
// configuration: nothing is kept. exitOk, or the status of a read or a save
// that failed (the command must then change nothing).
int keepSnapshot(Session& session, SnapshotCause cause, KeptSnapshot* kept = nullptr);
// The same for a configuration already read from controller serial.
int storeSnapshot(uint32_t serial, const ConfigImage& image, SnapshotCause cause, KeptSnapshot* kept = nullptr);

int runHistory(Session& session, const Arguments& arguments);

// What names the controller's configuration among diff's arguments.
inline constexpr const char* kControllerSide = "controller";
// diff's status when the configurations differ, as diff(1) has it.
inline constexpr int exitDifferent = 1;
int runDiff(Session& session, const Arguments& arguments);

} // namespace zmt::cli
