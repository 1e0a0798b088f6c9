// Hotspot placement and power-of-two sides. placeHotspot writes only the record's hx and hy:
// the position of the sprite's top-left corner relative to its hotspot, y growing downwards.
#pragma once

#include <cstdint>
#include <memory>

#include "sprite/sprite_types.hpp"

// Sets record.hx, record.hy by `method` on the sides W x H; x, y serve HotXY only. The source
// sides are accepted and not used. A method outside 0..5 gives (0, 0).
void placeHotspot(SpriteRecord& record, int32_t method, int32_t sourceWidth, int32_t sourceHeight,
                  int32_t W, int32_t H, int32_t x, int32_t y);

// The smallest power of two not below n; 1 for n <= 1, 0 above 2^30.
int32_t nextPowerOfTwo(int32_t n);

// A copy of a w x h RGBA image (4 bytes a pixel) at the bottom-left of a zero-filled canvas of
// nextPowerOfTwo(w) x nextPowerOfTwo(h) pixels. Null when a padded side would be 0, the size
// overflows or memory is short.
std::unique_ptr<uint8_t[]> padToPowerOfTwo(const uint8_t* pixels, int32_t w, int32_t h);
