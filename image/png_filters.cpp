// Undoing the PNG scanline filters. Sub, Average and Paeth depend on the pixel before, so a
// scanline of 4-byte pixels is undone a pixel at a time with its four bytes side by side in
// SSE2 registers; every other stride takes the byte loops, which give the same bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/png_internal.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int p = int{a} + int{b} - int{c};
    const int pa = std::abs(p - int{a});
    const int pb = std::abs(p - int{b});
    const int pc = std::abs(p - int{c});
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

void undoUp(uint8_t* __restrict row, const uint8_t* __restrict prior, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
}

void undoSub(uint8_t* row, size_t n, size_t stride) {
    for (size_t i = stride; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - stride]);
}

void undoAverage(uint8_t* row, const uint8_t* prior, size_t n, size_t stride) {
    for (size_t i = 0; i < std::min(stride, n); ++i) {
        row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
    }
    for (size_t i = stride; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - stride] + prior[i]) >> 1));
    }
}

void undoPaeth(uint8_t* row, const uint8_t* prior, size_t n, size_t stride) {
    for (size_t i = 0; i < std::min(stride, n); ++i) {
        row[i] = static_cast<uint8_t>(row[i] + prior[i]);
    }
    for (size_t i = stride; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + paeth(row[i - stride], prior[i], prior[i - stride]));
    }
}

#if defined(__SSE2__)
__m128i loadPixel(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}

void storePixel(uint8_t* p, __m128i v) {
    const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
    std::memcpy(p, &word, 4);
}

__m128i absolute(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// The four bytes of each pixel as 16-bit lanes; sums are taken modulo 256 by the mask.
void undoSub4(uint8_t* row, size_t n) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + 4 <= n; i += 4) {
        a = _mm_and_si128(_mm_add_epi16(loadPixel(row + i), a), low);
        storePixel(row + i, a);
    }
}

void undoAverage4(uint8_t* row, const uint8_t* prior, size_t n) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + 4 <= n; i += 4) {
        const __m128i b = loadPixel(prior + i);
        const __m128i mean = _mm_srli_epi16(_mm_add_epi16(a, b), 1);
        a = _mm_and_si128(_mm_add_epi16(loadPixel(row + i), mean), low);
        storePixel(row + i, a);
    }
}

void undoPaeth4(uint8_t* row, const uint8_t* prior, size_t n) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    for (size_t i = 0; i + 4 <= n; i += 4) {
        const __m128i b = loadPixel(prior + i);
        // |p - a| = |b - c|, |p - b| = |a - c|, |p - c| = |a + b - 2c|, with p = a + b - c.
        const __m128i pa = absolute(_mm_sub_epi16(b, c));
        const __m128i pb = absolute(_mm_sub_epi16(a, c));
        const __m128i pc = absolute(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        // a when pa <= pb and pa <= pc, else b when pb <= pc, else c.
        const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        const __m128i takeC = _mm_cmpgt_epi16(pb, pc);
        const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeC, c), _mm_andnot_si128(takeC, b));
        const __m128i predictor =
            _mm_or_si128(_mm_and_si128(notA, bOrC), _mm_andnot_si128(notA, a));
        c = b;
        a = _mm_and_si128(_mm_add_epi16(loadPixel(row + i), predictor), low);
        storePixel(row + i, a);
    }
}
#endif

}  // namespace

bool unfilterScanline(uint8_t type, uint8_t* row, const uint8_t* prior, size_t n, size_t stride) {
    switch (type) {
        case 0:
            return true;
        case 2:
            undoUp(row, prior, n);
            return true;
        default:
            break;
    }
#if defined(__SSE2__)
    if (stride == 4 && n % 4 == 0) {
        switch (type) {
            case 1:
                undoSub4(row, n);
                return true;
            case 3:
                undoAverage4(row, prior, n);
                return true;
            case 4:
                undoPaeth4(row, prior, n);
                return true;
            default:
                return false;
        }
    }
#endif
    switch (type) {
        case 1:
            undoSub(row, n, stride);
            return true;
        case 3:
            undoAverage(row, prior, n, stride);
            return true;
        case 4:
            undoPaeth(row, prior, n, stride);
            return true;
        default:
            return false;
    }
}
