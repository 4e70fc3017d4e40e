#pragma once
// One typed call per controller command, over the link. Everyone above the
// device room asks for the controller's identity, levels, memories, IR code
// or log through these, so a command number, its offset and its direction
// are written down once, here, and a new command is one function more.
#include "device/device_link.h"
#include "device/protocol.h"

#include <cstddef>
#include <cstdint>

namespace zmt::commands {

// The identity block: one read frame at offset 0 (count as readFrame gives it).
ResultCode readIdentity(DeviceLink& link, uint8_t* destination, std::size_t capacity, std::size_t& count);

// One record of the controller's own log (count 0: the queue is empty).
ResultCode readDeviceLogRecord(DeviceLink& link, uint8_t* destination, std::size_t capacity, std::size_t& count);

// The key levels of the four channels, as learning shows them.
ResultCode readKeyLevels(DeviceLink& link, uint8_t* destination, std::size_t length);

// The last infrared code the controller received.
ResultCode readIrCode(DeviceLink& link, uint8_t* destination, std::size_t length);

// Touch memory: the whole region, one frame of it (the calibration state
// is polled one byte at a time), or a write of its option bytes.
ResultCode readTouchMemory(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t length);
ResultCode readTouchMemoryFrame(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t capacity,
                                std::size_t& count);
ResultCode writeTouchMemory(DeviceLink& link, uint16_t offset, const uint8_t* data, std::size_t length);

// Configuration memory, in 64-byte frames. accepted, when given, counts the
// bytes of the frames the controller confirmed (DeviceLink::writeBlock).
// Length 0 sends one empty frame, which ends button learning.
ResultCode readConfigMemory(DeviceLink& link, uint16_t offset, uint8_t* destination, std::size_t length);
ResultCode writeConfigMemory(DeviceLink& link, uint16_t offset, const uint8_t* data, std::size_t length,
                             std::size_t* accepted = nullptr);

// The controller restarts, or takes its factory configuration.
ResultCode restart(DeviceLink& link);
ResultCode restoreDefaults(DeviceLink& link);

// Firmware: the first frame alone (it sends the application into its boot
// loader), then the whole payload in frames.
ResultCode writeFirmwareFrame(DeviceLink& link, const uint8_t* frame);
ResultCode writeFirmwareData(DeviceLink& link, const uint8_t* data, std::size_t length);

} // namespace zmt::commands
