#include "ui/editor/parameter_rules.h"

#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>

namespace zmt {

namespace {

uint8_t& encoderMode(ConfigImage& image, int encoder) { return encoder == 0 ? image.enc0Mode : image.enc1Mode; }

template <class Predicate>
void disableEncodersWhere(ConfigImage& image, Predicate conflicts) {
    for (int encoder = 0; encoder < 2; ++encoder) {
        if (conflicts(encoderMode(image, encoder))) encoderMode(image, encoder) = EncoderDisabled;
    }
}

uint8_t listIndex(int index) { return static_cast<uint8_t>(std::clamp(index, 0, 255)); }

} // namespace

uint16_t correctedLongPressTimeout(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Saturate instead of wrapping: 65736 must not come out as 200.
    const uint64_t value = leadingUnsigned(text, 10, 1000000).value_or(0);
    if (negative || value < kMinLongPressTimeout || value > kMaxLongPressTimeout) return kMaxLongPressTimeout;
    return static_cast<uint16_t>(value);
}

std::string switchedOffSettings(const ConfigImage& before, const ConfigImage& after, ExclusiveSetting edited) {
    struct Setting {
        ExclusiveSetting which;
        bool (*on)(const ConfigImage&);
        const char* name;
    };
    static constexpr Setting kSettings[] = {
        {ExclusiveSetting::Encoder1Mode, [](const ConfigImage& i) { return i.enc0Mode != EncoderDisabled; },
         N_("encoder 1")},
        {ExclusiveSetting::Encoder2Mode, [](const ConfigImage& i) { return i.enc1Mode != EncoderDisabled; },
         N_("encoder 2")},
        {ExclusiveSetting::HeadType, [](const ConfigImage& i) { return i.headType != 0; },
         N_("head unit type")},
        {ExclusiveSetting::TouchMode, [](const ConfigImage& i) { return i.touchMode != 0; },
         N_("touch panel mode")},
        {ExclusiveSetting::FiveWireTouch, [](const ConfigImage& i) { return (i.touchFlags & TOUCH_5LINES) != 0; },
         N_("5-wire touch panel")},
    };
    std::string names;
    for (const Setting& setting : kSettings) {
        if (setting.which == edited || !setting.on(before) || setting.on(after)) continue;
        if (!names.empty()) names += ", ";
        names += localized(setting.name);
    }
    return names;
}

void setEncoderDivisor(ConfigImage& image, int encoder, int shownDivisor) {
    const auto stored = static_cast<uint8_t>(std::clamp(shownDivisor, kMinDivisor, kMaxDivisor) - 1);
    (encoder == 0 ? image.enc0Div : image.enc1Div) = stored;
}

bool setEncoderMode(ConfigImage& image, int encoder, int mode) {
    const uint8_t value = listIndex(mode);
    encoderMode(image, encoder == 0 ? 0 : 1) = value;
    if (value == EncoderRxdTxd) image.headType = 0;
    if (value == EncoderTouch12 || value == EncoderTouch34) image.touchMode = 0;
    if (value == EncoderKeys12) image.touchFlags &= static_cast<uint8_t>(~TOUCH_5LINES);
    return true;
}

bool setHeadType(ConfigImage& image, int type) {
    image.headType = listIndex(type);
    image.touchMode = 0;
    disableEncodersWhere(image, [](uint8_t mode) { return mode == EncoderRxdTxd; });
    return true;
}

bool setTouchMode(ConfigImage& image, int mode) {
    image.touchMode = listIndex(mode);
    image.headType = 0;
    disableEncodersWhere(image, [](uint8_t m) { return m == EncoderTouch12 || m == EncoderTouch34; });
    if (image.touchMode != 0 && (image.touchFlags & TOUCH_5LINES)) {
        disableEncodersWhere(image, [](uint8_t m) { return m == EncoderKeys12; });
    }
    return true;
}

bool setFiveWireTouch(ConfigImage& image, bool on) {
    if (!on) {
        image.touchFlags &= static_cast<uint8_t>(~TOUCH_5LINES);
        return false;
    }
    image.touchFlags |= TOUCH_5LINES;
    disableEncodersWhere(image, [](uint8_t mode) { return mode == EncoderKeys12; });
    return true;
}

void setWindowsTouch(ConfigImage& image, bool on) {
    if (on) image.touchFlags |= TOUCH_WINDOWS;
    else image.touchFlags &= static_cast<uint8_t>(~TOUCH_WINDOWS);
}

void setTouchWakeUp(ConfigImage& image, bool on) { image.touchWakeUp = on ? 1 : 0; }

} // namespace zmt
