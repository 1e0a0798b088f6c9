// The Sprites statement's own work, without the sprites' loads: sorting a full table's worth
// of names in natural order, and walking a tree of that many files with a `**/` pattern.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "control/pattern_files.hpp"
#include "control/sprite_patterns.hpp"
#include "sprite/sprite_types.hpp"

namespace {

// Frame names as art tools write them: folders of animations, numbered frames, mixed case.
std::vector<std::string> frameNames(size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%zu/Walk_%04zu.png", i % 2 ? "hero" : "Enemy", i % 37,
                      i);
        names.emplace_back(name);
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    return names;
}

void BM_NaturalSort(benchmark::State& state) {
    const std::vector<std::string> names = frameNames(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end(), naturalLess);
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_NaturalSort)->Arg(MAX_SPRITES);

void BM_WalkTree(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "spritebake-pattern-bench";
    fs::remove_all(root);
    for (const std::string& name : frameNames(static_cast<size_t>(state.range(0)))) {
        const fs::path path = root / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path.string()).put('x');
    }
    const SpritePattern pattern = parseSpritePattern("**/*.png");
    size_t found = 0;
    for (auto _ : state) {
        found = findPatternFiles(root.string() + "/", pattern).files.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = static_cast<double>(found);
    fs::remove_all(root);
}
BENCHMARK(BM_WalkTree)->Arg(MAX_SPRITES)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
