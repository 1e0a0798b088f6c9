// Where everything of the preview sheet goes. Cells run left to right in listing order and wrap
// into a new band (row of cells) before a band would pass PREVIEW_ROW_WIDTH; a band is as tall
// as its tallest cell. A cell holds, from the top: a margin, the entry's index in the label
// font at twice its size, a gap, the entry's name in the label font at its own size (clipped
// to the cell less its margins, never widening it), a margin, then the content: a checkerboard
// that holds the drawn box (the padded box of an entry whose kind pads with padding on, else
// the cropped one) with PREVIEW_FRAME pixels around it, widened to take in the hotspot's cross
// when the hotspot lies within PREVIEW_HOTSPOT_REACH pixels of that frame (a hotspot further
// away is not drawn). One zoom serves the whole sheet, so that sizes compare: the largest
// integer up to PREVIEW_MAX_ZOOM that keeps the longest side of every drawn box within
// PREVIEW_ZOOM_TARGET pixels, and at least 1. All positions are sheet pixels, y downwards.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sidecar/sprite_view.hpp"

constexpr int32_t PREVIEW_MAX_ZOOM = 4;
constexpr int32_t PREVIEW_ZOOM_TARGET = 64;
constexpr int32_t PREVIEW_MARGIN = 4;
constexpr int32_t PREVIEW_LABEL_SCALE = 2;  // the index's glyphs are drawn this many times as large
constexpr int32_t PREVIEW_DIGIT_GAP = 2;    // between the index's digits
constexpr int32_t PREVIEW_LINE_GAP = 2;     // between the index and the name
constexpr int32_t PREVIEW_NAME_ADVANCE = 4;  // from one of the name's glyphs to the next
constexpr int32_t PREVIEW_FRAME = 6;
constexpr int32_t PREVIEW_CROSS_ARM = 4;
constexpr int32_t PREVIEW_HOTSPOT_REACH = 32;
constexpr int32_t PREVIEW_CHECKER = 8;       // side of a checkerboard square
constexpr int64_t PREVIEW_ROW_WIDTH = 1024;  // bands wrap before this width
constexpr int64_t PREVIEW_EMPTY_SIDE = 16;   // the sheet of an empty table
// Bounds that keep the sheet's memory small whatever the table holds: a cell wider than the
// widest sheet, a sheet taller than PNG encoders accept, or a band buffer above the pixel
// limit makes the preview fail instead.
constexpr int64_t PREVIEW_MAX_WIDTH = 16384;
constexpr int64_t PREVIEW_MAX_HEIGHT = 1000000;
constexpr int64_t PREVIEW_MAX_BAND_PIXELS = int64_t{1} << 25;

struct CellLayout {
    int64_t x = 0;  // the cell's top-left corner
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
    int32_t zoom = 1;
    int64_t boxWidth = 0;  // the drawn box in sprite pixels, before the zoom
    int64_t boxHeight = 0;
    bool outlined = false;  // the padded box gets an outline one pixel outside it
    int64_t originX = 0;    // where the cropped sprite's top-left pixel lands
    int64_t originY = 0;
    int64_t contentX = 0;  // the checkerboard rectangle
    int64_t contentY = 0;
    int64_t contentWidth = 0;
    int64_t contentHeight = 0;
    bool hotspotShown = false;
    int64_t hotspotX = 0;  // the cross's centre pixel
    int64_t hotspotY = 0;
    int64_t labelX = 0;  // the index's top-left corner
    int64_t labelY = 0;
    int64_t nameX = 0;  // the name's top-left corner
    int64_t nameY = 0;
    int64_t nameRight = 0;  // the name's columns end before this one
};

// A row of cells, [firstCell, endCell) of SheetLayout::cells.
struct Band {
    int64_t y = 0;
    int64_t height = 0;
    size_t firstCell = 0;
    size_t endCell = 0;
};

struct SheetLayout {
    int64_t width = PREVIEW_EMPTY_SIDE;
    int64_t height = PREVIEW_EMPTY_SIDE;
    int32_t zoom = PREVIEW_MAX_ZOOM;  // every cell's
    std::vector<CellLayout> cells;    // one per entry, in order
    std::vector<Band> bands;
};

// The zoom for drawn boxes whose widest is w and whose tallest is h sprite pixels.
int32_t previewZoom(int64_t w, int64_t h);

// Pixels across the index `index` in the label font.
int64_t labelWidth(size_t index);

// The layout of the whole sheet, or nothing when it passes a bound above (or memory is short).
std::optional<SheetLayout> layoutSheet(const SpriteView& view);
