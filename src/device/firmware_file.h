#pragma once
// The firmware file (*.LDR): an 8-byte header, the payload the controller
// gets from its offset 0, and a CRC-16/XMODEM over everything before it.
//   0 reserved u32 | 4 applicationVersion x100 | 6 deviceCode | 7 deviceType |
//   8 payload (size - 10 bytes) | size - 2 check value, low byte first
// Loading checks the file in a fixed order and reports the first failure in
// an error box that names the file; zmtctl make-ldr builds such files.
#include "device/host.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zmt {

inline constexpr std::size_t kFirmwareFileMax = 16384;
inline constexpr std::size_t kFirmwareHeaderSize = 8;
inline constexpr std::size_t kFirmwareCheckSize = 2;
inline constexpr std::size_t kFirmwareOverhead = kFirmwareHeaderSize + kFirmwareCheckSize;
// The buffer is one frame longer than the largest file: the transfer sends
// one frame beyond the payload, and that frame must read zeros.
inline constexpr std::size_t kFirmwareBufferSize = kFirmwareFileMax + 64;

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
uint16_t crc16Xmodem(const uint8_t* bytes, std::size_t count);

struct LdrHeader {
    uint32_t reserved = 0;
    uint16_t applicationVersion = 0;
    uint8_t deviceCode = 0;
    uint8_t deviceType = 0;
};

// One loaded and verified file. The payload starts at buffer[8]; every byte
// of the buffer after the file is zero.
struct FirmwareImage {
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kFirmwareBufferSize, 0);
    std::size_t fileSize = 0;
    LdrHeader header;

    bool loaded() const { return fileSize > kFirmwareOverhead && fileSize <= kFirmwareFileMax; }
    std::size_t payloadSize() const { return loaded() ? fileSize - kFirmwareOverhead : 0; }
    const uint8_t* payload() const { return buffer.data() + kFirmwareHeaderSize; }
};

// "NAME.EXT" of a path, without drive and folders (both separators count).
std::string fileNameOf(const std::string& path);

// Reads and checks path into image: open, size, complete read, check value.
// A failure shows its error box through host and returns false. A file too
// short to hold a header, some payload and a check value is refused with the
// size message.
// On success prints the update lines into the memo.
bool loadFirmwareFile(Host& host, const std::string& path, FirmwareImage& image);

// A complete file: header, payload, check value. The payload may be at most
// kFirmwareFileMax - 10 bytes; returns false (and leaves out empty) otherwise.
// An empty payload is built (the loader refuses such a file).
bool buildFirmwareFile(const LdrHeader& header, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);

} // namespace zmt
