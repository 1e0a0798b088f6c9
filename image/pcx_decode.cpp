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

}  // namespace

PcxDecode decodePcxImage(uint8_t* indices, std::span<const uint8_t> file, int32_t width,
                         int32_t height) {
    if (width < 1 || height < 1) return checkMarker(file, PCX_HEADER_SIZE);

    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    const size_t stride = streamLineLength(file, w);
    const uint8_t* src = file.data();
    const size_t end = file.size();
    size_t pos = PCX_HEADER_SIZE;

    uint8_t* line = indices;  // the current row of the image
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
                    line[c++] = code;
                    ++p;
                    continue;
                }
                const size_t count = code - RUN_CODE;
                if (count > w - c || end - p < 2) break;
                const uint8_t value = src[p + 1];
                p += 2;
                if (count == 1) {
                    line[c] = value;  // how encoders store single indices of 0xC0 and up
                } else {
                    std::memset(line + c, value, count);
                }
                c += count;
            }
            pos = p;
            col = c;
            if (col == stride) {
                col = 0;
                line += w;
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
            if (col < w) std::memset(line + col, value, std::min(take, w - col));
            col += take;
            count -= take;
            if (col == stride) {
                col = 0;
                line += w;
                if (++row == h) {
                    return count > 0 ? PcxDecode::RunPastEnd : checkMarker(file, pos);
                }
            }
        }
    }

    // The data ended first: the pixels not reached are 0. A position in the padding has
    // stored the whole visible row already.
    const size_t done = row * w + std::min(col, w);
    std::memset(indices + done, 0, w * h - done);
    return PcxDecode::CutShort;
}
