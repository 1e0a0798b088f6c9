// The PNG reader's walk over the chunks: the file's structure is checked whole before any
// pixel is decoded, so a file refused for a chunk after its image data costs no decoding.
#include <zlib.h>

#include <cstring>

#include "image/png_internal.hpp"

namespace {

constexpr uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t CHUNK_OVERHEAD = 12;  // length, type, CRC
constexpr uint32_t MAX_CHUNK_LENGTH = 0x7FFFFFFFu;
constexpr uint32_t MAX_SIDE = 0x7FFFFFFFu;
constexpr size_t IHDR_LENGTH = 13;
constexpr size_t MAX_PALETTE_ENTRIES = 256;

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool isType(const uint8_t* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

// Bit 5 of the first type byte clear: a decoder that does not know the chunk must refuse it.
bool isCritical(const uint8_t* type) {
    return (type[0] & 0x20) == 0;
}

bool validDepth(uint8_t colourType, uint8_t depth) {
    switch (colourType) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

PngError readHeader(std::span<const uint8_t> data, PngLayout& layout) {
    if (data.size() != IHDR_LENGTH) return PngError::badHeader;
    const uint8_t* p = data.data();
    const uint32_t width = readU32(p);
    const uint32_t height = readU32(p + 4);
    const uint8_t depth = p[8];
    const uint8_t colourType = p[9];
    if (width == 0 || height == 0 || width > MAX_SIDE || height > MAX_SIDE) {
        return PngError::badHeader;
    }
    // Compression and filter method 0 are the only ones defined; interlace 0 or 1 (Adam7).
    if (!validDepth(colourType, depth) || p[10] != 0 || p[11] != 0 || p[12] > 1) {
        return PngError::badHeader;
    }
    layout.width = width;
    layout.height = height;
    layout.depth = depth;
    layout.colourType = colourType;
    layout.interlaced = p[12] == 1;
    return PngError::none;
}

// A palette that a palette image can use: whole entries, 1 to 256 of them.
bool usablePalette(std::span<const uint8_t> data) {
    return !data.empty() && data.size() % 3 == 0 && data.size() / 3 <= MAX_PALETTE_ENTRIES;
}

}  // namespace

uint32_t pngChunkCrc(std::span<const uint8_t> typeAndData) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes a 32-bit length; a chunk's data is at most 2^31 - 1 bytes.
    crc = crc32(crc, typeAndData.data(), static_cast<uInt>(typeAndData.size()));
    return static_cast<uint32_t>(crc);
}

PngError readPngLayout(std::span<const uint8_t> file, PngLayout& layout) {
    layout = PngLayout{};
    if (file.empty()) return PngError::cutShort;
    if (file.size() < sizeof SIGNATURE) {
        return std::memcmp(file.data(), SIGNATURE, file.size()) == 0 ? PngError::cutShort
                                                                     : PngError::badSignature;
    }
    if (std::memcmp(file.data(), SIGNATURE, sizeof SIGNATURE) != 0) return PngError::badSignature;

    size_t pos = sizeof SIGNATURE;
    bool first = true;
    bool dataSeen = false;   // an IDAT chunk has been met
    bool dataEnded = false;  // and a chunk of another type after it
    std::span<const uint8_t> palette;
    while (true) {
        if (file.size() - pos < CHUNK_OVERHEAD) return PngError::cutShort;
        const uint32_t length = readU32(file.data() + pos);
        if (length > MAX_CHUNK_LENGTH || file.size() - pos - CHUNK_OVERHEAD < length) {
            return PngError::cutShort;
        }
        const uint8_t* type = file.data() + pos + 4;
        const std::span<const uint8_t> data(type + 4, length);
        const bool isData = isType(type, "IDAT");
        const bool isTransparency = isType(type, "tRNS");
        if (isCritical(type) || isTransparency) {
            const uint32_t stored = readU32(type + 4 + length);
            if (pngChunkCrc({type, size_t{length} + 4}) != stored) return PngError::badCrc;
        }
        if (first != isType(type, "IHDR")) return PngError::badHeader;
        if (first) {
            const PngError header = readHeader(data, layout);
            if (header != PngError::none) return header;
            first = false;
        } else if (isData) {
            if (dataEnded) return PngError::imageDataApart;
            if (!dataSeen) layout.dataStart = pos;
            dataSeen = true;
            layout.dataEnd = pos + CHUNK_OVERHEAD + length;
        } else {
            if (dataSeen) dataEnded = true;
            if (isType(type, "IEND")) break;
            if (isType(type, "PLTE")) {
                // Only a palette image uses one; it must come before the image data.
                if (!dataSeen && palette.empty()) palette = data;
            } else if (isTransparency) {
                if (!dataSeen && layout.transparency.empty()) layout.transparency = data;
            } else if (isCritical(type)) {
                return PngError::unknownCritical;
            }
        }
        pos += CHUNK_OVERHEAD + length;
    }
    if (!dataSeen) return PngError::noImageData;
    if (layout.colourType == 3) {
        if (!usablePalette(palette)) return PngError::noPalette;
        layout.palette = palette;
    }
    if (uint64_t{layout.width} * layout.height > PNG_MAX_PIXELS) return PngError::tooManyPixels;
    return PngError::none;
}
