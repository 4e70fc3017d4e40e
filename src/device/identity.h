#pragma once
// The controller's identity block, read with commands::readIdentity (offset 0).
//   0 applicationVersion x100 (0: only the boot loader runs) | 2 serialNumber u32 |
//   6 bootVersion x100 | 8 deviceCode | 9 deviceType | 10.. controllerName, NUL-ended
// All little-endian.
#include <array>
#include <cstdint>
#include <string>

namespace zmt {

inline constexpr std::size_t kIdentityCapacity = 65;   // the controller sends at most 64
inline constexpr const char* kBootLoaderName = "ZEL-MORVA-BOOT";

struct IdentityBlock {
    uint16_t applicationVersion = 0;
    uint32_t serialNumber = 0;
    uint16_t bootVersion = 0;
    uint8_t deviceCode = 0;
    uint8_t deviceType = 0;
    std::string controllerName;

    // Decodes the 65 bytes a read left (the last one is always 0, so the
    // name is always terminated).
    static IdentityBlock fromBytes(const std::array<uint8_t, kIdentityCapacity>& raw);
    // The 64 bytes a controller sends (the simulated one builds its reply so).
    std::array<uint8_t, 64> toBytes() const;
    bool bootLoaderRunning() const { return controllerName == kBootLoaderName; }
};

// A version as the controller keeps it, in hundredths, as people write it:
// 117 is "1.17", 105 is "1.05".
std::string versionText(unsigned hundredths);

} // namespace zmt
