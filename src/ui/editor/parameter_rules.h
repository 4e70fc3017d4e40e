#pragma once
// The controller-wide settings the parameters panel edits, and the rules by
// which some of them exclude each other: the pins an encoder uses cannot also
// serve the head unit (RXD/TXD), the touch panel (Touch12, Touch34) or the
// fifth touch wire (Keys12), and a head unit and a touch mode exclude each
// other. Each setter stores its own value first, then switches the
// conflicting settings off. Setters return true when the encoder column of
// the buttons grid and the selected event must be shown again (their labels
// follow the encoder modes).
#include "config/config_image.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zmt {

inline constexpr uint16_t kMinLongPressTimeout = 200;
inline constexpr uint16_t kMaxLongPressTimeout = 1500;
// The long-press time-out typed as text: a decimal number in 200..1500, or
// 1500 for anything else (out of range, no digits, too long a number).
uint16_t correctedLongPressTimeout(std::string_view text);

// Encoder modes, index of the mode list.
enum EncoderMode : uint8_t {
    EncoderDisabled = 0, EncoderRxdTxd = 1, EncoderTouch12 = 2, EncoderTouch34 = 3, EncoderKeys12 = 4
};

// encoder 0 or 1; the shown divisor is clamped to 1..10.
void setEncoderDivisor(ConfigImage& image, int encoder, int shownDivisor);

// The settings the rules may switch off, for saying which ones they did.
enum class ExclusiveSetting { Encoder1Mode, Encoder2Mode, HeadType, TouchMode, FiveWireTouch };
// The settings other than edited that were on in before and are off in
// after, named in the language in force ("encoder 1, touch panel mode"); ""
// when the rules switched nothing else off.
std::string switchedOffSettings(const ConfigImage& before, const ConfigImage& after, ExclusiveSetting edited);

bool setEncoderMode(ConfigImage& image, int encoder, int mode);
bool setHeadType(ConfigImage& image, int type);
bool setTouchMode(ConfigImage& image, int mode);
bool setFiveWireTouch(ConfigImage& image, bool on);
void setWindowsTouch(ConfigImage& image, bool on);
void setTouchWakeUp(ConfigImage& image, bool on);

} // namespace zmt
