// Atlas packing speed: packRects, every fit rule and page size it tries, on the cropped sizes
// of the harness's generated game sets (atlas_sizes.txt: 2000 and 10000 sprites, blank ones
// left out), pages of at most 4096 x 4096, padding 2. The counters give the pages and the
// total page pixels; before timing, each packing is checked (inside its pages, no two regions
// closer than the padding), and a bad one stops the benchmark with an error.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "atlas/maxrects.hpp"

namespace {

std::vector<PackRect> loadSizes(size_t sprites) {
    std::ifstream in(SPRITEBAKE_BENCH_DIR "/atlas_sizes.txt");
    std::vector<PackRect> rects;
    std::string line;
    size_t seen = 0;
    while (seen < sprites && std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        ++seen;
        std::istringstream fields(line);
        PackRect r;
        if (fields >> r.w >> r.h && r.w > 0 && r.h > 0) rects.push_back(r);
    }
    return rects;
}

// An empty text when the packing is valid.
std::string check(const std::vector<PackRect>& rects, const PackOptions& options,
                  const PackResult& result) {
    if (result.places.size() != rects.size()) return "a place per rect";
    std::vector<std::vector<size_t>> onPage(result.pages.size());
    for (size_t i = 0; i < rects.size(); ++i) {
        const PackPlace& p = result.places[i];
        if (p.page < 0 || static_cast<size_t>(p.page) >= result.pages.size()) return "no page";
        const PackPage& page = result.pages[static_cast<size_t>(p.page)];
        if (page.w > options.maxSize || page.h > options.maxSize) return "page too large";
        if (p.x < 0 || p.y < 0 || p.x + rects[i].w > page.w || p.y + rects[i].h > page.h)
            return "outside its page";
        onPage[static_cast<size_t>(p.page)].push_back(i);
    }
    const int32_t pad = options.padding;
    for (std::vector<size_t>& ids : onPage) {
        // By left edge: a later region starting at or past this one's right side plus the
        // padding, and every one after it, is apart.
        std::sort(ids.begin(), ids.end(),
                  [&](size_t a, size_t b) { return result.places[a].x < result.places[b].x; });
        for (size_t a = 0; a < ids.size(); ++a) {
            const PackPlace& pa = result.places[ids[a]];
            const PackRect& ra = rects[ids[a]];
            for (size_t b = a + 1; b < ids.size(); ++b) {
                const PackPlace& pb = result.places[ids[b]];
                const PackRect& rb = rects[ids[b]];
                if (pb.x >= pa.x + ra.w + pad) break;
                if (pb.y < pa.y + ra.h + pad && pa.y < pb.y + rb.h + pad) return "too close";
            }
        }
    }
    return "";
}

void packSet(benchmark::State& state, bool powerOfTwo) {
    const std::vector<PackRect> rects = loadSizes(static_cast<size_t>(state.range(0)));
    const PackOptions options{4096, 2, powerOfTwo};
    PackResult result;
    size_t firstTooLarge = 0;
    if (rects.empty() || packRects(rects, options, result, firstTooLarge) != PackStatus::packed) {
        state.SkipWithError("the sizes did not load or pack");
        return;
    }
    const std::string bad = check(rects, options, result);
    if (!bad.empty()) {
        state.SkipWithError(("invalid packing: " + bad).c_str());
        return;
    }
    for (auto _ : state) {
        packRects(rects, options, result, firstTooLarge);
        benchmark::DoNotOptimize(result.places.data());
    }
    int64_t pixels = 0, cropped = 0;
    for (const PackPage& p : result.pages) pixels += int64_t{p.w} * p.h;
    for (const PackRect& r : rects) cropped += int64_t{r.w} * r.h;
    state.counters["rects"] = static_cast<double>(rects.size());
    state.counters["pages"] = static_cast<double>(result.pages.size());
    state.counters["page_pixels"] = static_cast<double>(pixels);
    state.counters["occupancy"] = static_cast<double>(cropped) / static_cast<double>(pixels);
}

void BM_PackSet(benchmark::State& state) {
    packSet(state, false);
}

void BM_PackSetPowerOfTwo(benchmark::State& state) {
    packSet(state, true);
}

}  // namespace

BENCHMARK(BM_PackSet)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackSetPowerOfTwo)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
