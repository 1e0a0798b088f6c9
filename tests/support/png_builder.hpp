// PNG files built chunk by chunk for the tests: raw scanlines filtered as the test chooses,
// compressed by zlib or stored in uncompressed deflate blocks, split into IDAT chunks at will,
// with every CRC right unless the test breaks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace testsupport {

struct PngChunk {
    std::string type;  // four letters
    std::vector<uint8_t> data;
    uint32_t crcFlip = 0;  // XORed into the stored CRC: non-zero breaks it
};

// IHDR's 13 bytes.
std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType,
                               uint8_t interlace = 0, uint8_t compression = 0, uint8_t filter = 0);

// Rows of packed samples (each row's bytes as the format stores them, unfiltered), each
// filtered with filters[i % filters.size()] and preceded by that filter byte. `stride` is the
// bytes of a pixel, at least 1.
std::vector<uint8_t> filteredScanlines(const std::vector<std::vector<uint8_t>>& rows,
                                       size_t stride, const std::vector<uint8_t>& filters);

// The same picture (rows of `width` pixels of `bitsPerPixel`, packed) as the Adam7 passes'
// scanlines, each pass filtered on its own, empty passes left out.
std::vector<uint8_t> interlacedScanlines(const std::vector<std::vector<uint8_t>>& rows,
                                         uint32_t width, uint32_t bitsPerPixel,
                                         const std::vector<uint8_t>& filters);

// A zlib stream of `raw`: deflated by zlib, or in stored blocks of at most `block` bytes.
std::vector<uint8_t> zlibDeflated(std::span<const uint8_t> raw);
std::vector<uint8_t> zlibStored(std::span<const uint8_t> raw, size_t block = 65535);

// The signature and the chunks as given, each with its length and CRC.
std::vector<uint8_t> pngFile(const std::vector<PngChunk>& chunks);

// The usual file: IHDR, the chunks before the image data, `stream` split into IDAT chunks of at
// most `idatBytes` bytes, the chunks after it, IEND.
std::vector<uint8_t> pngFile(const std::vector<uint8_t>& header,
                             const std::vector<uint8_t>& stream,
                             const std::vector<PngChunk>& before = {},
                             const std::vector<PngChunk>& after = {},
                             size_t idatBytes = SIZE_MAX);

}  // namespace testsupport
