#pragma once
// An image whose controller-wide settings are given and everything else is
// empty: the starting point of the parameter rules' tables and of the
// parameters panel's tests.
#include "config/config_image.h"

#include <cstdint>

namespace zmt::test {

inline ConfigImage imageWith(uint8_t enc0, uint8_t enc1, uint8_t touchMode, uint8_t headType, uint8_t touchFlags) {
    ConfigImage image{};
    image.longPressTimeout = kDefaultLongPressTimeout;
    image.enc0Mode = enc0;
    image.enc1Mode = enc1;
    image.touchMode = touchMode;
    image.headType = headType;
    image.touchFlags = touchFlags;
    return image;
}

} // namespace zmt::test
