// The two infrared captures of the selected event: its trigger (the button
// beside the trigger panels) and its reaction (the button under the
// reaction), each one undo step, read through the controller's link.
#include "ui/editor/event_editor.h"

#include "device/device_link.h"
#include "device/host.h"
#include "lang/lang.h"
#include "ui/widgets/editor_host.h"

namespace zmt::ui {

IrCodeReader EventEditor::irReader() {
    return [this](IrCode& code) { return link_ != nullptr ? readIrCode(*link_, code) : ResultCode::Disconnected; };
}

void EventEditor::onCaptureIrTrigger() {
    const EditStep step = edit(editLabel(N_("IR trigger of event %d"), selectedEvent() + 1));
    if (EventRecord* event = record_.image.eventAt(selectedEvent())) reportIrCapture(captureIrTrigger(*event, irReader()));
}

void EventEditor::onCaptureIrReaction() {
    if (!reactionAccepted(selectedEvent())) return;
    const EditStep step = edit(editLabel(N_("IR reaction of event %d"), selectedEvent() + 1));
    if (EventRecord* event = record_.image.eventAt(selectedEvent())) reportIrCapture(captureIrReaction(*event, irReader()));
}

void EventEditor::reportIrCapture(const IrCapture& capture) {
    switch (capture.outcome) {
    case IrCaptureOutcome::BothSides:
        window_.showMessage(MessageKind::Warning, localized(kIrBothSidesText));
        break;
    case IrCaptureOutcome::ReadFailed:
        window_.showMessage(MessageKind::Error, formatText(localized(kIrReadFailedText), resultText(capture.result).c_str()));
        break;
    case IrCaptureOutcome::NoCode:
        window_.showNotice(kNoIrCodeNoticeMs, kNoIrCodeBlinkMs, localized(kNoIrCodeText));
        showSelectedEvent();
        break;
    case IrCaptureOutcome::NotNec:
        window_.showMessage(MessageKind::Warning, localized(kIrReactionNecOnlyText));
        break;
    case IrCaptureOutcome::Stored:
        showSelectedEvent();
        break;
    }
}

} // namespace zmt::ui
