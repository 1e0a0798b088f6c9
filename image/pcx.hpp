// The PCX reader: 8-bit, single-plane, run-length-encoded files as index images (one palette
// index a pixel, row 0 the top row; no palette is returned). The file is read through the file
// layer, so it is found wherever fileLoad finds files. Messages go to standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "filesys/reused_buffer.hpp"

// The fixed header that precedes the encoded pixel data.
constexpr size_t PCX_HEADER_SIZE = 128;

// Images of more than this many pixels are refused before allocation.
constexpr uint64_t PCX_MAX_PIXELS = uint64_t{1} << 28;

// How decodePcxImage ended.
enum class PcxDecode {
    MarkerFound,    // the image is full and the byte after it is 12
    MarkerMissing,  // the image is full and the byte after it is not 12, or there is none
    RunPastEnd,     // the last run reached past the image; the marker is not looked at
    CutShort,       // the data ended before the image was full; the rest of it is 0
};

// Loads the PCX file at `path`. Stores the sides through width and height as soon as the header
// is read; returns the index image, owned by the caller, or null.
std::unique_ptr<uint8_t[]> loadPcx(const char* path, int32_t* width, int32_t* height);

// loadPcx with no fresh memory: the file's bytes go into `fileBytes` and the index image into
// `canvas`, both kept by the caller from load to load. Returns the image (inside `canvas`,
// valid until its next use) or null; prints what loadPcx prints.
const uint8_t* loadPcxReusing(const char* path, ReusedBuffer& fileBytes, ReusedBuffer& canvas,
                              int32_t* width, int32_t* height);

// decodePcx into `canvas` (see loadPcxReusing).
const uint8_t* decodePcxReusing(std::span<const uint8_t> file, const char* path,
                                ReusedBuffer& canvas, int32_t* width, int32_t* height);

// The same on a file image already in memory; `path` only names the file in messages.
// loadPcx loads its file and calls this.
std::unique_ptr<uint8_t[]> decodePcx(std::span<const uint8_t> file, const char* path,
                                     int32_t* width, int32_t* height);

// The rectangle of a PCX image's pixels that are not the transparent index, inclusive, row 0
// the top row; empty (top > bottom) when every pixel is transparent.
struct PcxBox {
    size_t top = SIZE_MAX;
    size_t bottom = 0;
    size_t left = SIZE_MAX;
    size_t right = 0;
    bool empty() const { return top > bottom; }
};

// The box of the image decodePcxImage would decode, found on the same walk with no image
// built; ends as that decoding ends.
PcxDecode findPcxBox(std::span<const uint8_t> file, int32_t width, int32_t height,
                     uint8_t transparent, PcxBox& box);

// Loads the PCX file at `path` as loadPcxReusing does, but finds only the box of its pixels
// that are not `transparent`. Returns false where loadPcxReusing returns null, with the same
// lines printed.
bool loadPcxBox(const char* path, ReusedBuffer& fileBytes, uint8_t transparent, int32_t* width,
                int32_t* height, PcxBox& box);

// Decodes the pixel data that starts at offset 128 of `file` into `indices` (width x height
// bytes, which the caller provides). When BytesPerLine (offset 66) exceeds the width, each
// scan line is that many bytes and those past the width are dropped. Every pixel is written:
// the ones the data does not reach are 0. Never reads past the end of `file`.
PcxDecode decodePcxImage(uint8_t* indices, std::span<const uint8_t> file, int32_t width,
                         int32_t height);
