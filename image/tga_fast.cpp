// Fast TGA decoding: one row decoder per stored pixel layout, writing straight into the output
// rows. Each gives exactly what the per-pixel steps give (readTgaPixel, convertTgaValue,
// storeTgaPixel): the converters use tables built from the same arithmetic, and data that ends
// early turns every pixel from there on into the conversion of value 0, as a stream would.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>

#include "filesys/allocate.hpp"
#include "image/tga.hpp"
#include "image/tga_convert.hpp"
#include "image/tga_internal.hpp"
#include "image/tga_sprite.hpp"

// Pixels are read and stored as 32-bit words whose low byte comes first in memory.
static_assert(std::endian::native == std::endian::little, "little-endian hosts only");

namespace {

// ---- Converters: a stored pixel's bytes to the output value (the true-colour ones are in
// tga_convert.hpp) ----

struct Conv555 {
    static constexpr uint32_t BYTES = 2;
    const uint8_t* levels5;
    uint32_t operator()(const uint8_t* p) const {
        uint32_t v = p[0] | uint32_t{p[1]} << 8;
        return levels5[(v >> 10) & 0x1F] | uint32_t{levels5[(v >> 5) & 0x1F]} << 8 |
               uint32_t{levels5[v & 0x1F]} << 16 | 0xFF000000u;
    }
};

struct Conv565 {
    static constexpr uint32_t BYTES = 2;
    const uint8_t* levels5;
    const uint8_t* levels6;
    uint32_t operator()(const uint8_t* p) const {
        uint32_t v = p[0] | uint32_t{p[1]} << 8;
        return levels5[(v >> 11) & 0x1F] | uint32_t{levels6[(v >> 5) & 0x3F]} << 8 |
               uint32_t{levels5[v & 0x1F]} << 16 | 0xFF000000u;
    }
};

template <uint32_t Bytes>
struct ConvGrey {  // grey in the low byte, opaque; any further bytes are ignored
    static constexpr uint32_t BYTES = Bytes;
    uint32_t operator()(const uint8_t* p) const { return p[0] * 0x010101u | 0xFF000000u; }
};

struct ConvGreyAlpha16 {  // black-and-white 16-bit with alpha bits: grey, then alpha
    static constexpr uint32_t BYTES = 2;
    const uint8_t* premultiply;
    uint32_t operator()(const uint8_t* p) const {
        uint32_t alpha = p[1];
        return premultiply[alpha * 256 + p[0]] * 0x010101u | alpha << 24;
    }
};

struct ConvPal8 {
    static constexpr uint32_t BYTES = 1;
    const uint32_t* palette;  // 256 converted values, one for every index byte
    uint32_t operator()(const uint8_t* p) const { return palette[p[0]]; }
};

struct ConvPal16 {
    static constexpr uint32_t BYTES = 2;
    const uint32_t* palette;  // the converted stored entries
    uint32_t length;
    uint32_t firstIndex;
    uint32_t outside;  // the conversion of value 0, for positions outside the stored entries
    uint32_t operator()(const uint8_t* p) const {
        uint32_t position = (p[0] | uint32_t{p[1]} << 8) - firstIndex;  // wraps when below
        return position < length ? palette[position] : outside;
    }
};

// ---- The output side: pixels in file order, stored at their place by the origin bits ----

template <uint32_t Format>
inline void storePixel(uint8_t* p, uint32_t value) {
    if constexpr (Format == 4) {
        std::memcpy(p, &value, 4);
    } else {
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
    }
}

template <uint32_t Format, bool RightToLeft>
class RowSink {
  public:
    RowSink(uint8_t* image, uint32_t width, uint32_t height, bool topDown)
        : image_(image), width_(width), height_(height), topDown_(topDown) {
        startRow();
    }

    // Every pixel is stored, so the walk never ends early.
    static bool done() { return false; }

    // Stores n converted pixels read from src; returns where reading stopped.
    template <class Conv>
    const uint8_t* put(const uint8_t* src, uint32_t n, const Conv& conv) {
        while (n > 0) {
            uint32_t k = n < width_ - column_ ? n : width_ - column_;
            uint8_t* dst = firstTarget();
            for (uint32_t j = 0; j < k; ++j) {
                storePixel<Format>(target(dst, j), conv(src));
                src += Conv::BYTES;
            }
            advance(k);
            n -= k;
        }
        return src;
    }

    // Stores n copies of one value. Equal pixels fill a contiguous stretch of a row whichever
    // way the row runs, so each stretch is filled by doubling copies, and whole rows after the
    // first are copies of it.
    void fill(uint32_t value, uint32_t n) {
        const uint8_t* fullRow = nullptr;
        while (n > 0) {
            uint32_t k = n < width_ - column_ ? n : width_ - column_;
            uint8_t* dst = firstTarget();
            uint8_t* low = RightToLeft ? dst - static_cast<size_t>(k - 1) * Format : dst;
            if (k == width_ && fullRow != nullptr) {
                std::memcpy(low, fullRow, static_cast<size_t>(k) * Format);
            } else {
                fillStretch(low, k, value);
                if (k == width_) fullRow = low;
            }
            advance(k);
            n -= k;
        }
    }

  private:
    static void fillStretch(uint8_t* low, uint32_t count, uint32_t value) {
        if (count <= 16) {  // short runs: plain stores beat the copies
            for (uint32_t j = 0; j < count; ++j) storePixel<Format>(low + j * Format, value);
            return;
        }
        storePixel<Format>(low, value);
        const size_t total = static_cast<size_t>(count) * Format;
        size_t done = Format;
        while (done < total) {
            size_t n = done < total - done ? done : total - done;
            std::memcpy(low + done, low, n);
            done += n;
        }
    }
    uint8_t* firstTarget() const {
        uint32_t x = RightToLeft ? width_ - 1 - column_ : column_;
        return row_ + static_cast<size_t>(x) * Format;
    }
    static uint8_t* target(uint8_t* first, uint32_t j) {
        return RightToLeft ? first - static_cast<size_t>(j) * Format
                           : first + static_cast<size_t>(j) * Format;
    }
    void advance(uint32_t k) {
        column_ += k;
        if (column_ == width_) {
            column_ = 0;
            ++fileRow_;
            startRow();
        }
    }
    void startRow() {
        if (fileRow_ >= height_) return;  // past the last pixel; nothing more is stored
        uint32_t y = topDown_ ? height_ - 1 - fileRow_ : fileRow_;
        row_ = image_ + static_cast<size_t>(y) * width_ * Format;
    }

    uint8_t* image_;
    uint32_t width_;
    uint32_t height_;
    bool topDown_;
    uint8_t* row_ = nullptr;
    uint32_t fileRow_ = 0;
    uint32_t column_ = 0;
};

// Stores only the pixels inside a box, converted, into a block of the box's size whose rows
// run top first; the rest are read past. Once the walk is beyond the box's last file row,
// nothing later can fall inside it.
class CropSink {
  public:
    CropSink(uint8_t* out, const TgaLayout& layout, const TgaBox& box)
        : out_(out),
          width_(layout.width),
          height_(layout.height),
          topDown_((layout.descriptor & 0x20) != 0),
          rightToLeft_((layout.descriptor & 0x10) != 0),
          left_(static_cast<uint32_t>(box.left)),
          top_(static_cast<uint32_t>(box.top)),
          boxWidth_(static_cast<uint32_t>(box.right - box.left + 1)),
          step_((layout.descriptor & 0x10) != 0 ? -4 : 4) {
        const auto right = static_cast<uint32_t>(box.right);
        const auto bottom = static_cast<uint32_t>(box.bottom);
        firstRow_ = topDown_ ? top_ : height_ - 1 - bottom;
        lastRow_ = topDown_ ? bottom : height_ - 1 - top_;
        firstColumn_ = rightToLeft_ ? width_ - 1 - right : left_;
        lastColumn_ = rightToLeft_ ? width_ - 1 - left_ : right;
    }

    bool done() const { return fileRow_ > lastRow_; }

    template <class Conv>
    const uint8_t* put(const uint8_t* src, uint32_t n, const Conv& conv) {
        while (n > 0 && !done()) {
            const uint32_t k = piece(n);
            uint32_t from = 0;
            uint32_t to = 0;
            if (overlap(k, from, to)) {
                const uint8_t* p = src + size_t{from - column_} * Conv::BYTES;
                uint8_t* dst = target(from);
                for (uint32_t c = from; c < to; ++c, p += Conv::BYTES, dst += step_) {
                    const uint32_t value = conv(p);
                    std::memcpy(dst, &value, 4);
                }
            }
            src += size_t{k} * Conv::BYTES;
            advance(k);
            n -= k;
        }
        return src;
    }

    void fill(uint32_t value, uint32_t n) {
        while (n > 0 && !done()) {
            const uint32_t k = piece(n);
            uint32_t from = 0;
            uint32_t to = 0;
            if (overlap(k, from, to)) {
                // Equal pixels fill a contiguous stretch whichever way the row runs.
                uint8_t* dst = target(rightToLeft_ ? to - 1 : from);
                for (uint32_t c = from; c < to; ++c, dst += 4) std::memcpy(dst, &value, 4);
            }
            advance(k);
            n -= k;
        }
    }

  private:
    // How many of the next n pixels to take at once: up to the end of the row, or every row
    // before the box's first at one go.
    uint32_t piece(uint32_t n) const {
        if (fileRow_ < firstRow_ && column_ == 0) {
            const uint64_t before = uint64_t{firstRow_ - fileRow_} * width_;
            if (n >= width_) return static_cast<uint32_t>(std::min<uint64_t>(n / width_ * width_, before));
        }
        return n < width_ - column_ ? n : width_ - column_;
    }
    // The file columns [from, to) of the next k pixels of this row that lie in the box.
    bool overlap(uint32_t k, uint32_t& from, uint32_t& to) const {
        if (fileRow_ < firstRow_ || k > width_ - column_) return false;
        from = column_ > firstColumn_ ? column_ : firstColumn_;
        const uint32_t end = column_ + k - 1 < lastColumn_ ? column_ + k - 1 : lastColumn_;
        to = end + 1;
        return from <= end;
    }
    // Where file column c of the current row goes in the block.
    uint8_t* target(uint32_t fileColumn) const {
        const uint32_t x = rightToLeft_ ? width_ - 1 - fileColumn : fileColumn;
        const uint32_t y = topDown_ ? fileRow_ : height_ - 1 - fileRow_;
        return out_ + (size_t{y - top_} * boxWidth_ + (x - left_)) * 4;
    }
    void advance(uint32_t k) {
        column_ += k;
        if (column_ >= width_) {  // whole rows at once only from a row's start
            fileRow_ += column_ / width_;
            column_ %= width_;
        }
    }

    uint8_t* out_;
    uint32_t width_;
    uint32_t height_;
    bool topDown_;
    bool rightToLeft_;
    uint32_t left_;
    uint32_t top_;
    uint32_t boxWidth_;
    std::ptrdiff_t step_;  // from one file column to the next in the block
    uint32_t firstRow_ = 0;
    uint32_t lastRow_ = 0;
    uint32_t firstColumn_ = 0;
    uint32_t lastColumn_ = 0;
    uint32_t fileRow_ = 0;
    uint32_t column_ = 0;
};

// The walk over the stored pixels, in file order, into a sink. `zero` is what a pixel that
// cannot be read becomes: the conversion of value 0 (looked up in the colour map where there
// is one). Once a read fails every later read fails too.
template <class Sink, class Conv>
void walkPixels(const TgaLayout& layout, Sink& sink, const Conv& conv, uint32_t zero) {
    constexpr uint32_t BYTES = Conv::BYTES;
    const uint8_t* data = layout.file.data();
    const size_t size = layout.file.size();
    size_t pos = layout.pixelPos < size ? layout.pixelPos : size;
    uint32_t remaining = layout.width * layout.height;

    if (!layout.runLength) {
        size_t whole = (size - pos) / BYTES;
        uint32_t n = whole < remaining ? static_cast<uint32_t>(whole) : remaining;
        sink.put(data + pos, n, conv);
        sink.fill(zero, remaining - n);
        return;
    }
    while (remaining > 0 && !sink.done()) {
        if (pos >= size) break;
        uint32_t header = data[pos++];
        uint32_t n = (header & 0x7F) + 1;
        if (n > remaining) n = remaining;  // a packet past the last pixel is clipped
        if ((header & 0x80) != 0) {
            if (size - pos < BYTES) break;
            sink.fill(conv(data + pos), n);
            pos += BYTES;
        } else {
            size_t whole = (size - pos) / BYTES;
            if (whole < n) {
                sink.put(data + pos, static_cast<uint32_t>(whole), conv);
                remaining -= static_cast<uint32_t>(whole);
                break;
            }
            sink.put(data + pos, n, conv);
            pos += size_t{n} * BYTES;
        }
        remaining -= n;
    }
    sink.fill(zero, remaining);
}

template <uint32_t Format, bool RightToLeft, class Conv>
void decodeWith(const TgaLayout& layout, uint8_t* image, const Conv& conv, uint32_t zero) {
    RowSink<Format, RightToLeft> sink(image, layout.width, layout.height,
                                      (layout.descriptor & 0x20) != 0);
    walkPixels(layout, sink, conv, zero);
}

template <class Conv>
void decodeAny(const TgaLayout& layout, uint8_t* image, const Conv& conv, uint32_t zero) {
    const bool rightToLeft = (layout.descriptor & 0x10) != 0;
    if (layout.format == 4) {
        if (rightToLeft) {
            decodeWith<4, true>(layout, image, conv, zero);
        } else {
            decodeWith<4, false>(layout, image, conv, zero);
        }
    } else {
        if (rightToLeft) {
            decodeWith<3, true>(layout, image, conv, zero);
        } else {
            decodeWith<3, false>(layout, image, conv, zero);
        }
    }
}

uint32_t convert(const TgaLayout& layout, uint32_t value) {
    return convertTgaValue(value, layout.depth, layout.alphaBits, layout.format,
                           layout.blackAndWhite);
}

}  // namespace

bool decodeTgaFast(const TgaLayout& layout, uint8_t* image) {
    // The colour-mapped, grey and 15/16-bit decoders stay although such files are rare: a run on
    // a set of them spends five to eight times the CPU time with the per-pixel decoding.
    const uint32_t bpp = layout.bytesPerPixel;
    if (layout.hasMap) {
        const uint32_t zero = convert(layout, lookupTgaColour(layout.map, 0));
        if (bpp == 1) {
            uint32_t palette[256];
            for (uint32_t v = 0; v < 256; ++v) {
                palette[v] = convert(layout, lookupTgaColour(layout.map, v));
            }
            decodeAny(layout, image, ConvPal8{palette}, zero);
            return true;
        }
        if (bpp == 2) {
            std::unique_ptr<uint32_t[]> palette = tryAllocate<uint32_t>(layout.map.length);
            if (!palette) return false;  // the generic decoding needs no palette
            for (uint32_t i = 0; i < layout.map.length; ++i) {
                palette[i] =
                    convert(layout, lookupTgaColour(layout.map, layout.map.firstIndex + i));
            }
            decodeAny(layout, image,
                      ConvPal16{palette.get(), layout.map.length, layout.map.firstIndex,
                                convert(layout, 0)},
                      zero);
            return true;
        }
        return false;
    }

    const uint32_t zero = convert(layout, 0);
    const int32_t depth = layout.depth;
    switch (bpp) {
        case 1:  // depth 0 to 8: grey
            decodeAny(layout, image, ConvGrey<1>{}, zero);
            return true;
        case 2:  // depth 9 to 16
            if (depth == 16 && layout.blackAndWhite) {
                if (layout.alphaBits != 0) {
                    decodeAny(layout, image, ConvGreyAlpha16{tgaPremultiplyTable()}, zero);
                } else {
                    decodeAny(layout, image, ConvGrey<2>{}, zero);
                }
            } else if (depth == 16 && layout.alphaBits != 1) {
                decodeAny(layout, image, Conv565{tgaLevels5(), tgaLevels6()}, zero);
            } else {
                decodeAny(layout, image, Conv555{tgaLevels5()}, zero);
            }
            return true;
        case 3:  // depth 17 to 24
            decodeAny(layout, image, ConvBgr24{}, zero);
            return true;
        case 4:  // depth 25 to 32
            if (layout.alphaBits != 0) {
                decodeAny(layout, image, ConvBgra32{tgaPremultiplyTable()}, zero);
            } else {
                decodeAny(layout, image, ConvBgrx32{}, zero);
            }
            return true;
        default:
            return false;
    }
}

bool cropTgaRunLength(const TgaLayout& layout, const TgaBox& box, uint8_t* out) {
    if (!layout.runLength || layout.hasMap || layout.format != 4 || box.blank) return false;
    CropSink sink(out, layout, box);
    const uint32_t zero = convert(layout, 0);
    switch (layout.bytesPerPixel) {
        case 3:
            walkPixels(layout, sink, ConvBgr24{}, zero);
            return true;
        case 4:
            if (layout.alphaBits != 0) {
                walkPixels(layout, sink, ConvBgra32{tgaPremultiplyTable()}, zero);
            } else {
                walkPixels(layout, sink, ConvBgrx32{}, zero);
            }
            return true;
        default:
            return false;
    }
}
