// The PNG reader's pixel decoding: the IDAT run inflated as one zlib stream, its scanlines
// unfiltered one at a time, each converted to straight 8-bit RGBA.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "filesys/allocate.hpp"
#include "image/png_internal.hpp"

namespace {

constexpr size_t RGBA_BYTES = 4;
constexpr size_t CHUNK_HEAD = 8;  // length and type
constexpr size_t CHUNK_OVERHEAD = 12;
// Inflated bytes are staged through this block, so that zlib decodes in long runs even where
// scanlines are short; a request at least this long is inflated straight into its place.
constexpr size_t STAGE_BYTES = size_t{32} << 10;

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// One of the seven Adam7 passes, or the whole picture for a file without interlace.
struct Pass {
    uint32_t x0;
    uint32_t y0;
    uint32_t dx;
    uint32_t dy;
};
constexpr Pass WHOLE_PICTURE = {0, 0, 1, 1};
constexpr Pass ADAM7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

uint32_t passSide(uint32_t side, uint32_t start, uint32_t step) {
    return side > start ? (side - start + step - 1) / step : 0;
}

// How the samples of a scanline become RGBA.
struct PixelFormat {
    uint8_t colourType = 0;
    uint8_t depth = 0;
    uint32_t channels = 1;
    size_t filterStride = 1;  // bytes from a byte to the same byte of the pixel before
    bool hasKey = false;      // a tRNS colour key that some sample value can match
    uint32_t key[3] = {};
    uint32_t paletteEntries = 0;
    uint8_t palette[256 * RGBA_BYTES] = {};
    bool opaque = true;         // no pixel can have an alpha below 255
    bool indicesFit = true;     // no index can reach past PLTE

    size_t rowBytes(uint32_t width) const {
        return static_cast<size_t>((uint64_t{width} * channels * depth + 7) / 8);
    }
};

uint32_t readU16(const uint8_t* p) {
    return uint32_t{p[0]} << 8 | p[1];
}

PixelFormat pixelFormat(const PngLayout& layout) {
    PixelFormat f;
    f.colourType = layout.colourType;
    f.depth = layout.depth;
    constexpr uint32_t CHANNELS[7] = {1, 0, 3, 1, 2, 0, 4};
    f.channels = CHANNELS[layout.colourType];
    f.filterStride = std::max<size_t>(1, f.channels * f.depth / 8);
    const uint32_t maxSample = (uint32_t{1} << f.depth) - 1;
    const std::span<const uint8_t> trns = layout.transparency;
    switch (layout.colourType) {
        case 0:
        case 2: {
            // A key of the wrong length, or one no sample can take, matches nothing.
            const size_t keyChannels = layout.colourType == 0 ? 1 : 3;
            if (trns.size() != keyChannels * 2) break;
            bool fits = true;
            for (size_t c = 0; c < keyChannels; ++c) {
                f.key[c] = readU16(trns.data() + c * 2);
                fits = fits && f.key[c] <= maxSample;
            }
            f.hasKey = fits;
            f.opaque = !fits;
            break;
        }
        case 3: {
            f.paletteEntries = static_cast<uint32_t>(layout.palette.size() / 3);
            for (uint32_t i = 0; i < f.paletteEntries; ++i) {
                uint8_t* entry = f.palette + i * RGBA_BYTES;
                std::memcpy(entry, layout.palette.data() + i * 3, 3);
                entry[3] = i < trns.size() ? trns[i] : 255;
                if (entry[3] != 255) f.opaque = false;
            }
            f.indicesFit = f.paletteEntries > maxSample;
            break;
        }
        default:  // grey+alpha and RGBA carry their own alpha; tRNS means nothing to them
            f.opaque = false;
            break;
    }
    return f;
}

// Sample i of a scanline of samples below 8 bits, packed from the high bits down.
uint32_t smallSample(const uint8_t* raw, uint32_t i, uint32_t depth) {
    const uint32_t perByte = 8 / depth;
    const uint32_t shift = 8 - depth * (i % perByte + 1);
    return (raw[i / perByte] >> shift) & ((1u << depth) - 1);
}

void putPixel(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = a;
}

// Converts `count` pixels of an unfiltered scanline; false when an index reaches past PLTE.
bool convertRow(const PixelFormat& f, const uint8_t* raw, uint32_t count, uint8_t* out) {
    const bool wide = f.depth == 16;
    switch (f.colourType) {
        case 0:
            if (f.depth < 8) {
                const uint32_t scale = 255 / ((1u << f.depth) - 1);
                for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES) {
                    const uint32_t v = smallSample(raw, i, f.depth);
                    const auto g = static_cast<uint8_t>(v * scale);
                    putPixel(out, g, g, g, f.hasKey && v == f.key[0] ? 0 : 255);
                }
            } else {
                for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES) {
                    const uint8_t* p = raw + (wide ? i * 2 : i);
                    const uint32_t v = wide ? readU16(p) : p[0];
                    putPixel(out, p[0], p[0], p[0], f.hasKey && v == f.key[0] ? 0 : 255);
                }
            }
            return true;
        case 2: {
            const size_t step = wide ? 6 : 3;
            for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES, raw += step) {
                const size_t b = wide ? 2 : 1;
                bool keyed = f.hasKey;
                for (size_t c = 0; c < 3 && keyed; ++c) {
                    keyed = (wide ? readU16(raw + c * 2) : raw[c]) == f.key[c];
                }
                putPixel(out, raw[0], raw[b], raw[2 * b], keyed ? 0 : 255);
            }
            return true;
        }
        case 3:
            for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES) {
                const uint32_t index = f.depth < 8 ? smallSample(raw, i, f.depth) : raw[i];
                if (index >= f.paletteEntries) return false;
                std::memcpy(out, f.palette + index * RGBA_BYTES, RGBA_BYTES);
            }
            return true;
        case 4: {
            const size_t step = wide ? 4 : 2;
            const size_t a = wide ? 2 : 1;
            for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES, raw += step) {
                putPixel(out, raw[0], raw[0], raw[0], raw[a]);
            }
            return true;
        }
        default:
            if (!wide) {
                std::memcpy(out, raw, size_t{count} * RGBA_BYTES);
                return true;
            }
            for (uint32_t i = 0; i < count; ++i, out += RGBA_BYTES, raw += 8) {
                putPixel(out, raw[0], raw[2], raw[4], raw[6]);
            }
            return true;
    }
}

// The IDAT run's data as one zlib stream, inflated on demand.
class ImageData {
  public:
    ImageData(std::span<const uint8_t> file, const PngLayout& layout)
        : file_(file), next_(layout.dataStart), end_(layout.dataEnd) {}
    ~ImageData() {
        if (started_) inflateEnd(&stream_);
    }
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // zlib inflates the deflate data alone: the stream's two-byte header and its Adler-32 are
    // checked here, as zlib would check them.
    PngError start() {
        const int z = inflateInit2(&stream_, -MAX_WBITS);
        if (z == Z_MEM_ERROR) return PngError::noMemory;
        if (z != Z_OK) return PngError::badStream;
        started_ = true;
        uint8_t header[2];
        if (!readStreamBytes(header, 2)) return PngError::badStream;
        const uint32_t method = header[0] & 0x0F;
        const uint32_t windowBits = (header[0] >> 4) + 8;
        const bool presetDictionary = (header[1] & 0x20) != 0;
        if (method != Z_DEFLATED || windowBits > MAX_WBITS || presetDictionary ||
            (uint32_t{header[0]} << 8 | header[1]) % 31 != 0) {
            return PngError::badStream;
        }
        return PngError::none;
    }

    // Fills `out` with the next `count` inflated bytes.
    PngError read(uint8_t* out, size_t count) {
        while (count > 0) {
            if (stagePos_ < stageEnd_) {
                const size_t n = std::min(count, stageEnd_ - stagePos_);
                std::memcpy(out, stage_ + stagePos_, n);
                stagePos_ += n;
                out += n;
                count -= n;
                continue;
            }
            if (ended_) return PngError::tooLittleData;
            if (count >= STAGE_BYTES) {
                size_t produced = 0;
                const PngError e = inflateInto(out, count, produced);
                if (e != PngError::none) return e;
                out += produced;
                count -= produced;
                continue;
            }
            size_t produced = 0;
            const PngError e = inflateInto(stage_, STAGE_BYTES, produced);
            if (e != PngError::none) return e;
            stagePos_ = 0;
            stageEnd_ = produced;
        }
        return PngError::none;
    }

    // Inflates what is left of the stream, so that its end and its Adler-32 are checked;
    // what it holds beyond the picture, and the bytes after its end, are not used.
    PngError finish() {
        while (!ended_) {
            size_t produced = 0;
            const PngError e = inflateInto(stage_, STAGE_BYTES, produced);
            if (e != PngError::none) return e;
        }
        return PngError::none;
    }

  private:
    // Takes `count` bytes of the stream itself, outside the deflate data.
    bool readStreamBytes(uint8_t* out, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            if (stream_.avail_in == 0 && !feed()) return false;
            out[i] = *stream_.next_in;
            ++stream_.next_in;
            --stream_.avail_in;
        }
        return true;
    }

    PngError checkAdler() {
        uint8_t stored[4];
        if (!readStreamBytes(stored, 4)) return PngError::badStream;
        return readU32(stored) == adler_ ? PngError::none : PngError::badStream;
    }

    // Gives zlib the next IDAT chunk's data; false when the run has no more.
    bool feed() {
        while (next_ < end_) {
            const uint32_t length = readU32(file_.data() + next_);
            stream_.next_in = const_cast<Bytef*>(file_.data() + next_ + CHUNK_HEAD);
            stream_.avail_in = length;
            next_ += CHUNK_OVERHEAD + length;
            if (length > 0) return true;
        }
        return false;
    }

    // Inflates into out[0, room) until it is full or the stream ends.
    PngError inflateInto(uint8_t* out, size_t room, size_t& produced) {
        // zlib counts in 32 bits; a larger request is served in parts.
        const auto chunk = static_cast<uInt>(std::min<size_t>(room, uInt{1} << 30));
        stream_.next_out = out;
        stream_.avail_out = chunk;
        bool more = true;
        while (stream_.avail_out > 0) {
            // zlib may still have output to give without input (the rest of a match).
            if (stream_.avail_in == 0) more = feed();
            const int z = inflate(&stream_, Z_NO_FLUSH);
            if (z == Z_STREAM_END) {
                ended_ = true;
                break;
            }
            if (z == Z_MEM_ERROR) return PngError::noMemory;
            // No progress possible: with no input left, the stream was cut off.
            if (z == Z_BUF_ERROR) {
                if (!more) return PngError::badStream;
            } else if (z != Z_OK) {
                return PngError::badStream;
            }
        }
        produced = chunk - stream_.avail_out;
        adler_ = pngAdler32(adler_, out, produced);
        return ended_ ? checkAdler() : PngError::none;
    }

    std::span<const uint8_t> file_;
    size_t next_;
    size_t end_;
    z_stream stream_{};
    bool started_ = false;
    bool ended_ = false;
    uint32_t adler_ = 1;
    uint8_t stage_[STAGE_BYTES];
    size_t stagePos_ = 0;
    size_t stageEnd_ = 0;
};

// Decodes every scanline of every pass in file order, handing each unfiltered one to
// onRow(pass, passWidth, y, raw), y the row of the picture; onRow returns what stops the
// decode, or none. The whole stream is checked after the last scanline.
template <class OnRow>
PngError decodeScanlines(std::span<const uint8_t> file, const PngLayout& layout,
                         const PixelFormat& format, OnRow&& onRow) {
    const size_t widest = format.rowBytes(layout.width);
    // Two scanlines, each after its filter byte; the one above starts as zeros.
    std::unique_ptr<uint8_t[]> rows = tryAllocate<uint8_t>(2 * (widest + 1));
    if (!rows) return PngError::noMemory;
    ImageData data(file, layout);
    PngError e = data.start();
    if (e != PngError::none) return e;

    const std::span<const Pass> passes =
        layout.interlaced ? std::span<const Pass>(ADAM7) : std::span<const Pass>(&WHOLE_PICTURE, 1);
    for (const Pass& pass : passes) {
        const uint32_t passWidth = passSide(layout.width, pass.x0, pass.dx);
        const uint32_t passHeight = passSide(layout.height, pass.y0, pass.dy);
        if (passWidth == 0 || passHeight == 0) continue;  // an empty pass has no scanlines
        const size_t n = format.rowBytes(passWidth);
        uint8_t* current = rows.get();
        uint8_t* prior = rows.get() + widest + 1;
        std::memset(prior, 0, n + 1);
        for (uint32_t j = 0; j < passHeight; ++j) {
            e = data.read(current, n + 1);
            if (e != PngError::none) return e;
            if (!unfilterScanline(current[0], current + 1, prior + 1, n, format.filterStride)) {
                return PngError::badFilter;
            }
            e = onRow(pass, passWidth, pass.y0 + j * pass.dy, current + 1);
            if (e != PngError::none) return e;
            std::swap(current, prior);
        }
    }
    return data.finish();
}

// A box over no pixel yet.
struct BoxBounds {
    int32_t top = -1;
    int32_t bottom = -1;
    int32_t left = 0;
    int32_t right = -1;
    void addRow(int32_t y, const uint8_t* rgba, int32_t width) {
        int32_t first = 0;
        while (first < width && rgba[static_cast<size_t>(first) * RGBA_BYTES + 3] == 0) ++first;
        if (first == width) return;
        int32_t last = width - 1;
        while (rgba[static_cast<size_t>(last) * RGBA_BYTES + 3] == 0) --last;
        if (top < 0) {
            top = y;
            left = first;
            right = last;
        }
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    TgaBox box(int32_t width, int32_t height) const {
        TgaBox b;
        b.width = width;
        b.height = height;
        b.blank = top < 0;
        if (!b.blank) {
            b.left = left;
            b.right = right;
            b.top = top;
            b.bottom = bottom;
        }
        return b;
    }
};

PngError decodeWhole(std::span<const uint8_t> file, const PngLayout& layout, ReusedBuffer& block,
                     PngPicture& picture) {
    const PixelFormat format = pixelFormat(layout);
    const size_t stride = size_t{layout.width} * RGBA_BYTES;
    uint8_t* rgba = block.reserve(stride * layout.height);
    if (rgba == nullptr) return PngError::noMemory;
    std::unique_ptr<uint8_t[]> passRow;
    if (layout.interlaced) {
        passRow = tryAllocate<uint8_t>(stride);
        if (!passRow) return PngError::noMemory;
    }
    const PngError e = decodeScanlines(
        file, layout, format,
        [&](const Pass& pass, uint32_t passWidth, uint32_t y, const uint8_t* raw) {
            uint8_t* row = rgba + size_t{y} * stride;
            if (!layout.interlaced) {
                return convertRow(format, raw, passWidth, row) ? PngError::none
                                                               : PngError::badPaletteIndex;
            }
            if (!convertRow(format, raw, passWidth, passRow.get())) {
                return PngError::badPaletteIndex;
            }
            for (uint32_t k = 0; k < passWidth; ++k) {
                std::memcpy(row + (size_t{pass.x0} + size_t{k} * pass.dx) * RGBA_BYTES,
                            passRow.get() + size_t{k} * RGBA_BYTES, RGBA_BYTES);
            }
            return PngError::none;
        });
    if (e != PngError::none) return e;
    picture.width = static_cast<int32_t>(layout.width);
    picture.height = static_cast<int32_t>(layout.height);
    picture.rgba = rgba;
    return PngError::none;
}

}  // namespace

PngError decodePng(std::span<const uint8_t> file, ReusedBuffer& block, PngPicture& picture) {
    picture = PngPicture{};
    PngLayout layout;
    const PngError e = readPngLayout(file, layout);
    if (e != PngError::none) return e;
    return decodeWhole(file, layout, block, picture);
}

PngError findPngBox(std::span<const uint8_t> file, ReusedBuffer& scratch, TgaBox& box) {
    PngLayout layout;
    PngError e = readPngLayout(file, layout);
    if (e != PngError::none) return e;
    const auto width = static_cast<int32_t>(layout.width);
    const auto height = static_cast<int32_t>(layout.height);
    if (layout.interlaced) {
        // A pass's rows leave the picture's rows unfinished until the last pass.
        PngPicture picture;
        e = decodeWhole(file, layout, scratch, picture);
        if (e == PngError::none) box = findAlphaBox(picture.rgba, width, height);
        return e;
    }
    const PixelFormat format = pixelFormat(layout);
    // Where no pixel can be transparent and no index can be refused, the rows are decoded only
    // to check them.
    const bool convert = !format.opaque || !format.indicesFit;
    // 8-bit RGBA scanlines are RGBA already: their alpha is read where it lies.
    const bool asStored = format.colourType == 6 && format.depth == 8;
    std::unique_ptr<uint8_t[]> rgba;
    if (convert && !asStored) {
        rgba = tryAllocate<uint8_t>(size_t{layout.width} * RGBA_BYTES);
        if (!rgba) return PngError::noMemory;
    }
    BoxBounds bounds;
    e = decodeScanlines(file, layout, format,
                        [&](const Pass&, uint32_t passWidth, uint32_t y, const uint8_t* raw) {
                            if (!convert) return PngError::none;
                            if (asStored) {
                                bounds.addRow(static_cast<int32_t>(y), raw, width);
                                return PngError::none;
                            }
                            if (!convertRow(format, raw, passWidth, rgba.get())) {
                                return PngError::badPaletteIndex;
                            }
                            bounds.addRow(static_cast<int32_t>(y), rgba.get(), width);
                            return PngError::none;
                        });
    if (e != PngError::none) return e;
    box = convert ? bounds.box(width, height) : TgaBox{width, height, false, 0, width - 1, 0,
                                                        height - 1};
    return PngError::none;
}
