// Loading a PCX file: header checks, allocation and the messages for how decoding ended.
#include <cstdio>

#include "filesys/file_access.hpp"
#include "console/console.hpp"
#include "filesys/allocate.hpp"
#include "image/pcx.hpp"

namespace {

constexpr size_t XMIN_OFFSET = 4;
constexpr size_t YMIN_OFFSET = 6;
constexpr size_t XMAX_OFFSET = 8;
constexpr size_t YMAX_OFFSET = 10;

int32_t readS16(std::span<const uint8_t> file, size_t offset) {
    return static_cast<int16_t>(file[offset] | file[offset + 1] << 8);
}

void reportCannotOpen(const char* path) {
    printMessage(MessageId::pcxOpenFailed, "Couldn't open PCX file %s for reading.\n",
                 path != nullptr ? path : "");
}

// The header's sides, stored through width and height; false, with the line printed, when the
// file is too short for a header or its sides are refused.
bool readSides(std::span<const uint8_t> file, const char* path, int32_t* width, int32_t* height) {
    if (file.size() < PCX_HEADER_SIZE) {
        reportCannotOpen(path);
        return false;
    }
    // The edges are inclusive; 16-bit operands cannot overflow 32 bits.
    const int32_t w = readS16(file, XMAX_OFFSET) - readS16(file, XMIN_OFFSET) + 1;
    const int32_t h = readS16(file, YMAX_OFFSET) - readS16(file, YMIN_OFFSET) + 1;
    *width = w;
    *height = h;
    if (w < 1 || h < 1 || static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > PCX_MAX_PIXELS) {
        reportCannotOpen(path);
        return false;
    }
    return true;
}

void reportEnding(PcxDecode ended, const char* path) {
    switch (ended) {
        case PcxDecode::MarkerMissing:
            printMessage(MessageId::pcxTrailerByte, "Warning, byte after frame buffer not 12.\n");
            break;
        case PcxDecode::CutShort:
            printMessage(MessageId::pcxCutShort, "Warning, PCX file %s is cut short.\n",
                         path != nullptr ? path : "");
            break;
        case PcxDecode::MarkerFound:
        case PcxDecode::RunPastEnd:
            break;
    }
}

// The header checks, the decoding into the block that `allocate(pixels)` gives (null: no
// memory) and the messages for how decoding ended. Returns the block, or null.
template <class Allocate>
uint8_t* decodeWith(std::span<const uint8_t> file, const char* path, int32_t* width,
                    int32_t* height, Allocate allocate) {
    if (!readSides(file, path, width, height)) return nullptr;
    // Every pixel is written by the decoder, so the block need not be cleared first.
    uint8_t* indices = allocate(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    if (indices == nullptr) return nullptr;
    reportEnding(decodePcxImage(indices, file, *width, *height), path);
    return indices;
}

}  // namespace

std::unique_ptr<uint8_t[]> decodePcx(std::span<const uint8_t> file, const char* path,
                                     int32_t* width, int32_t* height) {
    std::unique_ptr<uint8_t[]> indices;
    decodeWith(file, path, width, height, [&](size_t pixels) -> uint8_t* {
        indices = tryAllocate<uint8_t>(pixels);
        return indices.get();
    });
    // On a failure after the allocation there is none: decoding itself cannot fail.
    return indices;
}

std::unique_ptr<uint8_t[]> loadPcx(const char* path, int32_t* width, int32_t* height) {
    // The block either belongs to us and goes with it, or is a preloaded file's, which the
    // file layer keeps.
    FileBlock block;
    const int32_t loaded = fileLoad(path, block);
    if (loaded < 1 || block.data() == nullptr) {
        reportCannotOpen(path);
        return nullptr;
    }
    return decodePcx({block.data(), static_cast<size_t>(loaded)}, path, width, height);
}

const uint8_t* decodePcxReusing(std::span<const uint8_t> file, const char* path,
                                ReusedBuffer& canvas, int32_t* width, int32_t* height) {
    return decodeWith(file, path, width, height,
                      [&](size_t pixels) { return canvas.reserve(pixels); });
}

const uint8_t* loadPcxReusing(const char* path, ReusedBuffer& fileBytes, ReusedBuffer& canvas,
                              int32_t* width, int32_t* height) {
    std::span<const uint8_t> bytes;
    const int32_t loaded = fileLoad(path, fileBytes, bytes);
    if (loaded < 1 || bytes.empty()) {
        reportCannotOpen(path);
        return nullptr;
    }
    return decodePcxReusing(bytes, path, canvas, width, height);
}

bool loadPcxBox(const char* path, ReusedBuffer& fileBytes, uint8_t transparent, int32_t* width,
                int32_t* height, PcxBox& box) {
    std::span<const uint8_t> bytes;
    const int32_t loaded = fileLoad(path, fileBytes, bytes);
    if (loaded < 1 || bytes.empty()) {
        reportCannotOpen(path);
        return false;
    }
    if (!readSides(bytes, path, width, height)) return false;
    reportEnding(findPcxBox(bytes, *width, *height, transparent, box), path);
    return true;
}
