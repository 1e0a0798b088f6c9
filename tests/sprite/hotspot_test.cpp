#include "sprite/hotspot.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

struct HotspotCase {
    int32_t method;
    int32_t W, H, x, y;
    int32_t hx, hy;
};

// The source sides (3rd and 4th arguments) never enter a result; the cases pass odd values.
constexpr HotspotCase kHotspotCases[] = {
    {HS_MIDDLE, 7, 4, 99, 99, -3, -2},
    {HS_MIDDLE, 1, 1, 99, 99, 0, 0},
    {HS_MIDDLE, 10, 6, 0, 0, -5, -3},
    {HS_UPLEFT, 10, 6, 99, 99, 0, 0},
    {HS_UPRIGHT, 10, 6, 99, 99, -10, 0},
    {HS_DOWNLEFT, 10, 6, 99, 99, 0, -6},
    {HS_DOWNRIGHT, 10, 6, 99, 99, -10, -6},
    {HS_HOTXY, 10, 6, 3, 4, 3, 4},
    {HS_HOTXY, 10, 6, -4, 6, -4, 6},
    {HS_HOTXY, 10, 6, 500, -700, 500, -700},  // outside the sprite: copied all the same
    {6, 10, 6, 3, 4, 0, 0},
    {-1, 10, 6, 3, 4, 0, 0},
    {std::numeric_limits<int32_t>::min(), 10, 6, 3, 4, 0, 0},
    {HS_DOWNRIGHT, std::numeric_limits<int32_t>::min(), 1, 0, 0,  // wraps, no overflow trap
     std::numeric_limits<int32_t>::min(), -1},
};

TEST(PlaceHotspot, Table) {
    for (const HotspotCase& c : kHotspotCases) {
        SCOPED_TRACE(testing::Message() << "method " << c.method << " " << c.W << "x" << c.H);
        SpriteRecord r;
        r.hid = 77;
        r.padding = 1;
        r.hx = 1234;
        r.hy = -5678;
        r.wd = 11;
        r.ht = 12;
        r.hotspotMethod = 3;
        placeHotspot(r, c.method, 1001, 1003, c.W, c.H, c.x, c.y);
        EXPECT_EQ(r.hx, c.hx);
        EXPECT_EQ(r.hy, c.hy);
        // No other field is written.
        EXPECT_EQ(r.hid, 77u);
        EXPECT_EQ(r.padding, 1);
        EXPECT_EQ(r.wd, 11);
        EXPECT_EQ(r.ht, 12);
        EXPECT_EQ(r.hotspotMethod, 3);
    }
}

TEST(PlaceHotspot, BlankSpriteGivesZeroUnderEveryMethodButHotXY) {
    for (int32_t method = HS_MIDDLE; method <= HS_DOWNRIGHT; ++method) {
        SpriteRecord r;
        r.hx = 9;
        r.hy = 9;
        placeHotspot(r, method, 0, 0, 0, 0, 5, 6);
        EXPECT_EQ(r.hx, 0) << method;
        EXPECT_EQ(r.hy, 0) << method;
    }
    SpriteRecord r;
    placeHotspot(r, HS_HOTXY, 0, 0, 0, 0, 5, 6);
    EXPECT_EQ(r.hx, 5);
    EXPECT_EQ(r.hy, 6);
}

TEST(NextPowerOfTwo, Table) {
    constexpr int32_t MAX = std::numeric_limits<int32_t>::max();
    constexpr int32_t MIN = std::numeric_limits<int32_t>::min();
    constexpr struct {
        int32_t n, p;
    } kCases[] = {
        {0, 1},
        {1, 1},
        {2, 2},
        {3, 4},
        {64, 64},
        {65, 128},
        {1000, 1024},
        {1024, 1024},
        {1025, 2048},
        {-1, 1},
        {-1000, 1},
        {MIN, 1},
        {(1 << 29) + 1, 1 << 30},
        {1 << 30, 1 << 30},
        {(1 << 30) + 1, 0},
        {MAX, 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(nextPowerOfTwo(c.n), c.p) << c.n;
}

std::vector<uint8_t> numberedImage(int32_t w, int32_t h) {
    std::vector<uint8_t> img(size_t(w) * size_t(h) * 4);
    for (size_t i = 0; i < img.size(); ++i) img[i] = uint8_t(1 + i % 250);  // never zero
    return img;
}

TEST(PadToPowerOfTwo, ThreeByFiveGoesBottomLeftOfFourByEight) {
    const auto img = numberedImage(3, 5);
    auto out = padToPowerOfTwo(img.data(), 3, 5);
    ASSERT_NE(out, nullptr);
    const uint8_t zero[4] = {};
    for (int32_t row = 0; row < 8; ++row) {
        for (int32_t x = 0; x < 4; ++x) {
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << x);
            const uint8_t* got = out.get() + (size_t(row) * 4 + size_t(x)) * 4;
            if (row < 3 || x == 3) {
                EXPECT_EQ(std::memcmp(got, zero, 4), 0);
            } else {
                const uint8_t* want = &img[(size_t(row - 3) * 3 + size_t(x)) * 4];
                EXPECT_EQ(std::memcmp(got, want, 4), 0);
            }
        }
    }
}

TEST(PadToPowerOfTwo, PowerOfTwoSidesGiveAnExactCopy) {
    constexpr struct { int32_t w, h; } kSides[] = {{1, 1}, {4, 8}, {16, 2}, {64, 64}};
    for (const auto& s : kSides) {
        const auto img = numberedImage(s.w, s.h);
        auto out = padToPowerOfTwo(img.data(), s.w, s.h);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(std::memcmp(out.get(), img.data(), img.size()), 0) << s.w << "x" << s.h;
    }
}

TEST(PadToPowerOfTwo, EmptyImageGivesOneZeroPixel) {
    auto out = padToPowerOfTwo(nullptr, 0, 0);  // the source is not read
    ASSERT_NE(out, nullptr);
    const uint8_t zero[4] = {};
    EXPECT_EQ(std::memcmp(out.get(), zero, 4), 0);
}

TEST(PadToPowerOfTwo, NegativeSideCopiesNothing) {
    auto out = padToPowerOfTwo(nullptr, -5, 3);
    ASSERT_NE(out, nullptr);  // a 1 x 4 canvas of zero pixels
    const uint8_t zero[16] = {};
    EXPECT_EQ(std::memcmp(out.get(), zero, 16), 0);
}

TEST(PadToPowerOfTwo, SideAbove2To30IsRefused) {
    constexpr int32_t BIG = (1 << 30) + 1;
    EXPECT_EQ(padToPowerOfTwo(nullptr, BIG, 1), nullptr);
    EXPECT_EQ(padToPowerOfTwo(nullptr, 1, BIG), nullptr);
    EXPECT_EQ(padToPowerOfTwo(nullptr, std::numeric_limits<int32_t>::max(), 3), nullptr);
}

}  // namespace
