// The simulator's state file: what is saved comes back, files are replaced
// whole, and bad files are refused with a message naming the line.
#include "sim/state_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zmt::sim {
namespace {

ControllerState usedState() {
    ControllerState state;
    state.applicationVersion = 0;
    state.serialNumber = 0xFFFFFFFF;
    state.bootMode = true;
    state.openDenied = true;
    state.config[0] = 1;
    state.config[978] = 0xAB;
    state.touch = {1, 0, 0x20, 0x01, 0xE0, 0x0E, 0x30, 0x02, 0xD0, 0x0D};
    state.keyLevels = {0, 80, 160, 255};
    state.irCode = {0xDE, 0xAD, 0xBE, 0xEF};
    state.log.push_back({1, 2, {0x0A, 0x0B}});
    state.log.push_back({7, 40, std::vector<uint8_t>(32, 0x55)});
    state.firmware.assign(130, 0x42);
    state.presses.push_back({1, 120});
    state.presses.push_back({3, 255});
    return state;
}

TEST(StateFile, TextRoundTrip) {
    const ControllerState state = usedState();
    ControllerState loaded;
    std::string error;
    ASSERT_TRUE(parseControllerState(formatControllerState(state), loaded, error)) << error;
    EXPECT_EQ(loaded, state);
}

TEST(StateFile, HandWrittenFileStartsFromTheFactoryState) {
    ControllerState state;
    std::string error;
    ASSERT_TRUE(parseControllerState("# my test device\n\n  serial = 77  \nconfig.965 = 2C 01\r\n", state, error))
        << error;
    EXPECT_EQ(state.serialNumber, 77u);
    EXPECT_EQ(state.config[965], 0x2C);
    EXPECT_EQ(state.config[1], 0xFF) << "bytes not named keep their factory value";
    EXPECT_FALSE(state.openDenied);
    // A port that opens is the usual case: the key is not written for it.
    EXPECT_EQ(formatControllerState(state).find("open_denied"), std::string::npos);
}

TEST(StateFile, BadLinesAreRefusedWithTheLineAndLeaveTheStateAlone) {
    const struct { const char* text; const char* mentions; } cases[] = {
        {"serial = 1\nflavour = sweet\n", "line 2: unknown key 'flavour'"},
        {"serial\n", "line 1: expected 'key = value'"},
        {"serial = -1\n", "line 1"},
        {"serial = 4294967296\n", "line 1"},
        {"device_code = 256\n", "line 1"},
        {"boot_mode = 2\n", "line 1"},
        {"open_denied = yes\n", "line 1"},
        {"touch = 1 2\n", "'1' is not a byte"},
        {"touch = 0G\n", "'0G'"},
        {"touch = 00 00 00 00 00 00 00 00 00 00 00\n", "past the end"},
        {"config.978 = 00 00\n", "past the end"},
        {"config.99999 = 00\n", "unknown key"},
        {"config.x = 00\n", "unknown key"},
        {"memory.0 = 00\n", "unknown key"},
        {"firmware.16440 = 00 00 00 00 00 00 00 00 00\n", "firmware"},
        {"log = 01\n", "log record"},
        {"press = 5:120\n", "line 1: '5:120' is not CHANNEL:LEVEL"},
        {"press = 0:120\n", "CHANNEL:LEVEL"},
        {"press = 2:0\n", "CHANNEL:LEVEL"},
        {"press = 2:256\n", "CHANNEL:LEVEL"},
        {"press = 2 120\n", "CHANNEL:LEVEL"},
        {"key_levels = 00 00 00 00 00\n", "past the end"},
    };
    for (const auto& c : cases) {
        ControllerState state;
        state.serialNumber = 5;
        std::string error;
        EXPECT_FALSE(parseControllerState(c.text, state, error)) << c.text;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.text << " gave: " << error;
        EXPECT_EQ(state.serialNumber, 5u);
    }
}

class StateFileOnDisk : public ::testing::Test {
protected:
    std::filesystem::path folder;
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("zmt-state-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(StateFileOnDisk, SavedStateLoadsBackAndNoTemporaryIsLeft) {
    const std::string path = (folder / "device.state").string();
    std::string error;
    ASSERT_TRUE(saveControllerState(path, ControllerState{}, error)) << error;
    ASSERT_TRUE(saveControllerState(path, usedState(), error)) << error;   // replaces
    ControllerState loaded;
    ASSERT_TRUE(loadControllerState(path, loaded, error)) << error;
    EXPECT_EQ(loaded, usedState());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(StateFileOnDisk, UnreadableOrUnwritablePlacesAreErrorsNamingThePath) {
    std::string error;
    ControllerState state;
    const std::string missing = (folder / "missing.state").string();
    EXPECT_FALSE(loadControllerState(missing, state, error));
    EXPECT_NE(error.find(missing), std::string::npos);
    EXPECT_FALSE(saveControllerState((folder / "no" / "such" / "dir.state").string(), state, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(loadControllerState(folder.string(), state, error)) << "a folder is not a state file";

    const std::string binary = (folder / "binary.state").string();
    std::ofstream(binary, std::ios::binary) << std::string("\0\x01\xFF=\xFE", 5);
    EXPECT_FALSE(loadControllerState(binary, state, error));
    EXPECT_NE(error.find(binary + ": line 1"), std::string::npos) << error;
}

} // namespace
} // namespace zmt::sim

#include "sim/simulator.h"

namespace zmt::sim {
namespace {

TEST_F(StateFileOnDisk, SuccessiveSimulatorRunsActOnOneDevice) {
    const std::string path = (folder / "shared.state").string();
    uint32_t now = 1;
    std::string error;
    {
        Simulator first([&] { return now; });
        ASSERT_TRUE(first.load(path, error)) << "a missing file is a fresh device: " << error;
        first.controller().state.config[10] = 0x99;
        first.controller().pushLogRecord(2, {1, 2, 3});
        ASSERT_TRUE(first.save(path, error)) << error;
    }
    {
        Simulator second([&] { return now; });
        ASSERT_TRUE(second.load(path, error)) << error;
        EXPECT_EQ(second.controller().state.config[10], 0x99);
        EXPECT_EQ(second.controller().state.log.size(), 1u);
        // Held from its load on: a run beside it is refused before it reads
        // the file, so its save can never undo this one's changes.
        Simulator beside([&] { return now; });
        EXPECT_FALSE(beside.load((folder / "." / "shared.state").string(), error)) << "the same file named otherwise";
        EXPECT_TRUE(beside.lastLoadBusy());
    }

    std::ofstream(path) << "serial = banana\n";
    Simulator third([&] { return now; });
    EXPECT_FALSE(third.load(path, error));
    EXPECT_FALSE(third.lastLoadBusy());
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_EQ(third.controller().state, ControllerState{}) << "a bad file changes nothing";
}

} // namespace
} // namespace zmt::sim
