// The PNG reader on files built chunk by chunk: the pixels of every colour type and depth,
// worked out by hand from the format, the refusals, and the listing's box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/png.hpp"
#include "tests/support/png_builder.hpp"

namespace {

using testsupport::filteredScanlines;
using testsupport::interlacedScanlines;
using testsupport::PngChunk;
using testsupport::pngFile;
using testsupport::pngHeader;
using testsupport::zlibDeflated;
using testsupport::zlibStored;
using Bytes = std::vector<uint8_t>;
using Rows = std::vector<Bytes>;

struct Decoded {
    PngError error = PngError::none;
    int32_t width = 0;
    int32_t height = 0;
    Bytes rgba;
};

Decoded decode(const Bytes& file) {
    ReusedBuffer block;
    PngPicture picture;
    Decoded d;
    d.error = decodePng(file, block, picture);
    if (d.error == PngError::none) {
        d.width = picture.width;
        d.height = picture.height;
        d.rgba.assign(picture.rgba, picture.rgba + static_cast<size_t>(picture.width) *
                                                       static_cast<size_t>(picture.height) * 4);
    }
    return d;
}

// A one-IDAT file of `rows`, unfiltered.
Bytes simple(uint32_t w, uint32_t h, uint8_t depth, uint8_t colourType, const Rows& rows,
             const std::vector<PngChunk>& before = {}) {
    return pngFile(pngHeader(w, h, depth, colourType), zlibDeflated(filteredScanlines(rows, 1, {0})),
                   before);
}

PngChunk palette3() {
    return {"PLTE", {10, 20, 30, 40, 50, 60, 70, 80, 90}};
}

PngChunk key(std::initializer_list<uint16_t> values) {
    Bytes data;
    for (uint16_t v : values) {
        data.push_back(static_cast<uint8_t>(v >> 8));
        data.push_back(static_cast<uint8_t>(v));
    }
    return {"tRNS", data};
}

struct PixelCase {
    const char* what;
    Bytes file;
    int32_t width;
    int32_t height;
    Bytes rgba;
};

std::vector<PixelCase> pixelCases() {
    const Bytes opaqueRgba = {1, 2, 3, 4};
    return {
        {"grey 1-bit: 0 and 255", simple(5, 1, 1, 0, {{0b10110000}}), 5, 1,
         {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255}},
        {"grey 2-bit: v x 85", simple(4, 1, 2, 0, {{0b00011011}}), 4, 1,
         {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"grey 4-bit: v x 17", simple(3, 1, 4, 0, {{0x5F, 0xA0}}), 3, 1,
         {85, 85, 85, 255, 255, 255, 255, 255, 170, 170, 170, 255}},
        {"grey 8-bit", simple(2, 1, 8, 0, {{7, 200}}), 2, 1, {7, 7, 7, 255, 200, 200, 200, 255}},
        {"grey 16-bit: the high byte", simple(2, 1, 16, 0, {{0x12, 0x34, 0xAB, 0xCD}}), 2, 1,
         {0x12, 0x12, 0x12, 255, 0xAB, 0xAB, 0xAB, 255}},
        {"grey+alpha 8-bit", simple(2, 1, 8, 4, {{10, 20, 30, 0}}), 2, 1,
         {10, 10, 10, 20, 30, 30, 30, 0}},
        {"grey+alpha 16-bit", simple(1, 1, 16, 4, {{0x11, 0x22, 0x33, 0x44}}), 1, 1,
         {0x11, 0x11, 0x11, 0x33}},
        {"RGB 8-bit", simple(1, 1, 8, 2, {{1, 2, 3}}), 1, 1, {1, 2, 3, 255}},
        {"RGB 16-bit", simple(1, 1, 16, 2, {{1, 0xFF, 2, 0xFF, 3, 0xFF}}), 1, 1, {1, 2, 3, 255}},
        {"RGBA 8-bit: straight colour", simple(1, 1, 8, 6, {opaqueRgba}), 1, 1, {1, 2, 3, 4}},
        {"RGBA 16-bit", simple(1, 1, 16, 6, {{0xA0, 1, 0xB0, 2, 0xC0, 3, 0xD0, 4}}), 1, 1,
         {0xA0, 0xB0, 0xC0, 0xD0}},
        {"palette 8-bit, tRNS shorter than PLTE",
         simple(3, 1, 8, 3, {{0, 1, 2}}, {palette3(), {"tRNS", {0, 128}}}), 3, 1,
         {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255}},
        {"palette 1-bit", simple(3, 1, 1, 3, {{0b10100000}}, {palette3()}), 3, 1,
         {40, 50, 60, 255, 10, 20, 30, 255, 40, 50, 60, 255}},
        {"palette 2-bit", simple(3, 1, 2, 3, {{0b10000100}}, {palette3()}), 3, 1,
         {70, 80, 90, 255, 10, 20, 30, 255, 40, 50, 60, 255}},
        {"palette 4-bit", simple(2, 1, 4, 3, {{0x20}}, {palette3()}), 2, 1,
         {70, 80, 90, 255, 10, 20, 30, 255}},
        {"grey 4-bit key, compared before scaling", simple(2, 1, 4, 0, {{0xF5}}, {key({15})}), 2,
         1, {255, 255, 255, 0, 85, 85, 85, 255}},
        {"grey 16-bit key: all 16 bits",
         simple(2, 1, 16, 0, {{0x12, 0x34, 0x12, 0xFF}}, {key({0x1234})}), 2, 1,
         {0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255}},
        {"RGB 8-bit key", simple(2, 1, 8, 2, {{1, 2, 3, 1, 2, 4}}, {key({1, 2, 3})}), 2, 1,
         {1, 2, 3, 0, 1, 2, 4, 255}},
        {"RGB 16-bit key: all 16 bits",
         simple(2, 1, 16, 2, {{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7}},
                {key({0x0102, 0x0304, 0x0506})}),
         2, 1, {1, 3, 5, 0, 1, 3, 5, 255}},
        {"a key above the depth matches nothing", simple(2, 1, 1, 0, {{0b11000000}}, {key({255})}),
         2, 1, {255, 255, 255, 255, 255, 255, 255, 255}},
        {"an 8-bit key of 256 matches nothing", simple(1, 1, 8, 0, {{0}}, {key({256})}), 1, 1,
         {0, 0, 0, 255}},
        {"tRNS means nothing to RGBA", simple(1, 1, 8, 6, {opaqueRgba}, {key({1, 2, 3})}), 1, 1,
         {1, 2, 3, 4}},
        {"tRNS means nothing to grey+alpha", simple(1, 1, 8, 4, {{9, 200}}, {key({9})}), 1, 1,
         {9, 9, 9, 200}},
        {"no gamma correction, ancillary chunks and their CRCs ignored",
         simple(1, 1, 8, 2, {{100, 150, 200}},
                {{"gAMA", {0, 0, 0x27, 0x10}},
                 {"sRGB", {0}},
                 {"iCCP", {'x', 0, 0, 1, 2}, 1},
                 {"tEXt", {'a', 0, 'b'}, 0xFFFF},
                 {"zzZz", {1, 2, 3}}}),
         1, 1, {100, 150, 200, 255}},
        {"APNG: the default image",
         pngFile(pngHeader(1, 1, 8, 2), zlibDeflated(filteredScanlines({{5, 6, 7}}, 1, {0})),
                 {{"acTL", {0, 0, 0, 1, 0, 0, 0, 0}}, {"fcTL", Bytes(26, 0)}},
                 {{"fdAT", {0, 0, 0, 1, 9, 9}, 7}}),
         1, 1, {5, 6, 7, 255}},
    };
}

TEST(PngPixels, EveryColourTypeAndDepth) {
    for (const PixelCase& c : pixelCases()) {
        SCOPED_TRACE(c.what);
        const Decoded d = decode(c.file);
        ASSERT_EQ(d.error, PngError::none);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.rgba, c.rgba);
    }
}

// A picture whose bytes change from pixel to pixel and row to row, so that every filter's
// predictor matters: byte c of pixel (x, y) is (x * 37 + y * 91 + c * 53 + x * y * 7) mod 256.
Rows pattern(uint32_t width, uint32_t height, uint32_t bytesPerPixel) {
    Rows rows;
    for (uint32_t y = 0; y < height; ++y) {
        Bytes row;
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < bytesPerPixel; ++c) {
                row.push_back(static_cast<uint8_t>(x * 37 + y * 91 + c * 53 + x * y * 7));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

Bytes flatten(const Rows& rows) {
    Bytes out;
    for (const Bytes& r : rows) out.insert(out.end(), r.begin(), r.end());
    return out;
}

// The same pattern as RGBA 8-bit: what every stored form of it must decode to.
struct Form {
    const char* what;
    uint8_t depth;
    uint8_t colourType;
    uint32_t bytesPerPixel;
};

TEST(PngPixels, EveryFilterOnEveryPixelSize) {
    const std::vector<Form> forms = {
        {"RGBA 8-bit", 8, 6, 4}, {"RGB 8-bit", 8, 2, 3},   {"grey 8-bit", 8, 0, 1},
        {"RGBA 16-bit", 16, 6, 8}, {"grey+alpha 8-bit", 8, 4, 2},
    };
    const std::vector<std::vector<uint8_t>> filterRuns = {{0}, {1}, {2}, {3}, {4}, {4, 3, 1, 2, 0}};
    for (const Form& f : forms) {
        for (const auto& filters : filterRuns) {
            SCOPED_TRACE(std::string(f.what) + " filter " + std::to_string(filters[0]));
            const Rows rows = pattern(7, 5, f.bytesPerPixel);
            const Bytes file = pngFile(pngHeader(7, 5, f.depth, f.colourType),
                                       zlibDeflated(filteredScanlines(rows, f.bytesPerPixel, filters)));
            const Decoded d = decode(file);
            ASSERT_EQ(d.error, PngError::none);
            const Bytes raw = flatten(rows);
            ASSERT_EQ(d.rgba.size(), size_t{7 * 5 * 4});
            // The stored samples, widened or narrowed to RGBA by the format's rules.
            for (size_t p = 0; p < 35; ++p) {
                const uint8_t* s = raw.data() + p * f.bytesPerPixel;
                Bytes want;
                switch (f.colourType) {
                    case 6: want = f.depth == 8 ? Bytes{s[0], s[1], s[2], s[3]}
                                                : Bytes{s[0], s[2], s[4], s[6]}; break;
                    case 2: want = {s[0], s[1], s[2], 255}; break;
                    case 4: want = {s[0], s[0], s[0], s[1]}; break;
                    default: want = {s[0], s[0], s[0], 255}; break;
                }
                ASSERT_EQ(Bytes(d.rgba.begin() + static_cast<ptrdiff_t>(p * 4),
                                d.rgba.begin() + static_cast<ptrdiff_t>(p * 4 + 4)),
                          want)
                    << "pixel " << p;
            }
        }
    }
}

TEST(PngPixels, Adam7GivesThePictureWithoutInterlace) {
    struct Case {
        const char* what;
        uint32_t width;
        uint32_t height;
        uint8_t depth;
        uint8_t colourType;
        uint32_t bitsPerPixel;
    };
    const std::vector<Case> cases = {
        {"RGBA 8-bit 9 x 7", 9, 7, 8, 6, 32},   {"RGB 16-bit 10 x 9", 10, 9, 16, 2, 48},
        {"grey 1-bit 13 x 9", 13, 9, 1, 0, 1},  {"grey 4-bit 5 x 3", 5, 3, 4, 0, 4},
        {"RGBA 8-bit 1 x 1", 1, 1, 8, 6, 32},   {"grey+alpha 3 x 10", 3, 10, 8, 4, 16},
    };
    for (const Case& c : cases) {
        for (uint8_t filter : {0, 4}) {
            SCOPED_TRACE(c.what);
            const Rows rows = pattern((c.width * c.bitsPerPixel + 7) / 8, c.height, 1);
            const Bytes plain = pngFile(pngHeader(c.width, c.height, c.depth, c.colourType),
                                        zlibDeflated(filteredScanlines(rows, 1, {0})));
            const Bytes interlaced =
                pngFile(pngHeader(c.width, c.height, c.depth, c.colourType, 1),
                        zlibDeflated(interlacedScanlines(rows, c.width, c.bitsPerPixel, {filter})));
            const Decoded a = decode(plain);
            const Decoded b = decode(interlaced);
            ASSERT_EQ(a.error, PngError::none);
            ASSERT_EQ(b.error, PngError::none);
            EXPECT_EQ(a.rgba, b.rgba);
        }
    }
}

TEST(PngPixels, HowTheImageDataIsCut) {
    const Rows rows = pattern(6, 4, 4);
    const Bytes scanlines = filteredScanlines(rows, 4, {1, 2, 3, 4});
    const Bytes want = flatten(rows);
    Bytes longer = scanlines;
    longer.insert(longer.end(), 100, 0);  // inflated bytes beyond the picture
    Bytes trailing = zlibDeflated(scanlines);
    trailing.insert(trailing.end(), {1, 2, 3});  // bytes after the zlib stream
    Bytes afterEnd = pngFile(pngHeader(6, 4, 8, 6), zlibDeflated(scanlines));
    afterEnd.insert(afterEnd.end(), {0, 0, 0, 5, 'J', 'U', 'N', 'K'});  // after IEND
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"one-byte IDAT chunks", pngFile(pngHeader(6, 4, 8, 6), zlibDeflated(scanlines), {}, {}, 1)},
        {"stored blocks of 5 bytes", pngFile(pngHeader(6, 4, 8, 6), zlibStored(scanlines, 5))},
        {"stored blocks split across IDATs",
         pngFile(pngHeader(6, 4, 8, 6), zlibStored(scanlines, 7), {}, {}, 3)},
        {"an empty IDAT in the run",
         pngFile({{"IHDR", pngHeader(6, 4, 8, 6)}, {"IDAT", {}},
                  {"IDAT", zlibDeflated(scanlines)}, {"IDAT", {}}, {"IEND", {}}})},
        {"more image data than the picture needs",
         pngFile(pngHeader(6, 4, 8, 6), zlibDeflated(longer))},
        {"bytes after the zlib stream", pngFile(pngHeader(6, 4, 8, 6), trailing)},
        {"bytes after IEND", afterEnd},
    };
    for (const auto& [what, file] : files) {
        SCOPED_TRACE(what);
        const Decoded d = decode(file);
        ASSERT_EQ(d.error, PngError::none);
        EXPECT_EQ(d.rgba, want);
    }
}

// ---- Refusals ----

Bytes withByte(Bytes file, size_t at, uint8_t value) {
    file.at(at) = value;
    return file;
}

Bytes cut(Bytes file, size_t drop) {
    file.resize(file.size() - drop);
    return file;
}

struct Refusal {
    const char* what;
    Bytes file;
    PngError error;
};

std::vector<Refusal> refusals() {
    const Bytes scanlines = filteredScanlines(pattern(3, 2, 3), 3, {1, 4});
    const Bytes stream = zlibDeflated(scanlines);
    const Bytes header = pngHeader(3, 2, 8, 2);
    const Bytes good = pngFile(header, stream);
    // The signature (8), IHDR (25), the IDAT's length and type (8): its data starts at 41.
    const size_t dataAt = 41;

    Bytes badAdler = stream;
    badAdler.back() ^= 1;
    Bytes noAdler(stream.begin(), stream.end() - 4);
    Bytes corrupt = zlibStored(scanlines);
    corrupt[3] ^= 0xFF;  // a stored block's length no longer matches its complement
    Bytes dictionary = stream;
    dictionary[1] = 0xBB;  // 0x78BB: check bits right, preset dictionary asked for
    Bytes shortScanlines(scanlines.begin(), scanlines.end() - 1);
    Bytes badFilter = scanlines;
    badFilter[0] = 5;
    const Bytes palette = filteredScanlines({{0, 1, 3}}, 1, {0});

    return {
        {"a bad signature", withByte(good, 4, '\n'), PngError::badSignature},
        {"an empty file", {}, PngError::cutShort},
        {"the signature alone", Bytes(good.begin(), good.begin() + 8), PngError::cutShort},
        {"cut inside the image data", cut(good, 20), PngError::cutShort},
        {"no IEND", cut(good, 12), PngError::cutShort},
        {"IEND without its CRC", cut(good, 4), PngError::cutShort},
        {"IEND's CRC cut short", cut(good, 1), PngError::cutShort},
        {"a chunk length of 2^31", withByte(good, dataAt - 8, 0x80), PngError::cutShort},
        {"a bad IHDR CRC", pngFile({{"IHDR", header, 1}, {"IDAT", stream}, {"IEND", {}}}),
         PngError::badCrc},
        {"a bad IDAT CRC", pngFile({{"IHDR", header}, {"IDAT", stream, 1}, {"IEND", {}}}),
         PngError::badCrc},
        {"a bad CRC on a later IDAT",
         pngFile({{"IHDR", header}, {"IDAT", stream}, {"IDAT", {}, 2}, {"IEND", {}}}),
         PngError::badCrc},
        {"a bad IEND CRC", pngFile({{"IHDR", header}, {"IDAT", stream}, {"IEND", {}, 4}}),
         PngError::badCrc},
        {"a bad PLTE CRC", pngFile(pngHeader(3, 1, 8, 3), zlibDeflated(palette),
                                   {{"PLTE", Bytes(12, 1), 1}}),
         PngError::badCrc},
        {"a bad tRNS CRC", pngFile(header, stream, {{"tRNS", {0, 1, 0, 2, 0, 3}, 1}}),
         PngError::badCrc},
        {"a bad tRNS CRC after the image data", pngFile(header, stream, {}, {{"tRNS", {0, 1}, 1}}),
         PngError::badCrc},
        {"a bad zlib stream", pngFile(header, corrupt), PngError::badStream},
        {"a bad Adler-32", pngFile(header, badAdler), PngError::badStream},
        {"a bad Adler-32 in an IDAT of its own",
         pngFile({{"IHDR", header},
                  {"IDAT", Bytes(badAdler.begin(), badAdler.end() - 4)},
                  {"IDAT", Bytes(badAdler.end() - 4, badAdler.end())},
                  {"IEND", {}}}),
         PngError::badStream},
        {"a stream without its Adler-32", pngFile(header, noAdler), PngError::badStream},
        {"a zlib header with bad check bits", pngFile(header, withByte(stream, 1, 0x9D)),
         PngError::badStream},
        {"a zlib header asking for a dictionary", pngFile(header, dictionary),
         PngError::badStream},
        {"a zlib header with a window above 32 KiB",
         pngFile(header, withByte(withByte(stream, 0, 0x88), 1, 0x1C)), PngError::badStream},
        {"an empty IDAT", pngFile({{"IHDR", header}, {"IDAT", {}}, {"IEND", {}}}),
         PngError::badStream},
        {"too little image data", pngFile(header, zlibDeflated(shortScanlines)),
         PngError::tooLittleData},
        {"a bad filter type", pngFile(header, zlibDeflated(badFilter)), PngError::badFilter},
        {"IDATs not consecutive",
         pngFile({{"IHDR", header},
                  {"IDAT", Bytes(stream.begin(), stream.begin() + 4)},
                  {"tEXt", {'a', 0, 'b'}},
                  {"IDAT", Bytes(stream.begin() + 4, stream.end())},
                  {"IEND", {}}}),
         PngError::imageDataApart},
        {"a palette index past PLTE",
         pngFile(pngHeader(3, 1, 8, 3), zlibDeflated(palette), {palette3()}),
         PngError::badPaletteIndex},
        {"a palette image without PLTE", pngFile(pngHeader(3, 1, 8, 3), zlibDeflated(palette)),
         PngError::noPalette},
        {"PLTE after the image data",
         pngFile(pngHeader(3, 1, 8, 3), zlibDeflated(palette), {}, {palette3()}),
         PngError::noPalette},
        {"a PLTE of 4 bytes", pngFile(pngHeader(3, 1, 8, 3), zlibDeflated(palette),
                                      {{"PLTE", {1, 2, 3, 4}}}),
         PngError::noPalette},
        {"an unknown critical chunk", pngFile(header, stream, {{"ABCD", {}}}),
         PngError::unknownCritical},
        {"an unknown critical chunk after the image data",
         pngFile(header, stream, {}, {{"ABCD", {}}}), PngError::unknownCritical},
        {"no IDAT", pngFile({{"IHDR", header}, {"IEND", {}}}), PngError::noImageData},
        {"IHDR not first", pngFile({{"tEXt", {'a', 0}}, {"IHDR", header}, {"IDAT", stream},
                                    {"IEND", {}}}),
         PngError::badHeader},
        {"a second IHDR", pngFile(header, stream, {{"IHDR", header}}), PngError::badHeader},
        {"IHDR of 12 bytes", pngFile(Bytes(header.begin(), header.end() - 1), stream),
         PngError::badHeader},
        {"zero width", pngFile(pngHeader(0, 2, 8, 2), stream), PngError::badHeader},
        {"zero height", pngFile(pngHeader(3, 0, 8, 2), stream), PngError::badHeader},
        {"a width of 2^31", pngFile(pngHeader(0x80000000u, 1, 8, 2), stream), PngError::badHeader},
        {"a height of 2^31", pngFile(pngHeader(1, 0x80000000u, 8, 2), stream),
         PngError::badHeader},
        {"RGB of 4 bits", pngFile(pngHeader(3, 2, 4, 2), stream), PngError::badHeader},
        {"palette of 16 bits", pngFile(pngHeader(3, 2, 16, 3), stream), PngError::badHeader},
        {"colour type 1", pngFile(pngHeader(3, 2, 8, 1), stream), PngError::badHeader},
        {"colour type 7", pngFile(pngHeader(3, 2, 8, 7), stream), PngError::badHeader},
        {"depth 0", pngFile(pngHeader(3, 2, 0, 0), stream), PngError::badHeader},
        {"compression method 1", pngFile(pngHeader(3, 2, 8, 2, 0, 1), stream),
         PngError::badHeader},
        {"filter method 1", pngFile(pngHeader(3, 2, 8, 2, 0, 0, 1), stream), PngError::badHeader},
        {"interlace method 2", pngFile(pngHeader(3, 2, 8, 2, 2), stream), PngError::badHeader},
        // 2^28 + 16384 pixels in a file of a few dozen bytes: refused before any allocation.
        {"more than 2^28 pixels", pngFile(pngHeader(16384, 16385, 8, 6), stream),
         PngError::tooManyPixels},
    };
}

TEST(PngRefusals, EveryDefectInTheDecodeAndTheListing) {
    for (const Refusal& r : refusals()) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(decode(r.file).error, r.error);
        ReusedBuffer scratch;
        TgaBox box;
        EXPECT_EQ(findPngBox(r.file, scratch, box), r.error);
    }
}

TEST(PngRefusals, TheListingChecksIndicesOfAnOpaquePalette) {
    // Every entry opaque, so no pixel can be transparent: the rows are still converted, since
    // 3 entries of a 2-bit palette leave index 3 past the end.
    const Bytes file = pngFile(pngHeader(2, 1, 2, 3),
                               zlibDeflated(filteredScanlines({{0b00110000}}, 1, {0})),
                               {palette3()});
    ReusedBuffer scratch;
    TgaBox box;
    EXPECT_EQ(findPngBox(file, scratch, box), PngError::badPaletteIndex);
}

// ---- The listing's box ----

TgaBox boxOf(const Bytes& file) {
    ReusedBuffer scratch;
    TgaBox box;
    EXPECT_EQ(findPngBox(file, scratch, box), PngError::none);
    return box;
}

// A 6 x 5 RGBA picture, transparent but for pixels (1, 1) and (4, 3) (alpha 1 and 255), whose
// transparent pixels have colour bytes all the same.
Rows twoPixels() {
    Rows rows(5, Bytes(24, 0));
    for (Bytes& r : rows) {
        for (size_t x = 0; x < 6; ++x) r[x * 4] = 200;  // red, alpha 0: still invisible
    }
    rows[1][4 * 1 + 3] = 1;
    rows[3][4 * 4 + 3] = 255;
    return rows;
}

void expectBox(const TgaBox& box, int32_t width, int32_t height, int32_t left, int32_t top,
               int32_t right, int32_t bottom) {
    EXPECT_EQ(box.width, width);
    EXPECT_EQ(box.height, height);
    ASSERT_FALSE(box.blank);
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right, right);
    EXPECT_EQ(box.bottom, bottom);
}

TEST(PngBox, FromTheRowsAsTheyCome) {
    const Rows rows = twoPixels();
    expectBox(boxOf(pngFile(pngHeader(6, 5, 8, 6), zlibDeflated(filteredScanlines(rows, 4, {4})))),
              6, 5, 1, 1, 4, 3);
    expectBox(boxOf(pngFile(pngHeader(6, 5, 8, 6, 1),
                            zlibDeflated(interlacedScanlines(rows, 6, 32, {1})))),
              6, 5, 1, 1, 4, 3);
}

TEST(PngBox, OpaqueKeyedAndBlankPictures) {
    // RGB without a key: the whole picture, whatever its colours.
    expectBox(boxOf(simple(3, 2, 8, 2, {Bytes(9, 0), Bytes(9, 0)})), 3, 2, 0, 0, 2, 1);
    // Grey 8-bit keyed on 0: the one pixel of 9 is the box.
    expectBox(boxOf(simple(3, 2, 8, 0, {{0, 0, 0}, {0, 0, 9}}, {key({0})})), 3, 2, 2, 1, 2, 1);
    // Palette with index 0 transparent.
    expectBox(boxOf(simple(3, 2, 8, 3, {{0, 1, 0}, {0, 0, 0}}, {palette3(), {"tRNS", {0}}})), 3,
              2, 1, 0, 1, 0);
    const TgaBox blank = boxOf(simple(2, 2, 8, 4, {{5, 0, 6, 0}, {7, 0, 8, 0}}));
    EXPECT_TRUE(blank.blank);
    EXPECT_EQ(blank.width, 2);
    EXPECT_EQ(blank.height, 2);
}

TEST(PngBox, TheDecodedPictureHasTheSameBox) {
    const Decoded d =
        decode(pngFile(pngHeader(6, 5, 8, 6), zlibDeflated(filteredScanlines(twoPixels(), 4, {0}))));
    ASSERT_EQ(d.error, PngError::none);
    expectBox(findAlphaBox(d.rgba.data(), 6, 5), 6, 5, 1, 1, 4, 3);
    Bytes cropped(4 * 3 * 4);
    copyBoxPixels(d.rgba.data(), 6, findAlphaBox(d.rgba.data(), 6, 5), cropped.data());
    Bytes want(4 * 3 * 4, 0);
    for (size_t p = 0; p < 12; ++p) want[p * 4] = 200;
    want[3] = 1;                    // (1, 1), the box's top-left corner
    want[(2 * 4 + 3) * 4 + 3] = 255;  // (4, 3), its bottom-right
    EXPECT_EQ(cropped, want);
}

TEST(PngPremultiply, AsTheTgaReaderDoes) {
    // trunc((c / 255) * (a / 255) * 255): 200 and 128 give 100.39, 100 gives 50.19, 50 gives
    // 25.09; alpha 255 keeps the colours, alpha 0 clears them.
    Bytes pixels = {200, 100, 50, 128, 7, 8, 9, 255, 30, 40, 50, 0};
    premultiplyRgba(pixels.data(), 3);
    EXPECT_EQ(pixels, (Bytes{100, 50, 25, 128, 7, 8, 9, 255, 0, 0, 0, 0}));
}

}  // namespace
