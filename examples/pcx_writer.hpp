// A small 8-bit PCX encoder for the example and benchmark sprite generators, with the palette
// their sprites are drawn in. Index images are one palette index a pixel, row 0 the top row;
// index 255 is the transparent index of the sprite tool.
#pragma once

#include <array>
#include <cstdint>

using PcxPalette = std::array<uint8_t, 768>;  // 256 entries of red, green, blue

constexpr uint8_t PCX_TRANSPARENT = 255;

// The generators' palette: a 6 x 6 x 6 colour cube (indices 0..215), a ramp of 39 greys
// (216..254) and, at 255, the transparent index shown as magenta.
const PcxPalette& spritePalette();

// The entry of spritePalette() nearest to the colour, never the transparent one.
uint8_t nearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue);

// Writes a version-5, run-length encoded, 8-bit single-plane PCX file: the 128-byte header,
// one encoded scan line a row (padded to an even length with zero bytes; runs never cross a
// scan line), then the byte 12 and the 768-byte palette. Sides from 1 to 32767. Returns true
// when the whole file was written.
bool writePcx8(const char* path, int32_t width, int32_t height, const uint8_t* indices,
               const PcxPalette& palette);
