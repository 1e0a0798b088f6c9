// Run-length decoding of PCX pixel data into an index image.
#include <algorithm>
#include <cstring>

#include "image/pcx.hpp"

namespace {

constexpr size_t BYTES_PER_LINE_OFFSET = 66;
constexpr uint8_t RUN_CODE = 0xC0;  // codes from here up are runs of (code - 0xC0) pixels
constexpr uint8_t PALETTE_MARKER = 12;

// Scan line length in the encoded stream. Encoders pad odd widths to an even BytesPerLine;
// a value of 0 or one not above the width means lines of exactly the width.
size_t streamLineLength(std::span<const uint8_t> file, size_t width) {
    if (file.size() < BYTES_PER_LINE_OFFSET + 2) return width;
    size_t bytesPerLine =
        file[BYTES_PER_LINE_OFFSET] | static_cast<size_t>(file[BYTES_PER_LINE_OFFSET + 1]) << 8;
    return std::max(bytesPerLine, width);
}

PcxDecode checkMarker(std::span<const uint8_t> file, size_t pos) {
    return pos < file.size() && file[pos] == PALETTE_MARKER ? PcxDecode::MarkerFound
                                                            : PcxDecode::MarkerMissing;
}

// The one walk over the encoded stream that both the decoder and the box finder take, so a
// file ends (marker found or missing, run past the end, cut short) the same way for both. The
// sink hears every piece of a row that the data sets: `pixel(row, col, value)` for a literal,
// `fill(row, col, count, value)` for a run, `rest(row, col)` when the data ends first.
template <class Sink>
PcxDecode walkPcx(Sink& sink, std::span<const uint8_t> file, int32_t width, int32_t height) {
    if (width < 1 || height < 1) return checkMarker(file, PCX_HEADER_SIZE);

    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    const size_t stride = streamLineLength(file, w);
    const uint8_t* src = file.data();
    const size_t end = file.size();
    size_t pos = PCX_HEADER_SIZE;

    size_t row = 0;
    size_t col = 0;  // position within the stream's scan line, padding included

    for (;;) {
        if (pos >= end) break;

        // The common case, kept tight: codes whose pixels all land in the visible part of
        // the current row. Anything else (a run across the row end, the padding, a run code
        // without its value) goes to the general step below.
        if (col < w) {
            size_t c = col;
            size_t p = pos;
            while (c < w && p < end) {
                const uint8_t code = src[p];
                if (code < RUN_CODE) {
                    sink.pixel(row, c++, code);
                    ++p;
                    continue;
                }
                const size_t count = code - RUN_CODE;
                if (count > w - c || end - p < 2) break;
                const uint8_t value = src[p + 1];
                p += 2;
                if (count == 1) {
                    sink.pixel(row, c, value);  // how encoders store indices of 0xC0 and up
                } else {
                    sink.fill(row, c, count, value);
                }
                c += count;
            }
            pos = p;
            col = c;
            if (col == stride) {
                col = 0;
                if (++row == h) return checkMarker(file, pos);
                continue;
            }
            if (pos >= end) break;
        }

        // A run, or a literal that falls into the padding.
        const uint8_t code = src[pos++];
        uint8_t value = code;
        size_t count = 1;
        if (code >= RUN_CODE) {
            if (pos >= end) break;
            value = src[pos++];
            count = code - RUN_CODE;
        }
        // Runs are not bound to scan lines: what is left at the end of one goes on the next.
        while (count > 0) {
            const size_t take = std::min(count, stride - col);
            if (col < w) sink.fill(row, col, std::min(take, w - col), value);
            col += take;
            count -= take;
            if (col == stride) {
                col = 0;
                if (++row == h) {
                    return count > 0 ? PcxDecode::RunPastEnd : checkMarker(file, pos);
                }
            }
        }
    }

    // The data ended first: the pixels not reached are 0. A position in the padding has
    // stored the whole visible row already.
    sink.rest(row, std::min(col, w));
    return PcxDecode::CutShort;
}

// Stores every index into the image.
struct ImageSink {
    uint8_t* indices;
    size_t w;
    size_t h;
    void pixel(size_t row, size_t col, uint8_t value) { indices[row * w + col] = value; }
    void fill(size_t row, size_t col, size_t count, uint8_t value) {
        std::memset(indices + row * w + col, value, count);
    }
    void rest(size_t row, size_t col) {
        const size_t done = row * w + col;
        std::memset(indices + done, 0, w * h - done);
    }
};

// Grows the box of the pixels that are not `transparent`.
struct BoxSink {
    size_t w;
    size_t h;
    uint8_t transparent;
    PcxBox box;
    void add(size_t row, size_t first, size_t last) {
        box.top = std::min(box.top, row);
        box.bottom = std::max(box.bottom, row);
        box.left = std::min(box.left, first);
        box.right = std::max(box.right, last);
    }
    void pixel(size_t row, size_t col, uint8_t value) {
        if (value != transparent) add(row, col, col);
    }
    void fill(size_t row, size_t col, size_t count, uint8_t value) {
        if (count != 0 && value != transparent) add(row, col, col + count - 1);
    }
    // Index 0 fills the rest, visible unless 0 is the transparent index.
    void rest(size_t row, size_t col) {
        if (transparent == 0) return;
        if (col < w) add(row, col, w - 1);
        if (row + 1 < h) {
            add(row + 1, 0, w - 1);
            add(h - 1, 0, w - 1);
        }
    }
};

}  // namespace

PcxDecode decodePcxImage(uint8_t* indices, std::span<const uint8_t> file, int32_t width,
                         int32_t height) {
    ImageSink sink{indices, static_cast<size_t>(std::max(width, 0)),
                   static_cast<size_t>(std::max(height, 0))};
    return walkPcx(sink, file, width, height);
}

PcxDecode findPcxBox(std::span<const uint8_t> file, int32_t width, int32_t height,
                     uint8_t transparent, PcxBox& box) {
    BoxSink sink{static_cast<size_t>(std::max(width, 0)), static_cast<size_t>(std::max(height, 0)),
                 transparent, PcxBox{}};
    const PcxDecode ended = walkPcx(sink, file, width, height);
    box = sink.box;
    return ended;
}
