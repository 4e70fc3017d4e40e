#include "device/commands.h"

namespace zmt::commands {

ResultCode readIdentity(DeviceLink& link, uint8_t* destination, std::size_t capacity, std::size_t& count) {
    return link.readFrame(cmdIdentity, 0, destination, capacity, count);
}

ResultCode readDeviceLogRecord(DeviceLink& link, uint8_t* destination, std::size_t capacity, std::size_t& count) {
    return link.readFrame(cmdDeviceLog, 0, destination, capacity, count);
}

ResultCode readKeyLevels(DeviceLink& link, uint8_t* destination, std::size_t length) {
    return link.readBlock(cmdKeyLevels, 0, destination, length);
}

ResultCode readIrCode(DeviceLink& link, uint8_t* destination, std::size_t length) {
    return link.readBlock(cmdIrCode, 0, destination, length);
}

ResultCode readTouchMemory(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t length) {
    return link.readBlock(cmdTouchMemory, offset, destination, length);
}

ResultCode readTouchMemoryFrame(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t capacity,
                                std::size_t& count) {
    return link.readFrame(cmdTouchMemory, offset, destination, capacity, count);
}

ResultCode writeTouchMemory(DeviceLink& link, uint16_t offset, const uint8_t* data, std::size_t length) {
    return link.writeBlock(cmdTouchMemory, offset, data, length, kFrameData);
}

ResultCode readConfigMemory(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t length) {
    return link.readBlock(cmdConfigMemory, offset, destination, length);
}

ResultCode writeConfigMemory(DeviceLink& link, uint16_t offset, const uint8_t* data, std::size_t length,
                             std::size_t* accepted) {
    return link.writeBlock(cmdConfigMemory, offset, data, length, kFrameData, accepted);
}

ResultCode restart(DeviceLink& link) { return link.writeFrame(cmdReset, 0, nullptr, 0); }

ResultCode restoreDefaults(DeviceLink& link) { return link.writeFrame(cmdDefaults, 0, nullptr, 0); }

ResultCode writeFirmwareFrame(DeviceLink& link, const uint8_t* frame) {
    return link.writeFrame(cmdFirmwareData, 0, frame, kFrameData);
}

ResultCode writeFirmwareData(DeviceLink& link, const uint8_t* data, std::size_t length) {
    return link.writeBlock(cmdFirmwareData, 0, data, length, kFrameData);
}

} // namespace zmt::commands
