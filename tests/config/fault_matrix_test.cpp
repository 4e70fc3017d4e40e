// Every way the controller can misbehave, against every transfer that moves
// the configuration: each cell injects one fault into the simulated
// controller, runs one operation the way the window does (poll and
// synchronisation timers live on the virtual clock), and then checks
//   - the operation ends in bounded virtual time with the right code and the
//     right message, shown once;
//   - nothing is taken as delivered that the controller does not hold;
//   - once the fault is gone and the controller is back, image and
//     controller agree again and nothing is left pending.
// A new operation or fault is one more entry in the tables at the bottom.
#include "config/config_file.h"
#include "config/config_transfer.h"
#include "device/firmware_update.h"
#include "lang/lang.h"
#include "polling_window.h"
#include "sim_rig.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace zmt;

namespace {

// Connect: a controller is plugged in and the poll reads its configuration,
// the road most users take.
enum class Operation { FullRead, FullWrite, Sync, Connect };

struct OperationInfo {
    const char* name;
    int frames;               // requests the operation sends when all goes well
    const char* errorFormat;  // the message its failure shows
};

OperationInfo info(Operation operation) {
    switch (operation) {
    case Operation::FullRead:   // 16 configuration frames and the touch block
        return {"read", 17, N_("Error reading the configuration of the device\n%s")};
    case Operation::FullWrite:  // 16 configuration frames and the restart
        return {"write", 17, N_("Error writing configuration\n%s")};
    case Operation::Sync:       // a run of 100 bytes (two frames) and two single bytes
        return {"sync", 4, N_("Error writing to the device\n%s")};
    case Operation::Connect:    // the identity, then the full read
        return {"connect", 18, N_("Error reading the configuration of the device\n%s")};
    }
    return {};
}

// One fault: what to set on the controller, and the code it must end in.
struct Fault {
    std::string name;
    std::function<void(sim::SimulatedController&)> inject;
    ResultCode expected;
    // A full write also ends in ResultCode::Disconnected when the reply to its closing
    // restart is lost: the controller is already restarting when the retry
    // comes. The configuration is in by then, which the convergence shows.
    bool restartReplyMayBeLost = false;
};

struct Cell {
    Operation operation;
    Fault fault;
};

void PrintTo(const Cell& cell, std::ostream* out) { *out << info(cell.operation).name << " with " << cell.fault.name; }

std::string cellName(const ::testing::TestParamInfo<Cell>& param) {
    return std::string(info(param.param.operation).name) + "_" + param.param.fault.name;
}

// The longest a cell may take in virtual time: a frame read that times out
// on every attempt gives up after 2 x 5 x (1000 + 50) ms; a full read whose
// 17 frames each answer just in time takes about 17 s.
constexpr uint32_t kFailureBoundMs = 12'000;
constexpr uint32_t kOperationBoundMs = 30'000;
constexpr uint32_t kRecoveryMs = 5'000;

class FaultMatrix : public ::testing::TestWithParam<Cell> {
protected:
    FaultMatrix() {
        setLanguage("en");
        watch.setReadConfiguration([this] { transfer.readNewController(); });
        // Other configuration in the controller than the defaults, so a read
        // that goes wrong has something to lose.
        for (std::size_t k = 200; k < 260; ++k) controller().state.config[k] = static_cast<uint8_t>(k);
    }
    ~FaultMatrix() override { setLanguage("ru"); }

    sim::SimulatedController& controller() { return *rig.controller; }

    // The window's two device timers.
    void startTimers() {
        window.startPollTimer();
        rig.host.startTimer(100, [this] { transfer.syncChanges(); });
    }
    void connect() {
        startTimers();
        rig.host.advance(2 * kPollIntervalMs);
        ASSERT_TRUE(flags.deviceConnected());
        ASSERT_TRUE(flags.imageValid());
        ASSERT_FALSE(transfer.changesPending());
        rig.host.boxes.clear();
    }

    // The user's edits: a run longer than one frame and two single bytes.
    void edit() {
        uint8_t* image = record.image.bytes();
        for (std::size_t k = 425; k < 525; ++k) image[k] = static_cast<uint8_t>(k ^ 0x5A);
        image[965] ^= 0x01;
        image[967] ^= 0x02;
    }

    ResultCode run(Operation operation) {
        switch (operation) {
        case Operation::FullRead:
            // Somebody else changed the controller since our last read.
            for (std::size_t k = 600; k < 700; ++k) controller().state.config[k] = 0x33;
            return transfer.readDeviceCommand();
        case Operation::FullWrite:
            edit();
            rig.host.answers.push_back(Answer::Yes);
            return transfer.writeDeviceCommand();
        case Operation::Sync:
            edit();
            return tickAndTell(100);   // one tick of the synchronisation
        case Operation::Connect:
            return tickAndTell(kPollIntervalMs);   // one poll
        }
        return ResultCode::Ok;
    }

    // Lets a timer run; its failure tells only through its box.
    ResultCode tickAndTell(uint32_t ms) {
        const std::size_t shown = rig.host.boxes.size();
        rig.host.advance(ms);
        if (rig.host.boxes.size() == shown) return ResultCode::Ok;
        return failureCodeOf(rig.host.boxes.back().text);
    }

    // The code whose text ends a shown message.
    static ResultCode failureCodeOf(const std::string& text) {
        for (ResultCode code : {ResultCode::Exchange, ResultCode::Disconnected, ResultCode::Timeout, ResultCode::BadParameters, ResultCode::BadResult})
            if (text.ends_with("\n" + resultText(code))) return code;
        return ResultCode::Ok;
    }

    // The error messages shown (the write's question is not one).
    std::vector<std::string> errorBoxes() const {
        std::vector<std::string> texts;
        for (const auto& box : rig.host.boxes)
            if (box.style.kind == MessageKind::Error) texts.push_back(box.text);
        return texts;
    }

    // No byte counts as delivered that the controller does not hold.
    void expectNothingClaimedThatIsNotThere() {
        for (std::size_t k = 0; k < kConfigImageSize; ++k) {
            if (record.image.bytes()[k] != record.deviceCopy.bytes()[k]) continue;
            ASSERT_EQ(controller().state.config[k], record.image.bytes()[k])
                << "byte " << k << " is taken as sent but the controller does not hold it";
        }
    }

    test::SimRig rig;
    ConfigRecord record;
    ProgramFlags flags;
    test::PollingWindow window{rig.host, [this] { watch.onPollTick(); }};
    ConnectionWatch watch{rig.link, flags, window};
    ConfigTransfer transfer{rig.link, record, flags, &watch};
};

TEST_P(FaultMatrix, EndsRightAndConvergesAfterReconnection) {
    const Cell& cell = GetParam();
    const OperationInfo op = info(cell.operation);
    if (cell.operation == Operation::Connect) {
        // Unplugged until the fault is set.
        controller().unplug();
        startTimers();
        rig.host.advance(kPollIntervalMs);
        controller().plug();
    } else {
        connect();
    }
    const ConfigImage imageBefore = record.image;

    cell.fault.inject(controller());
    const uint32_t start = rig.host.now;
    const ResultCode code = run(cell.operation);
    const uint32_t elapsed = rig.host.now - start;
    EXPECT_LT(elapsed, code == ResultCode::Ok ? kOperationBoundMs : kFailureBoundMs) << "the operation did not give up in time";

    const bool restartUnconfirmed = cell.operation == Operation::FullWrite && cell.fault.restartReplyMayBeLost &&
                                    code == ResultCode::Disconnected &&
                                    std::memcmp(controller().state.config.data(), record.image.bytes(), kConfigImageSize) == 0;
    const ResultCode expected = restartUnconfirmed ? ResultCode::Disconnected : cell.fault.expected;
    EXPECT_EQ(code, expected) << resultText(code);
    const auto errors = errorBoxes();
    if (expected == ResultCode::Ok) {
        EXPECT_TRUE(errors.empty()) << errors.front();
    } else {
        ASSERT_EQ(errors.size(), 1u) << "one message, not one per retry; the last: " << errors.back();
        std::string text = formatText(localized(op.errorFormat), resultText(expected).c_str());
        if (cell.operation == Operation::FullWrite && transfer.writeAccepted() > 0 &&
            transfer.writeAccepted() < kConfigImageSize) {
            // A write cut part-way says how much the controller took, and it does hold that much.
            const std::size_t took = transfer.writeAccepted();
            EXPECT_EQ(std::memcmp(controller().state.config.data(), record.image.bytes(), took), 0);
            text += "\nThe controller took " + std::to_string(took) + " of the 979 bytes";
            EXPECT_EQ(errors[0].substr(0, text.size()), text);
        } else {
            EXPECT_EQ(errors[0], text);
        }
    }
    if (cell.operation == Operation::FullRead || cell.operation == Operation::Connect) {
        if (code != ResultCode::Ok) {
            EXPECT_EQ(std::memcmp(record.image.bytes(), imageBefore.bytes(), kConfigImageSize), 0)
                << "a failed read changed the image";
        }
    } else {
        expectNothingClaimedThatIsNotThere();
    }

    // The fault goes away, the controller is plugged back in, the timers run.
    controller().faults = sim::Faults{};
    controller().plug();
    rig.host.advance(kRecoveryMs);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_TRUE(flags.imageValid());
    if (cell.operation == Operation::FullRead && code != ResultCode::Ok) {
        // The user reads again.
        ASSERT_EQ(transfer.readDeviceCommand(), ResultCode::Ok);
    }
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(std::memcmp(controller().state.config.data(), record.image.bytes(), kConfigImageSize), 0)
        << "image and controller still differ";
    EXPECT_EQ(std::memcmp(record.deviceCopy.bytes(), record.image.bytes(), kConfigImageSize), 0);
}

std::vector<Fault> faultsFor(Operation operation) {
    std::vector<Fault> faults;
    // Gone after taking each request in turn: its reply never comes. (A
    // controller lost before its identity arrived is simply not there yet.)
    for (int frame = operation == Operation::Connect ? 2 : 1; frame <= info(operation).frames; ++frame)
        faults.push_back({"unplug_after_frame_" + std::to_string(frame),
                          [frame](sim::SimulatedController& c) { c.faults.unplugAfterFrames = frame; },
                          ResultCode::Disconnected});
    const auto corrupt = [](int percent) {
        return [percent](sim::SimulatedController& c) {
            c.faults.corruptPercent = percent;
            c.faults.corruptRandom.seed(20261207);
        };
    };
    // Retries absorb an occasional bad frame.
    faults.push_back({"check_byte_corrupt_1_percent", corrupt(1), ResultCode::Ok, true});
    faults.push_back({"check_byte_corrupt_10_percent", corrupt(10), ResultCode::Ok, true});
    faults.push_back({"reply_after_990_ms", [](sim::SimulatedController& c) { c.faults.replyDelayMs = 990; }, ResultCode::Ok});
    // The rest spoil the identity too: such a controller is never announced.
    if (operation == Operation::Connect) return faults;
    faults.push_back({"reply_after_1010_ms", [](sim::SimulatedController& c) { c.faults.replyDelayMs = 1010; }, ResultCode::Timeout});
    faults.push_back({"silent", [](sim::SimulatedController& c) { c.faults.noReply = true; }, ResultCode::Timeout});
    faults.push_back({"wrong_report_id", [](sim::SimulatedController& c) { c.faults.wrongReportId = true; }, ResultCode::Exchange});
    faults.push_back({"wrong_offset", [](sim::SimulatedController& c) { c.faults.wrongOffset = true; }, ResultCode::Exchange});
    faults.push_back({"wrong_command", [](sim::SimulatedController& c) { c.faults.wrongCommand = true; }, ResultCode::Exchange});
    faults.push_back({"refused_FE", [](sim::SimulatedController& c) { c.faults.forceStatus = 0xFE; }, ResultCode::BadParameters});
    faults.push_back({"refused_FD", [](sim::SimulatedController& c) { c.faults.forceStatus = 0xFD; }, ResultCode::BadResult});
    return faults;
}

std::vector<Cell> cells() {
    std::vector<Cell> all;
    for (Operation operation : {Operation::FullRead, Operation::FullWrite, Operation::Sync, Operation::Connect})
        for (Fault& fault : faultsFor(operation)) all.push_back({operation, std::move(fault)});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Transfers, FaultMatrix, ::testing::ValuesIn(cells()), cellName);

// Firmware updates under the same faults: each cell injects its fault at one
// phase of the update (right after the identity read, so during the
// hand-over, or right before the first transfer frame), runs the update the
// way the window does, and checks that it ends in bounded virtual time with
// the right outcome and one message. Then the fault goes, the controller is
// back, and the user simply updates again: that must deliver the whole file
// and leave the controller running the new application version.
enum class FirmwarePhase { HandOver, Transfer };

struct FirmwareFault {
    std::string name;
    FirmwarePhase phase;
    std::function<void(test::SimRig&)> inject;
    FirmwareOutcome outcome;
    ResultCode expected;   // ResultCode::Ok when the update completes
};

void PrintTo(const FirmwareFault& fault, std::ostream* out) { *out << fault.name; }

// 1000 bytes: the hand-over frame, then 16 full frames and one closing frame.
constexpr std::size_t kMatrixPayload = 1000;
constexpr int kTransferFrames = 17;
constexpr uint16_t kOldVersion = 117;
constexpr uint16_t kNewVersion = 118;
// The longest failure: the hand-over times out (2 x 5 x 1050 ms) and the
// boot loader is awaited 5 s; or every transfer attempt times out.
constexpr uint32_t kFirmwareBoundMs = 40'000;

class FirmwareFaultMatrix : public ::testing::TestWithParam<FirmwareFault> {
protected:
    FirmwareFaultMatrix() {
        setLanguage("en");
        controller().state.applicationVersion = kOldVersion;
        // The payload starts with the description the new application reads its version from.
        std::vector<uint8_t> payload(kMatrixPayload);
        for (std::size_t k = 0; k < payload.size(); ++k) payload[k] = static_cast<uint8_t>(k * 7 + 3);
        const uint8_t description[8] = {0, 0, 0, 0, kNewVersion & 0xFF, kNewVersion >> 8, controller().state.deviceCode,
                                        controller().state.deviceType};
        std::copy(std::begin(description), std::end(description), payload.begin());
        std::vector<uint8_t> file;
        EXPECT_TRUE(buildFirmwareFile({0, kNewVersion, description[6], description[7]}, payload, file));
        test::writeFile(path, std::string(file.begin(), file.end()));
        // What the boot loader must hold after a complete transfer: the
        // payload, then one frame more (the check value, then zeros).
        delivered.assign(file.begin() + kFirmwareHeaderSize, file.end());
        delivered.resize(kMatrixPayload + kFrameData, 0);
        window.startPollTimer();
        rig.host.advance(2 * kPollIntervalMs);
    }
    ~FirmwareFaultMatrix() override { setLanguage("ru"); }

    sim::SimulatedController& controller() { return *rig.controller; }
    FirmwareOutcome update(const std::function<void()>& afterIdentity) {
        return firmware.updateFirmware([&] {
            if (afterIdentity) afterIdentity();
            return path;
        });
    }

    test::TempFolder folder;
    const std::string path = folder.file("NEW.LDR");
    std::vector<uint8_t> delivered;
    test::SimRig rig;
    ProgramFlags flags;
    test::PollingWindow window{rig.host, [this] { watch.onPollTick(); }};
    ConnectionWatch watch{rig.link, flags, window};
    FirmwareUpdate firmware{rig.link, watch, flags};
};

TEST_P(FirmwareFaultMatrix, EndsRightAndCompletesWhenRunAgain) {
    const FirmwareFault& fault = GetParam();
    ASSERT_TRUE(flags.deviceConnected());
    const auto inject = [&] { fault.inject(rig); };
    bool transferBegan = false;
    firmware.setBeforeTransfer([&] {
        transferBegan = true;
        if (fault.phase == FirmwarePhase::Transfer) inject();
    });
    const uint32_t start = rig.host.now;
    const FirmwareOutcome outcome = update(fault.phase == FirmwarePhase::HandOver ? std::function<void()>(inject)
                                                                                  : std::function<void()>());
    firmware.setBeforeTransfer(nullptr);
    EXPECT_LT(rig.host.now - start, kFirmwareBoundMs) << "the update did not give up in time";
    EXPECT_EQ(outcome, fault.outcome);
    std::vector<std::string> errors;
    for (const auto& box : rig.host.boxes)
        if (box.style.kind == MessageKind::Error) errors.push_back(box.text);
    if (fault.expected == ResultCode::Ok) {
        EXPECT_TRUE(errors.empty()) << (errors.empty() ? std::string() : errors.front());
        EXPECT_EQ(controller().state.firmware, delivered) << "the boot loader does not hold the whole file";
    } else {
        ASSERT_EQ(errors.size(), 1u) << "one message, not one per retry";
        const std::string reason = formatText(
            localized("Failed to update the firmware\n%s"), resultText(fault.expected).c_str());
        EXPECT_EQ(errors[0].substr(0, reason.size()), reason);
        // Cut during the transfer, the boot loader holds part of it; the
        // message says so and what to do.
        EXPECT_EQ(errors[0].find("run the update again with the same file") != std::string::npos, transferBegan)
            << errors[0];
    }

    // The fault goes away, the controller is back; whatever it was left
    // running, updating again brings it to the new version.
    controller().faults = sim::Faults{};
    controller().plug();
    rig.host.advance(kRecoveryMs);
    if (fault.expected != ResultCode::Ok) {
        ASSERT_TRUE(flags.deviceConnected()) << "the controller is not found again";
        rig.host.boxes.clear();
        rig.host.answers.assign(3, Answer::Yes);   // a half-applied image may already report the new version
        ASSERT_EQ(update(nullptr), FirmwareOutcome::Updated)
            << (rig.host.boxes.empty() ? std::string() : rig.host.boxes.back().text);
        EXPECT_EQ(controller().state.firmware, delivered) << "the boot loader does not hold the whole file";
    }
    rig.host.advance(sim::kFirmwareApplyIdleMs + sim::kRestartMs + kRecoveryMs);
    EXPECT_TRUE(flags.deviceConnected());
    EXPECT_FALSE(controller().state.bootMode);
    EXPECT_EQ(watch.identity().applicationVersion, kNewVersion);
}

// Gone right after the n-th firmware frame arrived: its reply never comes.
// The hand-over is frame 1; the transfer is frames 2 to 18.
std::function<void(test::SimRig&)> cutAfterFirmwareFrame(int frame) {
    return [frame](test::SimRig& rig) {
        sim::SimulatedController& c = *rig.controller;
        auto seen = c.requestsHandled();
        auto count = std::make_shared<int>(0);
        rig.backend.setTransferCost(1, [&rig, &c, seen, count, frame](uint32_t ms) mutable {
            rig.host.now += ms;
            if (c.requestsHandled() == seen) return;
            seen = c.requestsHandled();
            // Writes carry the command with bit 7 set.
            if ((c.lastRequest()[1] & 0x7F) == cmdFirmwareData && ++*count == frame) c.unplug();
        });
    };
}

std::function<void(test::SimRig&)> onController(std::function<void(sim::SimulatedController&)> change) {
    return [change](test::SimRig& rig) { change(*rig.controller); };
}

std::vector<FirmwareFault> firmwareFaults() {
    std::vector<FirmwareFault> faults;
    for (int frame = 1; frame <= 1 + kTransferFrames; ++frame)
        faults.push_back({"cut_after_firmware_frame_" + std::to_string(frame), FirmwarePhase::HandOver,
                          cutAfterFirmwareFrame(frame), FirmwareOutcome::Failed, ResultCode::Disconnected});
    const auto corrupt = [](int percent) {
        return onController([percent](sim::SimulatedController& c) {
            c.faults.corruptPercent = percent;
            c.faults.corruptRandom.seed(20261207);
        });
    };
    for (FirmwarePhase phase : {FirmwarePhase::HandOver, FirmwarePhase::Transfer}) {
        const std::string at = phase == FirmwarePhase::HandOver ? "handover_" : "transfer_";
        faults.push_back({at + "check_byte_corrupt_10_percent", phase, corrupt(10), FirmwareOutcome::Updated, ResultCode::Ok});
        faults.push_back({at + "reply_after_990_ms", phase,
                          onController([](sim::SimulatedController& c) { c.faults.replyDelayMs = 990; }),
                          FirmwareOutcome::Updated, ResultCode::Ok});
    }
    faults.push_back({"transfer_check_byte_always_corrupt", FirmwarePhase::Transfer,
                      onController([](sim::SimulatedController& c) { c.faults.corruptCheck = true; }),
                      FirmwareOutcome::Failed, ResultCode::Exchange});
    faults.push_back({"transfer_reply_after_1010_ms", FirmwarePhase::Transfer,
                      onController([](sim::SimulatedController& c) { c.faults.replyDelayMs = 1010; }),
                      FirmwareOutcome::Failed, ResultCode::Timeout});
    faults.push_back({"transfer_silent", FirmwarePhase::Transfer,
                      onController([](sim::SimulatedController& c) { c.faults.noReply = true; }),
                      FirmwareOutcome::Failed, ResultCode::Timeout});
    faults.push_back({"transfer_refused_FE", FirmwarePhase::Transfer,
                      onController([](sim::SimulatedController& c) { c.faults.forceStatus = 0xFE; }),
                      FirmwareOutcome::Failed, ResultCode::BadParameters});
    faults.push_back({"transfer_refused_FD", FirmwarePhase::Transfer,
                      onController([](sim::SimulatedController& c) { c.faults.forceStatus = 0xFD; }),
                      FirmwareOutcome::Failed, ResultCode::BadResult});
    faults.push_back({"handover_refused_FD", FirmwarePhase::HandOver,
                      onController([](sim::SimulatedController& c) { c.faults.forceStatus = 0xFD; }),
                      FirmwareOutcome::Failed, ResultCode::BadResult});
    faults.push_back({"handover_silent", FirmwarePhase::HandOver,
                      onController([](sim::SimulatedController& c) { c.faults.noReply = true; }),
                      FirmwareOutcome::Failed, ResultCode::Timeout});
    return faults;
}

INSTANTIATE_TEST_SUITE_P(Firmware, FirmwareFaultMatrix, ::testing::ValuesIn(firmwareFaults()),
                         [](const ::testing::TestParamInfo<FirmwareFault>& param) { return param.param.name; });

#ifndef _WIN32
// The faults below are made with a file size limit and another user, which
// only POSIX systems have; the Windows build's own checks refuse read-only
// files there.
// Saving a .ZMT file where the write cannot complete: the file that was there
// stays whole, no temporary is left beside it, and the failure is reported.
class FileSaveFaults : public ::testing::Test {
protected:
    FileSaveFaults() {
        image.longPressTimeout = 2500;
        image.keys[0][0].level = 0x78;
        test::writeFile(path, original);
    }
    void expectOriginalKeptAlone() {
        EXPECT_EQ(test::readFile(path), original);
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
        EXPECT_EQ(entries, 1u) << "a temporary file was left behind";
    }

    test::TempFolder folder;
    const std::string path = folder.file("car.ZMT");
    const std::string original = "[PARAM]\r\nLONGTO=1500\r\n[Notes]\r\nowner=me\r\n";
    ConfigImage image{};
};

TEST_F(FileSaveFaults, AWriteThatFailsHalfWayLeavesTheOldFile) {
    // The disk fills up after 100 bytes of the new file.
    struct rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult result = saveConfigFile(image, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.error, FileError::CannotWrite);
    EXPECT_NE(result.text().find(path), std::string::npos) << "the message names the file";
    expectOriginalKeptAlone();
}

TEST_F(FileSaveFaults, AReadOnlyFolderAndAFileTheUserMayNotWriteLeaveTheOldFile) {
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                                    std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    const int error = test::asOrdinaryUser([this] { return static_cast<int>(saveConfigFile(image, path).error); });
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(error, static_cast<int>(FileError::CannotWrite));
    expectOriginalKeptAlone();
}

#endif

} // namespace
