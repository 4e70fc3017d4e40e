#include "config/ir_capture.h"

#include "config/reaction_text.h"
#include "device/commands.h"

#include <cstring>

namespace zmt {

namespace {

constexpr int kNecProtocol = 1;

// Reads the code for a capture whose conflicts have been checked.
IrCapture readCode(const IrCodeReader& read, IrCode& code) {
    code = IrCode{};
    const ResultCode result = read ? read(code) : ResultCode::Disconnected;
    if (result != ResultCode::Ok) return {IrCaptureOutcome::ReadFailed, result};
    if (code.empty()) return {IrCaptureOutcome::NoCode};
    return {IrCaptureOutcome::Stored};
}

} // namespace

ResultCode readIrCode(DeviceLink& link, IrCode& code) {
    uint8_t bytes[sizeof(IrCode)] = {};
    const ResultCode result = commands::readIrCode(link, bytes, sizeof bytes);
    std::memcpy(&code, bytes, sizeof code);
    return result;
}

IrCapture captureIrTrigger(EventRecord& event, const IrCodeReader& read) {
    if (isInfraredReaction(event.reaction)) return {IrCaptureOutcome::BothSides};
    IrCode code;
    const IrCapture capture = readCode(read, code);
    if (capture.outcome != IrCaptureOutcome::Stored) return capture;
    if ((event.flags & EV_TRIGGER_MASK) != EV_IR_TRIGGER) {
        event.flags = static_cast<uint8_t>((event.flags & (EV_ONCE | EV_WAKEUP)) | EV_IR_TRIGGER | EventAnyPress);
    }
    event.setIrCode(code);
    return capture;
}

IrCapture captureIrReaction(EventRecord& event, const IrCodeReader& read) {
    // Any trigger bits make the editor show the event as IR-triggered, so any
    // of them refuses an infrared reaction: the controller could not tell
    // which side of the event the code belongs to.
    if (event.irTrigger()) return {IrCaptureOutcome::BothSides};
    IrCode code;
    const IrCapture capture = readCode(read, code);
    if (capture.outcome != IrCaptureOutcome::Stored) return capture;
    if (code.protocol != kNecProtocol) return {IrCaptureOutcome::NotNec};
    event.reaction.kind = static_cast<uint8_t>(ReactionInfrared | kNecProtocol);
    event.reaction.arg1 = code.command;
    event.reaction.setWord(code.address);
    return capture;
}

} // namespace zmt
