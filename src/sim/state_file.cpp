#include "sim/state_file.h"

#include "files/file_writer.h"
#include "lang/number_text.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace zmt::sim {

namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kLargestStateFile = 1 << 20;   // a real one is a few KB

std::string trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// Text from the file, quoted, its control characters escaped.
std::string quotedText(std::string_view text) {
    std::string shown = "'";
    shown += escapeControls(text);
    shown += '\'';
    return shown;
}

// "0A FF 3C": the dump without its first blank.
std::string hexRun(const uint8_t* bytes, std::size_t count) { return hexDump(bytes, count).substr(count == 0 ? 0 : 1); }

void writeRuns(std::ostringstream& out, const char* key, const uint8_t* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count; at += kBytesPerLine) {
        char offset[24];
        std::snprintf(offset, sizeof offset, "%04zu", at);
        out << key << '.' << offset << " = " << hexRun(bytes + at, std::min(kBytesPerLine, count - at)) << '\n';
    }
}

bool parseNumber(const std::string& text, uint64_t limit, uint64_t& value) {
    const auto parsed = parseUnsigned(text, limit);
    value = parsed.value_or(0);
    return parsed.has_value();
}

bool parseHex(const std::string& text, std::vector<uint8_t>& bytes, std::string& error) {
    std::string word;
    auto parsed = parseHexBytes(text, &word);
    if (!parsed) {
        error = quotedText(word) + " is not a byte of two hex digits";
        return false;
    }
    bytes = std::move(*parsed);
    return true;
}

template <std::size_t N>
bool putBytes(std::array<uint8_t, N>& memory, std::size_t offset, const std::vector<uint8_t>& bytes,
              std::string& error) {
    if (offset > N || bytes.size() > N - offset) {
        error = "bytes run past the end of the memory (" + std::to_string(N) + " bytes)";
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

// One `key = value` line into state; false with the reason in error.
bool applyLine(const std::string& key, const std::string& value, ControllerState& state, std::string& error) {
    struct Scalar { const char* key; uint64_t limit; };
    static const Scalar scalars[] = {
        {"application_version", 0xFFFF}, {"serial", 0xFFFFFFFF}, {"boot_version", 0xFFFF},
        {"device_code", 0xFF},          {"device_type", 0xFF},  {"boot_mode", 1},
        {"open_denied", 1},
    };
    for (const Scalar& scalar : scalars) {
        if (key != scalar.key) continue;
        uint64_t number = 0;
        if (!parseNumber(value, scalar.limit, number)) {
            error = quotedText(value) + " is not a decimal number from 0 to " + std::to_string(scalar.limit);
            return false;
        }
        if (key == "application_version") state.applicationVersion = static_cast<uint16_t>(number);
        else if (key == "serial") state.serialNumber = static_cast<uint32_t>(number);
        else if (key == "boot_version") state.bootVersion = static_cast<uint16_t>(number);
        else if (key == "device_code") state.deviceCode = static_cast<uint8_t>(number);
        else if (key == "device_type") state.deviceType = static_cast<uint8_t>(number);
        else if (key == "boot_mode") state.bootMode = number == 1;
        else state.openDenied = number == 1;
        return true;
    }

    if (key == "press") {
        // "2:120": channel 1..4, as zmtctl names a button, then its level.
        const auto colon = value.find(':');
        uint64_t channel = 0;
        uint64_t level = 0;
        if (colon == std::string::npos || !parseNumber(value.substr(0, colon), 4, channel) || channel == 0 ||
            !parseNumber(value.substr(colon + 1), 255, level) || level == 0) {
            error = quotedText(value) + " is not CHANNEL:LEVEL (channel 1 to 4, level 1 to 255)";
            return false;
        }
        state.presses.push_back({static_cast<uint8_t>(channel - 1), static_cast<uint8_t>(level)});
        return true;
    }

    const auto dot = key.find('.');
    const std::string name = key.substr(0, dot);
    uint64_t offset = 0;
    const bool known = dot == std::string::npos
                           ? name == "touch" || name == "key_levels" || name == "ir_code" || name == "log"
                           : (name == "config" || name == "firmware") &&
                                 parseNumber(key.substr(dot + 1), 0xFFFF, offset);
    if (!known) {
        error = "unknown key ";
        error += quotedText(key);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!parseHex(value, bytes, error)) return false;

    if (dot != std::string::npos) {
        if (name == "config") return putBytes(state.config, offset, bytes, error);
        if (offset + bytes.size() > kFirmwareCapacity) {
            error = "firmware bytes run past " + std::to_string(kFirmwareCapacity);
            return false;
        }
        if (state.firmware.size() < offset + bytes.size()) state.firmware.resize(offset + bytes.size());
        std::copy(bytes.begin(), bytes.end(), state.firmware.begin() + static_cast<std::ptrdiff_t>(offset));
        return true;
    }
    if (key == "touch") return putBytes(state.touch, 0, bytes, error);
    if (key == "key_levels") return putBytes(state.keyLevels, 0, bytes, error);
    if (key == "ir_code") return putBytes(state.irCode, 0, bytes, error);
    if (bytes.size() < 2 || bytes.size() > 2 + kLogDataMax) {
        error = "a log record is a type, a length and at most 32 data bytes";
        return false;
    }
    state.log.push_back({bytes[0], bytes[1], std::vector<uint8_t>(bytes.begin() + 2, bytes.end())});
    return true;
}

} // namespace

std::string formatControllerState(const ControllerState& state) {
    std::ostringstream out;
    out << "# Simulated ZEL MORVA TOUCH controller (format: docs/simulator.md)\n"
        << "application_version = " << state.applicationVersion << '\n'
        << "serial = " << state.serialNumber << '\n'
        << "boot_version = " << state.bootVersion << '\n'
        << "device_code = " << unsigned{state.deviceCode} << '\n'
        << "device_type = " << unsigned{state.deviceType} << '\n'
        << "boot_mode = " << (state.bootMode ? 1 : 0) << '\n'
        << (state.openDenied ? "open_denied = 1\n" : "")
        << "touch = " << hexRun(state.touch.data(), state.touch.size()) << '\n'
        << "key_levels = " << hexRun(state.keyLevels.data(), state.keyLevels.size()) << '\n'
        << "ir_code = " << hexRun(state.irCode.data(), state.irCode.size()) << '\n';
    for (const LogRecord& record : state.log) {
        std::vector<uint8_t> bytes{record.type, record.length};
        bytes.insert(bytes.end(), record.data.begin(), record.data.end());
        out << "log = " << hexRun(bytes.data(), bytes.size()) << '\n';
    }
    for (const ScriptedPress& press : state.presses)
        out << "press = " << unsigned{press.channel} + 1 << ':' << unsigned{press.level} << '\n';
    writeRuns(out, "config", state.config.data(), state.config.size());
    writeRuns(out, "firmware", state.firmware.data(), state.firmware.size());
    return out.str();
}

bool parseControllerState(const std::string& text, ControllerState& state, std::string& error) {
    ControllerState parsed;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        std::string reason;
        if (equals == std::string::npos) {
            reason = "expected 'key = value'";
        } else if (applyLine(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), parsed, reason)) {
            continue;
        }
        error = "line " + std::to_string(number) + ": " + reason;
        return false;
    }
    state = std::move(parsed);
    return true;
}

bool loadControllerState(const std::string& path, ControllerState& state, std::string& error) {
    // A file that cannot be read in full (EIO, a folder, a pipe) is an
    // error, never an empty file: taken for one, it would start a new
    // controller and the save at the end would write that over the user's.
    std::string text;
    const FileResult read = readWholeFile(path, kLargestStateFile, text);
    if (!read.ok()) {
        error = path + ": " + (read.error == FileError::TooLarge ? "too large for a state file" : read.reason());
        return false;
    }
    if (!parseControllerState(text, state, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool saveControllerState(const std::string& path, const ControllerState& state, std::string& error) {
    const FileResult saved = writeFileSafely(path, formatControllerState(state));
    if (!saved.ok()) error = saved.text();
    return saved.ok();
}

} // namespace zmt::sim
