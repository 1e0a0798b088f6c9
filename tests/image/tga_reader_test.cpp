// The TGA reader on hand-built files: worked byte examples, run-length packets, the error codes
// and their order, colour maps, depths, missing data and the size bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/tga.hpp"
#include "tests/image/tga_builder.hpp"
#include "tests/support/test_support.hpp"

using tgatest::concat;
using tgatest::decode;
using tgatest::Decoded;
using tgatest::Header;
using tgatest::tgaFile;
using Bytes = std::vector<uint8_t>;

namespace {

// Four stored 24-bit pixels (blue, green, red) = (1,2,3), (4,5,6), (7,8,9), (10,11,12).
const Bytes kFourPixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

Header twoByTwo24(uint8_t descriptor) {
    Header h;
    h.width = 2;
    h.height = 2;
    h.descriptor = descriptor;
    return h;
}

// Both decodings must agree on every file of this suite; returns the fast one.
Decoded decodeBoth(const Bytes& file, uint32_t format = 4, TgaError codeBefore = TgaError::none) {
    Decoded fast = decode(file, format, TgaDecodePath::Fast, codeBefore);
    Decoded generic = decode(file, format, TgaDecodePath::Generic, codeBefore);
    EXPECT_TRUE(fast == generic) << "fast and generic decodings differ";
    return fast;
}

Decoded onePixel(uint8_t depth, uint8_t descriptor, const Bytes& stored, uint32_t format = 4,
                 uint8_t imageType = 2) {
    Header h;
    h.depth = depth;
    h.descriptor = descriptor;
    h.imageType = imageType;
    return decodeBoth(tgaFile(h, stored), format);
}

}  // namespace

struct OriginCase {
    uint8_t descriptor;
    Bytes expected;
};

TEST(TgaReader, TwoByTwoInEveryOrigin) {
    const OriginCase cases[] = {
        {0x00, {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}},
        {0x20, {9, 8, 7, 255, 12, 11, 10, 255, 3, 2, 1, 255, 6, 5, 4, 255}},
        {0x10, {6, 5, 4, 255, 3, 2, 1, 255, 12, 11, 10, 255, 9, 8, 7, 255}},
        {0x30, {12, 11, 10, 255, 9, 8, 7, 255, 6, 5, 4, 255, 3, 2, 1, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.descriptor);
        Decoded d = decodeBoth(tgaFile(twoByTwo24(c.descriptor), kFourPixels));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, 2);
        EXPECT_EQ(d.height, 2);
        EXPECT_EQ(d.pixels, c.expected);
    }
}

struct PixelCase {
    const char* name;
    uint8_t depth;
    uint8_t descriptor;
    Bytes stored;
    uint32_t format;
    Bytes expected;
    uint8_t imageType = 2;
};

TEST(TgaReader, SinglePixelConversions) {
    const PixelCase cases[] = {
        {"32-bit alpha 128 with 8 alpha bits",
         32,
         8,
         {255, 255, 255, 128},
         4,
         {128, 128, 128, 128}},
        {"32-bit alpha 128 without alpha bits",
         32,
         0,
         {255, 255, 255, 128},
         4,
         {255, 255, 255, 255}},
        {"format 3 stays premultiplied", 32, 8, {255, 255, 255, 128}, 3, {128, 128, 128}},
        {"premultiplied below the quotient", 32, 8, {195, 195, 195, 17}, 4, {12, 12, 12, 17}},
        {"32-bit alpha 0 is all zero", 32, 8, {9, 8, 7, 0}, 4, {0, 0, 0, 0}},
        {"16-bit 0x7FFF, 1 alpha bit", 16, 1, {0xFF, 0x7F}, 4, {254, 254, 254, 255}},
        {"16-bit 0xFFFF, 5-6-5", 16, 0, {0xFF, 0xFF}, 4, {254, 254, 254, 255}},
        {"16-bit 0x8000, 1 alpha bit", 16, 1, {0x00, 0x80}, 4, {0, 0, 0, 255}},
        {"16-bit 5-6-5 channels", 16, 8, {0x20, 0xF8}, 4, {254, 4, 0, 255}},
        {"15-bit red only", 15, 0, {0x00, 0x7C}, 4, {254, 0, 0, 255}},
        {"24-bit in format 3", 24, 0, {1, 2, 3}, 3, {3, 2, 1}},
        // Depths without their own rule.
        {"depth 8 true-colour is grey", 8, 0, {77}, 4, {77, 77, 77, 255}},
        {"depth 4 is grey, unscaled", 4, 0, {0xAB}, 4, {0xAB, 0xAB, 0xAB, 255}},
        {"depth 0 reads one byte as grey", 0, 0, {5}, 4, {5, 5, 5, 255}},
        {"depth 12 follows the 15-bit rule", 12, 0, {0x1F, 0x00}, 4, {0, 0, 254, 255}},
        {"depth 20 follows the 24-bit rule", 20, 8, {1, 2, 3}, 4, {3, 2, 1, 255}},
        {"depth 28 follows the 32-bit rule", 28, 8, {255, 255, 255, 128}, 4, {128, 128, 128, 128}},
        {"depth 40 combines the first four bytes",
         40,
         8,
         {200, 100, 50, 255, 99},
         4,
         {50, 100, 200, 255}},
        {"black-and-white 8-bit", 8, 0, {200}, 4, {200, 200, 200, 255}, 3},
        {"black-and-white 16-bit with alpha", 16, 8, {200, 128}, 4, {100, 100, 100, 128}, 3},
        {"black-and-white 16-bit, no alpha bits", 16, 0, {200, 128}, 4, {200, 200, 200, 255}, 3},
        {"black-and-white 15-bit keeps the 15-bit rule",
         15,
         0,
         {0x00, 0x7C},
         4,
         {254, 0, 0, 255},
         3},
        {"colour-mapped type without a map: grey", 8, 0, {9}, 4, {9, 9, 9, 255}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = onePixel(c.depth, c.descriptor, c.stored, c.format, c.imageType);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, c.expected);
    }
}

TEST(TgaReader, DepthAboveThirtyTwoConsumesEveryByte) {
    Header h;
    h.width = 2;
    h.depth = 40;
    Bytes stored = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Decoded d = decodeBoth(tgaFile(h, stored));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 8, 7, 6, 255}));
}

// ---- Run-length packets ----

Header rle24(uint16_t width, uint16_t height) {
    Header h;
    h.imageType = 10;
    h.width = width;
    h.height = height;
    return h;
}

TEST(TgaReader, RunPacketRepeatsOnePixel) {
    Decoded d = decodeBoth(tgaFile(rle24(4, 1), {0x83, 1, 2, 3}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 3, 2, 1, 255, 3, 2, 1, 255, 3, 2, 1, 255}));
}

TEST(TgaReader, RawPacketOfThree) {
    Decoded d = decodeBoth(tgaFile(rle24(3, 1), {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255}));
}

TEST(TgaReader, RunContinuesOnTheNextRow) {
    // 3 x 2: two raw pixels, a run of three from the last column of row 0, one raw pixel.
    Bytes data = {0x01, 1, 1, 1, 2, 2, 2, 0x82, 9, 9, 9, 0x00, 4, 4, 4};
    Decoded d = decodeBoth(tgaFile(rle24(3, 2), data));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{1, 1, 1, 255, 2, 2, 2, 255, 9, 9, 9, 255,  //
                               9, 9, 9, 255, 9, 9, 9, 255, 4, 4, 4, 255}));
}

TEST(TgaReader, RunAcrossRowsWithTopRightOrigin) {
    Header h = rle24(2, 2);
    h.descriptor = 0x30;
    Decoded d = decodeBoth(tgaFile(h, {0x00, 1, 1, 1, 0x81, 9, 9, 9, 0x00, 4, 4, 4}));
    ASSERT_TRUE(d.ok);
    // File row 0 (pixels 1, 9) is the top row, stored right to left.
    EXPECT_EQ(d.pixels, (Bytes{4, 4, 4, 255, 9, 9, 9, 255, 9, 9, 9, 255, 1, 1, 1, 255}));
}

TEST(TgaReader, RunLengthFileCutShort) {
    Decoded d = decodeBoth(tgaFile(rle24(2, 2), {0x00, 1, 2, 3}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(TgaReader, RunLengthCutInsideAPixel) {
    // The second pixel of the raw packet lacks its last byte: it and all after it read as 0.
    Decoded d = decodeBoth(tgaFile(rle24(3, 1), {0x02, 1, 2, 3, 4, 5}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(TgaReader, RunPacketMissingItsPixel) {
    Header h = rle24(3, 1);
    h.depth = 32;
    h.descriptor = 8;
    Decoded d = decodeBoth(tgaFile(h, {0x00, 1, 2, 3, 255, 0x81, 7, 7}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TgaReader, PacketsPastTheLastPixelAreClipped) {
    // A run of 128 and a raw packet of 128 into 3-pixel images: nothing lands outside.
    Decoded run = decodeBoth(tgaFile(rle24(3, 1), {0xFF, 5, 6, 7}));
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.pixels, (Bytes{7, 6, 5, 255, 7, 6, 5, 255, 7, 6, 5, 255}));
    Bytes raw = {0x01, 1, 1, 1, 2, 2, 2, 0x7F};
    for (int i = 0; i < 128 * 3; ++i) raw.push_back(3);
    Decoded d = decodeBoth(tgaFile(rle24(3, 1), raw));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255}));
}

TEST(TgaReader, EmptyPixelDataDecodesAsValueZero) {
    Header h = rle24(1, 3);
    h.depth = 32;
    h.descriptor = 8;
    Decoded d = decodeBoth(tgaFile(h));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, Bytes(12, 0));
}

// ---- Missing data in uncompressed files ----

TEST(TgaReader, MissingPixelDataOfEachKind) {
    Header h24;
    h24.width = 2;
    Decoded d24 = decodeBoth(tgaFile(h24, {1, 2, 3, 4}));
    ASSERT_TRUE(d24.ok);
    EXPECT_EQ(d24.pixels, (Bytes{3, 2, 1, 255, 0, 0, 0, 255}));

    Header h32 = h24;
    h32.depth = 32;
    h32.descriptor = 8;
    Decoded d32 = decodeBoth(tgaFile(h32, {1, 2, 3, 255}));
    ASSERT_TRUE(d32.ok);
    EXPECT_EQ(d32.pixels, (Bytes{3, 2, 1, 255, 0, 0, 0, 0}));

    Header h16 = h24;
    h16.depth = 16;
    Decoded d16 = decodeBoth(tgaFile(h16, {0xFF}));
    ASSERT_TRUE(d16.ok);
    EXPECT_EQ(d16.pixels, (Bytes{0, 0, 0, 255, 0, 0, 0, 255}));
}

// ---- Colour maps ----

Header mapped(uint16_t width, uint16_t mapLength, uint8_t entrySize, uint16_t firstEntry = 0) {
    Header h;
    h.imageType = 1;
    h.mapType = 1;
    h.width = width;
    h.mapLength = mapLength;
    h.entrySize = entrySize;
    h.firstEntry = firstEntry;
    h.depth = 8;
    return h;
}

TEST(TgaReader, ColourMapLooksUpEveryValue) {
    // Entries (blue, green, red): 0 -> (1,2,3), 1 -> (4,5,6).
    Decoded d = decodeBoth(tgaFile(mapped(3, 2, 24), {1, 2, 3, 4, 5, 6, 1, 0, 1}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{6, 5, 4, 255, 3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST(TgaReader, FirstEntryIndexIsHonoured) {
    // Entries 2, 3, 4 stored; values 1 and 5 lie outside and read as entry value 0.
    Bytes map = {10, 10, 10, 20, 20, 20, 30, 30, 30};
    Decoded d = decodeBoth(tgaFile(mapped(5, 3, 24, 2), concat({map, {2, 4, 1, 5, 3}})));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{10, 10,  10, 255, 30, 30,  30, 255, 0,  0,
                               0,  255, 0,  0,   0,  255, 20, 20,  20, 255}));
}

TEST(TgaReader, MissingIndexIsLookedUpLikeValueZero) {
    Bytes map = {10, 10, 10, 20, 20, 20};
    Decoded first0 = decodeBoth(tgaFile(mapped(2, 2, 24), concat({map, {1}})));
    ASSERT_TRUE(first0.ok);
    EXPECT_EQ(first0.pixels, (Bytes{20, 20, 20, 255, 10, 10, 10, 255}));
    // With First Entry Index 1 value 0 is outside: entry value 0, opaque black for 24 bits.
    Decoded first1 = decodeBoth(tgaFile(mapped(2, 2, 24, 1), concat({map, {2}})));
    ASSERT_TRUE(first1.ok);
    EXPECT_EQ(first1.pixels, (Bytes{20, 20, 20, 255, 0, 0, 0, 255}));
}

TEST(TgaReader, ColourMapEntrySizes) {
    Header h32 = mapped(2, 2, 32);
    h32.descriptor = 8;
    Decoded d32 = decodeBoth(tgaFile(h32, {255, 255, 255, 128, 1, 2, 3, 255, 0, 1}));
    ASSERT_TRUE(d32.ok);
    EXPECT_EQ(d32.pixels, (Bytes{128, 128, 128, 128, 3, 2, 1, 255}));

    Header h16 = mapped(1, 1, 16);
    h16.descriptor = 1;
    Decoded d16 = decodeBoth(tgaFile(h16, {0x00, 0x7C, 0}));
    ASSERT_TRUE(d16.ok);
    EXPECT_EQ(d16.pixels, (Bytes{254, 0, 0, 255}));

    Decoded d15 = decodeBoth(tgaFile(mapped(1, 1, 15), {0x1F, 0x00, 0}));
    ASSERT_TRUE(d15.ok);
    EXPECT_EQ(d15.pixels, (Bytes{0, 0, 254, 255}));
}

TEST(TgaReader, SixteenBitIndicesAndTrueColourTypeWithAMap) {
    Header h = mapped(3, 2, 24, 300);
    h.imageType = 2;  // the map is used whatever the type says
    h.depth = 16;
    Bytes data = {1, 2, 3, 4, 5, 6, 0x2D, 0x01, 0x2C, 0x01, 0xFF, 0xFF};
    Decoded d = decodeBoth(tgaFile(h, data));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{6, 5, 4, 255, 3, 2, 1, 255, 0, 0, 0, 255}));
}

TEST(TgaReader, RunLengthColourMapped) {
    Header h = mapped(4, 2, 24);
    h.imageType = 9;
    Decoded d = decodeBoth(tgaFile(h, {1, 2, 3, 4, 5, 6, 0x82, 1, 0x00, 0}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{6, 5, 4, 255, 6, 5, 4, 255, 6, 5, 4, 255, 3, 2, 1, 255}));
}

TEST(TgaReader, EmptyColourMapGivesValueZeroEverywhere) {
    Decoded d = decodeBoth(tgaFile(mapped(2, 0, 24), {0, 7}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{0, 0, 0, 255, 0, 0, 0, 255}));
}

// ---- Image ID ----

TEST(TgaReader, ImageIdIsSkipped) {
    Header h;
    h.idLength = 3;
    Decoded d = decodeBoth(tgaFile(h, {0xEE, 0xEE, 0xEE, 1, 2, 3}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255}));
}

TEST(TgaReader, FileEndingInsideItsImageId) {
    Header h;
    h.idLength = 200;
    h.width = 2;
    h.depth = 32;
    h.descriptor = 8;
    Decoded plain = decodeBoth(tgaFile(h, {1, 2, 3}), 4, TgaError::mapForGrey);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.pixels, Bytes(8, 0));
    EXPECT_EQ(plain.code, TgaError::mapForGrey);  // unchanged: no error on the way

    Header m = mapped(2, 1, 24);
    m.idLength = 200;
    Decoded withMap = decodeBoth(tgaFile(m, {1, 2, 3}));
    EXPECT_FALSE(withMap.ok);
    EXPECT_EQ(withMap.code, TgaError::badColourMap);

    Header empty = mapped(2, 0, 24);
    empty.idLength = 200;
    Decoded emptyMap = decodeBoth(tgaFile(empty, {1, 2, 3}));
    ASSERT_TRUE(emptyMap.ok);  // reading no entries cannot fail
    EXPECT_EQ(emptyMap.pixels, (Bytes{0, 0, 0, 255, 0, 0, 0, 255}));
}

// ---- Errors and their order ----

struct ErrorCase {
    const char* name;
    Bytes file;
    TgaError code;
};

Header with(void (*edit)(Header&)) {
    Header h;
    edit(h);
    return h;
}

TEST(TgaReader, ErrorCodesInTheirOrder) {
    const ErrorCase cases[] = {
        {"no bytes", {}, TgaError::badHeader},
        {"17 header bytes", Bytes(17, 0), TgaError::badHeader},
        {"width 0 even with type 0", tgaFile(with([](Header& h) {
             h.width = 0;
             h.imageType = 0;
         })),
         TgaError::zeroSide},
        {"height 0 before the type", tgaFile(with([](Header& h) {
             h.height = 0;
             h.imageType = 77;
         })),
         TgaError::zeroSide},
        {"type 0 after an ID skip past the end", tgaFile(with([](Header& h) {
             h.idLength = 5;
             h.imageType = 0;
         })),
         TgaError::noData},
        {"black-and-white with a colour map, bad entry size unseen", tgaFile(with([](Header& h) {
             h.imageType = 3;
             h.mapType = 1;
             h.entrySize = 8;
         })),
         TgaError::mapForGrey},
        {"run-length black-and-white with a colour map", tgaFile(with([](Header& h) {
             h.imageType = 11;
             h.mapType = 1;
             h.entrySize = 24;
         })),
         TgaError::mapForGrey},
        {"entry size 8", tgaFile(with([](Header& h) {
             h.imageType = 1;
             h.mapType = 1;
             h.entrySize = 8;
         })),
         TgaError::badEntrySize},
        {"entry size 0 with map length 0", tgaFile(with([](Header& h) {
             h.imageType = 1;
             h.mapType = 1;
             h.entrySize = 0;
         })),
         TgaError::badEntrySize},
        {"short colour map", tgaFile(mapped(1, 4, 24), {1, 2, 3, 4, 5}), TgaError::badColourMap},
        {"type 4 with a short colour map",
         tgaFile(with([](Header& h) {
                     h.imageType = 4;
                     h.mapType = 1;
                     h.entrySize = 24;
                     h.mapLength = 2;
                 }),
                 {1, 2, 3}),
         TgaError::badColourMap},
        {"type 4 with a good colour map",
         tgaFile(with([](Header& h) {
                     h.imageType = 4;
                     h.mapType = 1;
                     h.entrySize = 24;
                     h.mapLength = 1;
                 }),
                 {1, 2, 3, 0}),
         TgaError::unknownType},
        {"type 255", tgaFile(with([](Header& h) { h.imageType = 255; }), {1, 2, 3}),
         TgaError::unknownType},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t format : {3u, 4u}) {
            Decoded d = decodeBoth(c.file, format, TgaError::none);
            EXPECT_FALSE(d.ok);
            EXPECT_EQ(d.code, c.code);
            EXPECT_EQ(d.width, -7);  // the sides are left untouched
            EXPECT_EQ(d.height, -7);
        }
    }
}

TEST(TgaReader, BadFormatComesFirst) {
    for (uint32_t format : {0u, 2u, 5u, 1000u}) {
        Decoded d = decode(Bytes{}, format);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.code, TgaError::badFormat);
    }
}

TEST(TgaReader, HeaderFieldsByTheirOffsets) {
    // Every field a different value; 16-bit fields least significant byte first; the origin
    // (bytes 8 to 11) is read by nothing.
    const Bytes bytes = {5,    1,    9,    0x34, 0x12, 0x00, 0x01, 32,   0xAA, 0xBB,
                         0xCC, 0xDD, 0x02, 0x01, 0xFF, 0xFF, 16,   0x28, 0x77};
    TgaHeader h;
    ASSERT_TRUE(parseTgaHeader(bytes, h));
    EXPECT_EQ(h.idLength, 5u);
    EXPECT_EQ(h.mapType, 1u);
    EXPECT_EQ(h.imageType, 9u);
    EXPECT_EQ(h.firstEntry, 0x1234u);
    EXPECT_EQ(h.mapLength, 256u);
    EXPECT_EQ(h.entrySize, 32u);
    EXPECT_EQ(h.width, 258u);
    EXPECT_EQ(h.height, 65535u);
    EXPECT_EQ(h.pixelDepth, 16u);
    EXPECT_EQ(h.descriptor, 0x28);

    TgaHeader untouched;
    untouched.width = 77;
    EXPECT_FALSE(parseTgaHeader(std::span<const uint8_t>(bytes).first(17), untouched));
    EXPECT_EQ(untouched.width, 77u);
    EXPECT_TRUE(parseTgaHeader(std::span<const uint8_t>(bytes).first(18), untouched));
    static_assert(TGA_HEADER_SIZE == 18);
}

TEST(TgaReader, ErrorTexts) {
    const char* texts[] = {"no error",
                           "bad image header",
                           "cannot open file",
                           "bad format argument",
                           "unexpected end-of-file",
                           "image contains no data",
                           "found colormap for a grayscale image",
                           "unsupported colormap entry size",
                           "bad colormap",
                           "cannot read from file",
                           "unknown image type",
                           "image has size 0 width or height (or both)"};
    for (int32_t code = 0; code < 12; ++code) {
        EXPECT_STREQ(tgaErrorText(static_cast<TgaError>(code)), texts[code]);
    }
    EXPECT_STREQ(tgaErrorText(TgaError::zeroSide), texts[11]);
    EXPECT_STREQ(tgaErrorText(static_cast<TgaError>(12)), "unknown error");
    EXPECT_STREQ(tgaErrorText(static_cast<TgaError>(-1)), "unknown error");
    EXPECT_STREQ(tgaErrorText(static_cast<TgaError>(INT32_MIN)), "unknown error");
}

// ---- The size bound ----

TEST(TgaReader, HostileSizeRefusedWithCodeUnchanged) {
    // 65535 x 65535 and just over 2^28: refused without allocating, the code left as it was,
    // even for an unknown type (its error would come only after the allocation).
    const Header sizes[] = {
        with([](Header& h) {
            h.width = 65535;
            h.height = 65535;
        }),
        with([](Header& h) {
            h.width = 16385;
            h.height = 16384;
        }),
        with([](Header& h) {
            h.width = 65535;
            h.height = 65535;
            h.imageType = 4;
        }),
    };
    for (const Header& h : sizes) {
        Decoded d = decodeBoth(tgaFile(h), 4, TgaError::cannotRead);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.code, TgaError::cannotRead);
        EXPECT_EQ(d.width, -7);
    }
    // The checks before the bound still decide their codes.
    Decoded shortMap = decodeBoth(tgaFile(with([](Header& h) {
                                      h.width = 65535;
                                      h.height = 65535;
                                      h.mapType = 1;
                                      h.entrySize = 24;
                                      h.mapLength = 9;
                                  })),
                                  4, TgaError::cannotRead);
    EXPECT_EQ(shortMap.code, TgaError::badColourMap);
    static_assert(TGA_MAX_PIXELS == (uint64_t{1} << 28));
}

// ---- loadTga on real files ----

TEST(TgaLoad, LoadsAFileFromDisk) {
    testsupport::TempDir dir;
    std::string path = dir.file("four.tga");
    testsupport::writeFile(path, tgaFile(twoByTwo24(0), kFourPixels));
    int32_t width = 0, height = 0;
    auto image = loadTga(path.c_str(), &width, &height, 4);
    ASSERT_TRUE(image);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(Bytes(image.get(), image.get() + 16),
              (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}));
}

TEST(TgaLoad, MissingFileAndBadFormat) {
    testsupport::TempDir dir;
    std::string missing = dir.file("missing.tga");
    int32_t width = -7, height = -7;
    EXPECT_FALSE(loadTga(missing.c_str(), &width, &height, 4));
    EXPECT_EQ(tgaLastError(), TgaError::cannotOpen);
    EXPECT_FALSE(loadTga(dir.path().c_str(), &width, &height, 4));  // a folder
    EXPECT_EQ(tgaLastError(), TgaError::cannotOpen);
    // The format is checked before the file is touched: no error 2 for the missing file.
    EXPECT_FALSE(loadTga(missing.c_str(), &width, &height, 2));
    EXPECT_EQ(tgaLastError(), TgaError::badFormat);
    EXPECT_FALSE(loadTga(missing.c_str(), &width, &height, 5));
    EXPECT_EQ(tgaLastError(), TgaError::badFormat);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
}

TEST(TgaLoad, CodeOutlivesALaterSuccess) {
    testsupport::TempDir dir;
    std::string bad = dir.file("bad.tga");
    std::string good = dir.file("good.tga");
    testsupport::writeFile(bad, tgaFile(with([](Header& h) { h.imageType = 0; })));
    testsupport::writeFile(good, tgaFile(Header{}, {1, 2, 3}));
    int32_t width = 0, height = 0;
    EXPECT_FALSE(loadTga(bad.c_str(), &width, &height, 4));
    EXPECT_EQ(tgaLastError(), TgaError::noData);
    EXPECT_TRUE(loadTga(good.c_str(), &width, &height, 4));
    EXPECT_EQ(tgaLastError(), TgaError::noData);
}
