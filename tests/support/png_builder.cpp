#include "tests/support/png_builder.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace testsupport {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// The filtered bytes of `row` under `type`, with `prior` the unfiltered row above.
std::vector<uint8_t> filterRow(const std::vector<uint8_t>& row, const std::vector<uint8_t>& prior,
                               size_t stride, uint8_t type) {
    std::vector<uint8_t> out(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= stride ? row[i - stride] : 0;
        const int b = prior[i];
        const int c = i >= stride ? prior[i - stride] : 0;
        int predictor = 0;
        switch (type) {
            case 1: predictor = a; break;
            case 2: predictor = b; break;
            case 3: predictor = (a + b) / 2; break;
            case 4: predictor = paeth(a, b, c); break;
            default: predictor = 0; break;  // 0, and the bad types a test writes on purpose
        }
        out[i] = static_cast<uint8_t>(row[i] - predictor);
    }
    return out;
}

// Copies pixel `from` of `src` to pixel `to` of `dst` (cleared), a bit at a time.
void copyPixel(const std::vector<uint8_t>& src, uint32_t from, std::vector<uint8_t>& dst,
               uint32_t to, uint32_t bits) {
    for (uint32_t k = 0; k < bits; ++k) {
        const size_t s = size_t{from} * bits + k;
        const size_t d = size_t{to} * bits + k;
        if ((src[s / 8] >> (7 - s % 8)) & 1u) dst[d / 8] |= static_cast<uint8_t>(0x80u >> (d % 8));
    }
}

}  // namespace

std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType,
                               uint8_t interlace, uint8_t compression, uint8_t filter) {
    std::vector<uint8_t> out;
    putU32(out, width);
    putU32(out, height);
    out.insert(out.end(), {depth, colourType, compression, filter, interlace});
    return out;
}

std::vector<uint8_t> filteredScanlines(const std::vector<std::vector<uint8_t>>& rows,
                                       size_t stride, const std::vector<uint8_t>& filters) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> prior(rows.empty() ? 0 : rows[0].size(), 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const uint8_t type = filters[i % filters.size()];
        out.push_back(type);
        const std::vector<uint8_t> filtered = filterRow(rows[i], prior, stride, type);
        out.insert(out.end(), filtered.begin(), filtered.end());
        prior = rows[i];
    }
    return out;
}

std::vector<uint8_t> interlacedScanlines(const std::vector<std::vector<uint8_t>>& rows,
                                         uint32_t width, uint32_t bitsPerPixel,
                                         const std::vector<uint8_t>& filters) {
    static constexpr uint32_t PASSES[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                              {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                              {0, 1, 1, 2}};
    const auto height = static_cast<uint32_t>(rows.size());
    const size_t stride = std::max<size_t>(1, bitsPerPixel / 8);
    std::vector<uint8_t> out;
    for (const auto& p : PASSES) {
        const uint32_t passWidth = width > p[0] ? (width - p[0] + p[2] - 1) / p[2] : 0;
        if (passWidth == 0 || height <= p[1]) continue;
        std::vector<std::vector<uint8_t>> passRows;
        for (uint32_t y = p[1]; y < height; y += p[3]) {
            std::vector<uint8_t> row((size_t{passWidth} * bitsPerPixel + 7) / 8, 0);
            for (uint32_t k = 0; k < passWidth; ++k) {
                copyPixel(rows[y], p[0] + k * p[2], row, k, bitsPerPixel);
            }
            passRows.push_back(row);
        }
        const std::vector<uint8_t> scanlines = filteredScanlines(passRows, stride, filters);
        out.insert(out.end(), scanlines.begin(), scanlines.end());
    }
    return out;
}

std::vector<uint8_t> zlibDeflated(std::span<const uint8_t> raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

std::vector<uint8_t> zlibStored(std::span<const uint8_t> raw, size_t block) {
    std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window, check bits right
    size_t pos = 0;
    do {
        const size_t n = std::min(block, raw.size() - pos);
        const bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(~n));
        out.push_back(static_cast<uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                   raw.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    putU32(out, static_cast<uint32_t>(adler32(1, raw.data(), static_cast<uInt>(raw.size()))));
    return out;
}

std::vector<uint8_t> pngFile(const std::vector<PngChunk>& chunks) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const PngChunk& chunk : chunks) {
        putU32(out, static_cast<uint32_t>(chunk.data.size()));
        const size_t typeAt = out.size();
        out.insert(out.end(), chunk.type.begin(), chunk.type.end());
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt)));
        putU32(out, crc ^ chunk.crcFlip);
    }
    return out;
}

std::vector<uint8_t> pngFile(const std::vector<uint8_t>& header,
                             const std::vector<uint8_t>& stream,
                             const std::vector<PngChunk>& before,
                             const std::vector<PngChunk>& after, size_t idatBytes) {
    std::vector<PngChunk> chunks = {{"IHDR", header}};
    chunks.insert(chunks.end(), before.begin(), before.end());
    size_t pos = 0;
    do {
        const size_t n = std::min(idatBytes, stream.size() - pos);
        chunks.push_back({"IDAT", {stream.begin() + static_cast<ptrdiff_t>(pos),
                                   stream.begin() + static_cast<ptrdiff_t>(pos + n)}});
        pos += n;
    } while (pos < stream.size());
    chunks.insert(chunks.end(), after.begin(), after.end());
    chunks.push_back({"IEND", {}});
    return pngFile(chunks);
}

}  // namespace testsupport
