#include "device/firmware_file.h"

#include "device/identity.h"
#include "files/file_result.h"
#include "lang/lang.h"

#include <algorithm>
#include <cstring>

namespace zmt {

uint16_t crc16Xmodem(const uint8_t* bytes, std::size_t count) {
    uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        uint16_t x = static_cast<uint16_t>((crc >> 8) ^ bytes[i]);
        x = static_cast<uint16_t>(x ^ (x >> 4));
        crc = static_cast<uint16_t>((crc << 8) ^ (x << 12) ^ (x << 5) ^ x);
    }
    return crc;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// The messages take the name and the extension as two parts.
// The system's reason, when there is one, goes on a line of its own.
void fileError(Host& host, const char* literal, const std::string& path, const std::string& reason = {}) {
    const std::string name = fileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string text = formatText(localized(literal), stem.c_str(), extension.c_str());
    if (!reason.empty()) text += "\n" + reason;
    host.messageBox(MessageKind::Error, text);
}

} // namespace

namespace {

// A refused file leaves nothing behind to be sent by mistake: neither an
// earlier file nor its own unchecked bytes.
void forget(FirmwareImage& image) {
    image.buffer.assign(kFirmwareBufferSize, 0);
    image.fileSize = 0;
    image.header = LdrHeader{};
}

} // namespace

bool loadFirmwareFile(Host& host, const std::string& path, FirmwareImage& image) {
    forget(image);
    // A folder or a pipe is refused unread (a pipe would block the window);
    // each refusal names the system's reason on a line of its own.
    std::string data;
    const FileResult read = readWholeFile(path, kFirmwareFileMax, data);
    if (read.error == FileError::NotFound || read.error == FileError::CannotRead) {
        const char* opening = N_("Error opening file \"%s%s\"");
        const char* reading = N_("Error reading file \"%s%s\"");
        fileError(host, read.opened ? reading : opening, path, read.reason());
        return false;
    }
    // A file no longer than header and check value has no payload: it
    // would "install" nothing and report success. It is as unusable as an
    // oversized one.
    if (read.error == FileError::TooLarge || data.size() <= kFirmwareOverhead) {
        fileError(host, N_("Error file size \"%s%s\""), path);
        return false;
    }
    std::memcpy(image.buffer.data(), data.data(), data.size());
    const std::size_t size = data.size();
    const uint8_t* bytes = image.buffer.data();
    const auto stored = static_cast<uint16_t>(bytes[size - 2] | bytes[size - 1] << 8);
    if (crc16Xmodem(bytes, size - kFirmwareCheckSize) != stored) {
        forget(image);
        fileError(host, N_("Error in file \"%s%s\""), path);
        return false;
    }
    image.fileSize = size;
    std::memcpy(&image.header.reserved, bytes, 4);
    image.header.applicationVersion = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    image.header.deviceCode = bytes[6];
    image.header.deviceType = bytes[7];

    const std::string name = fileNameOf(path);
    host.memoLine(localized("******************* Update *******************"));
    host.memoLine(formatText(localized("The update file           \"%s\""), name.c_str()));
    host.memoLine(formatText(localized("Application version       %s"),
                             versionText(image.header.applicationVersion).c_str()));
    return true;
}

bool buildFirmwareFile(const LdrHeader& header, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out) {
    out.clear();
    if (payload.size() > kFirmwareFileMax - kFirmwareOverhead) return false;
    out.resize(kFirmwareHeaderSize);
    std::memcpy(out.data(), &header.reserved, 4);
    out[4] = static_cast<uint8_t>(header.applicationVersion);
    out[5] = static_cast<uint8_t>(header.applicationVersion >> 8);
    out[6] = header.deviceCode;
    out[7] = header.deviceType;
    out.insert(out.end(), payload.begin(), payload.end());
    const uint16_t crc = crc16Xmodem(out.data(), out.size());
    out.push_back(static_cast<uint8_t>(crc));
    out.push_back(static_cast<uint8_t>(crc >> 8));
    return true;
}

} // namespace zmt
