#include "config/config_transfer.h"
#include "device/commands.h"
#include "lang/lang.h"
#include "sim_rig.h"
#include "flags_for_tests.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace zmt;
using zmt::test::VirtualHost;

namespace {

// A frame as the exchange log shows it.
struct Frame {
    char direction;
    unsigned command;
    unsigned offset;
    unsigned length;
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Frame& f) {
    return out << f.direction << " cmd " << std::hex << f.command << std::dec << " @" << f.offset << " len " << f.length;
}

// The program's configuration side wired to one simulated controller on the
// virtual clock.
class TransferTest : public ::testing::Test {
protected:
    TransferTest() {
        host.logOn = true;
        watch.setReadConfiguration([this] { transfer.readNewController(); });
        transfer.setShowImage([this] { ++shown; });
    }
    ~TransferTest() override { setLanguage("ru"); }

    // Sent frames (requests) since the last call, identity polls left out.
    std::vector<Frame> sentFrames() {
        std::vector<Frame> frames;
        for (const std::string& line : host.memo) {
            const std::size_t at = line.find("> CMD:");
            if (at == std::string::npos) continue;
            Frame f{'>', 0, 0, 0};
            if (std::sscanf(line.c_str() + at, "> CMD:%X OFFSET:%u LEN:%u", &f.command, &f.offset, &f.length) == 3)
                frames.push_back(f);
        }
        host.memo.clear();
        return frames;
    }
    bool imagesEqual() const {
        return std::memcmp(record.image.bytes(), record.deviceCopy.bytes(), kConfigImageSize) == 0;
    }
    bool controllerHoldsImage() const {
        return std::memcmp(controller->state.config.data(), record.image.bytes(), kConfigImageSize) == 0;
    }
    // Connects as the window does at start: a poll that reads the configuration.
    void connect() {
        ASSERT_EQ(watch.pollController(), ResultCode::Ok);
        ASSERT_TRUE(flags.deviceConnected());
        ASSERT_TRUE(flags.imageValid());
        host.memo.clear();
        host.notices.clear();
        host.boxes.clear();
    }

    zmt::test::SimRig rig;
    VirtualHost& host = rig.host;
    sim::SimulatedHidBackend& backend = rig.backend;
    std::shared_ptr<sim::SimulatedController>& controller = rig.controller;
    sim::SimulatedHidBackend::Port* port = rig.port;
    DeviceLink& link = rig.link;
    ConfigRecord record;
    ProgramFlags flags;
    QuietWatchWindow window;
    ConnectionWatch watch{link, flags, window};
    ConfigTransfer transfer{link, record, flags, &watch};
    int shown = 0;
};

} // namespace

TEST_F(TransferTest, ReadingABlankControllerAppliesTheFixUpWithoutWritingItBack) {
    controller->state.config.fill(0);
    controller->state.touch = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(transfer.readConfiguration(), ResultCode::Ok);

    EXPECT_EQ(uint16_t{record.image.longPressTimeout}, 1500);
    for (uint8_t threshold : record.image.channelThreshold) EXPECT_EQ(threshold, 255);
    EXPECT_EQ(record.image.keys[0][0].level, 0);
    EXPECT_TRUE(imagesEqual());
    EXPECT_EQ(record.touchState[9], 10);
    EXPECT_TRUE(flags.imageValid());
    EXPECT_EQ(shown, 1);
    ASSERT_FALSE(host.gaugeHistory.empty());
    EXPECT_EQ(host.gaugeHistory.front().maximum, 989);
    EXPECT_EQ(host.gaugeHistory.back().position, 989);
    EXPECT_EQ(host.status, "Читаю конфигурацию из устройства");

    sentFrames();
    FlagsForTests::setDeviceConnected(flags, true);
    transfer.syncChanges();
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_TRUE(host.notices.empty());
    EXPECT_EQ(controller->state.config[965], 0); // the controller keeps its own zero
}

TEST_F(TransferTest, AReadThatBreaksOffLeavesImageAndFlagsAsTheyWere) {
    record.image.longPressTimeout = 777;
    record.image.events[3].flags = 0x21;
    record.touchState[0] = 42;
    FlagsForTests::setImageValid(flags, true);
    const ConfigRecord before = record;
    controller->faults.unplugAfterFrames = 5; // part of the image arrives, then the controller is gone

    setLanguage("en");
    const ResultCode code = transfer.readDeviceCommand();
    EXPECT_NE(code, ResultCode::Ok);
    EXPECT_EQ(std::memcmp(record.image.bytes(), before.image.bytes(), kConfigImageSize), 0);
    EXPECT_EQ(std::memcmp(record.deviceCopy.bytes(), before.deviceCopy.bytes(), kConfigImageSize), 0);
    EXPECT_EQ(record.touchState[0], 42);
    EXPECT_TRUE(flags.imageValid());
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].style.kind, MessageKind::Error);
    EXPECT_EQ(host.boxes[0].text, "Error reading the configuration of the device\n" + resultText(code));
}

TEST_F(TransferTest, ReadingKeepingEditsTakesTheControllerAsItIsAndSendsOnlyTheDifference) {
    controller->state.config.fill(0);   // a blank controller: no fix-up in what it holds
    controller->state.config[1] = 0x33;
    controller->state.touch[2] = 7;
    record.image.channelThreshold[0] = 0x33;
    record.image.longPressTimeout = 900;
    record.image.headType = 2;

    // A read that breaks off changes nothing.
    controller->faults.unplugAfterFrames = 5;
    EXPECT_NE(transfer.readKeepingEditsCommand(), ResultCode::Ok);
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_FALSE(flags.imageValid());
    EXPECT_EQ(record.deviceCopy.channelThreshold[0], 0);   // arrived before the break
    EXPECT_EQ(record.touchState[2], 0);

    controller->faults.unplugAfterFrames = -1;
    backend.plug(*port);
    FlagsForTests::setDeviceConnected(flags, true);
    ASSERT_EQ(transfer.readKeepingEdits(), ResultCode::Ok);
    EXPECT_TRUE(flags.imageValid());
    EXPECT_EQ(int(record.image.longPressTimeout), 900);
    EXPECT_EQ(record.touchState[2], 7);
    EXPECT_EQ(record.deviceCopy.channelThreshold[0], 0x33);
    EXPECT_EQ(int(record.deviceCopy.longPressTimeout), 0);
    EXPECT_EQ(shown, 0);   // the image was not replaced: nothing to refresh

    sentFrames();
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 965, 2}, {'>', 0x90, 974, 1}}));
    EXPECT_TRUE(controllerHoldsImage());
}

TEST_F(TransferTest, FullWriteAsksFirstAndNoSendsNothing) {
    connect();
    record.image.headType = 2;
    const ProgramFlags flagsBefore = flags;
    host.answers = {Answer::No};
    EXPECT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].style, MessageStyle(MessageKind::Question, DefaultAnswer::No));
    EXPECT_EQ(host.boxes[0].text, "Вы действительно хотите\nзаписать данные в контроллер?");
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_EQ(flags.imageValid(), flagsBefore.imageValid());
    EXPECT_EQ(controller->state.config[974], 0);
}

TEST_F(TransferTest, FullWriteSendsSixteenFramesThenRestartsAndLeavesNothingPending) {
    connect();
    record.image.headType = 2;
    record.image.keys[3][14].level = 200;
    host.answers = {Answer::Yes};
    ASSERT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok);

    std::vector<Frame> expected;
    for (unsigned offset = 0; offset < 960; offset += 64) expected.push_back({'>', 0x90, offset, 64});
    expected.push_back({'>', 0x90, 960, 19});
    expected.push_back({'>', 0x83, 0, 0});
    EXPECT_EQ(sentFrames(), expected);
    EXPECT_TRUE(controllerHoldsImage());
    EXPECT_TRUE(imagesEqual());
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(host.gaugeHistory.back().maximum, 979);

    // The controller restarts; the next tick has nothing to send into that.
    transfer.syncChanges();
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_TRUE(host.boxes.size() == 1u); // only the question
}

TEST_F(TransferTest, ResetAndDefaultsForgetTheSerialSoTheNextPollReadsAgain) {
    connect();
    ASSERT_EQ(watch.lastSerial(), 1001u);
    controller->state.config[974] = 4;

    // No changes nothing: the controller stays known, so it is not read
    // again (which would start the undo history anew).
    host.answers = {Answer::No};
    EXPECT_EQ(transfer.toDefaultCommand(), ResultCode::Ok);
    EXPECT_EQ(host.boxes.back().style, MessageStyle(MessageKind::Warning, DefaultAnswer::No));
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_TRUE(flags.imageValid());
    EXPECT_TRUE(watch.controllerRead());
    EXPECT_EQ(controller->state.config[974], 4);

    host.answers = {Answer::Yes};
    EXPECT_EQ(transfer.toDefaultCommand(), ResultCode::Ok);
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x84, 0, 0}}));
    EXPECT_EQ(controller->state.config[974], 0);
    EXPECT_FALSE(watch.controllerRead());

    watch.setLastSerial(1001);
    FlagsForTests::setImageValid(flags, true);
    EXPECT_EQ(transfer.resetCommand(), ResultCode::Ok);
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x83, 0, 0}}));
    EXPECT_FALSE(flags.imageValid());
    EXPECT_FALSE(watch.controllerRead());

    // Back after the restart: a fresh read, because the serial was forgotten.
    host.advance(sim::kRestartMs + 10);
    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    EXPECT_TRUE(flags.imageValid());
    EXPECT_EQ(record.image.headType, 0);
    EXPECT_EQ(shown, 2);
}

TEST_F(TransferTest, ChangedRunsGoOutInAscendingOrderAndLongRunsInFramesOf64) {
    connect();
    record.image.bytes()[967] ^= 0x01;
    record.image.bytes()[965] ^= 0x01;  // 966 unchanged: two runs
    std::memset(record.image.bytes() + 425, 0x11, 100);
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 425, 64},
                                                {'>', 0x90, 489, 36},
                                                {'>', 0x90, 965, 1},
                                                {'>', 0x90, 967, 1}}));
    EXPECT_TRUE(controllerHoldsImage());
    EXPECT_TRUE(imagesEqual());
    ASSERT_EQ(host.notices.size(), 1u);
    EXPECT_EQ(host.notices[0].clearMs, 1000u);
    EXPECT_EQ(host.notices[0].blinkMs, 250u);
    EXPECT_EQ(host.notices[0].text, "Запись изменений");

    transfer.syncChanges();
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_EQ(host.notices.size(), 1u);
}

TEST_F(TransferTest, NothingIsSentWithoutAValidImageOrWhileButtonsAreLearned) {
    connect();
    record.image.enc0Mode = 3;
    FlagsForTests::setImageValid(flags, false);
    transfer.syncChanges();
    FlagsForTests::setImageValid(flags, true);
    FlagsForTests::setLearningActive(flags, true);
    transfer.syncChanges();
    EXPECT_TRUE(sentFrames().empty());
    FlagsForTests::setLearningActive(flags, false);
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 975, 1}}));
}

TEST_F(TransferTest, EditsWhileTheControllerIsAwayStayPendingUntilItIsBack) {
    connect();
    backend.unplug(*port);
    ASSERT_NE(watch.pollController(), ResultCode::Ok);
    ASSERT_FALSE(flags.deviceConnected());

    record.image.touchMode = 2;
    transfer.syncChanges();
    EXPECT_TRUE(transfer.changesPending());
    EXPECT_EQ(record.deviceCopy.touchMode, 0);
    EXPECT_TRUE(host.boxes.empty());

    backend.plug(*port);
    ASSERT_EQ(watch.pollController(), ResultCode::Ok); // same serial: no new read
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(record.image.touchMode, 2);
    sentFrames();
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 967, 1}}));
    EXPECT_EQ(controller->state.config[967], 2);
    EXPECT_FALSE(transfer.changesPending());
}

TEST_F(TransferTest, AFailedRunIsRetriedLaterAndReportedOnce) {
    connect();
    backend.unplug(*port); // the watch has not noticed yet
    record.image.enc1Div = 5;
    setLanguage("en");

    transfer.syncChanges();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].style.kind, MessageKind::Error);
    EXPECT_EQ(host.boxes[0].text.rfind("Error writing to the device\n", 0), 0u) << host.boxes[0].text;
    EXPECT_TRUE(transfer.changesPending());
    EXPECT_TRUE(host.notices.empty());
    const std::size_t attempts = sentFrames().size();
    EXPECT_GT(attempts, 0u);

    transfer.syncChanges(); // too soon: the poll gets its turn first
    EXPECT_TRUE(sentFrames().empty());

    host.advance(kSyncRetryDelayMs);
    transfer.syncChanges();
    EXPECT_FALSE(sentFrames().empty());
    EXPECT_EQ(host.boxes.size(), 1u); // no box on every retry
    EXPECT_TRUE(transfer.changesPending());

    backend.plug(*port);
    host.advance(kSyncRetryDelayMs);
    transfer.syncChanges();
    EXPECT_EQ(controller->state.config[978], 5);
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_EQ(host.notices.size(), 1u);

    // A later failure is news again.
    controller->faults.forceStatus = 0xFE;
    record.image.enc1Div = 6;
    transfer.syncChanges();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].text, "Error writing to the device\n" + resultText(ResultCode::BadParameters));
    EXPECT_EQ(record.deviceCopy.enc1Div, 5);
}

TEST_F(TransferTest, EditsMadeWhileFramesTravelAreNotTakenAsSent) {
    connect();
    std::memset(record.image.bytes() + 425, 0x22, 100);
    // A gauge left unfinished (a transfer that broke off) lets events run
    // between the frames of every later block write, once its time to be
    // drawn anew has come.
    host.progressStart(5000, "");
    host.now += kProgressEventsMs;
    // The user edits the first byte of the run while the frames travel.
    const int timer = host.startTimer(1, [this] { record.image.bytes()[425] = 0x33; });
    transfer.syncChanges();
    host.stopTimer(timer);
    EXPECT_EQ(controller->state.config[425], 0x22);
    EXPECT_EQ(record.deviceCopy.bytes()[425], 0x22);
    EXPECT_TRUE(transfer.changesPending());
    sentFrames();
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 425, 1}}));
    EXPECT_EQ(controller->state.config[425], 0x33);
}

TEST_F(TransferTest, TheTimerDoesNotSynchroniseInTheMiddleOfAFullTransfer) {
    connect();
    record.image.headType = 1;
    // The sync timer keeps ticking while the write lets events run.
    const int timer = host.startTimer(1, [this] {
        record.image.enc0Div = 7; // an edit during the write
        transfer.syncChanges();
    });
    host.answers = {Answer::Yes};
    ASSERT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok);
    host.stopTimer(timer);
    const std::vector<Frame> frames = sentFrames();
    ASSERT_EQ(frames.size(), 17u);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(frames[i].offset, 64 * i);
    EXPECT_EQ(controller->state.config[974], 1);
    EXPECT_EQ(record.deviceCopy.enc0Div, 0);   // not part of what was written
    EXPECT_TRUE(transfer.changesPending());
}

TEST_F(TransferTest, GuardedCallsShowTheirBoxInTheCurrentLanguage) {
    connect();
    controller->faults.forceStatus = 0xFD;
    setLanguage("en");
    const uint8_t zero = 0;
    EXPECT_EQ(transfer.reportWriteFailure(commands::writeConfigMemory(link, 0, &zero, 1)), ResultCode::BadResult);
    uint8_t levels[4];
    EXPECT_EQ(transfer.reportReadFailure(commands::readKeyLevels(link, levels, sizeof levels)), ResultCode::BadResult);
    setLanguage("ru");
    EXPECT_EQ(transfer.reportWriteFailure(commands::writeConfigMemory(link, 0, &zero, 1)), ResultCode::BadResult);
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_EQ(host.boxes[0].text, "Error writing to the device\nFailed result");
    EXPECT_EQ(host.boxes[1].text, "Error reading from the device\nFailed result");
    EXPECT_EQ(host.boxes[2].text, "Ошибка записи в устройство\nОшибка результата");

    controller->faults.forceStatus = 0;
    EXPECT_EQ(transfer.reportReadFailure(commands::readKeyLevels(link, levels, sizeof levels)), ResultCode::Ok);
    EXPECT_EQ(host.boxes.size(), 3u);
}

TEST_F(TransferTest, ImageBytesReachDeviceCopyOnlyWhenTheControllerTookThem) {
    connect();
    record.image.keysLearned = 1;
    record.image.channelThreshold[2] = 90;
    record.image.keys[2][0].level = 60;

    backend.unplug(*port);
    EXPECT_NE(transfer.sendImageBytes(0, 5), ResultCode::Ok);
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(record.deviceCopy.keysLearned, 0);
    EXPECT_TRUE(transfer.changesPending());

    backend.plug(*port);
    EXPECT_EQ(transfer.sendImageBytes(0, 5), ResultCode::Ok);
    EXPECT_EQ(transfer.sendImageBytes(5, 420), ResultCode::Ok);
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_TRUE(controllerHoldsImage());

    sentFrames();
    EXPECT_EQ(transfer.sendImageBytes(970, 10), ResultCode::BadParameters);
    EXPECT_EQ(transfer.sendImageBytes(980, 0), ResultCode::BadParameters);
    EXPECT_TRUE(sentFrames().empty());
}

TEST_F(TransferTest, SnapshotsPrecedeWholeChangesWithWhatTheControllerHeldAndFollowOnlyTheFirstRead) {
    struct Kept {
        uint32_t serial;
        SnapshotCause cause;
        uint8_t headType;
    };
    std::vector<Kept> kept;
    FileResult outcome;
    transfer.setSnapshotHook([&](uint32_t serial, const ConfigImage& held, SnapshotCause cause) {
        kept.push_back({serial, cause, held.headType});
        return outcome;
    });
    controller->state.config[974] = 3;   // the head unit type byte
    connect();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].serial, 1001u);
    EXPECT_EQ(kept[0].cause, SnapshotCause::FirstRead);
    EXPECT_EQ(kept[0].headType, 3);

    // The image's edit is not what the controller held.
    record.image.headType = 2;
    host.answers = {Answer::No};
    transfer.writeDeviceCommand();
    EXPECT_EQ(kept.size(), 1u);
    host.answers = {Answer::Yes};
    ASSERT_EQ(transfer.writeDeviceCommand(), ResultCode::Ok);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].cause, SnapshotCause::FullWrite);
    EXPECT_EQ(kept[1].headType, 3);

    host.advance(sim::kRestartMs + 10);
    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    host.answers = {Answer::Yes};
    ASSERT_EQ(transfer.toDefaultCommand(), ResultCode::Ok);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[2].cause, SnapshotCause::Defaults);
    EXPECT_EQ(kept[2].headType, 2);
    // Read again after the reset: the session met this controller already.
    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    ASSERT_TRUE(flags.imageValid());
    EXPECT_EQ(kept.size(), 3u);
    ASSERT_EQ(transfer.resetCommand(), ResultCode::Ok);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[3].cause, SnapshotCause::Restart);

    // A snapshot that cannot be kept stops the change it was to precede.
    host.advance(sim::kRestartMs + 10);
    ASSERT_EQ(watch.pollController(), ResultCode::Ok);
    controller->state.config[974] = 5;
    record.deviceCopy.headType = 5;
    record.image.headType = 5;
    outcome.error = FileError::CannotWrite;
    outcome.path = "/data/1001";
    setLanguage("en");
    host.boxes.clear();
    sentFrames();
    host.answers = {Answer::Yes};
    EXPECT_EQ(transfer.toDefaultCommand(), ResultCode::Ok);
    EXPECT_TRUE(sentFrames().empty());
    EXPECT_EQ(controller->state.config[974], 5);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].style.kind, MessageKind::Error);
    EXPECT_NE(host.boxes[1].text.find("nothing was changed"), std::string::npos) << host.boxes[1].text;
    EXPECT_TRUE(watch.controllerRead());
}

TEST_F(TransferTest, LearnedButtonsMakeTheImageTheControllersOnlyOnceBothPartsArrive) {
    connect();
    FlagsForTests::setImageValid(flags, false);
    record.image.keysLearned = 1;
    record.image.channelThreshold[2] = 90;
    record.image.keys[2][0].level = 60;

    backend.unplug(*port);
    EXPECT_NE(transfer.sendLearnedButtons(), ResultCode::Ok);
    EXPECT_FALSE(flags.imageValid());
    EXPECT_TRUE(transfer.changesPending());

    backend.plug(*port);
    sentFrames();
    EXPECT_EQ(transfer.sendLearnedButtons(), ResultCode::Ok);
    EXPECT_TRUE(flags.imageValid());
    EXPECT_FALSE(transfer.changesPending());
    EXPECT_TRUE(controllerHoldsImage());
}

// A file taking the image's place: nothing goes out meanwhile, and only a
// replacement carried through changes whether the image may be sent.
TEST_F(TransferTest, AnImageReplacementHoldsSendingAndPutsTheImageBackAsItWasUnlessDone) {
    for (const bool before : {true, false}) {
        FlagsForTests::setImageValid(flags, before);
        {
            ConfigTransfer::ImageReplacement refused(transfer);
            EXPECT_FALSE(flags.imageValid());
        }
        EXPECT_EQ(flags.imageValid(), before);
    }

    connect();
    record.image.enc0Mode = 3;
    {
        ConfigTransfer::ImageReplacement replacement(transfer);
        transfer.syncChanges();
        EXPECT_TRUE(sentFrames().empty());
        replacement.done();
    }
    EXPECT_TRUE(flags.imageValid());
    transfer.syncChanges();
    EXPECT_EQ(sentFrames(), (std::vector<Frame>{{'>', 0x90, 975, 1}}));
}

TEST_F(TransferTest, AnImageReplacementKeepsASnapshotOnlyOfAConfigurationKnownBeforeIt) {
    std::vector<SnapshotCause> kept;
    FileResult outcome;
    transfer.setSnapshotHook([&](uint32_t, const ConfigImage&, SnapshotCause cause) {
        kept.push_back(cause);
        return outcome;
    });
    connect();
    kept.clear();
    {
        ConfigTransfer::ImageReplacement replacement(transfer);
        EXPECT_TRUE(replacement.keepSnapshot(SnapshotCause::FileSent));
        EXPECT_FALSE(flags.imageValid());   // still nothing goes out
    }
    EXPECT_EQ(kept, std::vector<SnapshotCause>{SnapshotCause::FileSent});
    EXPECT_TRUE(flags.imageValid());

    // Unknown before the file: no snapshot is due, and the file's image
    // then counts as the configuration to send.
    FlagsForTests::setImageValid(flags, false);
    {
        ConfigTransfer::ImageReplacement replacement(transfer);
        EXPECT_TRUE(replacement.keepSnapshot(SnapshotCause::FileSent));
        replacement.done();
    }
    EXPECT_EQ(kept.size(), 1u);
    EXPECT_TRUE(flags.imageValid());

    // A snapshot that cannot be kept says so, and the image stays as it was.
    outcome.error = FileError::CannotWrite;
    outcome.path = "/data/1001";
    {
        ConfigTransfer::ImageReplacement replacement(transfer);
        EXPECT_FALSE(replacement.keepSnapshot(SnapshotCause::FileSent));
        EXPECT_FALSE(flags.imageValid());
    }
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(flags.imageValid());
}
