// The TGA module: a reader for every image type the format allows (colour-mapped, true-colour,
// black-and-white; raw and run-length; any origin) and two writers. Images are rows of
// `format` bytes a pixel (3: red, green, blue; 4: red, green, blue, alpha), row 0 the bottom
// row of the picture, colours premultiplied by alpha, so a transparent pixel is all zero.
//
// Failures return null or 0 and record a code that tgaLastError() returns; nothing here prints.
// Process-wide state: the last-error code (tga_error.cpp) and the reader's file buffer, kept
// between loads (tga_reader.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

// Loads the TGA file at `path` (from disk only, never the archive or the preload table).
// On success stores the sides through width and height and returns the image, owned by the
// caller; on failure returns null, leaves the sides untouched and sets the last-error code.
std::unique_ptr<uint8_t[]> loadTga(const char* path, int32_t* width, int32_t* height,
                                   uint32_t format);

// The same decode on a file image already in memory. loadTga reads its file and calls this.
std::unique_ptr<uint8_t[]> decodeTga(std::span<const uint8_t> file, int32_t* width, int32_t* height,
                                     uint32_t format);

// The same, telling a failed allocation of the image (noMemory set) from a bad file.
std::unique_ptr<uint8_t[]> decodeTga(std::span<const uint8_t> file, int32_t* width, int32_t* height,
                                     uint32_t format, bool& noMemory);

// Why a TGA operation failed. The values are the module's error codes, fixed by its text table;
// a code outside it (a value no operation records) has the text "unknown error".
enum class TgaError : int32_t {
    none = 0,
    badHeader = 1,
    cannotOpen = 2,
    badFormat = 3,
    unexpectedEnd = 4,
    noData = 5,
    mapForGrey = 6,
    badEntrySize = 7,
    badColourMap = 8,
    cannotRead = 9,
    unknownType = 10,
    zeroSide = 11,
};

// The code of the last failed operation; a successful one leaves it as it was.
TgaError tgaLastError();
const char* tgaErrorText(TgaError code);

// Turns a stored value of `depth` bits into an output pixel (red in the low byte, alpha in the
// high byte, colours premultiplied; the top byte cleared for format 3).
uint32_t convertTgaPixel(uint32_t value, int32_t depth, int32_t alphaBits, uint32_t format);

// Stores the pixel with file-order index `index` at its place in the bottom-row-first image,
// by the origin bits of `descriptor`.
void storeTgaPixel(uint8_t* image, uint8_t descriptor, uint32_t index, uint32_t width,
                   uint32_t height, uint32_t value, uint32_t format);

// The bytes of a TGA file's fixed header, before its image ID.
constexpr size_t TGA_HEADER_SIZE = 18;

// Images of more than this many pixels are refused before allocation.
constexpr uint64_t TGA_MAX_PIXELS = uint64_t{1} << 28;

// ---- Writer ----

// An uninitialised width x height x format buffer; null for a format other than 3 or 4
// (badFormat) or when memory is short (code unchanged).
std::unique_ptr<uint8_t[]> newTgaImage(uint32_t width, uint32_t height, uint32_t format);

// Write an uncompressed (type 2) or run-length (type 10) true-colour file with the 21-byte
// image ID "written by spritebake". Return 1 when the whole file was written; 0 with the
// last-error code set otherwise (badFormat, or cannotOpen: cannot create, or a failed write,
// after which the partial file is removed). writeTgaRle un-premultiplies format-4 pixels.
int32_t writeTgaRaw(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels,
                    uint32_t format);
int32_t writeTgaRle(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels,
                    uint32_t format);
