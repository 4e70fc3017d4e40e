#include "config/config_file.h"

#include "files/ini_file.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace zmt {

namespace {

const char* const kParam = "PARAM";
const char* const kEventsSection = "EVENTS";
const char* const kTouchWakeUpKey = "TOUCH_WAKEUP";

// Every key name is made again for every file read, so plainly: a printf
// per name was a third of the time a snapshot took to read.
std::string withTwoDigits(const char* prefix, int number) {
    return prefix + std::string(number < 10 ? "0" : "") + std::to_string(number);
}
std::string buttonSection(int channel) { return "KEYSCH" + std::to_string(channel + 1); }
std::string buttonKey(int slot) { return withTwoDigits("KEY", slot + 1); }
std::string eventKey(int event) { return withTwoDigits("EVKEY", event + 1); }

// Reading one file into a fresh image, noting every value that was not clean.
class Reader {
public:
    Reader(const IniFile& ini, FileResult& result) : ini_(ini), result_(result) {}

    int integer(const char* section, const std::string& key, int fallback) {
        const auto text = ini_.find(section, key);
        if (!text) return fallback;
        const auto value = parseIniInteger(*text);
        if (!value) damaged(section, key);
        return value.value_or(fallback);
    }

    // The divisor fields show 1 to 10 (stored 0 to 9). A value beyond that
    // could not be shown, so the screen would show one divisor while the
    // controller was sent another: it takes the nearest one that can be
    // shown, and the file is named as damaged.
    uint8_t divisor(const char* key) {
        const int value = integer(kParam, key, 0);
        const int shown = std::clamp(value, 0, kMaxDivisor - 1);
        if (shown != value) damaged(kParam, key);
        return static_cast<uint8_t>(shown);
    }

    void record(const std::string& section, const std::string& key, uint8_t* bytes, std::size_t n) {
        const std::string text = ini_.readText(section, key, "");
        if (!hexDecode(text, n, bytes) && !text.empty()) damaged(section, key);
    }

private:
    void damaged(const std::string& section, const std::string& key) {
        result_.damaged.push_back(section + "/" + key);
    }
    const IniFile& ini_;
    FileResult& result_;
};

// Every key putConfiguration writes, section by section, in file order; the
// flag says whether every saved file has it (TOUCH_WAKEUP came later, so
// older files lack it as a rule, not because they were cut short).
template <typename Visit>
void forEachConfigurationKey(Visit visit) {
    for (const char* key : {"LONGTO", "ENC0MODE", "ENC0DIV", "ENC1MODE", "ENC1DIV", "TOUCH_WINDOWS", "TOUCH_5LINES",
                            "TOUCH_MODE", "HEAD_TYPE", "KEYHOME", "KEY"})
        visit(std::string(kParam), std::string(key), true);
    visit(std::string(kParam), std::string(kTouchWakeUpKey), false);
    for (int channel = 0; channel < kChannels; ++channel)
        for (int slot = 0; slot < kSlotsPerChannel; ++slot) visit(buttonSection(channel), buttonKey(slot), true);
    for (int event = 0; event < kEvents; ++event) visit(std::string(kEventsSection), eventKey(event), true);
}

bool looksLikeConfiguration(const IniFile& ini) {
    if (ini.hasSection(kParam) || ini.hasSection(kEventsSection)) return true;
    for (int channel = 0; channel < kChannels; ++channel)
        if (ini.hasSection(buttonSection(channel))) return true;
    return false;
}

// Saving merges into an existing file, keeping what else it holds. A file that
// is not ini text at all (a firmware image or a document picked by mistake)
// would be ruined by that merge while the save reported success, so only a
// file that already holds a configuration, an empty one, ini text with
// sections, or text holding nothing but comments and blank lines is written
// into. A configuration file with stray binary bytes still loads, so it may
// also be saved over.
bool canMergeInto(const std::string& content, bool holdsConfiguration) {
    if (holdsConfiguration) return true;
    if (content.find('\0') != std::string::npos) return false;
    bool hasSection = false;
    bool hasOtherText = false;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string_view line(content.data() + start, end - start);
        const auto first = line.find_first_not_of(" \t\r\xEF\xBB\xBF");
        if (first != std::string_view::npos) {
            const char c = line[first];
            if (c == '[') hasSection = true;
            else if (c != ';' && c != '#') hasOtherText = true;
        }
        start = end + 1;
    }
    return hasSection || !hasOtherText;
}

} // namespace

std::string hexEncode(const uint8_t* bytes, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

bool hexDecode(const std::string& text, std::size_t n, uint8_t* bytes) {
    bool clean = text.size() == 2 * n;
    std::size_t filled = 0;
    for (std::size_t pos = 0; pos + 1 < text.size() && filled < n; pos += 2) {
        const int high = digitValue(text[pos], 16);
        const int low = digitValue(text[pos + 1], 16);
        if (high < 0 || low < 0) clean = false;
        bytes[filled++] = static_cast<uint8_t>(16 * std::max(high, 0) + std::max(low, 0));
    }
    std::memset(bytes + filled, 0, n - filled);
    return clean;
}

void putConfiguration(IniFile& ini, const ConfigImage& image) {
    ini.writeInteger(kParam, "LONGTO", image.longPressTimeout);
    ini.writeInteger(kParam, "ENC0MODE", image.enc0Mode);
    ini.writeInteger(kParam, "ENC0DIV", image.enc0Div);
    ini.writeInteger(kParam, "ENC1MODE", image.enc1Mode);
    ini.writeInteger(kParam, "ENC1DIV", image.enc1Div);
    ini.writeFlag(kParam, "TOUCH_WINDOWS", image.touchFlags & TOUCH_WINDOWS);
    ini.writeFlag(kParam, "TOUCH_5LINES", image.touchFlags & TOUCH_5LINES);
    ini.writeInteger(kParam, "TOUCH_MODE", image.touchMode);
    ini.writeInteger(kParam, "HEAD_TYPE", image.headType);
    ini.writeText(kParam, "KEYHOME", hexEncode(reinterpret_cast<const uint8_t*>(&image.homeReaction), 4));
    ini.writeText(kParam, "KEY", hexEncode(image.bytes(), 5));
    ini.writeInteger(kParam, kTouchWakeUpKey, image.touchWakeUp);
    for (int channel = 0; channel < kChannels; ++channel)
        for (int slot = 0; slot < kSlotsPerChannel; ++slot)
            ini.writeText(buttonSection(channel), buttonKey(slot),
                          hexEncode(reinterpret_cast<const uint8_t*>(&image.keys[channel][slot]), sizeof(KeyRecord)));
    for (int event = 0; event < kEvents; ++event)
        ini.writeText(kEventsSection, eventKey(event),
                      hexEncode(reinterpret_cast<const uint8_t*>(&image.events[event]), sizeof(EventRecord)));
}

FileResult saveConfigFile(const ConfigImage& image, const std::string& path) {
    IniFile ini;
    // Keep whatever else the file holds; only a file that is not there yet
    // starts empty. One we cannot read is not overwritten blindly.
    FileResult existing = ini.read(path);
    if (!existing.ok() && existing.error != FileError::NotFound) return existing;
    if (existing.ok()) {
        std::string content;
        FileResult raw = readWholeFile(path, IniFile::kMaxFileBytes, content);
        if (!raw.ok()) return raw;
        if (!canMergeInto(content, looksLikeConfiguration(ini))) {
            raw.error = FileError::NotConfiguration;
            return raw;
        }
    }

    putConfiguration(ini, image);
    return ini.save(path);
}

FileResult loadConfigFile(ConfigImage& image, const std::string& path) {
    IniFile ini;
    FileResult result = ini.read(path);
    if (!result.ok()) return result;
    if (!looksLikeConfiguration(ini)) {
        result.error = FileError::NotConfiguration;
        return result;
    }

    ConfigImage loaded{};
    Reader read(ini, result);
    // Values are stored without range checks, as the controller would take
    // them; only the divisors are kept to what their fields can show.
    loaded.longPressTimeout = static_cast<uint16_t>(read.integer(kParam, "LONGTO", kDefaultLongPressTimeout));
    loaded.enc0Mode = static_cast<uint8_t>(read.integer(kParam, "ENC0MODE", 0));
    loaded.enc0Div = read.divisor("ENC0DIV");
    loaded.enc1Mode = static_cast<uint8_t>(read.integer(kParam, "ENC1MODE", 0));
    loaded.enc1Div = read.divisor("ENC1DIV");
    if (read.integer(kParam, "TOUCH_WINDOWS", 0) != 0) loaded.touchFlags |= TOUCH_WINDOWS;
    if (read.integer(kParam, "TOUCH_5LINES", 0) != 0) loaded.touchFlags |= TOUCH_5LINES;
    loaded.touchMode = static_cast<uint8_t>(read.integer(kParam, "TOUCH_MODE", 1));
    loaded.headType = static_cast<uint8_t>(read.integer(kParam, "HEAD_TYPE", 0));
    loaded.touchWakeUp = static_cast<uint8_t>(read.integer(kParam, kTouchWakeUpKey, 0));
    read.record(kParam, "KEYHOME", reinterpret_cast<uint8_t*>(&loaded.homeReaction), 4);
    read.record(kParam, "KEY", loaded.bytes(), 5);
    for (int channel = 0; channel < kChannels; ++channel)
        for (int slot = 0; slot < kSlotsPerChannel; ++slot)
            read.record(buttonSection(channel), buttonKey(slot),
                        reinterpret_cast<uint8_t*>(&loaded.keys[channel][slot]), sizeof(KeyRecord));
    for (int event = 0; event < kEvents; ++event)
        read.record(kEventsSection, eventKey(event), reinterpret_cast<uint8_t*>(&loaded.events[event]), sizeof(EventRecord));

    forEachConfigurationKey([&](const std::string& section, const std::string& key, bool always) {
        if (always && !ini.find(section, key)) result.missing.push_back(section + "/" + key);
    });

    image = loaded;
    return result;
}

std::size_t configurationKeysIn(const IniFile& ini) {
    std::size_t count = 0;
    forEachConfigurationKey([&](const std::string& section, const std::string& key, bool) {
        if (ini.find(section, key)) ++count;
    });
    return count;
}

std::size_t configurationKeyCount() {
    std::size_t count = 0;
    forEachConfigurationKey([&](const std::string&, const std::string&, bool) { ++count; });
    return count;
}

} // namespace zmt
