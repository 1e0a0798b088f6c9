// A plain shelf packer that keeps the packing interface working: regions in the order given,
// left to right in rows, a new row when one is full and a new page when a row no longer fits.
#include "atlas/maxrects.hpp"

#include <algorithm>

#include "filesys/allocate.hpp"

namespace {

int32_t largestPowerOfTwoUpTo(int32_t n) {
    int32_t p = 1;
    while (p <= n / 2) p *= 2;
    return p;
}

int32_t powerOfTwoAtLeast(int32_t n) {
    int32_t p = 1;
    while (p < n) p *= 2;
    return p;
}

void pack(std::span<const PackRect> rects, const PackOptions& options, int32_t limit,
          PackResult& result) {
    const int64_t gap = options.padding;
    int64_t rowX = 0;       // where the row's next region may start; 0 for an empty row
    int64_t rowY = 0;       // the row's top
    int64_t rowHeight = 0;  // its tallest region so far
    PackPage used;
    for (const PackRect& rect : rects) {
        int64_t x = rowX == 0 ? 0 : rowX + gap;
        if (x + rect.w > limit) {
            rowY += rowHeight + gap;
            rowHeight = 0;
            x = 0;
        }
        if (rowY + rect.h > limit) {
            result.pages.push_back(used);
            used = PackPage{};
            rowY = 0;
            rowHeight = 0;
            x = 0;
        }
        result.places.push_back(PackPlace{static_cast<int32_t>(result.pages.size()),
                                          static_cast<int32_t>(x), static_cast<int32_t>(rowY)});
        rowX = x + rect.w;
        rowHeight = std::max<int64_t>(rowHeight, rect.h);
        used.w = std::max(used.w, static_cast<int32_t>(rowX));
        used.h = std::max(used.h, static_cast<int32_t>(rowY + rect.h));
    }
    if (!rects.empty()) result.pages.push_back(used);
    if (options.powerOfTwo) {
        for (PackPage& page : result.pages) {
            page.w = powerOfTwoAtLeast(page.w);
            page.h = powerOfTwoAtLeast(page.h);
        }
    }
}

}  // namespace

PackStatus packRects(std::span<const PackRect> rects, const PackOptions& options,
                     PackResult& result, size_t& firstTooLarge) {
    result = PackResult{};
    const int32_t limit =
        options.powerOfTwo ? largestPowerOfTwoUpTo(options.maxSize) : options.maxSize;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].w > limit || rects[i].h > limit) {
            firstTooLarge = i;
            return PackStatus::tooLarge;
        }
    }
    const bool done = tryWithMemory(
        [&] {
            result.places.reserve(rects.size());
            pack(rects, options, limit, result);
            return true;
        },
        false);
    if (!done) {
        result = PackResult{};
        return PackStatus::outOfMemory;
    }
    return PackStatus::packed;
}
