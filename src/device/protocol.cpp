#include "device/protocol.h"

#include "lang/lang.h"

namespace zmt {

uint8_t frameCheck(const uint8_t* bytes, std::size_t count) {
    uint8_t c = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t t = c ^ bytes[i];
        c = static_cast<uint8_t>(t << 1);
        if (t & 0x80) c ^= 0x21;
    }
    return c;
}

void DeviceFrame::seal() {
    bytes[0] = kReportId;
    bytes[69] = frameCheck(bytes.data() + 1, 68);
}

bool DeviceFrame::checkValid() const { return frameCheck(bytes.data() + 1, 68) == bytes[69]; }

std::string resultText(ResultCode code) {
    switch (code) {
    case ResultCode::Ok: return localized("No errors");
    case ResultCode::HidLoad: return localized("Error loading driver HID.DLL");
    case ResultCode::Exchange:
        return localized("Failed to communicate with the controller");
    case ResultCode::Disconnected: return localized("Controller is disconnected");
    case ResultCode::Timeout: return localized("Out of the timeout response");
    case ResultCode::Busy:
        return localized("The controller is busy with another exchange");
    case ResultCode::Held:
        return localized("The controller is busy: another program holds it");
    case ResultCode::Several:
        return localized("Several controllers are connected: choose one");
    case ResultCode::NoHold:
        return localized("The controller cannot be held for this program");
    case ResultCode::SameSerial:
        return localized("Several controllers carry the same serial number");
    case ResultCode::BadParameters: return localized("Error in parameters");
    case ResultCode::BadResult: return localized("Failed result");
    default: return formatText(localized("Unknown error USB: %d"), static_cast<int>(code));
    }
}

} // namespace zmt
