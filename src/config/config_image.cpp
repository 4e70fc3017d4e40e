#include "config/config_image.h"
#include "lang/lang.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zmt {

const char* const kEventTypeItems[kEventTypeCount] = {
    NC_("state", "Disabled"),
    N_("Short press"),
    N_("Long tap"),
    N_("Any press"),
};

const char* const kTouchModeItems[kTouchModeCount] = {
    NC_("mode", "Disabled"),
    N_("Only external touch"),
    N_("Intercept - 0V"),
    N_("Intercept - 5V"),
};

const char* const kHeadTypeItems[kHeadTypeCount] = {
    NC_("head unit type", "Disabled"),
    N_("ALPINE"),
    N_("KENWOOD type 1"),
    N_("PIONEER type 1"),
    N_("PIONEER type 2"),
    N_("KENWOOD type 2"),
};

const char* const kEncoderModeItems[kEncoderModeCount] = {
    NC_("mode", "Disabled"),
    N_("pins RXD/TXD"),
    N_("pins Touch12"),
    N_("pins Touch34"),
    N_("pins Keys12"),
};

const char* irProtocolName(int protocol) {
    switch (protocol) {
    case 1: return "NEC";
    case 2: return "JVC";
    case 3: return "RC5";
    case 5: return "SONY12";
    case 6: return "SONY15";
    case 7: return "SONY20";
    default: return nullptr;
    }
}

std::string KeyRecord::nameText() const {
    std::size_t length = 0;
    while (length < sizeof name && name[length] != '\0') ++length;
    return std::string(name, length);
}

void KeyRecord::setName(const std::string& text) {
    std::memset(name, 0, sizeof name);
    std::memcpy(name, text.data(), std::min(text.size(), sizeof name));
}

int EventRecord::eventType() const { return flags & EV_TYPE_MASK; }

void EventRecord::setEventType(int type) {
    flags = static_cast<uint8_t>((flags & ~EV_TYPE_MASK) | (type & EV_TYPE_MASK));
}

void EventRecord::setFlag(uint8_t bit, bool on) { flags = static_cast<uint8_t>(on ? flags | bit : flags & ~bit); }

bool EventRecord::irTrigger() const { return (flags & EV_TRIGGER_MASK) != 0; }

IrCode EventRecord::irCode() const {
    IrCode code;
    std::memcpy(&code, &keyRow, sizeof code);
    return code;
}

void EventRecord::setIrCode(const IrCode& code) { std::memcpy(&keyRow, &code, sizeof code); }

KeyRecord* ConfigImage::keyAt(int channel, int row) {
    if (channel < 0 || channel >= kChannels || row < 1 || row > kSlotsPerChannel) return nullptr;
    return &keys[channel][row - 1];
}

const KeyRecord* ConfigImage::keyAt(int channel, int row) const {
    return const_cast<ConfigImage*>(this)->keyAt(channel, row);
}

EventRecord* ConfigImage::eventAt(int index) {
    if (index < 0 || index >= kEvents) return nullptr;
    return &events[index];
}

const EventRecord* ConfigImage::eventAt(int index) const { return const_cast<ConfigImage*>(this)->eventAt(index); }

void ConfigRecord::clear() { *this = ConfigRecord{}; }

void blankDeviceFixUp(ConfigImage& image) {
    if (image.longPressTimeout != 0) return;
    image.longPressTimeout = kDefaultLongPressTimeout;
    std::fill(std::begin(image.channelThreshold), std::end(image.channelThreshold), kNoThreshold);
}

namespace {
bool validChannel(int channel) { return channel >= 0 && channel < kChannels; }
} // namespace

int findKeySlot(const ConfigImage& image, int channel, uint8_t level) {
    if (level == 0 || !validChannel(channel)) return 0;
    for (int slot = 0; slot < kSlotsPerChannel; ++slot) {
        const uint8_t stored = image.keys[channel][slot].level;
        if (stored != 0 && std::abs(stored - level) < 8) return slot + 1;
    }
    return 0;
}

int findFreeSlot(const ConfigImage& image, int channel) {
    if (!validChannel(channel)) return 0;
    for (int slot = 0; slot < kSlotsPerChannel; ++slot)
        if (image.keys[channel][slot].level == 0) return slot + 1;
    return 0;
}

uint8_t channelThreshold(const ConfigImage& image, int channel, uint8_t idleLevel) {
    if (!validChannel(channel)) return kNoThreshold;
    int lowest = 0;
    for (const KeyRecord& key : image.keys[channel])
        if (key.level != 0 && (lowest == 0 || key.level < lowest)) lowest = key.level;
    if (lowest == 0) return kNoThreshold;
    return static_cast<uint8_t>((lowest + idleLevel) >> 1);
}

void computeTolerances(ConfigImage& image, int channel, uint8_t idleLevel) {
    if (!validChannel(channel)) return;
    auto& keys = image.keys[channel];
    for (KeyRecord& key : keys) {
        if (key.level == 0) continue;
        int tolerance = std::abs(key.level - idleLevel) / 2;
        for (const KeyRecord& other : keys) {
            if (&other == &key || other.level == 0) continue;
            tolerance = std::min(tolerance, std::abs(key.level - other.level) / 2);
        }
        key.tolerance = static_cast<uint8_t>(std::min(tolerance, 255));
    }
}

} // namespace zmt
