// Snapshots: what keeping one adds to the operation it precedes (a store
// already at its bound of 200, so every take also thins), the case of an
// unchanged controller (nothing written), listing the 200 with a summary of
// each against now as the history window does, and their size on the disk.
#include "config/config_diff.h"
#include "config/snapshot_store.h"

#include <string>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A configuration as an installer leaves it: every button learned and
// named, every event in use, the parameters set; the variant changes the
// long-press time-out.
zmt::ConfigImage sampleImage(unsigned variant) {
    zmt::ConfigImage image{};
    image.keysLearned = 1;
    for (int c = 0; c < zmt::kChannels; ++c) {
        image.channelThreshold[c] = 0x20;
        for (int s = 0; s < zmt::kSlotsPerChannel; ++s) {
            image.keys[c][s] = zmt::KeyRecord{static_cast<uint8_t>(0x30 + s * 8), 10, {}};
            image.keys[c][s].setName("K" + std::to_string(c * 15 + s));
        }
    }
    for (int e = 0; e < zmt::kEvents; ++e) {
        image.events[e].keyRow = static_cast<uint8_t>(1 + e % 15);
        image.events[e].keyCol = static_cast<uint8_t>(e / 15);
        image.events[e].flags = zmt::EventShortPress;
        image.events[e].reaction = {zmt::ReactionKeyboard, 0, static_cast<uint8_t>(4 + e), 0};
    }
    image.longPressTimeout = static_cast<uint16_t>(variant);
    image.touchMode = 1;
    image.enc0Mode = 1;
    image.homeReaction = {zmt::ReactionKeyboard, 0, 0x4A, 0};
    return image;
}

// A store of one controller filled to its bound, a minute between snapshots.
struct FullStore {
    fs::path root = fs::temp_directory_path() / "zmt-bench-snapshots";
    std::time_t now = 1796683500;
    zmt::SnapshotStore store{root.string(), [this] { return now; }};
    unsigned variant = 0;

    FullStore() {
        fs::remove_all(root);
        while (store.list(1001).size() < zmt::SnapshotStore::kKeepPerController) takeNew();
    }
    ~FullStore() { fs::remove_all(root); }
    void takeNew() {
        now += 60;
        store.take(1001, sampleImage(++variant), zmt::SnapshotCause::FullWrite);
    }
    std::uintmax_t bytes() const {
        std::uintmax_t total = 0;
        for (const auto& entry : fs::directory_iterator(root / "1001")) total += entry.file_size();
        return total;
    }
};

void BM_TakeSnapshotAtTheBound(benchmark::State& state) {
    FullStore full;
    for (auto _ : state) full.takeNew();
    state.counters["bytes_of_200"] = static_cast<double>(full.bytes());
}
BENCHMARK(BM_TakeSnapshotAtTheBound)->Unit(benchmark::kMillisecond);

void BM_TakeSnapshotUnchanged(benchmark::State& state) {
    FullStore full;
    const zmt::ConfigImage same = sampleImage(full.variant);
    for (auto _ : state) benchmark::DoNotOptimize(full.store.take(1001, same, zmt::SnapshotCause::Restart).added);
}
BENCHMARK(BM_TakeSnapshotUnchanged)->Unit(benchmark::kMillisecond);

void BM_ListWithSummaries(benchmark::State& state) {
    FullStore full;
    const zmt::ConfigImage now = sampleImage(0);
    for (auto _ : state) {
        const std::vector<zmt::ListingEntry> listed = zmt::listingEntries(now);
        for (const zmt::SnapshotEntry& entry : full.store.list(1001)) {
            zmt::ConfigImage held = now;
            zmt::loadSnapshot(held, entry.path);
            benchmark::DoNotOptimize(zmt::differenceSummary(zmt::compareConfigurations(held, now, listed)));
        }
    }
}
BENCHMARK(BM_ListWithSummaries)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
