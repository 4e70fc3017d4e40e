#include "config/config_file.h"
#include "config/snapshot_store.h"
#include "lang/lang.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace zmt;
using zmt::test::readFile;
using zmt::test::TempFolder;
using zmt::test::writeFile;

namespace {

// A store in a scratch folder on a clock the test moves.
struct StoreRig {
    TempFolder temp;
    std::time_t now = 1796683500;   // 2026-12-07 22:45:00 UTC
    SnapshotStore store{temp.file("snapshots"), [this] { return now; }};
};

ConfigImage imageWithTimeout(uint16_t timeout) {
    ConfigImage image{};
    image.longPressTimeout = timeout;
    image.touchMode = 1;
    return image;
}

bool sameBytes(const ConfigImage& a, const ConfigImage& b) {
    return std::memcmp(a.bytes(), b.bytes(), sizeof(ConfigImage)) == 0;
}

} // namespace

TEST(SnapshotStore, SnapshotIsAnOrdinaryConfigurationFileNamedByTimeAndCause) {
    StoreRig rig;
    const ConfigImage image = imageWithTimeout(1200);
    const auto taken = rig.store.take(1001, image, SnapshotCause::FullWrite);
    ASSERT_TRUE(taken.result.ok()) << taken.result.text();
    EXPECT_TRUE(taken.added);
    EXPECT_EQ(std::filesystem::path(taken.path).filename(), "20261207-224500-full-write.ZMT");
    EXPECT_EQ(std::filesystem::path(taken.path).parent_path().filename(), "1001");

    ConfigImage loaded{};
    ASSERT_TRUE(loadConfigFile(loaded, taken.path).ok());
    EXPECT_TRUE(sameBytes(loaded, image));
    // The keys say it all: no copy of the memory besides them.
    EXPECT_EQ(readFile(taken.path).find("IMAGE="), std::string::npos);

    const auto entries = rig.store.list(1001);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].cause, SnapshotCause::FullWrite);
    EXPECT_EQ(entries[0].timeText(), "2026-12-07 22:45:00 UTC");
    EXPECT_EQ(entries[0].isoTime(), "2026-12-07T22:45:00Z");
    EXPECT_EQ(rig.store.serials(), std::vector<uint32_t>{1001});
    EXPECT_TRUE(rig.store.list(1002).empty());
}

TEST(SnapshotStore, UnchangedControllerIsNotKeptTwiceAndOneSecondHoldsSeveral) {
    StoreRig rig;
    const auto first = rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::FirstRead);
    const auto again = rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::Defaults);
    EXPECT_FALSE(again.added);
    EXPECT_EQ(again.path, first.path);

    const auto changed = rig.store.take(1001, imageWithTimeout(900), SnapshotCause::Defaults);
    EXPECT_TRUE(changed.added);
    // Back to the first configuration: not the newest any more, so kept.
    const auto back = rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::Restored);
    EXPECT_TRUE(back.added);

    const auto entries = rig.store.list(1001);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, back.path);
    EXPECT_EQ(entries[0].sequence, 3u);
    EXPECT_EQ(entries[2].path, first.path);
    // Another controller with the same configuration has its own history.
    EXPECT_TRUE(rig.store.take(1002, imageWithTimeout(1200), SnapshotCause::FirstRead).added);
}

TEST(SnapshotStore, BoundThinsOldSnapshotsKeepingTheOldestAndNewest) {
    StoreRig rig;
    const std::size_t total = SnapshotStore::kKeepPerController + 30;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < total; ++i) {
        // Every tenth one an hour after the last; the rest a minute apart.
        rig.now += (i % 10 == 0) ? 3600 : 60;
        paths.push_back(rig.store.take(1001, imageWithTimeout(static_cast<uint16_t>(100 + i)),
                                       SnapshotCause::FullWrite).path);
    }
    const auto entries = rig.store.list(1001);
    ASSERT_EQ(entries.size(), SnapshotStore::kKeepPerController);
    EXPECT_EQ(entries.back().path, paths.front());
    for (std::size_t i = 0; i < SnapshotStore::kKeepNewestAlways; ++i)
        EXPECT_EQ(entries[i].path, paths[total - 1 - i]);
    // Those an hour apart are the last to be thinned out.
    for (std::size_t i = 0; i < total; i += 10)
        EXPECT_TRUE(std::filesystem::exists(paths[i])) << i;
}

TEST(SnapshotStore, RestoreGivesTheExactBytesUnlessTheKeysWereEdited) {
    StoreRig rig;
    ConfigImage image = imageWithTimeout(1200);
    image.touchFlags = 0x80;   // a bit no .ZMT key keeps
    const auto taken = rig.store.take(1001, image, SnapshotCause::FirmwareUpdate);
    EXPECT_NE(readFile(taken.path).find("IMAGE="), std::string::npos);
    ConfigImage restored = imageWithTimeout(1);
    ASSERT_TRUE(loadSnapshot(restored, taken.path).ok());
    EXPECT_TRUE(sameBytes(restored, image));

    std::string text = readFile(taken.path);
    const auto at = text.find("LONGTO=1200");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 11, "LONGTO=1300");
    writeFile(taken.path, text);
    ASSERT_TRUE(loadSnapshot(restored, taken.path).ok());
    EXPECT_EQ(static_cast<int>(restored.longPressTimeout), 1300);

    EXPECT_EQ(loadSnapshot(restored, rig.temp.file("missing.ZMT")).error, FileError::NotFound);
    EXPECT_EQ(static_cast<int>(restored.longPressTimeout), 1300);
}

// A snapshot cut short (a full disk, a copy broken off) is refused, the
// image untouched, wherever the cut falls: putting it back would wipe what
// the lost keys held. Whole ones, hand-edited ones and ones written before
// snapshots counted their keys still load.
TEST(SnapshotStore, ACutSnapshotIsRefusedNamingTheFile) {
    StoreRig rig;
    ConfigImage image = imageWithTimeout(1200);
    for (int event = 0; event < kEvents; ++event) image.events[event].flags = EventLongPress;
    const auto taken = rig.store.take(1001, image, SnapshotCause::FullWrite);
    const std::string whole = readFile(taken.path);
    EXPECT_NE(whole.find("KEYS=" + std::to_string(configurationKeyCount())), std::string::npos);
    const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
    for (std::size_t cut : {std::size_t{1500}, whole.size() - 3, lastLine, std::size_t{40}}) {
        writeFile(taken.path, whole.substr(0, cut));
        ConfigImage restored = imageWithTimeout(1);
        const FileResult loaded = loadSnapshot(restored, taken.path);
        EXPECT_EQ(loaded.error, FileError::Incomplete) << "cut at " << cut;
        EXPECT_EQ(int{restored.longPressTimeout}, 1) << "untouched, cut at " << cut;
        setLanguage("en");
        EXPECT_NE(loaded.text().find("The snapshot " + taken.path + " is incomplete"), std::string::npos) << loaded.text();
        setLanguage("ru");
        EXPECT_NE(loaded.text().find("Снимок " + taken.path + " неполон"), std::string::npos);
    }
    // Counted short on purpose by hand: KEYS alone tells.
    std::string tampered = whole;
    tampered.replace(tampered.find("KEYS="), 5, "KEYS=9");
    writeFile(taken.path, tampered);
    ConfigImage restored{};
    EXPECT_EQ(loadSnapshot(restored, taken.path).error, FileError::Incomplete);
    // Without the count (an older snapshot), whole: loads.
    std::string older = whole;
    const std::size_t keys = older.find("KEYS=");
    older.erase(keys, older.find('\n', keys) + 1 - keys);
    writeFile(taken.path, older);
    ASSERT_TRUE(loadSnapshot(restored, taken.path).ok());
    EXPECT_TRUE(sameBytes(restored, image));
    // Cut, it is refused all the same.
    writeFile(taken.path, older.substr(0, 1500));
    EXPECT_EQ(loadSnapshot(restored, taken.path).error, FileError::Incomplete);
    // A cut newest snapshot never stands for what the controller holds.
    writeFile(taken.path, whole.substr(0, 1500));
    EXPECT_TRUE(rig.store.take(1001, image, SnapshotCause::FullWrite).added);
}

TEST(SnapshotStore, ASnapshotDatedInTheFutureIsNotTheNewestForEver) {
    StoreRig rig;
    const std::time_t present = rig.now;
    rig.now = present + 400 * 86400;   // a clock set a year ahead, once
    const auto ahead = rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::FullWrite);
    rig.now = present;
    const auto changed = rig.store.take(1001, imageWithTimeout(900), SnapshotCause::FullWrite);
    EXPECT_TRUE(changed.added);
    // Back to what the dated one holds: kept, as it follows the change.
    const auto back = rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::FullWrite);
    EXPECT_TRUE(back.added);
    EXPECT_NE(back.path, ahead.path);
    // And not twice.
    EXPECT_FALSE(rig.store.take(1001, imageWithTimeout(1200), SnapshotCause::FullWrite).added);
}

TEST(SnapshotStore, FolderThatCannotBeMadeIsAnErrorNotASnapshot) {
    TempFolder temp;
    writeFile(temp.file("plain"), "x");
    SnapshotStore store(temp.file("plain"));
    const auto taken = store.take(1001, imageWithTimeout(1200), SnapshotCause::FullWrite);
    EXPECT_EQ(taken.result.error, FileError::CannotWrite);
    EXPECT_FALSE(taken.added);
    EXPECT_TRUE(taken.path.empty());
}

TEST(SnapshotStore, CausesReadInBothLanguagesAndNamesRoundTrip) {
    for (SnapshotCause cause : {SnapshotCause::FileSent, SnapshotCause::FullWrite, SnapshotCause::Defaults,
                                SnapshotCause::Restart, SnapshotCause::FirmwareUpdate, SnapshotCause::LearningWritten,
                                SnapshotCause::Restored, SnapshotCause::FirstRead, SnapshotCause::QuickSetup}) {
        EXPECT_EQ(snapshotCauseFromKey(snapshotCauseKey(cause)), cause);
        setLanguage("ru");
        const std::string russian = snapshotCauseText(cause);
        setLanguage("en");
        EXPECT_NE(russian, snapshotCauseText(cause));
        EXPECT_FALSE(snapshotCauseText(cause).empty());
    }
    setLanguage("ru");
}

TEST(SnapshotStore, DefaultFolderFollowsTheDataHome) {
#ifndef _WIN32
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string before = saved ? saved : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(defaultSnapshotFolder(), "/data/home/zmtsetup/snapshots");
    if (saved) setenv("XDG_DATA_HOME", before.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
#endif
}

TEST(SnapshotStore, OnlyFilesNamedAsSnapshotsAreListed) {
    StoreRig rig;
    const std::string folder = rig.temp.file("snapshots/1001");
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        bool listed;
        unsigned sequence;
    } names[] = {
        {"20261207-224500-full-write.ZMT", true, 1},
        {"20261207-224501_12-quick-setup.ZMT", true, 12},
        {"20261207-224502_999999-restore.ZMT", true, 999999},
        {"20261207-224503_1234567-restore.ZMT", false, 0},   // sequence too long
        {"20261207-224504_-restore.ZMT", false, 0},
        {"20261207-224505_1x-restore.ZMT", false, 0},
        {"20261207-224506-full-write.zmt", false, 0},        // the store writes .ZMT
        {"20261207-224507-not-a-cause.ZMT", false, 0},
        {"20261207-224508-.ZMT", false, 0},
        {"20261207-22450-full-write.ZMT", false, 0},
        {"2026120x-224509-full-write.ZMT", false, 0},
        {"20261207_224510-full-write.ZMT", false, 0},
        {"20261207-224511-full-write.ZMT.bak", false, 0},
        {"notes.ZMT", false, 0},
        {".ZMT", false, 0},
    };
    for (const auto& row : names) writeFile(folder + "/" + row.name, "");
    std::vector<std::string> listed;
    for (const SnapshotEntry& entry : rig.store.list(1001)) {
        const std::string name = std::filesystem::path(entry.path).filename().string();
        listed.push_back(name);
        for (const auto& row : names) {
            if (name == row.name) {
                EXPECT_EQ(entry.sequence, row.sequence) << name;
            }
        }
    }
    for (const auto& row : names)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), row.name), row.listed ? 1 : 0) << row.name;
}
