#include "sidecar/preview.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "filesys/allocate.hpp"
#include "sidecar/label_font.hpp"
#include "sidecar/png_encode.hpp"
#include "sidecar/preview_layout.hpp"
#include "source/sprite_loading.hpp"

namespace {

// One band of the sheet, full width, addressed in sheet coordinates.
class BandCanvas {
  public:
    BandCanvas(int64_t width, int64_t height)
        : width_(width), pixels_(static_cast<size_t>(width * height) * 3) {}

    void start(const Band& band) {
        top_ = band.y;
        height_ = band.height;
        for (int64_t y = top_; y < top_ + height_; ++y) {
            for (int64_t x = 0; x < width_; ++x) put(x, y, PREVIEW_BACKGROUND);
        }
    }
    const uint8_t* row(int64_t y) const { return &pixels_[offset(0, y)]; }

    // Drawing is clipped to the band, so a mistake in a cell cannot write outside the buffer.
    void put(int64_t x, int64_t y, PreviewRgb colour) {
        if (x < 0 || x >= width_ || y < top_ || y >= top_ + height_) return;
        uint8_t* p = &pixels_[offset(x, y)];
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
    }
    PreviewRgb get(int64_t x, int64_t y) const {
        if (x < 0 || x >= width_ || y < top_ || y >= top_ + height_) return {};
        const uint8_t* p = &pixels_[offset(x, y)];
        return {p[0], p[1], p[2]};
    }

  private:
    size_t offset(int64_t x, int64_t y) const {
        return static_cast<size_t>(((y - top_) * width_ + x) * 3);
    }

    int64_t width_;
    int64_t top_ = 0;
    int64_t height_ = 0;
    std::vector<uint8_t> pixels_;
};

PreviewRgb checkerAt(int64_t x, int64_t y) {
    return ((x / PREVIEW_CHECKER + y / PREVIEW_CHECKER) % 2 == 0) ? PREVIEW_CHECKER_LIGHT
                                                                  : PREVIEW_CHECKER_DARK;
}

// Premultiplied source over an opaque destination.
uint8_t over(uint8_t src, uint8_t dst, uint8_t alpha) {
    const int32_t value = src + (dst * (255 - alpha) + 127) / 255;
    return static_cast<uint8_t>(std::min(value, 255));
}

void drawCheckerboard(BandCanvas& canvas, const CellLayout& cell) {
    for (int64_t y = cell.contentY; y < cell.contentY + cell.contentHeight; ++y) {
        for (int64_t x = cell.contentX; x < cell.contentX + cell.contentWidth; ++x) {
            canvas.put(x, y, checkerAt(x, y));
        }
    }
}

// The entry's pixels loaded and cropped again as the run did, or empty when it is blank, its
// source no longer loads, or it no longer crops to the entry's sides.
std::vector<uint8_t> entryRgba(const SpriteViewEntry& entry) {
    if (entry.wd < 1 || entry.ht < 1) return {};
    CroppedSprite sprite;
    std::vector<uint8_t> rgba;
    const SpriteLoad load = loadCroppedSpriteRgba(entry.source, entry.kind, sprite, rgba);
    if (load != SpriteLoad::loaded || sprite.wd != entry.wd || sprite.ht != entry.ht) return {};
    return rgba;
}

void drawSprite(BandCanvas& canvas, const CellLayout& cell, const SpriteViewEntry& entry) {
    const std::vector<uint8_t> rgba = entryRgba(entry);
    if (rgba.empty()) return;
    const int64_t z = cell.zoom;
    for (int64_t py = 0; py < entry.ht; ++py) {
        for (int64_t px = 0; px < entry.wd; ++px) {
            const uint8_t* s = &rgba[static_cast<size_t>((py * entry.wd + px) * 4)];
            if (s[0] == 0 && s[1] == 0 && s[2] == 0 && s[3] == 0) continue;
            for (int64_t dy = 0; dy < z; ++dy) {
                for (int64_t dx = 0; dx < z; ++dx) {
                    const int64_t x = cell.originX + px * z + dx;
                    const int64_t y = cell.originY + py * z + dy;
                    const PreviewRgb d = canvas.get(x, y);
                    canvas.put(
                        x, y,
                        {over(s[0], d.r, s[3]), over(s[1], d.g, s[3]), over(s[2], d.b, s[3])});
                }
            }
        }
    }
}

void drawOutline(BandCanvas& canvas, const CellLayout& cell) {
    const int64_t left = cell.originX - 1;
    const int64_t top = cell.originY - 1;
    const int64_t right = cell.originX + cell.boxWidth * cell.zoom;
    const int64_t bottom = cell.originY + cell.boxHeight * cell.zoom;
    for (int64_t x = left; x <= right; ++x) {
        canvas.put(x, top, PREVIEW_OUTLINE);
        canvas.put(x, bottom, PREVIEW_OUTLINE);
    }
    for (int64_t y = top; y <= bottom; ++y) {
        canvas.put(left, y, PREVIEW_OUTLINE);
        canvas.put(right, y, PREVIEW_OUTLINE);
    }
}

void drawCross(BandCanvas& canvas, const CellLayout& cell) {
    for (int64_t d = -PREVIEW_CROSS_ARM; d <= PREVIEW_CROSS_ARM; ++d) {
        canvas.put(cell.hotspotX + d, cell.hotspotY, PREVIEW_CROSS);
        canvas.put(cell.hotspotX, cell.hotspotY + d, PREVIEW_CROSS);
    }
}

void drawLabel(BandCanvas& canvas, const CellLayout& cell, size_t index) {
    const std::string digits = std::to_string(index);
    int64_t left = cell.labelX;
    for (const char c : digits) {
        for (int32_t gy = 0; gy < GLYPH_HEIGHT; ++gy) {
            for (int32_t gx = 0; gx < GLYPH_WIDTH; ++gx) {
                if (!glyphPixel(static_cast<uint8_t>(c), gx, gy)) continue;
                for (int32_t s = 0; s < PREVIEW_LABEL_SCALE * PREVIEW_LABEL_SCALE; ++s) {
                    canvas.put(left + gx * PREVIEW_LABEL_SCALE + s % PREVIEW_LABEL_SCALE,
                               cell.labelY + gy * PREVIEW_LABEL_SCALE + s / PREVIEW_LABEL_SCALE,
                               PREVIEW_LABEL);
                }
            }
        }
        left += GLYPH_WIDTH * PREVIEW_LABEL_SCALE + PREVIEW_DIGIT_GAP;
    }
}

// The name byte by byte, cut at the cell's right margin: a long name shows its beginning.
void drawName(BandCanvas& canvas, const CellLayout& cell, std::string_view name) {
    const int64_t room = std::max<int64_t>(cell.nameRight - cell.nameX, 0);
    const size_t shown =
        std::min(name.size(), static_cast<size_t>(room / PREVIEW_NAME_ADVANCE + 1));
    for (size_t i = 0; i < shown; ++i) {
        const int64_t left = cell.nameX + static_cast<int64_t>(i) * PREVIEW_NAME_ADVANCE;
        const auto byte = static_cast<uint8_t>(name[i]);
        for (int32_t gy = 0; gy < GLYPH_HEIGHT; ++gy) {
            for (int32_t gx = 0; gx < GLYPH_WIDTH; ++gx) {
                if (left + gx >= cell.nameRight || !glyphPixel(byte, gx, gy)) continue;
                canvas.put(left + gx, cell.nameY + gy, PREVIEW_LABEL);
            }
        }
    }
}

void drawBand(BandCanvas& canvas, const SheetLayout& sheet, const Band& band,
              const SpriteView& view) {
    canvas.start(band);
    for (size_t i = band.firstCell; i < band.endCell; ++i) {
        const CellLayout& cell = sheet.cells[i];
        drawCheckerboard(canvas, cell);
        drawSprite(canvas, cell, view.sprites[i]);
        if (cell.outlined) drawOutline(canvas, cell);
        if (cell.hotspotShown) drawCross(canvas, cell);
        drawLabel(canvas, cell, i);
        drawName(canvas, cell, view.sprites[i].name);
    }
}

PreviewResult renderSheet(const SpriteView& view, const SheetLayout& sheet) {
    int64_t tallest = sheet.height;
    if (!sheet.bands.empty()) {
        tallest = 0;
        for (const Band& band : sheet.bands) tallest = std::max(tallest, band.height);
    }
    BandCanvas canvas(sheet.width, tallest);
    const Band whole{0, sheet.height, 0, 0};
    size_t next = 0;  // the band to draw when its first row is asked for
    const auto rowAt = [&](uint32_t y) -> const uint8_t* {
        return tryWithMemory(
            [&]() -> const uint8_t* {
                if (sheet.bands.empty()) {
                    if (y == 0) canvas.start(whole);
                } else if (next < sheet.bands.size() && y == sheet.bands[next].y) {
                    drawBand(canvas, sheet, sheet.bands[next], view);
                    ++next;
                }
                return canvas.row(y);
            },
            nullptr);
    };
    PreviewResult result;
    if (encodePng(static_cast<uint32_t>(sheet.width), static_cast<uint32_t>(sheet.height),
                  PngPixels::rgb, PREVIEW_COMPRESSION_LEVEL, rowAt, result.png)) {
        result.status = PreviewStatus::Written;
    }
    return result;
}

}  // namespace

PreviewResult previewPng(const SpriteView& view) {
    const std::optional<SheetLayout> sheet = layoutSheet(view);
    if (!sheet) return {PreviewStatus::TooLarge, {}};
    return tryWithMemory([&] { return renderSheet(view, *sheet); },
                         PreviewResult{PreviewStatus::Failed, {}});
}
