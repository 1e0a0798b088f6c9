#include "sprite/crop.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// An RGBA picture as the TGA reader delivers it: rows of 4-byte pixels, buffer row 0 first.
struct Rgba {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> bytes;
    Rgba(int32_t w, int32_t h) : width(w), height(h), bytes(size_t(w) * size_t(h) * 4, 0) {}
    void set(int32_t x, int32_t row, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        uint8_t* p = &bytes[(size_t(row) * size_t(width) + size_t(x)) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = a;
    }
    std::vector<uint8_t> pixel(int32_t x, int32_t row) const {
        const uint8_t* p = &bytes[(size_t(row) * size_t(width) + size_t(x)) * 4];
        return {p, p + 4};
    }
};

std::vector<uint8_t> pixelOf(const uint8_t* image, int32_t width, int32_t x, int32_t row) {
    const uint8_t* p = image + (size_t(row) * size_t(width) + size_t(x)) * 4;
    return {p, p + 4};
}

// Values the crops must overwrite.
void spoilRectangle() {
    cropTop = cropBottom = cropLeft = cropRight = -12345;
}

TEST(CropRgba, OneVisiblePixelIsCopied) {
    Rgba img(1, 1);
    img.set(0, 0, 10, 20, 30, 40);
    spoilRectangle();
    int32_t w = -1, h = -1;
    auto out = cropRgba(img.bytes.data(), 1, 1, &w, &h);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(pixelOf(out.get(), 1, 0, 0), (std::vector<uint8_t>{10, 20, 30, 40}));
    EXPECT_EQ(cropLeft, 0);
    EXPECT_EQ(cropTop, 0);
}

TEST(CropIndexed, OneVisiblePixelIsCopied) {
    const uint8_t px = 7;
    spoilRectangle();
    int32_t w = -1, h = -1;
    auto out = cropIndexed(&px, 1, 1, &w, &h, 255);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(cropLeft, 0);
    EXPECT_EQ(cropTop, 0);
}

struct Size {
    int32_t width;
    int32_t height;
};
constexpr Size kBlankSizes[] = {{1, 1}, {3, 2}, {2, 3}, {17, 5}, {1, 40}, {100, 1}, {33, 33}};

TEST(CropRgba, AllEmptyIsBlank) {
    for (const Size& s : kBlankSizes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        Rgba img(s.width, s.height);
        spoilRectangle();
        int32_t w = -1, h = -1;
        EXPECT_EQ(cropRgba(img.bytes.data(), s.width, s.height, &w, &h), nullptr);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        EXPECT_EQ(cropLeft, s.width);
        EXPECT_EQ(cropTop, s.height);
    }
}

TEST(CropIndexed, AllTransparentIsBlank) {
    for (const Size& s : kBlankSizes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        std::vector<uint8_t> img(size_t(s.width) * size_t(s.height), 255);
        spoilRectangle();
        int32_t w = -1, h = -1;
        EXPECT_EQ(cropIndexed(img.data(), s.width, s.height, &w, &h, 255), nullptr);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        EXPECT_EQ(cropLeft, s.width);
        EXPECT_EQ(cropTop, s.height);
    }
}

// A pixel is empty only when all four bytes are zero: alpha alone, or colour with alpha 0,
// is visible.
TEST(CropRgba, AnyNonZeroByteIsVisible) {
    struct Case {
        const char* what;
        uint8_t r, g, b, a;
    };
    constexpr Case kCases[] = {
        {"alpha only", 0, 0, 0, 1},      {"black, opaque", 0, 0, 0, 255},
        {"red, alpha 0", 1, 0, 0, 0},    {"green, alpha 0", 0, 1, 0, 0},
        {"blue, alpha 0", 0, 0, 128, 0}, {"white, alpha 0", 255, 255, 255, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Rgba img(3, 3);
        img.set(1, 1, c.r, c.g, c.b, c.a);
        int32_t w = 0, h = 0;
        auto out = cropRgba(img.bytes.data(), 3, 3, &w, &h);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(w, 1);
        EXPECT_EQ(h, 1);
        EXPECT_EQ(pixelOf(out.get(), 1, 0, 0), (std::vector<uint8_t>{c.r, c.g, c.b, c.a}));
        EXPECT_EQ(cropLeft, 1);
        EXPECT_EQ(cropTop, 1);
    }
}

TEST(CropRgba, PixelInBottomBufferRowIsAtTopTwo) {
    Rgba img(4, 3);
    img.set(2, 0, 9, 8, 7, 6);  // buffer row 0 is the picture's bottom row
    spoilRectangle();
    int32_t w = 0, h = 0;
    auto out = cropRgba(img.bytes.data(), 4, 3, &w, &h);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(cropLeft, 2);
    EXPECT_EQ(cropTop, 2);
    EXPECT_EQ(pixelOf(out.get(), 1, 0, 0), (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST(CropRgba, OutputIsTurnedUpsideDown) {
    Rgba img(2, 2);
    img.set(0, 0, 1, 1, 1, 255);
    img.set(1, 0, 2, 2, 2, 255);
    img.set(0, 1, 3, 3, 3, 255);
    img.set(1, 1, 4, 4, 4, 255);
    spoilRectangle();
    int32_t w = 0, h = 0;
    auto out = cropRgba(img.bytes.data(), 2, 2, &w, &h);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    EXPECT_EQ(std::memcmp(out.get(), &img.bytes[8], 8), 0);  // output row 0 = source row 1
    EXPECT_EQ(std::memcmp(out.get() + 8, &img.bytes[0], 8), 0);
    EXPECT_EQ(cropTop, 0);
    EXPECT_EQ(cropLeft, 0);
}

// cropTop counts the empty buffer rows after the rectangle (the rows above it, upright);
// the empty rows before it (below it, upright) do not count.
TEST(CropRgba, CropTopCountsRowsAboveTheUprightSprite) {
    Rgba img(6, 10);
    img.set(1, 2, 1, 0, 0, 255);  // buffer rows 2..4 hold the sprite
    img.set(4, 4, 2, 0, 0, 255);
    int32_t w = 0, h = 0;
    auto out = cropRgba(img.bytes.data(), 6, 10, &w, &h);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(cropLeft, 1);
    EXPECT_EQ(cropTop, 5);  // buffer rows 5..9
    EXPECT_EQ(cropBottom, 4);
    EXPECT_EQ(cropRight, 4);
    EXPECT_EQ(pixelOf(out.get(), 4, 3, 0), img.pixel(4, 4));  // last kept row comes first
    EXPECT_EQ(pixelOf(out.get(), 4, 0, 2), img.pixel(1, 2));
}

TEST(CropIndexed, IndexZeroIsVisibleAnd255IsNot) {
    const uint8_t img[3 * 2] = {255, 255, 255, 255, 0, 255};
    int32_t w = 0, h = 0;
    auto out = cropIndexed(img, 3, 2, &w, &h, 255);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(cropLeft, 1);
    EXPECT_EQ(cropTop, 1);
}

TEST(CropIndexed, TransparentIndexIsTheCallers) {
    const uint8_t img[3 * 2] = {0, 0, 0, 0, 0, 255};
    int32_t w = 0, h = 0;
    auto out = cropIndexed(img, 3, 2, &w, &h, 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(cropLeft, 2);
    EXPECT_EQ(cropTop, 1);
}

TEST(CropIndexed, RowsKeepTheirOrder) {
    constexpr uint8_t T = 255;
    const uint8_t img[5 * 4] = {
        T, T, T, T, T,  //
        T, T, T, 1, 2,  //
        T, T, T, 3, T,  //
        T, T, T, T, T,  //
    };
    spoilRectangle();
    int32_t w = 0, h = 0;
    auto out = cropIndexed(img, 5, 4, &w, &h, 255);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    EXPECT_EQ((std::vector<uint8_t>(out.get(), out.get() + 4)), (std::vector<uint8_t>{1, 2, 3, T}));
    EXPECT_EQ(cropLeft, 3);
    EXPECT_EQ(cropTop, 1);
}

// A side below 1 is blank: nothing is read (the pixels are a null pointer here).
TEST(Crop, SideBelowOneReadsNothing) {
    constexpr int32_t MIN = std::numeric_limits<int32_t>::min();
    constexpr Size kCases[] = {{0, 0}, {0, 5}, {5, 0}, {-1, 3}, {3, -1}, {MIN, 2}, {2, MIN}};
    for (const Size& s : kCases) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        int32_t w = -1, h = -1;
        EXPECT_EQ(cropRgba(nullptr, s.width, s.height, &w, &h), nullptr);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        w = h = -1;
        EXPECT_EQ(cropIndexed(nullptr, s.width, s.height, &w, &h, 255), nullptr);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(CropRows, RowAndColumnTests) {
    Rgba img(70, 3);  // rows of 280 bytes: whole 64-byte blocks and a tail
    img.set(69, 1, 0, 0, 0, 1);
    EXPECT_EQ(rowIsEmptyRgba(img.bytes.data(), 70, 0), 1);
    EXPECT_EQ(rowIsEmptyRgba(img.bytes.data(), 70, 1), 0);
    EXPECT_EQ(rowIsEmptyRgba(img.bytes.data(), 70, 2), 1);
    EXPECT_EQ(columnIsEmptyRgba(img.bytes.data(), 70, 3, 0), 1);
    EXPECT_EQ(columnIsEmptyRgba(img.bytes.data(), 70, 3, 68), 1);
    EXPECT_EQ(columnIsEmptyRgba(img.bytes.data(), 70, 3, 69), 0);

    std::vector<uint8_t> idx(size_t(130) * 2, 9);
    idx[130 + 64] = 8;
    EXPECT_EQ(rowIsEmptyIndexed(idx.data(), 130, 0, 9), 1);
    EXPECT_EQ(rowIsEmptyIndexed(idx.data(), 130, 1, 9), 0);
    EXPECT_EQ(rowIsEmptyIndexed(idx.data(), 130, 1, 8), 0);
    EXPECT_EQ(columnIsEmptyIndexed(idx.data(), 130, 2, 63, 9), 1);
    EXPECT_EQ(columnIsEmptyIndexed(idx.data(), 130, 2, 64, 9), 0);
}

// Random pictures against a brute-force bounding box: every pixel is looked at, without the
// routines' scans.
TEST(Crop, MatchesBruteForceBoundingBox) {
    std::mt19937 rng(20240611);
    for (int iter = 0; iter < 400; ++iter) {
        const int32_t width = 1 + int32_t(rng() % 90);
        const int32_t height = 1 + int32_t(rng() % 40);
        const bool indexed = iter % 2 == 1;
        const size_t bpp = indexed ? 1 : 4;
        const uint8_t empty = indexed ? 255 : 0;
        std::vector<uint8_t> img(size_t(width) * size_t(height) * bpp, empty);
        const int dots = int(rng() % 4);  // 0: blank
        for (int d = 0; d < dots; ++d) {
            size_t at =
                (size_t(rng() % uint32_t(height)) * size_t(width) + rng() % uint32_t(width)) * bpp;
            img[at + (indexed ? 0 : rng() % 4)] = uint8_t(indexed ? rng() % 255 : 1 + rng() % 255);
        }
        int32_t x0 = width, x1 = -1, y0 = height, y1 = -1;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* p = &img[(size_t(y) * size_t(width) + size_t(x)) * bpp];
                bool visible = indexed ? p[0] != 255 : (p[0] | p[1] | p[2] | p[3]) != 0;
                if (!visible) continue;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
        SCOPED_TRACE(testing::Message() << "iter " << iter << " " << width << "x" << height);
        int32_t w = -1, h = -1;
        auto out = indexed ? cropIndexed(img.data(), width, height, &w, &h, 255)
                           : cropRgba(img.data(), width, height, &w, &h);
        if (x1 < 0) {
            EXPECT_EQ(out, nullptr);
            EXPECT_EQ(w, 0);
            EXPECT_EQ(h, 0);
            EXPECT_EQ(cropLeft, width);
            EXPECT_EQ(cropTop, height);
            continue;
        }
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(w, x1 - x0 + 1);
        ASSERT_EQ(h, y1 - y0 + 1);
        EXPECT_EQ(cropLeft, x0);
        EXPECT_EQ(cropTop, indexed ? y0 : height - 1 - y1);
        for (int32_t r = 0; r < h; ++r) {
            const int32_t srcRow = indexed ? y0 + r : y1 - r;
            const uint8_t* src = &img[(size_t(srcRow) * size_t(width) + size_t(x0)) * bpp];
            ASSERT_EQ(std::memcmp(out.get() + size_t(r) * size_t(w) * bpp, src, size_t(w) * bpp), 0)
                << "output row " << r;
        }
    }
}

}  // namespace
