#pragma once
// Taking the controller's last received infrared code into an event, either
// as its trigger or as its reaction. The rules work on the event record and a
// reader of the code, so the window, zmtctl and the tests share them; what
// the user is told about each outcome is the caller's to show.
//
//   const IrCapture done = captureIrTrigger(event, [&](IrCode& code) { return readIrCode(link, code); });
//   switch (done.outcome) { case IrCaptureOutcome::ReadFailed: ... resultText(done.result) ... }
#include "config/config_image.h"
#include "device/device_link.h"
#include "device/protocol.h"
#include "lang/lang.h"

#include <functional>

namespace zmt {

// Reads the code the controller's receiver saw last (all four bytes 0: none).
ResultCode readIrCode(DeviceLink& link, IrCode& code);

enum class IrCaptureOutcome {
    Stored,      // the event now holds the code
    BothSides,   // refused before reading: the other side of the event is infrared already
    ReadFailed,  // the controller did not answer; result holds why
    NoCode,      // the receiver has seen nothing
    NotNec,      // only NEC codes can be sent as a reaction
};

struct IrCapture {
    IrCaptureOutcome outcome;
    ResultCode result = ResultCode::Ok;
};

using IrCodeReader = std::function<ResultCode(IrCode&)>;

// The code becomes the event's trigger. An event that was not IR-triggered
// becomes an "any press" one and keeps its once and wake-up bits; one that
// was keeps its event type. Any button references are replaced.
IrCapture captureIrTrigger(EventRecord& event, const IrCodeReader& read);
// The code becomes the event's reaction (NEC only; the protocol is implied).
IrCapture captureIrReaction(EventRecord& event, const IrCodeReader& read);

// What the user is told, as English texts marked N_.
inline constexpr const char* kIrBothSidesText =
    N_("You can not put the IR code for the event, and the reaction");
inline constexpr const char* kIrReadFailedText = N_("Failed to get IR code\n%s");
inline constexpr const char* kNoIrCodeText = N_("No Infrared code");
inline constexpr const char* kIrReactionNecOnlyText =
    N_("For the reaction is only supported protocol NEC");

// The notice about an absent code stays 2500 ms and blinks like every notice.
inline constexpr unsigned kNoIrCodeNoticeMs = 2500;
inline constexpr unsigned kNoIrCodeBlinkMs = kNoticeBlinkMs;

} // namespace zmt
