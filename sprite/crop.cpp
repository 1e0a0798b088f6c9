#include "sprite/crop.hpp"

#include <cstddef>
#include <cstring>

#include "filesys/allocate.hpp"

int32_t cropTop = 0;
int32_t cropBottom = 0;
int32_t cropLeft = 0;
int32_t cropRight = 0;

namespace {

constexpr size_t RGBA_BYTES = 4;

// 1 when all `count` bytes equal `value`. Rows are tested in blocks of 64 bytes whose words are
// OR-ed together before one branch, which the compiler turns into a few vector instructions;
// a row stops at the first block that holds a visible byte.
int32_t bytesAllEqual(const uint8_t* bytes, size_t count, uint8_t value) {
    const uint64_t pattern = uint64_t{value} * 0x0101010101010101ull;
    constexpr size_t BLOCK = 64;
    size_t i = 0;
    for (; i + BLOCK <= count; i += BLOCK) {
        uint64_t words[BLOCK / 8];
        std::memcpy(words, bytes + i, BLOCK);
        uint64_t diff = 0;
        for (uint64_t word : words) diff |= word ^ pattern;
        if (diff != 0) return 0;
    }
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (word != pattern) return 0;
    }
    for (; i < count; ++i) {
        if (bytes[i] != value) return 0;
    }
    return 1;
}

// Sizes in a wide type: width x height x 4 of two int32 sides always fits in 64 bits.
size_t rowBytes(int32_t width, size_t pixelBytes) {
    return static_cast<size_t>(width) * pixelBytes;
}

// The four rectangle integers for an image that has no visible pixel (or no pixel at all).
void setBlankRectangle(int32_t width, int32_t height) {
    cropTop = height;
    cropBottom = 0;
    cropLeft = width;
    cropRight = 0;
}

// Steps 1 to 5, shared by both pixel kinds. Returns false for a blank image.
template <typename RowEmpty, typename ColumnEmpty>
bool findRectangle(int32_t width, int32_t height, RowEmpty rowEmpty, ColumnEmpty columnEmpty) {
    cropTop = 0;
    while (cropTop < height && rowEmpty(cropTop)) ++cropTop;
    cropBottom = height - 1;
    while (cropBottom > 0 && rowEmpty(cropBottom)) --cropBottom;
    if (cropTop > cropBottom) {
        // Every row is empty, so every column is: the column scans would end at these values.
        setBlankRectangle(width, height);
        return false;
    }
    // The column scans look only at rows cropTop..cropBottom; the rows outside are empty, so the
    // outcome is that of a scan over every row, at a fraction of the strided reads.
    cropLeft = 0;
    while (cropLeft < width && columnEmpty(cropLeft)) ++cropLeft;
    cropRight = width - 1;
    while (cropRight > 0 && columnEmpty(cropRight)) --cropRight;
    return cropLeft <= cropRight;
}

}  // namespace

int32_t rowIsEmptyRgba(const uint8_t* pixels, int32_t width, int32_t row) {
    if (width < 1) return 1;
    const size_t bytes = rowBytes(width, RGBA_BYTES);
    return bytesAllEqual(pixels + static_cast<size_t>(row) * bytes, bytes, 0);
}

int32_t columnIsEmptyRgba(const uint8_t* pixels, int32_t width, int32_t height, int32_t column) {
    if (width < 1) return 1;
    const size_t stride = rowBytes(width, RGBA_BYTES);
    const uint8_t* p = pixels + static_cast<size_t>(column) * RGBA_BYTES;
    for (int32_t row = 0; row < height; ++row, p += stride) {
        uint32_t pixel;
        std::memcpy(&pixel, p, RGBA_BYTES);
        if (pixel != 0) return 0;
    }
    return 1;
}

int32_t rowIsEmptyIndexed(const uint8_t* pixels, int32_t width, int32_t row, uint8_t transparent) {
    if (width < 1) return 1;
    const size_t bytes = rowBytes(width, 1);
    return bytesAllEqual(pixels + static_cast<size_t>(row) * bytes, bytes, transparent);
}

int32_t columnIsEmptyIndexed(const uint8_t* pixels, int32_t width, int32_t height, int32_t column,
                             uint8_t transparent) {
    if (width < 1) return 1;
    const size_t stride = rowBytes(width, 1);
    const uint8_t* p = pixels + static_cast<size_t>(column);
    for (int32_t row = 0; row < height; ++row, p += stride) {
        if (*p != transparent) return 0;
    }
    return 1;
}

std::unique_ptr<uint8_t[]> cropRgba(const uint8_t* pixels, int32_t width, int32_t height,
                                    int32_t* outWidth, int32_t* outHeight) {
    *outWidth = 0;
    *outHeight = 0;
    // An image without pixels is blank and nothing of it is read.
    if (width < 1 || height < 1) {
        setBlankRectangle(width, height);
        return nullptr;
    }
    const size_t stride = rowBytes(width, RGBA_BYTES);
    auto rowEmpty = [&](int32_t row) { return rowIsEmptyRgba(pixels, width, row) != 0; };
    bool found = findRectangle(width, height, rowEmpty, [&](int32_t column) {
        const uint8_t* first = pixels + static_cast<size_t>(cropTop) * stride;
        return columnIsEmptyRgba(first, width, cropBottom - cropTop + 1, column) != 0;
    });
    if (!found) return nullptr;

    const int32_t w = cropRight - cropLeft + 1;
    const int32_t h = cropBottom - cropTop + 1;
    const size_t outStride = rowBytes(w, RGBA_BYTES);
    std::unique_ptr<uint8_t[]> out = tryAllocate<uint8_t>(outStride * static_cast<size_t>(h));
    if (!out) return nullptr;
    // Source row cropTop + i goes to output row h - 1 - i: the bottom-row-first buffer comes
    // out top row first.
    const uint8_t* src =
        pixels + static_cast<size_t>(cropTop) * stride + static_cast<size_t>(cropLeft) * RGBA_BYTES;
    for (int32_t i = 0; i < h; ++i, src += stride) {
        std::memcpy(out.get() + static_cast<size_t>(h - 1 - i) * outStride, src, outStride);
    }
    cropTop = (height - 1) - cropBottom;
    *outWidth = w;
    *outHeight = h;
    return out;
}

bool findCropIndexed(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent) {
    if (width < 1 || height < 1) {
        setBlankRectangle(width, height);
        return false;
    }
    const size_t stride = rowBytes(width, 1);
    auto rowEmpty = [&](int32_t row) {
        return rowIsEmptyIndexed(pixels, width, row, transparent) != 0;
    };
    return findRectangle(width, height, rowEmpty, [&](int32_t column) {
        const uint8_t* first = pixels + static_cast<size_t>(cropTop) * stride;
        return columnIsEmptyIndexed(first, width, cropBottom - cropTop + 1, column, transparent) !=
               0;
    });
}

std::unique_ptr<uint8_t[]> cropIndexed(const uint8_t* pixels, int32_t width, int32_t height,
                                       int32_t* outWidth, int32_t* outHeight, uint8_t transparent) {
    *outWidth = 0;
    *outHeight = 0;
    if (!findCropIndexed(pixels, width, height, transparent)) return nullptr;

    const size_t stride = rowBytes(width, 1);
    const int32_t w = cropRight - cropLeft + 1;
    const int32_t h = cropBottom - cropTop + 1;
    const size_t outStride = rowBytes(w, 1);
    std::unique_ptr<uint8_t[]> out = tryAllocate<uint8_t>(outStride * static_cast<size_t>(h));
    if (!out) return nullptr;
    const uint8_t* src =
        pixels + static_cast<size_t>(cropTop) * stride + static_cast<size_t>(cropLeft);
    for (int32_t i = 0; i < h; ++i, src += stride) {
        std::memcpy(out.get() + static_cast<size_t>(i) * outStride, src, outStride);
    }
    *outWidth = w;
    *outHeight = h;
    return out;
}
