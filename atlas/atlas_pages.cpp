#include "atlas/atlas_pages.hpp"

#include <algorithm>
#include <cstring>

#include "filesys/allocate.hpp"

namespace {

constexpr size_t RGBA_BYTES = 4;

}  // namespace

void drawExtruded(std::span<uint8_t> page, int32_t pageWidth, int32_t pageHeight, int32_t x,
                  int32_t y, std::span<const uint8_t> picture, int32_t w, int32_t h,
                  int32_t extrude) {
    if (w < 1 || h < 1 || picture.size() < static_cast<size_t>(w) * static_cast<size_t>(h) * 4) {
        return;
    }
    for (int64_t py = int64_t{y} - extrude; py < int64_t{y} + h + extrude; ++py) {
        if (py < 0 || py >= pageHeight) continue;
        const int64_t sy = std::clamp<int64_t>(py - y, 0, h - 1);
        for (int64_t px = int64_t{x} - extrude; px < int64_t{x} + w + extrude; ++px) {
            if (px < 0 || px >= pageWidth) continue;
            const int64_t sx = std::clamp<int64_t>(px - x, 0, w - 1);
            const size_t from = static_cast<size_t>(sy * w + sx) * RGBA_BYTES;
            const size_t to = static_cast<size_t>(py * pageWidth + px) * RGBA_BYTES;
            if (to + RGBA_BYTES > page.size()) continue;
            std::memcpy(&page[to], &picture[from], RGBA_BYTES);
        }
    }
}

bool composeAtlasPage(const AtlasLayout& layout, size_t page,
                      std::span<const std::vector<uint8_t>> pixels, int32_t extrude,
                      std::vector<uint8_t>& rgba) {
    if (page >= layout.pages.size()) return false;
    const PackPage& sides = layout.pages[page];
    const bool sized = tryWithMemory(
        [&] {
            rgba.assign(static_cast<size_t>(sides.w) * static_cast<size_t>(sides.h) * RGBA_BYTES,
                        0);
            return true;
        },
        false);
    if (!sized) return false;
    for (const AtlasRegion& region : layout.regions) {
        if (region.page != static_cast<int32_t>(page) || region.pixels >= pixels.size()) continue;
        drawExtruded(rgba, sides.w, sides.h, region.x, region.y, pixels[region.pixels], region.w,
                     region.h, extrude);
    }
    return true;
}
