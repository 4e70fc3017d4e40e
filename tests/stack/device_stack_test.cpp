// The device stack both programs own: which backend it talks through, and the
// simulated controller's state file it keeps. The parts above the backend
// have their own tests.
#include "stack/device_stack.h"
#include "sim/simulator.h"
#include "test_files.h"
#include "virtual_host.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zmt;

namespace {

// A stack on the virtual clock; "hardware" is a simulated backend with a
// controller of its own serial number, so it can be told from the simulator's.
struct Stack {
    test::VirtualHost host;
    ProgramFlags flags;
    QuietWatchWindow window;
    int hardwareMade = 0;
    DeviceStack stack;

    Stack(bool simulated, std::string stateFile)
        : stack(host, flags, window, {.simulated = simulated, .stateFile = std::move(stateFile), .hardware = [this] {
                    ++hardwareMade;
                    auto backend = std::make_unique<sim::SimulatedHidBackend>([this] { return host.now; });
                    backend->addController(std::make_shared<sim::SimulatedController>(4242));
                    return backend;
                }}) {}

    uint32_t serialSeen() {
        EXPECT_EQ(stack.link().probeController(), ResultCode::Ok);
        EXPECT_EQ(stack.watch().readIdentity(), ResultCode::Ok);
        return stack.watch().identity().serialNumber;
    }
};

TEST(DeviceStack, HardwareIsMadeOnceAndOnlyWithoutTheSimulatorWhoseStateFileItIgnores) {
    test::TempFolder folder;
    const std::string path = folder.file("unit.state");
    std::string error;

    Stack hardware(false, path);
    EXPECT_EQ(hardware.hardwareMade, 1);
    EXPECT_EQ(hardware.stack.simulator(), nullptr);
    EXPECT_EQ(hardware.serialSeen(), 4242u);
    EXPECT_TRUE(hardware.stack.loadState(error));
    EXPECT_TRUE(hardware.stack.saveState(error));
    EXPECT_FALSE(std::filesystem::exists(path)) << "no simulated controller, nothing to keep";

    {
        Stack simulated(true, path);
        EXPECT_EQ(simulated.hardwareMade, 0);
        ASSERT_NE(simulated.stack.simulator(), nullptr);
        EXPECT_TRUE(simulated.stack.loadState(error)) << "a missing file is a fresh controller: " << error;
        simulated.stack.simulator()->controller().state.serialNumber = 77;
        EXPECT_TRUE(simulated.stack.saveState(error)) << error;
    }
    EXPECT_EQ(Stack(true, path).serialSeen(), 1001u) << "loaded only when asked";
    Stack again(true, path);
    EXPECT_TRUE(again.stack.loadState(error)) << error;
    EXPECT_EQ(again.serialSeen(), 77u);

    // Without a state file both succeed at once and write nothing.
    Stack unkept(true, {});
    EXPECT_TRUE(unkept.stack.loadState(error));
    EXPECT_TRUE(unkept.stack.saveState(error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

// One unit per state file, each file held from its load on: a second stack
// on a file in use is refused before it reads it, so its save can never
// undo the first one's changes.
TEST(DeviceStack, EachUnitKeepsItsOwnHeldStateFile) {
    test::TempFolder folder;
    const std::string first = folder.file("a.state"), second = folder.file("b.state");
    std::string error;
    test::VirtualHost host;
    ProgramFlags flags;
    QuietWatchWindow window;
    const auto twoUnits = [&] {
        return std::make_unique<DeviceStack>(host, flags, window,
                                             BackendChoice{.simulated = true, .stateFile = first,
                                                           .hardware = nullptr, .moreUnits = {"", second}});
    };
    {
        auto stack = twoUnits();
        ASSERT_TRUE(stack->loadState(error)) << error;
        ASSERT_EQ(stack->simulator()->unitCount(), 3u);
        EXPECT_EQ(stack->simulator()->controller(2).state.serialNumber, 1003u) << "fresh units have serials of their own";
        stack->simulator()->controller(2).state.config[7] = 0x5A;

        Stack other(true, second);
        EXPECT_FALSE(other.stack.loadState(error));
        EXPECT_TRUE(other.stack.stateFileBusy());
        EXPECT_NE(error.find(second), std::string::npos) << error;
        ASSERT_TRUE(stack->saveState(error)) << error;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2) << "none for the unit without";
    auto again = twoUnits();
    ASSERT_TRUE(again->loadState(error)) << "free again once the first is gone: " << error;
    EXPECT_EQ(again->simulator()->controller(2).state.config[7], 0x5A);
    EXPECT_EQ(again->simulator()->controller(0).state.serialNumber, 1001u);
}

} // namespace
