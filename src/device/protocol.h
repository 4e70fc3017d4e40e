#pragma once
// The command frame every conversation with the controller uses, its check
// byte, the command codes, and the words for the result codes (result_code.h).
#include "device/hid_transport.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zmt {

// The text of a code in the current language. A value that is none of the
// codes gives "Unknown error USB: <number>".
std::string resultText(ResultCode code);

// Commands; writes go out with bit 7 set (kWriteFlag).
enum Command : uint8_t {
    cmdIdentity = 0x01,
    cmdFirmwareData = 0x02,
    cmdReset = 0x03,
    cmdDefaults = 0x04,
    cmdDeviceLog = 0x05,
    cmdConfigMemory = 0x10,
    cmdTouchMemory = 0x11,
    cmdKeyLevels = 0x12,
    cmdIrCode = 0x13,
};
inline constexpr uint8_t kWriteFlag = 0x80;

// Status bytes a write is answered with (in the command byte).
enum ReplyStatus : uint8_t { statusAccepted = 0xFF, statusRejected = 0xFE, statusFailed = 0xFD };

inline constexpr std::size_t kFrameData = 64;
inline constexpr uint32_t kReplyTimeoutMs = 1000;
inline constexpr int kExchangeAttempts = 5;
inline constexpr uint32_t kRetryPauseMs = 50;
inline constexpr int kReadAttempts = 2;
inline constexpr std::size_t kBlockScratch = 1024;

// Check byte over bytes 1..68: one shift per byte with 0x21 folded in when
// bit 7 of the mixed value is set. Over "abc" it is 0x04.
uint8_t frameCheck(const uint8_t* bytes, std::size_t count);

// The 70-byte request and reply frame (HID feature report 1):
//   0 report ID (1) | 1 command / status | 2-3 offset LE | 4 length |
//   5-68 data | 69 check byte over 1..68
struct DeviceFrame {
    std::array<uint8_t, kReportSize> bytes{};

    uint8_t command() const { return bytes[1]; }
    uint16_t offset() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    uint8_t length() const { return bytes[4]; }
    uint8_t* data() { return bytes.data() + 5; }
    const uint8_t* data() const { return bytes.data() + 5; }
    uint8_t check() const { return bytes[69]; }

    void setCommand(uint8_t command) { bytes[1] = command; }
    void setOffset(uint16_t offset) {
        bytes[2] = static_cast<uint8_t>(offset);
        bytes[3] = static_cast<uint8_t>(offset >> 8);
    }
    void setLength(uint8_t length) { bytes[4] = length; }
    // Puts the report ID and the check byte in place.
    void seal();
    // True when the check byte matches bytes 1..68.
    bool checkValid() const;
};

} // namespace zmt
