// One MaxRects bin: the free space of a page as the list of its maximal free rectangles, where
// a rectangle can go under each fit rule, and the split after it is placed.
#pragma once

#include <cstdint>
#include <vector>

// A free rectangle by its edges, [x0, x1) x [y0, y1). A bin side is at most a page side plus
// the padding, both below 2^31, so 32 unsigned bits hold every edge; sums and products of
// sides are taken in 64 bits.
struct FreeRect {
    uint32_t x0 = 0;
    uint32_t y0 = 0;
    uint32_t x1 = 0;
    uint32_t y1 = 0;
};

// How a spot is chosen among the free rectangles a rectangle fits in (y grows downwards):
// the smallest shorter leftover side, the smallest longer leftover side, the smallest leftover
// area, the lowest bottom edge then leftmost spot, the leftmost right edge then topmost spot, or
// the smallest bounding box of everything placed so far (which keeps a trimmed page compact).
enum class FitRule : uint8_t { shortSide, longSide, area, topLeft, leftTop, boxGrowth };

struct MaxRectsBin {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t usedRight = 0;  // the extent of what is placed
    uint32_t usedBottom = 0;
    uint32_t maxFreeW = 0;   // the widest and the tallest free rectangle, for a quick refusal
    uint32_t maxFreeH = 0;
    std::vector<FreeRect> free;
    std::vector<FreeRect> fresh;     // scratch of the split, kept to reuse its memory
    std::vector<FreeRect> touching;  // scratch: free rectangles along the placed one's sides
};

struct FitSpot {
    uint32_t x = 0;
    uint32_t y = 0;
};

// These grow vectors and so may throw std::bad_alloc; the packer catches it.
void startBin(MaxRectsBin& bin, uint32_t width, uint32_t height);
// False when no free rectangle holds w x h. Ties keep the earlier free rectangle.
bool findSpot(const MaxRectsBin& bin, uint32_t w, uint32_t h, FitRule rule, FitSpot& spot);
// Takes w x h at (x, y) out of the free space; the rectangle must lie inside the bin.
void occupy(MaxRectsBin& bin, uint32_t x, uint32_t y, uint32_t w, uint32_t h);
