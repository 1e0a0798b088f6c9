#include "sidecar/preview_layout.hpp"

#include <algorithm>
#include <string>

#include "filesys/allocate.hpp"
#include "sidecar/label_font.hpp"
#include "sprite/hotspot.hpp"

namespace {

constexpr int64_t LABEL_HEIGHT = int64_t{GLYPH_HEIGHT} * PREVIEW_LABEL_SCALE;
constexpr int64_t NAME_TOP = PREVIEW_MARGIN + LABEL_HEIGHT + PREVIEW_LINE_GAP;
constexpr int64_t CONTENT_TOP = NAME_TOP + GLYPH_HEIGHT + PREVIEW_MARGIN;

// The game pads a TGA sprite to power-of-two sides from its top-left corner.
int64_t paddedSide(int32_t side) {
    return nextPowerOfTwo(side);
}

bool outlined(const SpriteViewEntry& entry) {
    return spriteKind(entry.kind).paddingRoundsSides && entry.padding != 0;
}

int64_t boxWidth(const SpriteViewEntry& entry) {
    return outlined(entry) ? paddedSide(entry.wd) : std::max(entry.wd, 0);
}

int64_t boxHeight(const SpriteViewEntry& entry) {
    return outlined(entry) ? paddedSide(entry.ht) : std::max(entry.ht, 0);
}

// Lays out one cell at (0, 0) at the sheet's zoom; the caller moves it to its place.
CellLayout layoutCell(const SpriteViewEntry& entry, size_t index, int32_t zoom) {
    CellLayout cell;
    cell.outlined = outlined(entry);
    cell.boxWidth = boxWidth(entry);
    cell.boxHeight = boxHeight(entry);
    cell.zoom = zoom;

    // Bounds of the content relative to the sprite's origin.
    int64_t minX = -PREVIEW_FRAME;
    int64_t minY = -PREVIEW_FRAME;
    int64_t maxX = cell.boxWidth * cell.zoom + PREVIEW_FRAME;
    int64_t maxY = cell.boxHeight * cell.zoom + PREVIEW_FRAME;
    // hx, hy place the sprite's corner relative to the hotspot, so the hotspot is at -hx, -hy.
    const int64_t hotX = -int64_t{entry.hx} * cell.zoom;
    const int64_t hotY = -int64_t{entry.hy} * cell.zoom;
    cell.hotspotShown = hotX >= minX - PREVIEW_HOTSPOT_REACH &&
                        hotX < maxX + PREVIEW_HOTSPOT_REACH &&
                        hotY >= minY - PREVIEW_HOTSPOT_REACH && hotY < maxY + PREVIEW_HOTSPOT_REACH;
    if (cell.hotspotShown) {
        constexpr int64_t ROOM = PREVIEW_CROSS_ARM + 2;
        minX = std::min(minX, hotX - ROOM);
        minY = std::min(minY, hotY - ROOM);
        maxX = std::max(maxX, hotX + ROOM + 1);
        maxY = std::max(maxY, hotY + ROOM + 1);
    }
    cell.contentWidth = maxX - minX;
    cell.contentHeight = maxY - minY;
    cell.width = std::max(cell.contentWidth, labelWidth(index)) + 2 * PREVIEW_MARGIN;
    cell.height = CONTENT_TOP + cell.contentHeight + PREVIEW_MARGIN;

    cell.labelX = PREVIEW_MARGIN;
    cell.labelY = PREVIEW_MARGIN;
    cell.nameX = PREVIEW_MARGIN;
    cell.nameY = NAME_TOP;
    cell.nameRight = cell.width - PREVIEW_MARGIN;
    cell.contentX = PREVIEW_MARGIN;
    cell.contentY = CONTENT_TOP;
    cell.originX = cell.contentX - minX;
    cell.originY = cell.contentY - minY;
    cell.hotspotX = cell.originX + hotX;
    cell.hotspotY = cell.originY + hotY;
    return cell;
}

void moveCell(CellLayout& cell, int64_t x, int64_t y) {
    cell.x += x;
    cell.labelX += x;
    cell.nameX += x;
    cell.nameRight += x;
    cell.contentX += x;
    cell.originX += x;
    cell.hotspotX += x;
    cell.y += y;
    cell.labelY += y;
    cell.nameY += y;
    cell.contentY += y;
    cell.originY += y;
    cell.hotspotY += y;
}

std::optional<SheetLayout> buildLayout(const SpriteView& view) {
    SheetLayout sheet;
    if (view.sprites.empty()) return sheet;
    sheet.cells.reserve(view.sprites.size());
    int64_t widest = 0;
    int64_t tallest = 0;
    for (const SpriteViewEntry& entry : view.sprites) {
        widest = std::max(widest, boxWidth(entry));
        tallest = std::max(tallest, boxHeight(entry));
    }
    sheet.zoom = previewZoom(widest, tallest);
    int64_t width = 0;
    int64_t x = 0;
    Band band;
    for (size_t i = 0; i < view.sprites.size(); ++i) {
        CellLayout cell = layoutCell(view.sprites[i], i, sheet.zoom);
        if (cell.width > PREVIEW_MAX_WIDTH || cell.height > PREVIEW_MAX_HEIGHT) return std::nullopt;
        if (x > 0 && x + cell.width > PREVIEW_ROW_WIDTH) {
            band.endCell = i;
            sheet.bands.push_back(band);
            band = Band{band.y + band.height, 0, i, i};
            x = 0;
            if (band.y > PREVIEW_MAX_HEIGHT) return std::nullopt;
        }
        moveCell(cell, x, band.y);
        x += cell.width;
        width = std::max(width, x);
        band.height = std::max(band.height, cell.height);
        sheet.cells.push_back(cell);
    }
    band.endCell = view.sprites.size();
    sheet.bands.push_back(band);
    sheet.width = width;
    sheet.height = band.y + band.height;
    if (sheet.height > PREVIEW_MAX_HEIGHT) return std::nullopt;
    for (const Band& b : sheet.bands) {
        if (b.height * sheet.width > PREVIEW_MAX_BAND_PIXELS) return std::nullopt;
    }
    return sheet;
}

}  // namespace

int32_t previewZoom(int64_t w, int64_t h) {
    const int64_t side = std::max(w, h);
    if (side <= 0) return PREVIEW_MAX_ZOOM;
    return static_cast<int32_t>(
        std::clamp<int64_t>(PREVIEW_ZOOM_TARGET / side, 1, PREVIEW_MAX_ZOOM));
}

int64_t labelWidth(size_t index) {
    const auto digits = static_cast<int64_t>(std::to_string(index).size());
    return digits * GLYPH_WIDTH * PREVIEW_LABEL_SCALE + (digits - 1) * PREVIEW_DIGIT_GAP;
}

std::optional<SheetLayout> layoutSheet(const SpriteView& view) {
    return tryWithMemory([&] { return buildLayout(view); }, std::nullopt);
}
