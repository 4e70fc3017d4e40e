// The simulated controller as the program sees it through the real link:
// factory state, reset and defaults, calibration, boot loader and firmware,
// faults, several devices.
#include "device/identity.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace zmt::test {
namespace {

class SimulatedDevice : public ::testing::Test {
protected:
    SimRig rig;
    sim::SimulatedController& device() { return *rig.controller; }

    IdentityBlock readIdentity(ResultCode expected = ResultCode::Ok) {
        std::array<uint8_t, kIdentityCapacity> raw{};
        std::size_t count = 0;
        EXPECT_EQ(rig.link.readFrame(cmdIdentity, 0, raw.data(), raw.size(), count), expected);
        return IdentityBlock::fromBytes(raw);
    }
    uint8_t readByte(uint8_t command, uint16_t offset) {
        uint8_t value = 0xEE;
        EXPECT_EQ(rig.link.readBlock(command, offset, &value, 1), ResultCode::Ok);
        return value;
    }
    ResultCode writeByte(uint8_t command, uint16_t offset, uint8_t value) {
        return rig.link.writeFrame(command, offset, &value, 1);
    }
};

TEST_F(SimulatedDevice, FactoryConfigurationAndResetToDefaults) {
    std::array<uint8_t, 979> image{};
    ASSERT_EQ(rig.link.readBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
    EXPECT_EQ(image[965], 0xDC);
    EXPECT_EQ(image[966], 0x05);
    EXPECT_EQ(image[1], 0xFF);
    EXPECT_EQ(image[4], 0xFF);
    EXPECT_EQ(std::count(image.begin(), image.end(), 0), 979 - 6);

    ASSERT_EQ(writeByte(cmdConfigMemory, 967, 2), ResultCode::Ok);
    EXPECT_EQ(readByte(cmdConfigMemory, 967), 2);
    ASSERT_EQ(rig.link.writeFrame(cmdDefaults, 0, nullptr, 0), ResultCode::Ok);
    EXPECT_EQ(readByte(cmdConfigMemory, 967), 0);
}

TEST_F(SimulatedDevice, WritesOutsideAMemoryAreRejected) {
    const uint8_t two[2] = {1, 2};
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 978, two, 2), ResultCode::BadParameters);
    EXPECT_EQ(writeByte(cmdKeyLevels, 0, 1), ResultCode::BadParameters);
    EXPECT_EQ(writeByte(0x7E, 0, 1), ResultCode::BadParameters);
}

TEST_F(SimulatedDevice, LevelsInfraredCodeAndLogQueue) {
    device().state.keyLevels = {10, 20, 30, 40};
    device().state.irCode = {1, 2, 3, 4};
    std::array<uint8_t, 4> got{};
    ASSERT_EQ(rig.link.readBlock(cmdKeyLevels, 0, got.data(), 4), ResultCode::Ok);
    EXPECT_EQ(got, device().state.keyLevels);
    ASSERT_EQ(rig.link.readBlock(cmdIrCode, 0, got.data(), 4), ResultCode::Ok);
    EXPECT_EQ(got, device().state.irCode);

    device().pushLogRecord(3, {9});
    std::array<uint8_t, 34> record{};
    std::size_t count = 0;
    ASSERT_EQ(rig.link.readFrame(cmdDeviceLog, 0, record.data(), record.size(), count), ResultCode::Ok);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(record[0], 3);
    EXPECT_EQ(record[2], 9);
    // A record of type and length only (the sanitizer build once caught the
    // copy of its missing data).
    device().pushLogRecord(5, {});
    ASSERT_EQ(rig.link.readFrame(cmdDeviceLog, 0, record.data(), record.size(), count), ResultCode::Ok);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(record[0], 5);
    EXPECT_EQ(record[1], 0);
    ASSERT_EQ(rig.link.readFrame(cmdDeviceLog, 0, record.data(), record.size(), count), ResultCode::Ok);
    EXPECT_EQ(count, 0u) << "queue empty";
}

TEST_F(SimulatedDevice, ResetRestartsAndTheControllerComesBack) {
    ASSERT_EQ(rig.link.writeFrame(cmdReset, 0, nullptr, 0), ResultCode::Ok);
    EXPECT_TRUE(rig.backend.enumerate().empty()) << "away from USB while it restarts";
    rig.host.advance(sim::kRestartMs);
    EXPECT_EQ(rig.backend.enumerate().size(), 1u);
    EXPECT_EQ(readIdentity().serialNumber, 1001u);
}

TEST_F(SimulatedDevice, CalibrationSteppedByHand) {
    ASSERT_EQ(writeByte(cmdTouchMemory, 0, 1), ResultCode::Ok);
    EXPECT_EQ(readByte(cmdTouchMemory, 1), 1);
    std::vector<uint8_t> seen;
    for (int corner = 0; corner < 3; ++corner) {
        device().touchPress(rig.host.now);
        seen.push_back(readByte(cmdTouchMemory, 1));
        device().touchRelease(rig.host.now);
        seen.push_back(readByte(cmdTouchMemory, 1));
    }
    EXPECT_EQ(seen, (std::vector<uint8_t>{0x81, 2, 0x82, 3, 0x83, 0}));
    std::array<uint8_t, 10> touch{};
    ASSERT_EQ(rig.link.readBlock(cmdTouchMemory, 0, touch.data(), 10), ResultCode::Ok);
    EXPECT_EQ(touch[0], 1);
    EXPECT_NE(touch[2], 0) << "corner results stored";
}

TEST_F(SimulatedDevice, CalibrationByTimeAndGivingUp) {
    device().calibrationAutoStepMs = 300;
    ASSERT_EQ(writeByte(cmdTouchMemory, 0, 0), ResultCode::Ok);
    rig.host.advance(300);
    EXPECT_EQ(readByte(cmdTouchMemory, 1), 0x81);
    rig.host.advance(1500);
    EXPECT_EQ(readByte(cmdTouchMemory, 1), 0);

    device().calibrationAutoStepMs = 0;
    device().calibrationTimeoutMs = 2000;
    ASSERT_EQ(writeByte(cmdTouchMemory, 0, 0), ResultCode::Ok);
    rig.host.advance(2100);
    EXPECT_EQ(readByte(cmdTouchMemory, 1), 4) << "a run that gives up never ends on the last corner";
    rig.host.advance(500);
    EXPECT_EQ(readByte(cmdTouchMemory, 1), 0);
}

TEST_F(SimulatedDevice, FirstFirmwareFrameStartsTheBootLoaderWhichAppliesTheImage) {
    std::vector<uint8_t> payload(1000, 0x11);
    // The image describes itself as the file header does: version 3.00,
    // this controller's device code and type.
    const uint8_t description[8] = {0, 0, 0, 0, 0x2C, 0x01, 1, 1};
    std::copy(description, description + 8, payload.begin());
    ASSERT_EQ(rig.link.writeFrame(cmdFirmwareData, 0, payload.data(), 64), ResultCode::Ok);
    rig.host.advance(sim::kRestartMs);
    IdentityBlock boot = readIdentity();
    EXPECT_TRUE(boot.bootLoaderRunning());
    EXPECT_EQ(boot.applicationVersion, 0);
    uint8_t byte = 0;
    std::size_t count = 0;
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, &byte, 1, count), ResultCode::BadResult);

    payload.resize(payload.size() + 64);
    ASSERT_EQ(rig.link.writeBlock(cmdFirmwareData, 0, payload.data(), payload.size()), ResultCode::Ok);
    EXPECT_EQ(device().state.firmware, payload);
    rig.host.advance(sim::kFirmwareApplyIdleMs + sim::kRestartMs);
    const IdentityBlock updated = readIdentity();
    EXPECT_FALSE(updated.bootLoaderRunning());
    EXPECT_EQ(updated.applicationVersion, 300);
    EXPECT_EQ(updated.controllerName, sim::kApplicationName);
}

TEST_F(SimulatedDevice, ResetOfTheBootLoaderStartsAStoredImage) {
    // As a state file leaves it: boot loader running, image stored.
    device().state.bootMode = true;
    device().state.firmware = {0, 0, 0, 0, 0x2D, 0x01, 1, 1, 0x55};
    ASSERT_EQ(rig.link.writeFrame(cmdReset, 0, nullptr, 0), ResultCode::Ok);
    rig.host.advance(sim::kRestartMs);
    EXPECT_EQ(readIdentity().applicationVersion, 301);
}

TEST_F(SimulatedDevice, ImageForAnotherDeviceKeepsTheOldVersion) {
    device().state.bootMode = true;
    device().state.firmware = {0, 0, 0, 0, 0x2D, 0x01, 2, 1, 0x55};   // device code 2
    ASSERT_EQ(rig.link.writeFrame(cmdReset, 0, nullptr, 0), ResultCode::Ok);
    rig.host.advance(sim::kRestartMs);
    EXPECT_EQ(readIdentity().applicationVersion, 117);
}

TEST_F(SimulatedDevice, HeldButtonWandersWithinThreeIdleStaysPut) {
    device().levelNoise = 3;
    device().state.keyLevels = {sim::kIdleKeyLevel, 100, sim::kIdleKeyLevel, 200};
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        uint8_t levels[4] = {};
        std::size_t count = 0;
        ASSERT_EQ(rig.link.readFrame(cmdKeyLevels, 0, levels, 4, count), ResultCode::Ok);
        EXPECT_EQ(levels[0], sim::kIdleKeyLevel);
        EXPECT_EQ(levels[2], sim::kIdleKeyLevel);
        EXPECT_LE(std::abs(levels[1] - 100), 3);
        EXPECT_LE(std::abs(levels[3] - 200), 3);
        seen.insert(levels[1]);
    }
    EXPECT_GT(seen.size(), 3u) << "the level should wander";
}

TEST_F(SimulatedDevice, UnplugAfterFramesCutsABlockShort) {
    device().faults.unplugAfterFrames = 3;
    std::vector<uint8_t> image(979);
    EXPECT_EQ(rig.link.writeBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Disconnected);
    EXPECT_EQ(device().requestsHandled(), 3u);
    rig.backend.plug(*rig.port);
    EXPECT_EQ(rig.link.writeBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
}

TEST_F(SimulatedDevice, SendAndFetchFailuresAndPlatformExceptions) {
    device().faults.failSend = true;
    EXPECT_EQ(writeByte(cmdConfigMemory, 0, 1), ResultCode::Exchange);
    EXPECT_EQ(device().requestsHandled(), 0u);
    device().faults.failSend = false;
    device().faults.throwOnTransfer = true;
    EXPECT_EQ(writeByte(cmdConfigMemory, 0, 1), ResultCode::Disconnected);
    EXPECT_FALSE(rig.transport.isOpen());
    device().faults.throwOnTransfer = false;
    EXPECT_EQ(writeByte(cmdConfigMemory, 0, 1), ResultCode::Ok);
}

TEST_F(SimulatedDevice, SecondControllerNeverTakesOverWhileTheFirstIsExpected) {
    auto second = std::make_shared<sim::SimulatedController>(2002);
    rig.backend.addController(second);
    EXPECT_EQ(readIdentity(ResultCode::Several).serialNumber, 0u) << "two present and none chosen: nothing is sent";
    rig.transport.expectSerial(1001);
    EXPECT_EQ(readIdentity().serialNumber, 1001u);
    rig.backend.unplug(*rig.port);
    // The held handle dies with the first controller; the retry does not
    // go over to the second.
    EXPECT_EQ(readIdentity(ResultCode::Disconnected).serialNumber, 0u);
    rig.transport.expectSerial(std::nullopt);
    EXPECT_EQ(readIdentity().serialNumber, 2002u) << "the only one left, once none is expected";
}

} // namespace
} // namespace zmt::test
