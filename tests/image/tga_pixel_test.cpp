// The per-pixel steps on their own: reading from a bounded cursor, the channel arithmetic and
// the premultiplication table, and where each origin stores a pixel.
#include <gtest/gtest.h>

#include <vector>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"

using Bytes = std::vector<uint8_t>;

TEST(TgaPixel, FiveBitLevels) {
    const uint8_t expected[32] = {0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,
                                  90,  98,  106, 115, 123, 131, 139, 148, 156, 164, 172,
                                  180, 189, 197, 205, 213, 222, 230, 238, 246, 254};
    for (uint32_t level = 0; level < 32; ++level) {
        EXPECT_EQ(tgaLevels5()[level], expected[level]) << level;
        // Blue of a 15-bit value goes to byte 2 of the output.
        EXPECT_EQ((convertTgaPixel(level, 15, 0, 4) >> 16) & 0xFF, expected[level]) << level;
    }
    EXPECT_EQ(tgaLevels6()[63], 254);
    EXPECT_EQ(tgaLevels6()[1], 4);
    EXPECT_EQ(tgaLevels6()[32], 129);  // trunc(32 x 4.0476f) = trunc(129.52...)
}

TEST(TgaPixel, PremultiplyTableMatchesTheFormula) {
    const uint8_t* table = tgaPremultiplyTable();
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            uint32_t expected = static_cast<uint32_t>((c / 255.0) * (a / 255.0) * 255.0);
            ASSERT_EQ(table[a * 256 + c], expected) << a << " " << c;
        }
    }
    // The fast decoders copy opaque colours and zero transparent ones without the table.
    for (uint32_t c = 0; c < 256; ++c) {
        EXPECT_EQ(table[255 * 256 + c], c);
        EXPECT_EQ(table[c], 0);
    }
    EXPECT_EQ(table[17 * 256 + 195], 12);  // one below 195 x 17 / 255 = 13
}

TEST(TgaPixel, ConvertExchangesRedAndBlue) {
    EXPECT_EQ(convertTgaPixel(0x00010203, 24, 0, 4), 0xFF030201u);
    EXPECT_EQ(convertTgaPixel(0x00010203, 24, 0, 3), 0x00030201u);
    EXPECT_EQ(convertTgaPixel(0x80FFFFFF, 32, 8, 4), 0x80808080u);
    EXPECT_EQ(convertTgaPixel(0x80FFFFFF, 32, 0, 4), 0xFFFFFFFFu);
    EXPECT_EQ(convertTgaPixel(0xFFFF, 16, 0, 4), 0xFFFEFEFEu);
}

TEST(TgaPixel, StoreByOrigin) {
    // 3 x 2 image, pixel index 1 (file row 0, column 1).
    struct Case {
        uint8_t descriptor;
        size_t offset;
    };
    const Case cases[] = {{0x00, 1 * 4}, {0x10, 1 * 4}, {0x20, 4 * 4}, {0x30, 4 * 4}};
    for (const auto& c : cases) {
        Bytes image(24, 0);
        storeTgaPixel(image.data(), c.descriptor, 1, 3, 2, 0x04030201, 4);
        Bytes expected(24, 0);
        expected[c.offset] = 1;
        expected[c.offset + 1] = 2;
        expected[c.offset + 2] = 3;
        expected[c.offset + 3] = 4;
        EXPECT_EQ(image, expected) << int{c.descriptor};
    }
    Bytes image(24, 0);
    storeTgaPixel(image.data(), 0x10, 0, 3, 2, 0x04030201, 4);  // column 0 of a right-to-left row
    EXPECT_EQ(Bytes(image.begin() + 8, image.begin() + 12), (Bytes{1, 2, 3, 4}));
    Bytes rgb(18, 0);
    storeTgaPixel(rgb.data(), 0x00, 5, 3, 2, 0x04030201, 3);
    EXPECT_EQ(Bytes(rgb.begin() + 15, rgb.end()), (Bytes{1, 2, 3}));
    // An index outside the image stores nothing.
    Bytes untouched(24, 0);
    storeTgaPixel(untouched.data(), 0x00, 6, 3, 2, 0x04030201, 4);
    EXPECT_EQ(untouched, Bytes(24, 0));
}

TEST(TgaPixel, ReadFromACursor) {
    Bytes data = {1, 2, 3, 4, 5, 6, 7};
    TgaCursor cursor{data, 0};
    EXPECT_EQ(readTgaPixel(cursor, 2, nullptr), 0x0201u);
    EXPECT_EQ(readTgaPixel(cursor, 3, nullptr), 0x050403u);
    // Two bytes wanted, one left: the value resets to 0 and the cursor reaches the end.
    EXPECT_EQ(readTgaPixel(cursor, 3, nullptr), 0u);
    EXPECT_EQ(cursor.pos, data.size());
    EXPECT_EQ(readTgaPixel(cursor, 1, nullptr), 0u);

    TgaCursor wide{data, 0};
    EXPECT_EQ(readTgaPixel(wide, 6, nullptr), 0x04030201u);  // only four bytes combine
    EXPECT_EQ(wide.pos, 6u);
}

TEST(TgaPixel, ColourMapLookupStaysInside) {
    Bytes entries = {1, 2, 3, 4, 5, 6};  // two 24-bit entries
    TgaColourMap map{entries.data(), 2, 3, 10};
    EXPECT_EQ(lookupTgaColour(map, 10), 0x030201u);
    EXPECT_EQ(lookupTgaColour(map, 11), 0x060504u);
    EXPECT_EQ(lookupTgaColour(map, 9), 0u);
    EXPECT_EQ(lookupTgaColour(map, 12), 0u);
    EXPECT_EQ(lookupTgaColour(map, 0xFFFFFFFFu), 0u);
    Bytes one = {11};
    TgaCursor cursor{one, 0};
    EXPECT_EQ(readTgaPixel(cursor, 1, &map), 0x060504u);
    EXPECT_EQ(readTgaPixel(cursor, 1, &map), 0u);  // missing: value 0, below the first entry
}
