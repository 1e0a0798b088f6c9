// PNG encoding of a whole 8-bit RGBA image in memory, through libspng: the atlas pages, which
// keep their alpha.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// zlib's levels: 0 stores, 9 compresses most.
constexpr int32_t PNG_RGBA_DEFAULT_LEVEL = 6;

// Encodes width x height pixels of red, green, blue and alpha (rows top first, `rgba` holding
// width x height x 4 bytes). Returns false, with `png` empty, when the sides or the bytes do
// not fit, memory runs out or libspng reports an error.
bool encodePngRgba(uint32_t width, uint32_t height, std::span<const uint8_t> rgba,
                   int32_t level, std::vector<uint8_t>& png);
