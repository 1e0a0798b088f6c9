// The PNG reader: any colour type and bit depth, interlaced or not, decoded to 8-bit RGBA with
// straight colour (red, green, blue, alpha; top row first). Grey g becomes (g, g, g, 255),
// grey+alpha (g, g, g, a), RGB (r, g, b, 255), a palette index its PLTE entry with its alpha
// from tRNS (255 past its end); a tRNS colour key, compared at the file's own bit depth, makes
// the pixels it matches alpha 0. 16-bit samples keep their high byte; 1, 2 and 4-bit grey is
// scaled to 0..255. No gamma or colour correction: every ancillary chunk but tRNS is ignored.
//
// The whole file is checked, not only what the picture needs: every critical chunk's CRC and
// tRNS's, the whole zlib stream with its Adler-32, the chunks after the image data up to IEND.
// Nothing here prints, and nothing is kept between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "filesys/reused_buffer.hpp"
#include "image/tga_sprite.hpp"

// Why a PNG file was refused.
enum class PngError : uint8_t {
    none,
    badSignature,
    cutShort,          // a chunk runs past the end of the file, or IEND never comes
    badCrc,            // on a critical chunk or on tRNS
    badHeader,         // no IHDR first, or one with sides, depth or methods the format lacks
    unknownCritical,   // a critical chunk the format does not define
    imageDataApart,    // IDAT chunks with other chunks between them
    noImageData,       // no IDAT at all
    noPalette,         // a palette image without a usable PLTE before its image data
    badStream,         // the zlib stream is broken, cut off, or fails its Adler-32
    tooLittleData,     // the stream ends before the picture is complete
    badFilter,         // a scanline's filter type is not 0 to 4
    badPaletteIndex,   // an index past the end of PLTE
    tooManyPixels,     // more than PNG_MAX_PIXELS, refused before anything is allocated
    noMemory,          // a block the decode needs could not be had
};

// Pictures of more than this many pixels are refused before allocation.
constexpr uint64_t PNG_MAX_PIXELS = uint64_t{1} << 28;

// A decoded picture inside the block it was decoded into: width x height x 4 bytes.
struct PngPicture {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* rgba = nullptr;
};

// Decodes the whole picture, straight colour, into `block` (grown as needed).
PngError decodePng(std::span<const uint8_t> file, ReusedBuffer& block, PngPicture& picture);

// The box of the pixels whose alpha is not 0, with the same checks as decodePng. Rows are
// decoded one at a time and only the box's bounds are kept, so no picture is built, except
// for an interlaced file, whose picture is decoded whole into `scratch`.
PngError findPngBox(std::span<const uint8_t> file, ReusedBuffer& scratch, TgaBox& box);

// The box of the pixels of a decoded picture whose alpha is not 0. Premultiplying keeps a
// pixel's alpha, so the box is the same before and after.
TgaBox findAlphaBox(const uint8_t* rgba, int32_t width, int32_t height);

// Copies the pixels inside `box` (not blank, inside the picture) into `out`, top row first,
// tightly packed: box width x height x 4 bytes.
void copyBoxPixels(const uint8_t* rgba, int32_t width, const TgaBox& box, uint8_t* out);

// Premultiplies `count` straight RGBA pixels in place, exactly as the TGA reader's pixels are.
void premultiplyRgba(uint8_t* rgba, size_t count);
