// The hold one program keeps on a controller (and a simulator state file):
// a second hold on the same key is refused and told who holds it, whatever
// it finds in the lock file; lock file names stay apart and harmless.
#include "device/controller_hold.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

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

} // namespace
} // namespace zmt::test
