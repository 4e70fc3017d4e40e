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
    case ResultCode::Ok: return localized("Нет ошибок\0No errors\0");
    case ResultCode::HidLoad: return localized("Ошибка загрузки драйвера HID.DLL\0Error loading driver HID.DLL\0");
    case ResultCode::Exchange:
        return localized("Ошибка обмена данными с контроллером\0Failed to communicate with the controller\0");
    case ResultCode::Disconnected: return localized("Контроллер отключен\0Controller is disconnected\0");
    case ResultCode::Timeout: return localized("Вышел таймаут ожидания ответа\0Out of the timeout response\0");
    case ResultCode::Busy:
        return localized("Контроллер занят другим обменом\0The controller is busy with another exchange\0");
    case ResultCode::Held:
        return localized("Контроллер занят другой программой\0The controller is busy: another program holds it\0");
    case ResultCode::Several:
        return localized("Подключено несколько контроллеров: выберите один\0"
                        "Several controllers are connected: choose one\0");
    case ResultCode::NoHold:
        return localized("Контроллер нельзя закрепить за этой программой\0The controller cannot be held for this program\0");
    case ResultCode::SameSerial:
        return localized("Один серийный номер у нескольких контроллеров\0Several controllers carry the same serial number\0");
    case ResultCode::BadParameters: return localized("Ошибка в параметрах\0Error in parameters\0");
    case ResultCode::BadResult: return localized("Ошибка результата\0Failed result\0");
    default: return formatText(localized("Неизвестная ошибка USB: %d\0Unknown error USB: %d\0"), static_cast<int>(code));
    }
}

} // namespace zmt
