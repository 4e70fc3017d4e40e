// Cost of checking a firmware file before anything is sent: reading the
// largest file (16384 bytes) and its CRC-16 over all but the last two bytes,
// and the CRC alone. The window waits for this before the first question.
#include "bench_host.h"
#include "device/firmware_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using zmt::bench::QuietHost;

void BM_Crc16Largest(benchmark::State& state) {
    std::vector<uint8_t> bytes(zmt::kFirmwareFileMax - 2, 0xA5);
    for (auto _ : state) benchmark::DoNotOptimize(zmt::crc16Xmodem(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Crc16Largest)->Unit(benchmark::kMicrosecond);

void BM_LoadLargestFile(benchmark::State& state) {
    std::vector<uint8_t> file;
    zmt::buildFirmwareFile({0, 118, 1, 1}, std::vector<uint8_t>(zmt::kFirmwareFileMax - zmt::kFirmwareOverhead, 7),
                           file);
    const auto path = std::filesystem::temp_directory_path() / "zmt-firmware-bench.LDR";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    QuietHost host;
    zmt::FirmwareImage image;
    for (auto _ : state)
        if (!zmt::loadFirmwareFile(host, path.string(), image)) state.SkipWithError("file refused");
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadLargestFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
