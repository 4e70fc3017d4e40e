// The settings file is ours, but users and other tools edit it. Whatever it
// holds, reading must not crash; writing the settings back must keep every
// value; and a remembered file name must come back as it was stored.
#include "ui/shell/settings.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace zmt;
using zmt::fuzz::require;

namespace {
bool sameSettings(const ProgramSettings& a, const ProgramSettings& b) {
    return a.mainTop == b.mainTop && a.mainLeft == b.mainLeft && a.eventPage == b.eventPage && a.lang == b.lang &&
           a.log == b.log && a.debug == b.debug && a.keyTop == b.keyTop && a.keyLeft == b.keyLeft &&
           a.keyVisible == b.keyVisible && a.configFile == b.configFile && a.firmwareFile == b.firmwareFile;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    // A file name as a dialog could hand it over, then the file itself.
    const std::string chosen = provider.ConsumeRandomLengthString(300);
    const std::string body = provider.ConsumeRemainingBytesAsString();
    const std::string path = fuzz::scratchFile("zmtsetup.ini");
    if (!fuzz::writeBytes(path, reinterpret_cast<const uint8_t*>(body.data()), body.size())) return 0;

    ProgramSettings settings;
    const FileResult loaded = loadSettings(path, settings);
    if (!loaded.ok()) {
        require(!loaded.text().empty(), "a settings file that cannot be read gives no message");
        return 0;
    }
    require(settings.eventPage >= 0 && settings.eventPage <= 59, "event tab out of range");

    require(saveSettings(path, settings).ok(), "saving the settings failed");
    ProgramSettings again;
    require(loadSettings(path, again).ok(), "saved settings do not load");
    require(sameSettings(again, settings), "save and load changed the settings");

    require(rememberFile(path, settings, FileKind::Firmware, chosen).ok(), "remembering a file failed");
    require(loadSettings(path, again).ok(), "settings with a remembered file do not load");
    require(again.configFile == settings.configFile, "remembering a firmware file changed the configuration file");
    // Like every ini value, a name is read without blanks around it, and no
    // real path holds control characters; any other name comes back whole.
    const bool plainName =
        !chosen.empty() && chosen.front() != ' ' && chosen.back() != ' ' &&
        std::none_of(chosen.begin(), chosen.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (plainName)
        require(again.firmwareFile == settings.firmwareFile, "the remembered file name came back changed");
    (void)dialogStartFolder(again, FileKind::Firmware);
    return 0;
}
