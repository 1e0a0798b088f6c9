// PNG encoding through libpng: an 8-bit RGB image, row by row, into bytes in memory, so a
// caller can render one band of rows at a time instead of the whole image.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Gives row `y` (width x 3 bytes: red, green, blue), asked for in order from 0; null stops the
// encoding as a failure. It must not throw.
using PngRowSource = std::function<const uint8_t*(uint32_t y)>;

// Encodes a width x height image whose rows `rowAt` gives. Returns false, with `png` empty,
// when a row is refused, memory runs out or libpng reports an error (sides of 0, or above its
// limit of 1,000,000).
bool encodePngRgb(uint32_t width, uint32_t height, const PngRowSource& rowAt,
                  std::vector<uint8_t>& png);
