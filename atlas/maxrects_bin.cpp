#include "atlas/maxrects_bin.hpp"

#include <algorithm>

namespace {

// Every score is at least 0, and a product of two sides below 2^32 fits 64 unsigned bits.
struct Score {
    uint64_t first;
    uint64_t second;
};

Score scoreOf(const MaxRectsBin& bin, const FreeRect& f, uint32_t w, uint32_t h, FitRule rule) {
    const uint64_t dw = f.x1 - f.x0 - w;
    const uint64_t dh = f.y1 - f.y0 - h;
    switch (rule) {
    case FitRule::shortSide:
        return {std::min(dw, dh), std::max(dw, dh)};
    case FitRule::longSide:
        return {std::max(dw, dh), std::min(dw, dh)};
    case FitRule::area:
        return {uint64_t{f.x1 - f.x0} * (f.y1 - f.y0) - uint64_t{w} * h, std::min(dw, dh)};
    case FitRule::topLeft:
        return {uint64_t{f.y0} + h, f.x0};
    case FitRule::leftTop:
        return {uint64_t{f.x0} + w, f.y0};
    case FitRule::boxGrowth:
        return {std::max<uint64_t>(bin.usedRight, uint64_t{f.x0} + w) *
                    std::max<uint64_t>(bin.usedBottom, uint64_t{f.y0} + h),
                std::min(dw, dh)};
    }
    return {0, 0};
}

bool contains(const FreeRect& outer, const FreeRect& inner) {
    return (inner.x0 >= outer.x0) & (inner.y0 >= outer.y0) & (inner.x1 <= outer.x1) &
           (inner.y1 <= outer.y1);
}

}  // namespace

void startBin(MaxRectsBin& bin, uint32_t width, uint32_t height) {
    bin.width = width;
    bin.height = height;
    bin.usedRight = 0;
    bin.usedBottom = 0;
    bin.free.clear();
    bin.free.push_back({0, 0, width, height});
    bin.maxFreeW = width;
    bin.maxFreeH = height;
}

bool findSpot(const MaxRectsBin& bin, uint32_t w, uint32_t h, FitRule rule, FitSpot& spot) {
    if (w > bin.maxFreeW || h > bin.maxFreeH) return false;
    bool found = false;
    Score best{0, 0};
    for (const FreeRect& f : bin.free) {
        if (f.x1 - f.x0 < w || f.y1 - f.y0 < h) continue;
        const Score s = scoreOf(bin, f, w, h, rule);
        if (!found || s.first < best.first || (s.first == best.first && s.second < best.second)) {
            found = true;
            best = s;
            spot = {f.x0, f.y0};
        }
    }
    return found;
}

void occupy(MaxRectsBin& bin, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    const uint32_t right = x + w;
    const uint32_t bottom = y + h;
    bin.fresh.clear();
    bin.touching.clear();
    uint32_t widest = 0, tallest = 0;
    size_t kept = 0;
    const size_t count = bin.free.size();
    FreeRect* all = bin.free.data();
    for (size_t i = 0; i < count; ++i) {
        const FreeRect f = all[i];
        const bool apart = (x >= f.x1) | (right <= f.x0) | (y >= f.y1) | (bottom <= f.y0);
        if (apart) {
            all[kept++] = f;
            widest = std::max(widest, f.x1 - f.x0);
            tallest = std::max(tallest, f.y1 - f.y0);
            if ((f.x1 == x) | (f.x0 == right) | (f.y1 == y) | (f.y0 == bottom))
                bin.touching.push_back(f);
            continue;
        }
        // What is left of f on each side of the placed rectangle, each as large as it can be.
        if (x > f.x0) bin.fresh.push_back({f.x0, f.y0, x, f.y1});
        if (right < f.x1) bin.fresh.push_back({right, f.y0, f.x1, f.y1});
        if (y > f.y0) bin.fresh.push_back({f.x0, f.y0, f.x1, y});
        if (bottom < f.y1) bin.fresh.push_back({f.x0, bottom, f.x1, f.y1});
    }
    bin.free.resize(kept);
    // A surviving rectangle lay in no other before, and a new one is part of a split one, so
    // only the new ones can lie inside another (of two equal new ones the first stays). A new
    // one touches the placed rectangle along a side it shares rows or columns with, so a
    // survivor holding it, which misses the placed rectangle, must end exactly at that side:
    // only the survivors that touch the placed rectangle need a look.
    const size_t made = bin.fresh.size();
    for (size_t i = 0; i < made; ++i) {
        const FreeRect r = bin.fresh[i];
        bool inside = false;
        for (size_t j = 0; j < made && !inside; ++j) {
            if (j == i) continue;
            const FreeRect& o = bin.fresh[j];
            const bool same = o.x0 == r.x0 && o.y0 == r.y0 && o.x1 == r.x1 && o.y1 == r.y1;
            inside = same ? j < i : contains(o, r);
        }
        for (size_t j = 0; j < bin.touching.size() && !inside; ++j)
            inside = contains(bin.touching[j], r);
        if (inside) continue;
        bin.free.push_back(r);
        widest = std::max(widest, r.x1 - r.x0);
        tallest = std::max(tallest, r.y1 - r.y0);
    }
    bin.usedRight = std::max(bin.usedRight, right);
    bin.usedBottom = std::max(bin.usedBottom, bottom);
    bin.maxFreeW = widest;
    bin.maxFreeH = tallest;
}
