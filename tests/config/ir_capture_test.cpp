// Taking the controller's last infrared code into an event, against the
// simulated controller: what each capture stores, and that every refusal,
// failure and absent code leaves the event exactly as it was.
#include "config/ir_capture.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zmt;

namespace {

constexpr uint8_t kNec = 1;
constexpr uint8_t kJvc = 2;

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

// A key-triggered long press with a modifier, both options and a keyboard reaction.
const EventRecord kButtonEvent{3, 1, 2, 0, EV_ONCE | EV_WAKEUP | EventLongPress, {ReactionKeyboard, 0, 4, 0}};

} // namespace

TEST(IrCapture, ReadsTheCodeTheReceiverSawLast) {
    IrBench bench;
    bench.receive(kNec, 0x1234, 0x56);
    IrCode code{};
    ASSERT_EQ(readIrCode(bench.rig.link, code), errNone);
    EXPECT_EQ(code.protocol, kNec);
    EXPECT_EQ(code.address, 0x1234);
    EXPECT_EQ(code.command, 0x56);
}

TEST(IrCapture, TriggerReplacesTheButtonsAndBecomesAnyPressKeepingTheOptions) {
    IrBench bench;
    bench.receive(kNec, 4, 17);
    EventRecord event = kButtonEvent;
    EXPECT_EQ(captureIrTrigger(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
    EXPECT_EQ(event.flags, EV_IR_TRIGGER | EV_ONCE | EV_WAKEUP | EventAnyPress);
    EXPECT_EQ(event.irCode().protocol, kNec);
    EXPECT_EQ(event.irCode().address, 4);
    EXPECT_EQ(event.irCode().command, 17);
    EXPECT_EQ(event.reaction.kind, ReactionKeyboard);   // a HID reaction stays

    // A second code replaces the first and keeps the type the user chose since.
    event.flags = EV_IR_TRIGGER | EventShortPress;
    bench.receive(kJvc, 0x0102, 9);
    EXPECT_EQ(captureIrTrigger(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
    EXPECT_EQ(event.flags, EV_IR_TRIGGER | EventShortPress);
    EXPECT_EQ(event.irCode().protocol, kJvc);
    EXPECT_EQ(event.irCode().address, 0x0102);

    // Trigger bits the editor never writes (10, 11) are set right.
    event.flags = 0xC0 | EV_WAKEUP | EventShortPress;
    EXPECT_EQ(captureIrTrigger(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
    EXPECT_EQ(event.flags, EV_IR_TRIGGER | EV_WAKEUP | EventAnyPress);
}

TEST(IrCapture, ReactionTakesOnlyNecCodes) {
    IrBench bench;
    bench.receive(kNec, 0x0304, 0x21);
    EventRecord event = kButtonEvent;
    EXPECT_EQ(captureIrReaction(event, bench.reader()).outcome, IrCaptureOutcome::Stored);
    EXPECT_EQ(event.reaction.kind, 0x11);
    EXPECT_EQ(event.reaction.arg1, 0x21);
    EXPECT_EQ(event.reaction.word(), 0x0304);
    EXPECT_EQ(event.flags, kButtonEvent.flags);
    EXPECT_EQ(event.keyRow, kButtonEvent.keyRow);

    for (uint8_t protocol : {kJvc, uint8_t(3), uint8_t(7), uint8_t(0x20)}) {
        bench.receive(protocol, 4, 17);
        EventRecord before = kButtonEvent;
        EventRecord other = before;
        EXPECT_EQ(captureIrReaction(other, bench.reader()).outcome, IrCaptureOutcome::NotNec) << int(protocol);
        EXPECT_TRUE(same(other, before)) << int(protocol);
    }
}

TEST(IrCapture, AnEventNeverGetsInfraredOnBothSidesAndTheControllerIsNotAsked) {
    IrBench bench;
    bench.receive(kNec, 4, 17);
    EventRecord irReaction = kButtonEvent;
    irReaction.reaction = Reaction{0x11, 17, 4, 0};
    const EventRecord before = irReaction;
    EXPECT_EQ(captureIrTrigger(irReaction, bench.reader()).outcome, IrCaptureOutcome::BothSides);
    EXPECT_TRUE(same(irReaction, before));

    for (uint8_t triggerBits : {uint8_t(0x40), uint8_t(0x80), uint8_t(0xC0)}) {
        EventRecord irTriggered{17, 4, 0, 1, static_cast<uint8_t>(triggerBits | EventAnyPress), {}};
        const EventRecord was = irTriggered;
        EXPECT_EQ(captureIrReaction(irTriggered, bench.reader()).outcome, IrCaptureOutcome::BothSides);
        EXPECT_TRUE(same(irTriggered, was));
    }
    EXPECT_EQ(bench.reads, 0);
}

TEST(IrCapture, NoCodeOrAFailedReadChangesNothing) {
    IrBench bench;
    EventRecord event = kButtonEvent;
    EXPECT_EQ(captureIrTrigger(event, bench.reader()).outcome, IrCaptureOutcome::NoCode);
    EXPECT_EQ(captureIrReaction(event, bench.reader()).outcome, IrCaptureOutcome::NoCode);
    EXPECT_TRUE(same(event, kButtonEvent));

    bench.receive(kNec, 4, 17);
    bench.rig.controller->faults.forceStatus = statusRejected;
    IrCapture capture = captureIrTrigger(event, bench.reader());
    EXPECT_EQ(capture.outcome, IrCaptureOutcome::ReadFailed);
    EXPECT_EQ(capture.result, errParameters);
    bench.rig.controller->faults = {};
    bench.rig.controller->faults.noReply = true;
    capture = captureIrReaction(event, bench.reader());
    EXPECT_EQ(capture.outcome, IrCaptureOutcome::ReadFailed);
    EXPECT_EQ(capture.result, errTimeout);
    EXPECT_TRUE(same(event, kButtonEvent));

    // Without a controller to ask at all.
    EXPECT_EQ(captureIrTrigger(event, nullptr).result, errDisconnected);
    EXPECT_TRUE(same(event, kButtonEvent));
}
