#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zmt::fuzz {

const std::string& scratchFolder() {
    // Kept on the heap for the whole run: the clean-up at exit runs after
    // static objects are gone.
    static const std::string& folder = *new std::string([] {
        // /dev/shm keeps millions of small writes off the disk.
        std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm"
                                                                       : std::filesystem::temp_directory_path();
        const auto path = base / ("zmt-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder(), ignored);
        });
        return path.string();
    }());
    return folder;
}

std::string scratchFile(const std::string& name) { return scratchFolder() + "/" + name; }

bool writeBytes(const std::string& path, const uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

void fail(const char* what) {
    std::fprintf(stderr, "property does not hold: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace zmt::fuzz
