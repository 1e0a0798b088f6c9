// PNG encoding through libspng: an 8-bit RGB or RGBA image, row by row, into bytes in memory,
// so a caller can render one band of rows at a time instead of the whole image.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Gives row `y` (width x 3 or 4 bytes: red, green, blue, then alpha for RGBA), asked for in
// order from 0; null stops the encoding as a failure. It must not throw.
using PngRowSource = std::function<const uint8_t*(uint32_t y)>;

enum class PngPixels : int32_t {
    rgb = 3,   // 3 bytes a pixel
    rgba = 4,  // 4 bytes a pixel, straight alpha
};

// What the encoder may be asked: zlib's levels, 0 (stored) to 9 (smallest).
constexpr int32_t PNG_LOWEST_COMPRESSION_LEVEL = 0;
constexpr int32_t PNG_HIGHEST_COMPRESSION_LEVEL = 9;

// Encodes a width x height image whose rows `rowAt` gives, at `compressionLevel` (the same
// inputs always give the same bytes). Returns false, with `png` empty, when the level is out of
// range, a row is refused, memory runs out or libspng reports an error (a side of 0, or above
// 2^31 - 1).
bool encodePng(uint32_t width, uint32_t height, PngPixels pixels, int32_t compressionLevel,
               const PngRowSource& rowAt, std::vector<uint8_t>& png);
