#include "device/firmware_update.h"
#include "lang/lang.h"
#include "polling_window.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <system_error>

using namespace zmt;

namespace {

// The image description a simulated application carries at its start.
std::vector<uint8_t> simulatedPayload(std::size_t size, uint16_t version, uint8_t code = 1, uint8_t type = 1) {
    std::vector<uint8_t> payload(size, 0xA5);
    const uint8_t description[8] = {0, 0, 0, 0, static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
                                    code, type};
    std::copy(description, description + std::min<std::size_t>(8, size), payload.begin());
    return payload;
}

struct Frame { unsigned command, offset, length; bool operator==(const Frame&) const = default; };

class FirmwareTest : public ::testing::Test {
protected:
    FirmwareTest() {
        dir = std::filesystem::temp_directory_path() /
              ("zmt-firmware-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        // The window's poll timer: it is what finds the boot loader.
        window.startPollTimer();
        watch.pollController();
    }
    ~FirmwareTest() override {
        std::filesystem::remove_all(dir);
        setLanguage("ru");
    }

    std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string ldr(const std::string& name, uint16_t version, const std::vector<uint8_t>& payload,
                    uint8_t code = 1, uint8_t type = 1) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(buildFirmwareFile({0x12345678, version, code, type}, payload, bytes));
        return writeFile(name, bytes);
    }
    FirmwareOutcome update(const std::string& path) {
        return firmware.updateFirmware([path] { return path; });
    }
    std::vector<Frame> firmwareFrames() {
        std::vector<Frame> frames;
        for (const std::string& line : rig.host.memo) {
            const std::size_t at = line.find("> CMD:82");
            Frame f{};
            if (at != std::string::npos &&
                std::sscanf(line.c_str() + at, "> CMD:%X OFFSET:%u LEN:%u", &f.command, &f.offset, &f.length) == 3)
                frames.push_back(f);
        }
        return frames;
    }
    // A fault that starts right after the update's identity read.
    void afterNextIdentityRead(std::function<void()> fault) {
        std::size_t seen = controller().requestsHandled();
        rig.backend.setTransferCost(1, [this, seen, fault](uint32_t ms) mutable {
            rig.host.now += ms;
            if (!fault || controller().requestsHandled() == seen) return;
            seen = controller().requestsHandled();
            if (controller().lastRequest()[1] == cmdIdentity) {
                fault();
                fault = nullptr;
            }
        });
    }
    std::string lastBox() { return rig.host.boxes.empty() ? std::string() : rig.host.boxes.back().text; }
    sim::SimulatedController& controller() { return *rig.controller; }

    std::filesystem::path dir;
    test::SimRig rig;
    ProgramFlags flags;
    test::PollingWindow window{rig.host, [this] { watch.onPollTick(); }};
    ConnectionWatch watch{rig.link, flags, window};
    FirmwareUpdate firmware{rig.link, watch, flags};
};

TEST(FirmwareCheckValue, IsCrc16Xmodem) {
    const char* digits = "123456789";
    EXPECT_EQ(crc16Xmodem(reinterpret_cast<const uint8_t*>(digits), 9), 0x31C3);
    EXPECT_EQ(crc16Xmodem(nullptr, 0), 0);
    EXPECT_EQ(fileNameOf("/a/b/NEW.LDR"), "NEW.LDR");
    EXPECT_EQ(fileNameOf("C:\\fw\\NEW.LDR"), "NEW.LDR");
}

TEST_F(FirmwareTest, FileChecksInOrderNameTheFile) {
    FirmwareImage image;
    // Each with the system's reason, and never read as an empty or short file.
    EXPECT_FALSE(loadFirmwareFile(rig.host, (dir / "missing.LDR").string(), image));
    EXPECT_EQ(lastBox(), "Ошибка открытия файла \"missing.LDR\"\n" + std::generic_category().message(ENOENT));
    std::filesystem::create_directory(dir / "folder.LDR");
    EXPECT_FALSE(loadFirmwareFile(rig.host, (dir / "folder.LDR").string(), image));
    EXPECT_EQ(lastBox(), "Ошибка открытия файла \"folder.LDR\"\n" + std::generic_category().message(EISDIR));

    std::vector<uint8_t> largest;
    ASSERT_TRUE(buildFirmwareFile({}, std::vector<uint8_t>(kFirmwareFileMax - kFirmwareOverhead, 7), largest));
    ASSERT_EQ(largest.size(), 16384u);
    EXPECT_TRUE(loadFirmwareFile(rig.host, writeFile("full.LDR", largest), image));
    EXPECT_EQ(image.payloadSize(), 16374u);
    EXPECT_EQ(image.buffer[8 + 16374 + 2], 0) << "after the file the buffer reads zeros";

    largest.push_back(0);
    setLanguage("en");
    EXPECT_FALSE(loadFirmwareFile(rig.host, writeFile("big.LDR", largest), image));
    EXPECT_EQ(lastBox(), "Error file size \"big.LDR\"");

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(buildFirmwareFile({0, 118, 1, 1}, std::vector<uint8_t>(100, 1), bytes));
    bytes[50] ^= 1;
    EXPECT_FALSE(loadFirmwareFile(rig.host, writeFile("bad.LDR", bytes), image));
    EXPECT_EQ(lastBox(), "Error in file \"bad.LDR\"");
    EXPECT_EQ(std::count(image.buffer.begin(), image.buffer.end(), 0), static_cast<long>(kFirmwareBufferSize))
        << "the refused file's unchecked bytes stay in the transfer buffer";

    for (std::size_t size : {0, 1, 9}) {
        EXPECT_FALSE(loadFirmwareFile(rig.host, writeFile("tiny.LDR", std::vector<uint8_t>(size, 0)), image));
        EXPECT_EQ(lastBox(), "Error file size \"tiny.LDR\"") << size;
    }
    // A header and a valid check value with nothing between would install nothing.
    ASSERT_TRUE(buildFirmwareFile({0, 118, 1, 1}, {}, bytes));
    ASSERT_EQ(bytes.size(), kFirmwareOverhead);
    EXPECT_FALSE(loadFirmwareFile(rig.host, writeFile("empty.LDR", bytes), image));
    EXPECT_EQ(lastBox(), "Error file size \"empty.LDR\"");
    EXPECT_FALSE(image.loaded());
    EXPECT_EQ(rig.host.boxes.size(), 8u);
    // The smallest file carries one byte.
    ASSERT_TRUE(buildFirmwareFile({0, 118, 1, 1}, {0x5A}, bytes));
    EXPECT_TRUE(loadFirmwareFile(rig.host, writeFile("one.LDR", bytes), image));
    EXPECT_EQ(image.header.applicationVersion, 118);
    EXPECT_EQ(image.payloadSize(), 1u);
    EXPECT_FALSE(buildFirmwareFile({}, std::vector<uint8_t>(16375), bytes));
}

TEST_F(FirmwareTest, ApplicationHandsOverAndComesBackWithTheNewVersion) {
    const std::string path = ldr("NEW.LDR", 118, simulatedPayload(3000, 118));
    rig.host.answers.push_back(Answer::Yes);
    EXPECT_EQ(update(path), FirmwareOutcome::Updated);
    EXPECT_TRUE(rig.host.boxes.empty()) << "a newer version asks nothing";
    ASSERT_FALSE(rig.host.notices.empty());
    EXPECT_EQ(rig.host.notices.back().text, "Устройство обновлено до версии 1.18");
    EXPECT_EQ(rig.host.notices.back().clearMs, 0u);
    EXPECT_EQ(rig.host.gaugeHistory.front().maximum, 3000);
    EXPECT_EQ(rig.host.memo.front(), "**************** Устройство ****************");

    rig.host.advance(sim::kFirmwareApplyIdleMs + sim::kRestartMs + 400);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_EQ(watch.identity().applicationVersion, 118);
    EXPECT_EQ(watch.identity().controllerName, sim::kApplicationName);
    EXPECT_TRUE(controller().state.firmware.empty());
}

TEST_F(FirmwareTest, BootLoaderGetsPayloadPlusOneFrameAtOnce) {
    controller().state.bootMode = true;
    rig.host.advance(kPollIntervalMs * 2);
    rig.host.logOn = true;
    const std::vector<uint8_t> payload = simulatedPayload(1000, 118);
    const std::string path = ldr("boot.LDR", 118, payload);
    const uint32_t start = rig.host.now;
    EXPECT_EQ(update(path), FirmwareOutcome::Updated);
    EXPECT_TRUE(rig.host.boxes.empty()) << "version 0 is below any file's: no question";
    EXPECT_LT(rig.host.now - start, 1000u) << "no hand-over, no pause";
    const std::vector<Frame> frames = firmwareFrames();
    ASSERT_EQ(frames.size(), 17u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].offset, 64 * i);
        EXPECT_EQ(frames[i].length, i < 16 ? 64u : 40u);
    }
    // The controller got the payload, then the check value and zeros.
    std::vector<uint8_t> file;
    buildFirmwareFile({0x12345678, 118, 1, 1}, payload, file);
    std::vector<uint8_t> expected = payload;
    expected.push_back(file[file.size() - 2]);
    expected.push_back(file[file.size() - 1]);
    expected.resize(1064, 0);
    EXPECT_EQ(controller().state.firmware, expected);
}

TEST_F(FirmwareTest, SameOrOlderVersionAsksAndNoSendsNothing) {
    rig.host.logOn = true;
    EXPECT_EQ(update(ldr("same.LDR", 117, simulatedPayload(200, 117))), FirmwareOutcome::Cancelled);
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].style.kind, MessageKind::Warning);
    EXPECT_EQ(rig.host.boxes[0].text, "Вы пытаетесь загрузить такую же версию как и в устройстве\nПродолжаем?");
    EXPECT_TRUE(firmwareFrames().empty());

    EXPECT_EQ(update(ldr("old.LDR", 116, simulatedPayload(200, 116))), FirmwareOutcome::Cancelled);
    EXPECT_EQ(lastBox(), "Вы пытаетесь загрузить более старую версию, чем в устройстве\nПродолжаем?");
    EXPECT_TRUE(firmwareFrames().empty());
    EXPECT_FALSE(controller().state.bootMode);

    rig.host.answers.push_back(Answer::Yes);
    EXPECT_EQ(update(ldr("again.LDR", 117, simulatedPayload(200, 117))), FirmwareOutcome::Updated);
}

TEST_F(FirmwareTest, SecondUpdateCannotStartInsideTheFirst) {
    FirmwareOutcome nested = FirmwareOutcome::Updated;
    EXPECT_EQ(firmware.updateFirmware([&] {
        nested = update(ldr("NEW.LDR", 118, simulatedPayload(100, 118)));
        return std::string();
    }), FirmwareOutcome::Cancelled);
    EXPECT_EQ(nested, FirmwareOutcome::Cancelled);
    EXPECT_FALSE(firmware.running());
}

TEST_F(FirmwareTest, AnImageThatWasNeverLoadedIsNotSent) {
    rig.host.logOn = true;
    FirmwareImage image;
    EXPECT_EQ(firmware.flashFirmware(image), FirmwareOutcome::FileRefused);
    // A good file, then a refused one in its place: the good one is gone.
    ASSERT_TRUE(loadFirmwareFile(rig.host, ldr("good.LDR", 118, simulatedPayload(100, 118)), image));
    EXPECT_FALSE(loadFirmwareFile(rig.host, writeFile("short.LDR", {1, 2, 3}), image));
    EXPECT_EQ(firmware.flashFirmware(image), FirmwareOutcome::FileRefused);
    EXPECT_TRUE(firmwareFrames().empty());
}

TEST_F(FirmwareTest, OtherDeviceCodeOrTypeIsRefused) {
    rig.host.logOn = true;
    EXPECT_EQ(update(ldr("code.LDR", 200, simulatedPayload(100, 200), 2, 1)), FirmwareOutcome::DeviceRefused);
    EXPECT_EQ(lastBox(), "Это обновление не для данного устройства");
    EXPECT_EQ(update(ldr("type.LDR", 200, simulatedPayload(100, 200), 1, 9)), FirmwareOutcome::DeviceRefused);
    EXPECT_EQ(lastBox(), "Это обновление не для данного типа устройства");
    EXPECT_TRUE(firmwareFrames().empty());
}

TEST_F(FirmwareTest, CancelledDialogOrMissingControllerEndsQuietlyOrWithItsBox) {
    EXPECT_EQ(firmware.updateFirmware([] { return std::string(); }), FirmwareOutcome::Cancelled);
    EXPECT_TRUE(rig.host.boxes.empty());
    rig.backend.unplug(*rig.port);
    bool asked = false;
    EXPECT_EQ(firmware.updateFirmware([&] { asked = true; return std::string("x"); }), FirmwareOutcome::DeviceRefused);
    EXPECT_FALSE(asked);
    EXPECT_EQ(lastBox().rfind("Ошибка чтения конфигурации устройства\n", 0), 0u);
}

TEST_F(FirmwareTest, HandOverAnsweredWithAnErrorWaitsForTheWatchThenTransfers) {
    // The reply to the hand-over frame arrives damaged; the controller
    // restarts into its boot loader all the same.
    afterNextIdentityRead([this] { controller().faults.corruptCheck = true; });
    rig.host.startTimer(10, [this] {
        if (controller().state.bootMode) controller().faults.corruptCheck = false;
    });
    const uint32_t start = rig.host.now;
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(500, 118))), FirmwareOutcome::Updated);
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_GE(rig.host.now - start, kBootLoaderSettleMs + kBootLoaderWaitStepMs);
    EXPECT_TRUE(flags.deviceConnected());
    rig.host.advance(sim::kFirmwareApplyIdleMs + sim::kRestartMs + 400);
    EXPECT_EQ(watch.identity().applicationVersion, 118);
}

TEST_F(FirmwareTest, ControllerThatNeverComesBackFailsAfterFiveSeconds) {
    controller().faults.noReply = true;
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(500, 118))), FirmwareOutcome::DeviceRefused)
        << "no reply to the identity either";

    // Identity fine, then the controller vanishes with the hand-over frame.
    controller().faults.noReply = false;
    rig.backend.plug(*rig.port);
    rig.host.advance(kPollIntervalMs * 2);
    controller().faults.unplugAfterFrames = 2;
    rig.host.boxes.clear();
    const uint32_t start = rig.host.now;
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(500, 118))), FirmwareOutcome::Failed);
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(lastBox().rfind("Ошибка обновления прошивки\n", 0), 0u);
    EXPECT_GE(rig.host.now - start, kBootLoaderWaitSteps * kBootLoaderWaitStepMs);
}

TEST_F(FirmwareTest, TransferFailingThreeTimesReportsTheLastCode) {
    controller().state.bootMode = true;
    rig.host.advance(kPollIntervalMs * 2);
    afterNextIdentityRead([this] { controller().faults.forceStatus = 0xFE; });
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(100, 118))), FirmwareOutcome::Failed);
    EXPECT_EQ(lastBox().rfind("Ошибка обновления прошивки\n" + resultText(ResultCode::BadParameters) +
                                  "\nКонтроллер получил только часть новой прошивки",
                              0),
              0u)
        << lastBox();
}

// zmtctl has the update wait for the new application: "updated" is said
// only once it runs, and a controller gone right after the last frame gets
// a message that says what it holds and what to do.
TEST_F(FirmwareTest, AnAwaitedUpdateIsReportedOnlyOnceTheNewApplicationRuns) {
    setLanguage("en");
    firmware.setAwaitNewApplication(true);
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(300, 118))), FirmwareOutcome::Updated);
    EXPECT_EQ(watch.identity().applicationVersion, 118) << "reported before the new application ran";
    ASSERT_EQ(rig.host.notices.size(), 1u);

    // 300 bytes and the closing frame are 6 frames; the 7th request, the
    // first look for the new application, is the last the controller takes.
    firmware.setBeforeTransfer([this] { controller().faults.unplugAfterFrames = 7; });
    rig.host.answers.push_back(Answer::Yes);   // the same version again
    EXPECT_EQ(update(ldr("NEW.LDR", 118, simulatedPayload(300, 118))), FirmwareOutcome::NotStarted);
    EXPECT_EQ(rig.host.notices.size(), 1u) << "the cut update was reported as done";
    EXPECT_EQ(lastBox().rfind("The controller has not started the new application\n"
                              "It received all of firmware 1.18, but has not been seen running it",
                              0),
              0u)
        << lastBox();
}

} // namespace
