// Inside the PNG reader: the layout its chunk walk finds and the row decoder's entry points.
// Nothing outside image/ and its tests includes this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/png.hpp"

// What the chunk walk found, once every chunk up to IEND has passed its checks.
struct PngLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t depth = 0;
    uint8_t colourType = 0;
    bool interlaced = false;
    std::span<const uint8_t> palette;       // PLTE's entries, 3 bytes each (palette images)
    std::span<const uint8_t> transparency;  // the tRNS met before the image data, or empty
    size_t dataStart = 0;  // the first IDAT chunk (its length field)
    size_t dataEnd = 0;    // just after the last IDAT chunk of the run
};

// Walks the chunks from the signature to IEND and checks the structure: signature, lengths
// inside the file, CRCs of critical chunks and tRNS, IHDR, known critical chunks, one run of
// IDAT chunks, PLTE for palette images, the pixel bound.
PngError readPngLayout(std::span<const uint8_t> file, PngLayout& layout);

// The CRC-32 of a chunk's type and data, as its last four bytes should hold it.
uint32_t pngChunkCrc(std::span<const uint8_t> typeAndData);

// Undoes a scanline's filter of `type` in place over its n bytes; `prior` is the unfiltered
// scanline above (zeros for a pass's first), `stride` the bytes of a pixel (at least 1).
// False for a filter type the format does not define.
bool unfilterScanline(uint8_t type, uint8_t* row, const uint8_t* prior, size_t n, size_t stride);

// The Adler-32 of `count` more bytes after a running value of `adler` (1 at the start).
uint32_t pngAdler32(uint32_t adler, const uint8_t* bytes, size_t count);
