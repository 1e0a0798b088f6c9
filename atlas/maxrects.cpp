#include "atlas/maxrects.hpp"

#include <algorithm>
#include <array>

#include "atlas/maxrects_bin.hpp"
#include "filesys/allocate.hpp"

namespace {

// The orders rects are offered to a bin in, largest first by some measure. Every order ends
// with both sides and the index, so it is total: equal rects keep their input order.
enum class SizeOrder : uint8_t { height, width };
constexpr size_t SIZE_ORDER_COUNT = 2;

struct Combo {
    SizeOrder order;
    FitRule rule;
};

// The pairs of order and fit rule every page is tried with. Tallest first with the lowest
// bottom edge fills a page in rows, widest first with the leftmost right edge in columns; the
// box rule follows either while keeping the page's used extent small. Of 25 pairs of five
// orders (area, longer side, height, width, perimeter) and five rules (shorter, longer and
// area leftover, topmost, box) measured on generated game sprite sets, the pairs here packed
// densest, and they keep few free rectangles, which made them five to ten times faster.
constexpr std::array<Combo, 4> COMBOS = {{
    {SizeOrder::height, FitRule::topLeft},
    {SizeOrder::height, FitRule::boxGrowth},
    {SizeOrder::width, FitRule::leftTop},
    {SizeOrder::width, FitRule::boxGrowth},
}};

// Rects with the padding added to their right and bottom sides: in a bin padding wider and
// taller than the page, two such rects that do not overlap keep the padding between them.
struct Job {
    std::vector<int64_t> w;
    std::vector<int64_t> h;
    int64_t padding = 0;
    int64_t limit = 0;  // a page side at most
    bool powerOfTwo = false;
    std::array<std::vector<uint32_t>, SIZE_ORDER_COUNT> sorted;  // indices, by each order
};

struct Spot {
    uint32_t index;
    int64_t x;
    int64_t y;
};

// One page's worth of a packing attempt: where each rect that went in lies.
struct Attempt {
    std::vector<Spot> spots;
    uint64_t area = 0;  // of the padded rects
    int64_t right = 0;  // extent of the page, padding taken off
    int64_t bottom = 0;
};

int64_t largestPowerOfTwoAtMost(int64_t v) {
    int64_t p = 1;
    while (p * 2 <= v) p *= 2;
    return p;
}

int64_t powerOfTwoAtLeast(int64_t v) {
    int64_t p = 1;
    while (p < v) p *= 2;
    return p;
}

uint64_t isqrt(uint64_t v) {
    uint64_t r = 0;
    for (uint64_t bit = uint64_t{1} << 31; bit > 0; bit >>= 1) {
        const uint64_t t = r + bit;
        if (t <= v / t) r = t;
    }
    return r;
}

// Areas are summed capped: a side is below 2^32, so one area fits 64 bits but a sum may not.
uint64_t addCapped(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

uint64_t areaOf(int64_t w, int64_t h) {
    return static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
}

void sortBy(const Job& job, SizeOrder order, std::vector<uint32_t>& idx) {
    auto key = [&](uint32_t i) -> std::array<int64_t, 3> {
        const int64_t w = job.w[i];
        const int64_t h = job.h[i];
        if (order == SizeOrder::height) return {h, w, i};
        return {w, h, i};
    };
    std::sort(idx.begin(), idx.end(), [&](uint32_t a, uint32_t b) {
        const auto ka = key(a);
        const auto kb = key(b);
        // larger first; the index, the last key, smaller first
        if (ka[0] != kb[0]) return ka[0] > kb[0];
        if (ka[1] != kb[1]) return ka[1] > kb[1];
        return ka[2] < kb[2];
    });
}

// Offers every rect of `combo`'s order that `wanted` admits to a fresh bin of binW x binH.
template <class Wanted>
void fillBin(const Job& job, Combo combo, int64_t binW, int64_t binH, MaxRectsBin& bin,
             Wanted&& wanted, Attempt& out) {
    startBin(bin, static_cast<uint32_t>(binW), static_cast<uint32_t>(binH));
    out.spots.clear();
    out.area = 0;
    // Free space only shrinks, so a rect no smaller either way than one refused is refused too.
    int64_t refusedW = binW + 1;
    int64_t refusedH = binH + 1;
    for (uint32_t i : job.sorted[static_cast<size_t>(combo.order)]) {
        if (!wanted(i)) continue;
        const int64_t w = job.w[i];
        const int64_t h = job.h[i];
        if (w >= refusedW && h >= refusedH) continue;
        FitSpot spot;
        if (!findSpot(bin, static_cast<uint32_t>(w), static_cast<uint32_t>(h), combo.rule, spot)) {
            refusedW = w;
            refusedH = h;
            continue;
        }
        occupy(bin, spot.x, spot.y, static_cast<uint32_t>(w), static_cast<uint32_t>(h));
        out.spots.push_back({i, spot.x, spot.y});
        out.area = addCapped(out.area, areaOf(w, h));
    }
    out.right = int64_t{bin.usedRight} - job.padding;
    out.bottom = int64_t{bin.usedBottom} - job.padding;
}

uint64_t pageArea(const Job& job, int64_t right, int64_t bottom) {
    if (job.powerOfTwo) return areaOf(powerOfTwoAtLeast(right), powerOfTwoAtLeast(bottom));
    return areaOf(right, bottom);
}

struct PageSet {
    int64_t count = 0;   // rects
    uint64_t area = 0;   // of the padded rects
    int64_t widest = 0;
    int64_t tallest = 0;
};

// The candidate sides of a trimmed page, bin sides with the padding: eight, ten and twelve
// tenths of the square root of the padded area (no floating point), and the largest side; only
// those that could hold the rects with the other side at its largest. More sides found pages
// smaller by well under one percent on game sprite sets, for several times the time.
std::vector<int64_t> candidateSides(const PageSet& set, int64_t side, int64_t longest) {
    const uint64_t root = isqrt(set.area);
    std::vector<int64_t> sides;
    for (uint64_t tenths : {8, 10, 12}) {
        const int64_t s =
            static_cast<int64_t>(std::clamp<uint64_t>(root * tenths / 10, longest, side));
        if (areaOf(s, side) < set.area) continue;
        if (std::find(sides.begin(), sides.end(), s) == sides.end()) sides.push_back(s);
    }
    if (std::find(sides.begin(), sides.end(), side) == sides.end()) sides.push_back(side);
    return sides;
}

// The smallest page found for rects that all fit on one page: each combo in bins narrowed in
// one side at a time (or, with powers of two, on each pair of sides by growing area), keeping
// the least area. `best` holds the full-page attempt and is replaced only by a smaller one.
void packLastPage(const Job& job, const std::vector<uint8_t>& inLast, const PageSet& set,
                  MaxRectsBin& bin, Attempt& best) {
    auto wanted = [&](uint32_t i) { return inLast[i] != 0; };
    const int64_t side = job.limit + job.padding;
    Attempt trial;
    uint64_t bestArea = pageArea(job, best.right, best.bottom);
    auto tryBin = [&](int64_t binW, int64_t binH) {
        for (const Combo& c : COMBOS) {
            fillBin(job, c, binW, binH, bin, wanted, trial);
            if (static_cast<int64_t>(trial.spots.size()) != set.count) continue;
            const uint64_t a = pageArea(job, trial.right, trial.bottom);
            if (a < bestArea) {
                bestArea = a;
                std::swap(best, trial);
            }
        }
    };
    if (job.powerOfTwo) {
        // Every pair of power-of-two sides, by area then width; the first area that fits wins.
        std::vector<std::array<int64_t, 2>> sides;
        for (int64_t w = 1; w <= job.limit; w *= 2)
            for (int64_t h = 1; h <= job.limit; h *= 2)
                if (w + job.padding >= set.widest && h + job.padding >= set.tallest &&
                    areaOf(w + job.padding, h + job.padding) >= set.area &&
                    areaOf(w, h) < bestArea)
                    sides.push_back({w, h});
        std::sort(sides.begin(), sides.end(), [](const auto& a, const auto& b) {
            const uint64_t areaA = areaOf(a[0], a[1]);
            const uint64_t areaB = areaOf(b[0], b[1]);
            return areaA != areaB ? areaA < areaB : a[0] < b[0];
        });
        for (const auto& s : sides) {
            if (areaOf(s[0], s[1]) >= bestArea) break;
            tryBin(s[0] + job.padding, s[1] + job.padding);
        }
        return;
    }
    for (int64_t w : candidateSides(set, side, set.widest))
        if (w < side) tryBin(w, side);
    for (int64_t h : candidateSides(set, side, set.tallest))
        if (h < side) tryBin(side, h);
}

PackStatus packAll(std::span<const PackRect> rects, const PackOptions& options,
                   PackResult& result, size_t& firstTooLarge) {
    const size_t n = rects.size();
    if (n > UINT32_MAX) return PackStatus::outOfMemory;  // indices are kept in 32 bits
    Job job;
    job.powerOfTwo = options.powerOfTwo;
    job.limit = options.maxSize < 1 ? 0 : options.maxSize;
    if (job.powerOfTwo && job.limit > 0) job.limit = largestPowerOfTwoAtMost(job.limit);
    // A padding of the page side or more already keeps every two regions on different pages,
    // and keeps a bin side (page side plus padding) below 2^32.
    job.padding = std::clamp<int64_t>(options.padding, 0, job.limit);
    for (size_t i = 0; i < n; ++i) {
        if (std::max(rects[i].w, int32_t{1}) > job.limit ||
            std::max(rects[i].h, int32_t{1}) > job.limit) {
            firstTooLarge = i;
            return PackStatus::tooLarge;
        }
    }
    job.w.resize(n);
    job.h.resize(n);
    for (size_t i = 0; i < n; ++i) {
        job.w[i] = std::max(rects[i].w, int32_t{1}) + job.padding;
        job.h[i] = std::max(rects[i].h, int32_t{1}) + job.padding;
    }
    for (size_t o = 0; o < SIZE_ORDER_COUNT; ++o) {
        job.sorted[o].resize(n);
        for (size_t i = 0; i < n; ++i) job.sorted[o][i] = static_cast<uint32_t>(i);
        sortBy(job, static_cast<SizeOrder>(o), job.sorted[o]);
    }

    const int64_t side = job.limit + job.padding;
    std::vector<int32_t> pageOf(n, -1);
    std::vector<int64_t> px(n, 0);
    std::vector<int64_t> py(n, 0);
    MaxRectsBin bin;
    Attempt best;
    Attempt trial;
    int64_t left = static_cast<int64_t>(n);
    auto wanted = [&](uint32_t i) { return pageOf[i] < 0; };
    while (left > 0) {
        // Each page takes the attempt that covers the most area, so that every page but the
        // last is as full as the combos make it; the first combo wins a tie.
        bool fitsAll = false;
        for (size_t c = 0; c < COMBOS.size(); ++c) {
            fillBin(job, COMBOS[c], side, side, bin, wanted, trial);
            if (c == 0 || trial.area > best.area) std::swap(best, trial);
            if (static_cast<int64_t>(best.spots.size()) == left) {
                fitsAll = true;
                break;
            }
        }
        if (fitsAll) {
            std::vector<uint8_t> inLast(n, 0);
            PageSet set;
            set.count = left;
            for (const Spot& s : best.spots) {
                inLast[s.index] = 1;
                set.area = addCapped(set.area, areaOf(job.w[s.index], job.h[s.index]));
                set.widest = std::max(set.widest, job.w[s.index]);
                set.tallest = std::max(set.tallest, job.h[s.index]);
            }
            packLastPage(job, inLast, set, bin, best);
        }
        const int32_t page = static_cast<int32_t>(result.pages.size());
        for (const Spot& s : best.spots) {
            pageOf[s.index] = page;
            px[s.index] = s.x;
            py[s.index] = s.y;
        }
        left -= static_cast<int64_t>(best.spots.size());
        int64_t pw = best.right, ph = best.bottom;
        if (job.powerOfTwo) {
            pw = powerOfTwoAtLeast(pw);
            ph = powerOfTwoAtLeast(ph);
        }
        result.pages.push_back({static_cast<int32_t>(pw), static_cast<int32_t>(ph)});
    }
    result.places.resize(n);
    for (size_t i = 0; i < n; ++i)
        result.places[i] = {pageOf[i], static_cast<int32_t>(px[i]), static_cast<int32_t>(py[i])};
    return PackStatus::packed;
}

}  // namespace

PackStatus packRects(std::span<const PackRect> rects, const PackOptions& options,
                     PackResult& result, size_t& firstTooLarge) {
    result.places.clear();
    result.pages.clear();
    const PackStatus status = tryWithMemory(
        [&] { return packAll(rects, options, result, firstTooLarge); }, PackStatus::outOfMemory);
    if (status != PackStatus::packed) {
        result.places.clear();
        result.pages.clear();
    }
    return status;
}
