// Inside the TGA module: what its files share with each other and with the module's tests.
// Nothing outside image/ and its tests includes this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "image/tga.hpp"

// Records a failure of a TGA operation for tgaLastError() (tga_error.cpp).
void setTgaError(TgaError code);

// The fields of a TGA file's fixed header, as stored (16-bit fields least significant byte
// first); the origin fields are not used.
struct TgaHeader {
    uint32_t idLength = 0;
    uint32_t mapType = 0;
    uint32_t imageType = 0;
    uint32_t firstEntry = 0;
    uint32_t mapLength = 0;
    uint32_t entrySize = 0;  // bits of a colour-map entry
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pixelDepth = 0;
    uint8_t descriptor = 0;  // alpha bits (0-3), right to left (bit 4), top down (bit 5)
};

// Reads the header at the start of `file`; false, touching nothing, when the file is shorter
// than TGA_HEADER_SIZE.
bool parseTgaHeader(std::span<const uint8_t> file, TgaHeader& header);

// A read position over the bytes of a file held in memory. pos never exceeds the size, so a
// read past the end is an ordinary failed read (-1), as with a stream at its end.
struct TgaCursor {
    std::span<const uint8_t> bytes;
    size_t pos = 0;
    int get() { return pos < bytes.size() ? bytes[pos++] : -1; }
};

// A colour map as stored in the file: `length` entries of `bytesPerEntry` bytes (1 to 4),
// the first of them entry number `firstIndex`.
struct TgaColourMap {
    const uint8_t* entries = nullptr;
    uint32_t length = 0;
    uint32_t bytesPerEntry = 0;
    uint32_t firstIndex = 0;
};

// The colour-map entry that pixel value v selects: the entry at v - firstIndex, assembled least
// significant byte first; 0 when that position is outside the stored entries.
uint32_t lookupTgaColour(const TgaColourMap& map, uint32_t value);

// Reads one stored pixel of bytesPerPixel bytes (least significant first; only the first four
// are combined, all are consumed). A byte that cannot be read resets the value to 0 and the
// remaining bytes are still tried. With a colour map the value is looked up in it.
uint32_t readTgaPixel(TgaCursor& cursor, uint32_t bytesPerPixel, const TgaColourMap* map);

// convertTgaPixel with the one fact it cannot see: whether the value belongs to a black-and-
// white image (types 3, 11), whose 16-bit values are grey (low byte) and alpha (high byte).
uint32_t convertTgaValue(uint32_t value, int32_t depth, int32_t alphaBits, uint32_t format,
                         bool blackAndWhite);

// c premultiplied by a, exactly as trunc((c / 255.0) * (a / 255.0) * 255.0) in double
// precision: table[a * 256 + c].
const uint8_t* tgaPremultiplyTable();

// The output values of the 5-bit and 6-bit channel levels (trunc(level x 8.2258f) and
// trunc(level x 4.0476f), single precision).
const uint8_t* tgaLevels5();
const uint8_t* tgaLevels6();

// Everything the pixel decoding needs once the header checks have passed.
struct TgaLayout {
    std::span<const uint8_t> file;
    size_t pixelPos = 0;  // start of the pixel data; may lie past the end of the file
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerPixel = 1;
    int32_t depth = 0;  // conversion depth: the entry size with a colour map, else Pixel Depth
    int32_t alphaBits = 0;
    uint8_t descriptor = 0;
    uint32_t format = 4;
    bool runLength = false;
    bool blackAndWhite = false;
    bool hasMap = false;
    TgaColourMap map;
};

// The literal per-pixel decoding (readTgaPixel, convertTgaValue, storeTgaPixel for every pixel).
void decodeTgaGeneric(const TgaLayout& layout, uint8_t* image);

// The same result through per-format row decoders. Returns false, touching nothing, when the
// layout has no fast decoder (the generic decoding then does it).
bool decodeTgaFast(const TgaLayout& layout, uint8_t* image);

// The pixels of `box` (inside the picture, not blank) of a run-length true-colour file without
// a colour map, decoded straight into `out` (box width x height x 4 bytes, top row first)
// without the rest of the picture: what decoding it whole and copying the box out gives.
// False, touching nothing, for any other layout.
struct TgaBox;
bool cropTgaRunLength(const TgaLayout& layout, const TgaBox& box, uint8_t* out);

enum class TgaDecodePath { Fast, Generic };

// decodeTga with the decoding chosen: Fast uses a fast decoder where one exists, Generic never.
// `noMemory`, when given, tells whether a null result came from the image's allocation.
std::unique_ptr<uint8_t[]> decodeTgaWith(std::span<const uint8_t> file, int32_t* width,
                                         int32_t* height, uint32_t format, TgaDecodePath path,
                                         bool* noMemory = nullptr);

// The layout of a file with a sprite fast path (see tga_sprite.hpp), format 4; false for any
// other file.
bool tgaFastLayout(std::span<const uint8_t> file, TgaLayout& layout);
