// Firmware files (*.LDR) from anywhere: cut short, padded, for another
// device, or no firmware at all. Whatever the bytes, the check must refuse
// with a message that names the file, leaving nothing behind to send, or
// accept a file that keeps its promises: its size, its header as stored, a
// matching check value, and zeros after it in the transfer buffer.
#include "device/firmware_file.h"
#include "fuzz_support.h"

#include <cstring>

using namespace zmt;
using zmt::fuzz::require;

namespace {

class RecordingHost : public Host {
public:
    uint32_t tickMs() override { return ++ticks_; }
    void waitEvents(uint32_t) override {}
    Answer messageBox(MessageStyle, const std::string& text) override {
        ++boxes;
        lastBox = text;
        return Answer::Ok;
    }
    void memoLine(const std::string&) override { ++memoLines; }
    void memoClear() override {}
    bool exchangeLogOn() override { return false; }
    void statusText(const std::string&) override {}
    void notice(unsigned, unsigned, const std::string&) override {}

    int boxes = 0;
    int memoLines = 0;
    std::string lastBox;

protected:
    void gaugeChanged(const Gauge&) override {}

private:
    uint32_t ticks_ = 1;
};

bool allZero(const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratchFile("input.LDR");
    if (!fuzz::writeBytes(path, data, size)) return 0;

    RecordingHost host;
    FirmwareImage image;
    // A file accepted before must not survive a refused one.
    std::vector<uint8_t> earlier;
    buildFirmwareFile({1, 2, 3, 4}, std::vector<uint8_t>(64, 0x5A), earlier);
    std::memcpy(image.buffer.data(), earlier.data(), earlier.size());
    image.fileSize = earlier.size();

    if (!loadFirmwareFile(host, path, image)) {
        require(host.boxes == 1, "a refused file does not give exactly one message");
        require(host.lastBox.find("input.LDR") != std::string::npos, "the message does not name the file");
        require(!image.loaded() && image.payloadSize() == 0, "a refused file left an image to send");
        require(image.buffer.size() == kFirmwareBufferSize && allZero(image.buffer.data(), image.buffer.size()),
                "a refused file left bytes in the transfer buffer");
        require(host.memoLines == 0, "a refused file printed the update lines");
        return 0;
    }
    require(host.boxes == 0, "an accepted file showed a message");
    require(size >= kFirmwareOverhead && size <= kFirmwareFileMax, "a file of impossible size was accepted");
    require(image.loaded() && image.fileSize == size && image.payloadSize() == size - kFirmwareOverhead,
            "the accepted size is not the file's");
    require(image.buffer.size() == kFirmwareBufferSize, "the transfer buffer changed size");
    require(std::memcmp(image.buffer.data(), data, size) == 0, "the buffer does not hold the file");
    require(allZero(image.buffer.data() + size, image.buffer.size() - size), "bytes after the file are not zero");
    const auto stored = static_cast<uint16_t>(data[size - 2] | data[size - 1] << 8);
    require(crc16Xmodem(data, size - kFirmwareCheckSize) == stored, "a file with a wrong check value was accepted");
    require(image.header.applicationVersion == static_cast<uint16_t>(data[4] | data[5] << 8) &&
                image.header.deviceCode == data[6] && image.header.deviceType == data[7],
            "the header is not the file's");
    require(host.memoLines == 3, "an accepted file did not print its update lines");

    // What zmtctl make-ldr builds from the accepted header and payload is the file itself.
    std::vector<uint8_t> rebuilt;
    require(buildFirmwareFile(image.header, std::vector<uint8_t>(image.payload(), image.payload() + image.payloadSize()),
                              rebuilt),
            "an accepted payload cannot be built again");
    require(rebuilt.size() == size && std::memcmp(rebuilt.data(), data, size) == 0,
            "building the accepted file again gives other bytes");
    return 0;
}
