// Saving and loading configuration files: an ordinary file, and the largest
// hostile file the reader accepts (1 MiB of one-character lines, which makes
// every key lookup walk the whole file).
#include "config/config_file.h"
#include "files/ini_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

std::string scratchPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

zmt::ConfigImage sampleImage() {
    zmt::ConfigImage image{};
    for (std::size_t i = 0; i < zmt::kConfigImageSize; ++i) image.bytes()[i] = static_cast<uint8_t>(i * 7);
    return image;
}

void BM_SaveConfigFile(benchmark::State& state) {
    const std::string path = scratchPath("zmt-bench-save.ZMT");
    const zmt::ConfigImage image = sampleImage();
    for (auto _ : state) benchmark::DoNotOptimize(zmt::saveConfigFile(image, path).ok());
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveConfigFile)->Unit(benchmark::kMicrosecond);

void BM_LoadConfigFile(benchmark::State& state) {
    const std::string path = scratchPath("zmt-bench-load.ZMT");
    zmt::saveConfigFile(sampleImage(), path);
    zmt::ConfigImage image{};
    for (auto _ : state) benchmark::DoNotOptimize(zmt::loadConfigFile(image, path).ok());
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadConfigFile)->Unit(benchmark::kMicrosecond);

void BM_LoadHostileFile(benchmark::State& state) {
    const std::string path = scratchPath("zmt-bench-hostile.ZMT");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[PARAM]\n";
        for (std::size_t i = 0; i < (zmt::IniFile::kMaxFileBytes - 16) / 2; ++i) out << "a\n";
    }
    zmt::ConfigImage image{};
    for (auto _ : state) benchmark::DoNotOptimize(zmt::loadConfigFile(image, path).ok());
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadHostileFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
