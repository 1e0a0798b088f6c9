// The preview: a PNG contact sheet of a run's sprites in listing order (layout in
// preview_layout.hpp). Each cell shows the entry's index and, below it, its name (each byte in
// the label font, a byte outside printable ASCII as a filled box), in white on the dark
// background, and on a checkerboard of 8-pixel squares (light and dark grey, the square at the
// sheet's top-left light) the cropped sprite at the sheet's one zoom, its premultiplied pixels
// composited over the checkerboard (out = src + dst x (255 - alpha) / 255, rounded); a cyan
// outline one pixel outside the padded box of an entry whose kind pads, with padding on; and
// the hotspot as a magenta cross of 2 x PREVIEW_CROSS_ARM + 1 pixels each way. The sheet is
// 8-bit RGB, rendered and encoded one band of cells at a time, so its memory stays within the
// layout's bounds.
#pragma once

#include <cstdint>
#include <vector>

#include "sidecar/sprite_view.hpp"

struct PreviewRgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

constexpr PreviewRgb PREVIEW_BACKGROUND = {48, 48, 48};
constexpr PreviewRgb PREVIEW_CHECKER_LIGHT = {204, 204, 204};
constexpr PreviewRgb PREVIEW_CHECKER_DARK = {153, 153, 153};
constexpr PreviewRgb PREVIEW_OUTLINE = {0, 255, 255};
constexpr PreviewRgb PREVIEW_CROSS = {255, 0, 255};
constexpr PreviewRgb PREVIEW_LABEL = {255, 255, 255};

// zlib's default level: a sheet for the eye gains little from a slower one.
constexpr int32_t PREVIEW_COMPRESSION_LEVEL = 6;

enum class PreviewStatus {
    Written,   // `png` holds the whole file
    TooLarge,  // the sheet passes a size bound (or its layout ran out of memory); nothing drawn
    Failed,    // memory ran out or the encoder failed
};

struct PreviewResult {
    PreviewStatus status = PreviewStatus::Failed;
    std::vector<uint8_t> png;
};

// Reloads every entry's source, cropped as the run cropped it, and draws the sheet. Never throws.
PreviewResult previewPng(const SpriteView& view);
