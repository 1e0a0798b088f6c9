// The box of a TGA file's visible pixels, found on the file's bytes. A converted pixel is all
// zero exactly when its alpha is 0 (premultiplying by alpha 0 gives 0 and alpha itself is
// kept), so only alpha bytes are read; pixels the data does not reach are value 0 and so
// transparent. Files without alpha bits are opaque everywhere, cut short or not: their box
// is the whole picture.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/tga.hpp"
#include "image/tga_internal.hpp"
#include "image/tga_sprite.hpp"

namespace {

constexpr uint64_t ALPHA_MASK = 0xFF000000FF000000ull;

#if defined(__SSE2__)
// Whether any of the 16 stored 32-bit pixels at `p` has a non-zero alpha byte.
bool anyAlpha16(const uint8_t* p) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    const __m128i alpha = _mm_and_si128(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)),
                                        _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF;
}
#else
bool anyAlpha16(const uint8_t* p) {
    uint64_t words[8];
    std::memcpy(words, p, sizeof words);
    uint64_t any = 0;
    for (uint64_t w : words) any |= w;
    return (any & ALPHA_MASK) != 0;
}
#endif

// Whether any of `count` stored 32-bit pixels has a non-zero alpha byte.
bool anyAlpha(const uint8_t* p, size_t count) {
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        if (anyAlpha16(p + i * 4)) return true;
    }
    for (; i < count; ++i) {
        if (p[i * 4 + 3] != 0) return true;
    }
    return false;
}

// The first of pixels [from, to) of a row with a non-zero alpha, or `to`; sixteen, then four
// pixels are tested at once where the row allows.
uint32_t firstVisible(const uint8_t* row, uint32_t from, uint32_t to) {
    uint32_t c = from;
    while (c + 16 <= to && !anyAlpha16(row + size_t{c} * 4)) c += 16;
    for (; c + 4 <= to; c += 4) {
        uint64_t words[2];
        std::memcpy(words, row + size_t{c} * 4, sizeof words);
        if (((words[0] | words[1]) & ALPHA_MASK) != 0) break;
    }
    while (c < to && row[size_t{c} * 4 + 3] == 0) ++c;
    return c;
}

// One past the last of pixels [from, to) with a non-zero alpha, or `from`.
uint32_t endOfVisible(const uint8_t* row, uint32_t from, uint32_t to) {
    uint32_t e = to;
    while (e >= from + 16 && !anyAlpha16(row + size_t{e - 16} * 4)) e -= 16;
    for (; e >= from + 4; e -= 4) {
        uint64_t words[2];
        std::memcpy(words, row + size_t{e - 4} * 4, sizeof words);
        if (((words[0] | words[1]) & ALPHA_MASK) != 0) break;
    }
    while (e > from && row[size_t{e - 1} * 4 + 3] == 0) --e;
    return e;
}

// The box in file order (file row 0 first, file column 0 first), grown pixel by pixel.
struct FileBox {
    uint32_t minRow = UINT32_MAX;
    uint32_t maxRow = 0;
    uint32_t minCol = UINT32_MAX;
    uint32_t maxCol = 0;
    bool empty() const { return minRow == UINT32_MAX; }
    void add(uint32_t row, uint32_t firstCol, uint32_t lastCol) {
        minRow = std::min(minRow, row);
        maxRow = std::max(maxRow, row);
        minCol = std::min(minCol, firstCol);
        maxCol = std::max(maxCol, lastCol);
    }
};

// Uncompressed 32-bit with alpha: the first and last rows with a visible pixel, then in the
// rows between only the margins outside the columns found so far.
FileBox rawBox(const TgaLayout& layout) {
    const uint32_t w = layout.width;
    const uint32_t h = layout.height;
    const size_t size = layout.file.size();
    const size_t pos = std::min(layout.pixelPos, size);
    const uint8_t* px = layout.file.data() + pos;
    const uint64_t stored = std::min<uint64_t>((size - pos) / 4, uint64_t{w} * h);
    // Pixels of row r that the data holds.
    auto present = [&](uint32_t r) -> uint32_t {
        const uint64_t first = uint64_t{r} * w;
        return first >= stored ? 0 : static_cast<uint32_t>(std::min<uint64_t>(w, stored - first));
    };
    // Only rows the data reaches are addressed.
    auto rowPixels = [&](uint32_t r) { return px + size_t{r} * w * 4; };
    auto rowVisible = [&](uint32_t r) {
        const uint32_t n = present(r);
        return n != 0 && anyAlpha(rowPixels(r), n);
    };

    FileBox box;
    uint32_t first = 0;
    while (first < h && !rowVisible(first)) ++first;
    if (first == h) return box;
    uint32_t last = h - 1;
    while (last > first && !rowVisible(last)) --last;

    uint32_t left = w;  // columns [left, right] are known to hold a visible pixel
    uint32_t right = 0;
    for (uint32_t r = first; r <= last; ++r) {
        const uint32_t n = present(r);
        if (n == 0) break;  // the data ended: every later row is transparent
        const uint8_t* row = rowPixels(r);
        const uint32_t leftEnd = std::min(left, n);
        // The first row holds a visible pixel, so left < w after it.
        const uint32_t c = firstVisible(row, 0, leftEnd);
        if (c < leftEnd) left = c;
        if (n > right + 1) {
            const uint32_t e = endOfVisible(row, right + 1, n);
            if (e > right + 1) right = e - 1;
        }
    }
    box.minRow = first;
    box.maxRow = last;
    box.minCol = left;
    box.maxCol = right;
    return box;
}

// Run-length 32-bit with alpha: the packets are walked as the decoder walks them, and every
// run or literal with a non-zero alpha grows the box. A literal packet is taken a row piece at
// a time: only its first and last visible pixels count.
FileBox runLengthBox(const TgaLayout& layout) {
    const uint32_t w = layout.width;
    const uint8_t* data = layout.file.data();
    const size_t size = layout.file.size();
    size_t pos = std::min(layout.pixelPos, size);
    uint32_t remaining = layout.width * layout.height;
    uint32_t row = 0;
    uint32_t col = 0;
    FileBox box;
    while (remaining > 0 && pos < size) {
        const uint32_t header = data[pos++];
        const uint32_t n = std::min((header & 0x7F) + 1, remaining);
        if ((header & 0x80) != 0) {
            if (size - pos < 4) break;  // the value cannot be read: 0, as is all that follows
            const bool visible = data[pos + 3] != 0;
            pos += 4;
            if (col + n <= w) {
                if (visible) box.add(row, col, col + n - 1);
                col += n;
                if (col == w) {
                    col = 0;
                    ++row;
                }
            } else {
                const uint32_t lastRow = row + (col + n - 1) / w;
                if (visible) {  // across a row end: both ends of a row are reached
                    box.add(row, 0, w - 1);
                    box.add(lastRow, 0, w - 1);
                }
                const uint32_t end = col + n;
                row += end / w;
                col = end % w;
            }
        } else {
            const size_t whole = (size - pos) / 4;
            const uint32_t k = whole < n ? static_cast<uint32_t>(whole) : n;
            const uint8_t* alpha = data + pos + 3;
            for (uint32_t j = 0; j < k;) {
                const uint32_t piece = std::min(k - j, w - col);
                uint32_t first = 0;
                while (first < piece && alpha[size_t{j + first} * 4] == 0) ++first;
                if (first < piece) {
                    uint32_t last = piece - 1;
                    while (alpha[size_t{j + last} * 4] == 0) --last;
                    box.add(row, col + first, col + last);
                }
                j += piece;
                col += piece;
                if (col == w) {
                    col = 0;
                    ++row;
                }
            }
            if (k < n) break;
            pos += size_t{n} * 4;
        }
        remaining -= n;
    }
    return box;
}

}  // namespace

bool tgaFastLayout(std::span<const uint8_t> file, TgaLayout& layout) {
    TgaHeader header;
    if (!parseTgaHeader(file, header)) return false;
    const uint32_t mapType = header.mapType;
    const uint32_t imageType = header.imageType;
    const uint32_t width = header.width;
    const uint32_t height = header.height;
    const uint32_t depth = header.pixelDepth;
    const uint64_t count = uint64_t{width} * height;
    if (mapType != 0 || (imageType != 2 && imageType != 10) || (depth != 24 && depth != 32) ||
        count == 0 || count > TGA_MAX_PIXELS) {
        return false;
    }
    layout = TgaLayout{};
    layout.file = file;
    // Past the image ID; may lie past the end.
    layout.pixelPos = TGA_HEADER_SIZE + header.idLength;
    layout.width = width;
    layout.height = height;
    layout.bytesPerPixel = depth / 8;
    layout.depth = static_cast<int32_t>(depth);
    layout.descriptor = header.descriptor;
    layout.alphaBits = layout.descriptor & 0x0F;
    layout.format = 4;
    layout.runLength = imageType == 10;
    return true;
}

bool tgaHasFastPath(std::span<const uint8_t> file) {
    TgaLayout layout;
    return tgaFastLayout(file, layout);
}

bool tgaBoxNeedsPixels(std::span<const uint8_t> head) {
    TgaLayout layout;
    return !tgaFastLayout(head, layout) || (layout.depth != 24 && layout.alphaBits != 0);
}

bool findTgaBox(std::span<const uint8_t> file, TgaBox& box) {
    TgaLayout layout;
    if (!tgaFastLayout(file, layout)) return false;
    const uint32_t w = layout.width;
    const uint32_t h = layout.height;
    FileBox found;
    if (layout.depth == 24 || layout.alphaBits == 0) {
        found = FileBox{0, h - 1, 0, w - 1};
    } else {
        found = layout.runLength ? runLengthBox(layout) : rawBox(layout);
    }
    box = TgaBox{};
    box.width = static_cast<int32_t>(w);
    box.height = static_cast<int32_t>(h);
    if (found.empty()) return true;
    box.blank = false;
    // File rows run bottom to top unless bit 5 is set; columns right to left when bit 4 is.
    const bool topDown = (layout.descriptor & 0x20) != 0;
    const bool rightToLeft = (layout.descriptor & 0x10) != 0;
    box.top = static_cast<int32_t>(topDown ? found.minRow : h - 1 - found.maxRow);
    box.bottom = static_cast<int32_t>(topDown ? found.maxRow : h - 1 - found.minRow);
    box.left = static_cast<int32_t>(rightToLeft ? w - 1 - found.maxCol : found.minCol);
    box.right = static_cast<int32_t>(rightToLeft ? w - 1 - found.minCol : found.maxCol);
    return true;
}
