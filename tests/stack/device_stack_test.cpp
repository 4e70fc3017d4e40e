// The device stack both programs own: which backend it talks through, and the
// simulated controller's state file it keeps. The parts above the backend
// have their own tests.
#include "stack/device_stack.h"
#include "sim/simulator.h"
#include "../config/test_files.h"
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
        EXPECT_EQ(stack.link().probeController(), errNone);
        EXPECT_EQ(stack.watch().readIdentity(), errNone);
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

    Stack simulated(true, path);
    EXPECT_EQ(simulated.hardwareMade, 0);
    ASSERT_NE(simulated.stack.simulator(), nullptr);
    EXPECT_TRUE(simulated.stack.loadState(error)) << "a missing file is a fresh controller: " << error;
    simulated.stack.simulator()->controller().state.serialNumber = 77;
    EXPECT_TRUE(simulated.stack.saveState(error)) << error;
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

} // namespace
