// Infrared capture rules against the simulated controller, for what the
// window tests do not reach: trigger bits no editor writes, every protocol
// refused as a reaction, and read failures (the window tests cover the
// ordinary captures through the real buttons).
#include "config/ir_capture.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zmt;

namespace {

struct IrBench {
    test::SimRig rig;
    int reads = 0;

    // The receiver's layout: command, address low and high byte, protocol.
    void receive(uint8_t protocol, uint16_t address, uint8_t command) {
        rig.controller->state.irCode = {command, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                                        protocol};
    }
    IrCodeReader reader() {
        return [this](IrCode& code) {
            ++reads;
            return readIrCode(rig.link, code);
        };
    }
};

bool same(const EventRecord& a, const EventRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const EventRecord kButtonEvent{3, 1, 2, 0, EV_ONCE | EV_WAKEUP | EventLongPress, {ReactionKeyboard, 0, 4, 0}};

} // namespace

TEST(IrCapture, TriggerBitsNoEditorWritesCountAsInfraredAndAreSetRight) {
    IrBench bench;
    bench.receive(1, 4, 17);
    for (uint8_t bits : {uint8_t(0x80), uint8_t(0xC0)}) {
        EventRecord event{1, 2, 3, 4, static_cast<uint8_t>(bits | EV_WAKEUP | EventShortPress), {}};
        const EventRecord before = event;
        // Never infrared on both sides: the controller is not even asked.
        EXPECT_EQ(captureIrReaction(event, bench.reader()).outcome, IrCaptureOutcome::BothSides);
        EXPECT_TRUE(same(event, before));
        EXPECT_EQ(bench.reads, 0);
        // A new trigger makes them the one value the editor writes.
        EXPECT_EQ(captureIrTrigger(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
        EXPECT_EQ(event.flags, EV_IR_TRIGGER | EV_WAKEUP | EventAnyPress);
        bench.reads = 0;
    }
}

TEST(IrCapture, OnlyNecBecomesAReactionWhateverTheProtocolByte) {
    IrBench bench;
    for (uint8_t protocol : {uint8_t(2), uint8_t(3), uint8_t(5), uint8_t(7), uint8_t(0x11), uint8_t(0xFF)}) {
        bench.receive(protocol, 4, 17);
        EventRecord event = kButtonEvent;
        EXPECT_EQ(captureIrReaction(event, bench.reader()).outcome, IrCaptureOutcome::NotNec) << int(protocol);
        EXPECT_TRUE(same(event, kButtonEvent)) << int(protocol);
    }
    // The protocol byte is implied by the kind and not stored.
    bench.receive(1, 0xBEEF, 0x42);
    EventRecord event = kButtonEvent;
    EXPECT_EQ(captureIrReaction(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
    EXPECT_EQ(event.reaction.kind, 0x11);
    EXPECT_EQ(event.reaction.arg1, 0x42);
    EXPECT_EQ(event.reaction.word(), 0xBEEF);
}

TEST(IrCapture, AFailedReadNamesItsCauseAndChangesNothing) {
    IrBench bench;
    bench.receive(1, 4, 17);
    EventRecord event = kButtonEvent;
    bench.rig.controller->faults.forceStatus = statusRejected;
    IrCapture capture = captureIrTrigger(event, bench.reader());
    EXPECT_EQ(capture.outcome, IrCaptureOutcome::ReadFailed);
    EXPECT_EQ(capture.result, ResultCode::BadParameters);

    bench.rig.controller->faults = {};
    bench.rig.controller->faults.noReply = true;
    capture = captureIrReaction(event, bench.reader());
    EXPECT_EQ(capture.outcome, IrCaptureOutcome::ReadFailed);
    EXPECT_EQ(capture.result, ResultCode::Timeout);

    // Nobody to ask at all.
    EXPECT_EQ(captureIrTrigger(event, nullptr).result, ResultCode::Disconnected);
    EXPECT_TRUE(same(event, kButtonEvent));
}
