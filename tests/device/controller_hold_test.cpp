// The hold one program keeps on a controller (and a simulator state file):
// a second hold on the same key is refused and told who holds it, whatever
// it finds in the lock file; lock file names stay apart and harmless.
#include "device/controller_hold.h"
#include "scoped_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#ifndef _WIN32
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zmt::test {
namespace {

std::string uniqueKey(const std::string& name) {
    return "hold-test-" + std::to_string(std::random_device{}()) + "-" + name;
}

TEST(ControllerHold, ASecondHoldIsRefusedUntilTheFirstLetsGo) {
    const std::string key = uniqueKey("/dev/hidraw3");
    ControllerHold first, second;
    HolderInfo holder;
    ASSERT_TRUE(first.acquire(key, holder));
    EXPECT_TRUE(first.acquire(key, holder)) << "taking it again is a no-op";
    EXPECT_FALSE(second.acquire(key, holder));
    EXPECT_TRUE(second.failure().empty());
    EXPECT_GT(holder.processId, 0);
    EXPECT_FALSE(holder.serial) << "not read yet";
    first.noteSerial(4000000000u);
    EXPECT_TRUE(ControllerHold::heldElsewhere(key, holder));
    EXPECT_EQ(holder.serial, 4000000000u);

    // Moving on to another key lets the first one go.
    ASSERT_TRUE(first.acquire(uniqueKey("other"), holder));
    EXPECT_FALSE(ControllerHold::heldElsewhere(key, holder));
    ASSERT_TRUE(second.acquire(key, holder));
    ControllerHold moved = std::move(second);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(ControllerHold::heldElsewhere(key, holder));
    moved.release();
    EXPECT_FALSE(ControllerHold::heldElsewhere(key, holder));
}

#ifndef _WIN32
// Windows locks the held file against every other handle, so nobody can
// write it while it is held; there the test has nothing to read.
TEST(ControllerHold, WhatALockFileSaysIsReadAsDataOnly) {
    const std::string key = uniqueKey("state");
    struct Case { const char* content; const char* program; long pid; std::optional<uint32_t> serial; };
    const Case cases[] = {
        {"zmtsetup\n77\n1001\n", "zmtsetup", 77, 1001u},
        {"zmtctl\n-5\n99999999999\n", "zmtctl", 0, std::nullopt},       // no process, no serial
        {"\x1b[2Jevil\n12x\n\n", "", 0, std::nullopt},                // a terminal escape is no name
        {"", "", 0, std::nullopt},
    };
    for (const Case& c : cases) {
        ControllerHold holding;
        HolderInfo holder;
        ASSERT_TRUE(holding.acquire(key, holder));
        // Another program wrote this while holding the file.
        std::ofstream(ControllerHold::lockFileFor(key), std::ios::trunc | std::ios::binary) << c.content;
        EXPECT_TRUE(ControllerHold::heldElsewhere(key, holder));
        EXPECT_EQ(holder.program, c.program) << c.content;
        EXPECT_EQ(holder.processId, c.pid) << c.content;
        EXPECT_EQ(holder.serial, c.serial) << c.content;
    }
}
#endif

TEST(ControllerHold, LockFilesAreNamedApartInTheLockFolder) {
    const std::string a = ControllerHold::lockFileFor("/dev/hidraw1");
    const std::string b = ControllerHold::lockFileFor("_dev_hidraw1");
    EXPECT_NE(a, b) << "the same readable part, other keys";
    EXPECT_EQ(a.rfind(ControllerHold::lockFolder() + "/zmt-_dev_hidraw1-", 0), 0u) << a;
    const std::string windows = ControllerHold::lockFileFor("\\\\?\\hid#vid_ffff&pid_2013#7&1a2b&0&0000#{4d1e55b2}");
    const std::string name = windows.substr(ControllerHold::lockFolder().size() + 1);
    EXPECT_EQ(name.find_first_of("\\/?#&{}"), std::string::npos) << name;
    EXPECT_LT(name.size(), 100u);
}

TEST(ControllerHold, ALockFileIsGoneOnceLetGo) {
    const std::string key = uniqueKey("tidy");
    ControllerHold hold;
    HolderInfo holder;
    ASSERT_TRUE(hold.acquire(key, holder));
    EXPECT_TRUE(std::filesystem::exists(ControllerHold::lockFileFor(key)));
    hold.release();
    EXPECT_FALSE(std::filesystem::exists(ControllerHold::lockFileFor(key)));
    // Taken again afterwards as if nothing had been there.
    ASSERT_TRUE(hold.acquire(key, holder));
}

#ifndef _WIN32
// Lock folders, links and flock are the POSIX side; on Windows the hold of a
// device is a named mutex and lock files live in the temporary folder.

// Where no safe lock file can be had, the hold fails with a reason, never
// passes for taken and never counts as "busy"; nothing is written through
// a link another user planted.
class UnusableLockFolder : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zmt-hold-" + std::to_string(::getpid()));
    ScopedEnvironment environment;
    void SetUp() override {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        environment.set("ZMT_LOCK_DIR", folder.c_str());
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void expectRefused(const std::string& why) {
        ControllerHold hold;
        HolderInfo holder;
        EXPECT_FALSE(hold.acquire("state:unit", holder)) << why;
        EXPECT_FALSE(hold.failure().empty()) << why;
        EXPECT_FALSE(ControllerHold::heldElsewhere("state:unit", holder)) << "not busy: " << why;
        EXPECT_EQ(holder.processId, 0) << why;
    }
};

TEST_F(UnusableLockFolder, NoFolderAtAll) {
    environment.set("ZMT_LOCK_DIR", (folder / "missing").c_str());
    expectRefused("a lock folder that is not there");
    environment.set("ZMT_LOCK_DIR", nullptr).set("XDG_RUNTIME_DIR", nullptr).set("HOME", nullptr)
               .set("XDG_CACHE_HOME", nullptr);
    EXPECT_EQ(ControllerHold::lockFolder(), "");
    expectRefused("no folder named");
}

TEST_F(UnusableLockFolder, AFolderOthersCanWriteIsNoPlaceForLocks) {
    std::filesystem::permissions(folder, std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    expectRefused("a folder like /tmp");
}

TEST_F(UnusableLockFolder, ALinkInPlaceOfTheLockFileIsNeverFollowed) {
    const std::filesystem::path victim = folder / "victim";
    std::ofstream(victim) << "keep me\n";
    std::filesystem::create_symlink(victim, ControllerHold::lockFileFor("state:unit"));
    expectRefused("a symbolic link");
    std::ifstream read(victim);
    std::string content((std::istreambuf_iterator<char>(read)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "keep me\n");
    // A second name for another file (a hard link) is refused the same way.
    std::filesystem::remove(ControllerHold::lockFileFor("state:unit"));
    std::filesystem::create_hard_link(victim, ControllerHold::lockFileFor("state:unit"));
    expectRefused("a hard link");
}

TEST(ControllerHold, WithoutARunTimeFolderLocksStayInTheUsersOwnFolder) {
    const std::filesystem::path home = std::filesystem::temp_directory_path() / ("zmt-home-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    ScopedEnvironment environment;
    environment.set("ZMT_LOCK_DIR", nullptr).set("XDG_RUNTIME_DIR", nullptr).set("XDG_CACHE_HOME", nullptr)
               .set("HOME", home.c_str());
    EXPECT_EQ(ControllerHold::lockFolder(), (home / ".cache/zmt").string());
    ControllerHold first, second;
    HolderInfo holder;
    ASSERT_TRUE(first.acquire("state:unit", holder)) << first.failure();
    EXPECT_FALSE(second.acquire("state:unit", holder));
    EXPECT_TRUE(second.failure().empty()) << "busy, not broken";
    EXPECT_EQ((std::filesystem::status(home / ".cache/zmt").permissions() & std::filesystem::perms::all),
              std::filesystem::perms::owner_all);
    first.release();
    std::filesystem::remove_all(home);
}

// A device is held on itself: a second open of the same node is kept out
// whatever lock folder each program uses (two users have two), and flock(1)
// or anything else that locks the node keeps us out too.
TEST(ControllerHold, ADeviceIsHeldOnItselfWhateverTheLockFolder) {
    const std::filesystem::path node = std::filesystem::temp_directory_path() / ("zmt-node-" + std::to_string(::getpid()));
    std::ofstream(node).put('\0');
    ScopedEnvironment environment;
    environment.set("ZMT_LOCK_DIR", "/nonexistent/first");
    ControllerHold first, second;
    HolderInfo holder;
    ASSERT_TRUE(first.acquire(node.string(), holder, ControllerHold::Place::Device)) << first.failure();
    first.noteSerial(1002);
    environment.set("ZMT_LOCK_DIR", "/nonexistent/second");
    EXPECT_FALSE(second.acquire(node.string(), holder, ControllerHold::Place::Device));
    EXPECT_TRUE(second.failure().empty());
    EXPECT_EQ(holder.processId, ::getpid()) << "named by the system's list of locks";
    first.release();
    ASSERT_TRUE(second.acquire(node.string(), holder, ControllerHold::Place::Device));
    second.release();

    const int other = ::open(node.c_str(), O_RDONLY);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    EXPECT_FALSE(first.acquire(node.string(), holder, ControllerHold::Place::Device));
    EXPECT_TRUE(first.failure().empty());
    ::close(other);
    std::filesystem::remove(node);
}
#endif

} // namespace
} // namespace zmt::test
