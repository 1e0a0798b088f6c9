// Packing rectangles into texture pages: every region keeps its place, pages as few and as small
// as the search finds. Pure: no operating-system calls, no printing, no threads, no floating
// point, so one list of sizes gives one result on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct PackRect {
    int32_t w = 0;  // a region's sides, extrusion included, >= 1
    int32_t h = 0;
};

struct PackOptions {
    int32_t maxSize = 4096;   // a page is at most maxSize x maxSize
    int32_t padding = 2;      // transparent pixels between two regions (not at the page's edges)
    bool powerOfTwo = false;  // page sides rounded up to powers of two (still <= maxSize)
};

struct PackPlace {
    int32_t page = 0;  // the region's top-left corner on its page
    int32_t x = 0;
    int32_t y = 0;
};

struct PackPage {
    int32_t w = 0;
    int32_t h = 0;
};

struct PackResult {
    std::vector<PackPlace> places;
    std::vector<PackPage> pages;
};

enum class PackStatus : uint8_t { packed, tooLarge, outOfMemory };

// places[i] is rects[i]'s place; a page's sides are the extent of its regions (rounded up to
// powers of two when asked). Pages are filled one after another, each but the last with the
// attempt (of several fit rules and orders) that covers the most area, so that few pages are
// needed; the last is the smallest page found for what is left. Rects of the same size are
// interchangeable: among them, the lower index gets the place the packer fills first, so
// permuting a list only permutes the places of equal rects. A side below 1 packs as 1, a
// padding below 0 as 0.
// tooLarge when some rect has w or h > maxSize (or, with powerOfTwo, > the largest power of two
// <= maxSize); `firstTooLarge` is then its index. On any status but packed, `result` is empty.
PackStatus packRects(std::span<const PackRect> rects, const PackOptions& options,
                     PackResult& result, size_t& firstTooLarge);
