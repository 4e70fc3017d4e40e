// Configuration files (.ZMT) from anywhere: hand-edited, cut short, from other
// tools, or not ini files at all. Whatever the bytes, loading must not crash,
// must leave the image alone when it refuses the file, and what it loads must
// survive saving and loading again, both into a new file and over the file
// it came from (which keeps that file's other lines).
#include "config/config_file.h"
#include "fuzz_support.h"

#include <cstring>

using namespace zmt;
using zmt::fuzz::require;

namespace {
constexpr uint8_t kUntouched = 0xA5;

bool sameBytes(const ConfigImage& a, const ConfigImage& b) {
    return std::memcmp(a.bytes(), b.bytes(), kConfigImageSize) == 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input = fuzz::scratchFile("input.ZMT");
    const std::string fresh = fuzz::scratchFile("fresh.ZMT");
    if (!fuzz::writeBytes(input, data, size)) return 0;

    ConfigImage image;
    std::memset(image.bytes(), kUntouched, kConfigImageSize);
    const FileResult loaded = loadConfigFile(image, input);
    if (!loaded.ok()) {
        ConfigImage untouched;
        std::memset(untouched.bytes(), kUntouched, kConfigImageSize);
        require(sameBytes(image, untouched), "a refused file changed the image");
        require(!loaded.text().empty(), "a refused file gives no message");
        return 0;
    }
    (void)loaded.text();

    std::remove(fresh.c_str());
    require(saveConfigFile(image, fresh).ok(), "saving into a new file failed");
    ConfigImage again{};
    const FileResult reloaded = loadConfigFile(again, fresh);
    require(reloaded.ok() && reloaded.damaged.empty(), "a file we wrote does not load cleanly");
    require(sameBytes(again, image), "save and load into a new file changed the image");

    require(saveConfigFile(image, input).ok(), "saving over the loaded file failed");
    ConfigImage updated{};
    require(loadConfigFile(updated, input).ok(), "the updated file does not load");
    require(sameBytes(updated, image), "save over the file and load changed the image");
    return 0;
}
