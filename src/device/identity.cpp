#include "device/identity.h"

#include "lang/lang.h"

#include <algorithm>
#include <cstring>

namespace zmt {

IdentityBlock IdentityBlock::fromBytes(const std::array<uint8_t, kIdentityCapacity>& raw) {
    IdentityBlock block;
    block.applicationVersion = static_cast<uint16_t>(raw[0] | raw[1] << 8);
    block.serialNumber = static_cast<uint32_t>(raw[2]) | static_cast<uint32_t>(raw[3]) << 8 |
                         static_cast<uint32_t>(raw[4]) << 16 | static_cast<uint32_t>(raw[5]) << 24;
    block.bootVersion = static_cast<uint16_t>(raw[6] | raw[7] << 8);
    block.deviceCode = raw[8];
    block.deviceType = raw[9];
    const auto nameBegin = raw.begin() + 10;
    block.controllerName.assign(nameBegin, std::find(nameBegin, raw.end(), uint8_t{0}));
    return block;
}

std::array<uint8_t, 64> IdentityBlock::toBytes() const {
    std::array<uint8_t, 64> raw{};
    raw[0] = static_cast<uint8_t>(applicationVersion);
    raw[1] = static_cast<uint8_t>(applicationVersion >> 8);
    for (int i = 0; i < 4; ++i) raw[2 + i] = static_cast<uint8_t>(serialNumber >> (8 * i));
    raw[6] = static_cast<uint8_t>(bootVersion);
    raw[7] = static_cast<uint8_t>(bootVersion >> 8);
    raw[8] = deviceCode;
    raw[9] = deviceType;
    // The name keeps its terminator inside the 64 bytes.
    const std::size_t n = std::min<std::size_t>(controllerName.size(), raw.size() - 11);
    std::memcpy(raw.data() + 10, controllerName.data(), n);
    return raw;
}

std::string versionText(unsigned hundredths) { return formatText("%u.%02u", hundredths / 100u, hundredths % 100u); }

} // namespace zmt
