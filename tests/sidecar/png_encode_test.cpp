// The PNG encoder: its header bytes written out from the format, its pixels read back by
// libspng's decoder, the same bytes for the same inputs, and every refusal.
#include <gtest/gtest.h>

#include <vector>

#include "sidecar/png_encode.hpp"
#include "tests/sidecar/png_reader.hpp"

namespace {

// Rows of `pixels`, `rowBytes` each.
PngRowSource rowsOf(const std::vector<uint8_t>& pixels, size_t rowBytes) {
    return [&pixels, rowBytes](uint32_t y) { return pixels.data() + y * rowBytes; };
}

// A 3 x 2 RGBA image with every alpha level class: opaque, half, invisible with a colour.
const std::vector<uint8_t> kRgba = {
    255, 0, 0, 255, 0,   255, 0,  128, 9, 9, 9, 0,  //
    1,   2, 3, 4,   200, 100, 50, 255, 0, 0, 0, 0,
};

TEST(PngEncode, RgbaRowsReadBackExactly) {
    std::vector<uint8_t> png;
    ASSERT_TRUE(encodePng(3, 2, PngPixels::rgba, 6, rowsOf(kRgba, 12), png));
    // Signature, then IHDR: length 13, "IHDR", width 3, height 2, depth 8, colour type 6
    // (truecolour with alpha), compression, filter and interlace 0.
    const std::vector<uint8_t> head = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0,
                                       0,    13,  'I', 'H', 'D',  'R',  0,    0,    0, 3,
                                       0,    0,   0,   2,   8,    6,    0,    0,    0};
    ASSERT_GE(png.size(), head.size());
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + head.size()), head);
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t type = 0;
    std::vector<uint8_t> back;
    ASSERT_TRUE(sidecartest::decodePng(png, SPNG_FMT_RGBA8, width, height, type, back));
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(back, kRgba);
}

TEST(PngEncode, RgbAtEveryLevelReadsBackAndRepeatsItsBytes) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 40 * 30 * 3; ++i) rgb.push_back(static_cast<uint8_t>(i % 7 * 30));
    std::vector<uint8_t> stored;
    std::vector<uint8_t> smallest;
    for (int32_t level = PNG_LOWEST_COMPRESSION_LEVEL; level <= PNG_HIGHEST_COMPRESSION_LEVEL;
         ++level) {
        std::vector<uint8_t> first;
        std::vector<uint8_t> again;
        ASSERT_TRUE(encodePng(40, 30, PngPixels::rgb, level, rowsOf(rgb, 120), first)) << level;
        ASSERT_TRUE(encodePng(40, 30, PngPixels::rgb, level, rowsOf(rgb, 120), again)) << level;
        EXPECT_EQ(first, again) << level;
        const sidecartest::RgbImage image = sidecartest::readPng(first);
        ASSERT_TRUE(image.ok) << level;
        EXPECT_EQ(image.colourType, 2) << level;
        EXPECT_EQ(image.rgb, rgb) << level;
        if (level == PNG_LOWEST_COMPRESSION_LEVEL) stored = first;
        if (level == PNG_HIGHEST_COMPRESSION_LEVEL) smallest = first;
    }
    // Level 0 stores the 30 x (1 + 120) filtered bytes as they are.
    EXPECT_GT(stored.size(), size_t{30 * 121});
    EXPECT_LT(smallest.size(), stored.size() / 4);
}

TEST(PngEncode, RefusalsLeaveNothing) {
    std::vector<uint8_t> rgb(2 * 2 * 3, 7);
    struct Refusal {
        const char* what;
        uint32_t width, height;
        int32_t level;
        bool refuseRow;
    };
    const Refusal refusals[] = {
        {"level above 9", 2, 2, 10, false}, {"level below 0", 2, 2, -1, false},
        {"width 0", 0, 2, 6, false},        {"height 0", 2, 0, 6, false},
        {"a refused row", 2, 2, 6, true},
    };
    for (const Refusal& r : refusals) {
        std::vector<uint8_t> png = {1, 2, 3};
        const PngRowSource rows = [&](uint32_t y) -> const uint8_t* {
            return r.refuseRow && y == 1 ? nullptr : rgb.data() + y * 6;
        };
        EXPECT_FALSE(encodePng(r.width, r.height, PngPixels::rgb, r.level, rows, png)) << r.what;
        EXPECT_TRUE(png.empty()) << r.what;
    }
}

}  // namespace
