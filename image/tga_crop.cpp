// The cropped pixels of a TGA file with a sprite fast path. Uncompressed files are decoded for
// the box alone, straight from the file's rows; run-length files are decoded whole into a
// reused block by the row decoders, and the box copied out.
#include <algorithm>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include "image/tga.hpp"
#include "image/tga_convert.hpp"
#include "image/tga_internal.hpp"
#include "image/tga_sprite.hpp"

namespace {

constexpr size_t FORMAT = 4;

// Converts `count` stored 32-bit pixels of one row. Four pixels at a time where all four are
// opaque (blue and red swapped, nothing else changes) or all four have alpha 0 (all zero, which
// is what premultiplying gives); any other group goes pixel by pixel through `conv`.
template <class Conv>
void convertRow32(const uint8_t* src, size_t count, uint8_t* out, const Conv& conv) {
    constexpr bool HAS_ALPHA = std::is_same_v<Conv, ConvBgra32>;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i greenMask = _mm_set1_epi32(0x0000FF00);
    const __m128i lowMask = _mm_set1_epi32(0x000000FF);
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4));
        const __m128i alpha = _mm_and_si128(v, alphaMask);
        bool opaque = true;
        if constexpr (HAS_ALPHA) {
            const int full = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask));
            if (full != 0xFFFF) {
                opaque = false;
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4), _mm_setzero_si128());
                    continue;
                }
            }
        }
        if (opaque) {
            const __m128i red = _mm_and_si128(_mm_srli_epi32(v, 16), lowMask);
            const __m128i blue = _mm_slli_epi32(_mm_and_si128(v, lowMask), 16);
            const __m128i rgba = _mm_or_si128(_mm_or_si128(red, blue),
                                              _mm_or_si128(_mm_and_si128(v, greenMask), alphaMask));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4), rgba);
            continue;
        }
        for (size_t k = i; k < i + 4; ++k) {
            const uint32_t value = conv(src + k * 4);
            std::memcpy(out + k * 4, &value, FORMAT);
        }
    }
#endif
    for (; i < count; ++i) {
        const uint32_t value = conv(src + i * 4);
        std::memcpy(out + i * 4, &value, FORMAT);
    }
}

#if defined(__x86_64__)
// Four 24-bit pixels a step with one byte shuffle: blue, green, red become red, green, blue,
// and alpha 255 is added. Reads 16 bytes a step, so it stops where fewer than six pixels are
// left; returns how many pixels it converted.
__attribute__((target("ssse3"))) size_t convertRow24Shuffled(const uint8_t* src, size_t count,
                                                             uint8_t* out) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4),
                         _mm_or_si128(_mm_shuffle_epi8(v, order), alpha));
    }
    return i;
}

bool haveShuffle() {
    static const bool have = __builtin_cpu_supports("ssse3") != 0;
    return have;
}
#endif

// Converts `count` stored 24-bit pixels of one row.
void convertRow24(const uint8_t* src, size_t count, uint8_t* out) {
    size_t i = 0;
#if defined(__x86_64__)
    if (haveShuffle()) i = convertRow24Shuffled(src, count, out);
#endif
    const ConvBgr24 conv;
    for (; i < count; ++i) {
        const uint32_t value = conv(src + i * 3);
        std::memcpy(out + i * 4, &value, FORMAT);
    }
}

// One output row: the pixels of file row `fileRow`, columns from `left` on (in the upright
// picture), `count` of them. Pixels the data does not reach are `zero`.
template <class Conv>
void cropRow(const TgaLayout& layout, const Conv& conv, uint32_t zero, uint64_t stored,
             uint32_t fileRow, uint32_t left, uint32_t count, uint8_t* out) {
    const uint32_t w = layout.width;
    const uint8_t* px = layout.file.data() + std::min(layout.pixelPos, layout.file.size());
    const uint64_t rowStart = uint64_t{fileRow} * w;
    if ((layout.descriptor & 0x10) == 0) {
        const uint64_t first = rowStart + left;
        const uint64_t have = first >= stored ? 0 : std::min<uint64_t>(count, stored - first);
        const uint8_t* src = have > 0 ? px + first * Conv::BYTES : px;
        if constexpr (Conv::BYTES == 4) {
            convertRow32(src, have, out, conv);
            out += have * FORMAT;
        } else {
            static_assert(std::is_same_v<Conv, ConvBgr24>, "24-bit is the only other depth");
            convertRow24(src, have, out);
            out += have * FORMAT;
        }
        for (uint64_t j = have; j < count; ++j, out += FORMAT) std::memcpy(out, &zero, FORMAT);
        return;
    }
    // Right to left: upright column x is file column w - 1 - x.
    for (uint32_t j = 0; j < count; ++j, out += FORMAT) {
        const uint64_t index = rowStart + (w - 1 - (left + j));
        const uint32_t value = index < stored ? conv(px + index * Conv::BYTES) : zero;
        std::memcpy(out, &value, FORMAT);
    }
}

template <class Conv>
void cropRaw(const TgaLayout& layout, const Conv& conv, const TgaBox& box, uint8_t* out) {
    const size_t size = layout.file.size();
    const size_t pos = std::min(layout.pixelPos, size);
    const uint64_t stored =
        std::min<uint64_t>((size - pos) / Conv::BYTES, uint64_t{layout.width} * layout.height);
    const uint32_t zero = convertTgaValue(0, layout.depth, layout.alphaBits, 4, false);
    const bool topDown = (layout.descriptor & 0x20) != 0;
    const auto boxWidth = static_cast<uint32_t>(box.right - box.left + 1);
    const size_t outStride = size_t{boxWidth} * FORMAT;
    for (int32_t y = box.top; y <= box.bottom; ++y, out += outStride) {
        const auto upright = static_cast<uint32_t>(y);
        const uint32_t fileRow = topDown ? upright : layout.height - 1 - upright;
        cropRow(layout, conv, zero, stored, fileRow, static_cast<uint32_t>(box.left), boxWidth,
                out);
    }
}

bool cropRunLength(const TgaLayout& layout, const TgaBox& box, uint8_t* out,
                   ReusedBuffer& scratch) {
    if (cropTgaRunLength(layout, box, out)) return true;
    // Any other layout: decoded whole into the scratch block, and the box copied out.
    const size_t stride = size_t{layout.width} * FORMAT;
    uint8_t* picture = scratch.reserve(stride * layout.height);
    if (picture == nullptr) return false;
    if (!decodeTgaFast(layout, picture)) decodeTgaGeneric(layout, picture);
    const size_t outStride = static_cast<size_t>(box.right - box.left + 1) * FORMAT;
    // The decoded picture is bottom row first.
    for (int32_t y = box.top; y <= box.bottom; ++y, out += outStride) {
        const size_t row = layout.height - 1 - static_cast<size_t>(y);
        std::memcpy(out, picture + row * stride + static_cast<size_t>(box.left) * FORMAT,
                    outStride);
    }
    return true;
}

void cropUncompressed(const TgaLayout& layout, const TgaBox& box, uint8_t* out) {
    if (layout.depth == 24) {
        cropRaw(layout, ConvBgr24{}, box, out);
    } else if (layout.alphaBits == 0) {
        cropRaw(layout, ConvBgrx32{}, box, out);
    } else {
        cropRaw(layout, ConvBgra32{tgaPremultiplyTable()}, box, out);
    }
}

bool boxInside(const TgaLayout& layout, const TgaBox& box) {
    return !box.blank && box.width == static_cast<int32_t>(layout.width) &&
           box.height == static_cast<int32_t>(layout.height) && box.left >= 0 &&
           box.left <= box.right && box.right < box.width && box.top >= 0 &&
           box.top <= box.bottom && box.bottom < box.height;
}

}  // namespace

bool cropTgaFast(std::span<const uint8_t> file, const TgaBox& box, uint8_t* out,
                 ReusedBuffer& scratch) {
    TgaLayout layout;
    // A box that is not inside this picture would have rows or columns past it.
    if (!tgaFastLayout(file, layout) || !boxInside(layout, box)) return false;
    if (layout.runLength) return cropRunLength(layout, box, out, scratch);
    cropUncompressed(layout, box, out);
    return true;
}
