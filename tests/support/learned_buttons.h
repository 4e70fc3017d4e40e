#pragma once
// The buttons the editor tests start from, as a controller holds them after
// learning: channel 1 with three buttons (the first two named VOL+ and
// VOL-), channel 3 with one unnamed button at level 42, encoder 1 on and
// encoder 2 off.
#include "config/config_image.h"

namespace zmt::fixtures {

inline void putLearnedButtons(ConfigImage& image) {
    image.keys[0][0] = KeyRecord{40, 10, {'V', 'O', 'L', '+', 0}};
    image.keys[0][1] = KeyRecord{60, 10, {'V', 'O', 'L', '-', 0}};
    image.keys[0][2] = KeyRecord{80, 10, {}};
    image.keys[2][0] = KeyRecord{42, 15, {}};
    image.enc0Mode = 1;
    image.enc1Mode = 0;
}

} // namespace zmt::fixtures
