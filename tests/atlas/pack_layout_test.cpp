// Small packings whose best answer is plain by hand, and the rule for rects of equal size: the
// result depends only on the list of sizes, and among equal rects the lower index takes the
// place the packer fills first, so that permuting a list permutes only those places.
#include "atlas/maxrects.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace {

PackResult pack(const std::vector<PackRect>& rects, const PackOptions& options) {
    PackResult result;
    size_t firstTooLarge = 0;
    EXPECT_EQ(packRects(rects, options, result, firstTooLarge), PackStatus::packed);
    return result;
}

using Corner = std::array<int32_t, 3>;  // page, x, y

std::vector<Corner> cornersOf(const PackResult& r) {
    std::vector<Corner> c;
    for (const PackPlace& p : r.places) c.push_back({p.page, p.x, p.y});
    std::sort(c.begin(), c.end());
    return c;
}

std::vector<std::pair<int32_t, int32_t>> pageSides(const PackResult& r) {
    std::vector<std::pair<int32_t, int32_t>> s;
    for (const PackPage& p : r.pages) s.push_back({p.w, p.h});
    return s;
}

TEST(PackLayout, FourSquaresFillAPageWithThePaddingBetween) {
    // 10 + 2 + 10 = 22 each way: the only way in is a 2 x 2 grid.
    const PackResult r = pack(std::vector<PackRect>(4, {10, 10}), {22, 2, false});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{22, 22}}));
    EXPECT_EQ(cornersOf(r), (std::vector<Corner>{{0, 0, 0}, {0, 0, 12}, {0, 12, 0}, {0, 12, 12}}));
}

TEST(PackLayout, AFifthSquareGoesAloneOnASecondTrimmedPage) {
    const PackResult r = pack(std::vector<PackRect>(5, {10, 10}), {22, 2, false});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{22, 22}, {10, 10}}));
    EXPECT_EQ(r.places[4].page, 1);  // the last of equal rects is placed last
    EXPECT_EQ(r.places[4].x, 0);
    EXPECT_EQ(r.places[4].y, 0);
}

TEST(PackLayout, OneRectMakesAPageOfItsOwnSize) {
    const PackResult r = pack({{37, 21}}, {});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{37, 21}}));
    EXPECT_EQ(cornersOf(r), (std::vector<Corner>{{0, 0, 0}}));
}

TEST(PackLayout, PowerOfTwoPagesRoundTheExtentUp) {
    EXPECT_EQ(pageSides(pack({{37, 21}}, {4096, 2, true})),
              (std::vector<std::pair<int32_t, int32_t>>{{64, 32}}));
    // maxSize 100 allows pages of 64 at most: two 40 x 40 squares need 40 + 2 + 40 = 82 > 64.
    EXPECT_EQ(pageSides(pack({{40, 40}, {40, 40}}, {100, 2, true})),
              (std::vector<std::pair<int32_t, int32_t>>{{64, 64}, {64, 64}}));
}

TEST(PackLayout, ExactFitsAtTheLargestSize) {
    EXPECT_EQ(pageSides(pack({{4096, 4096}, {4096, 4096}}, {})),
              (std::vector<std::pair<int32_t, int32_t>>{{4096, 4096}, {4096, 4096}}));
    // Two halves with the padding between them: 31 + 2 + 31 = 64.
    const PackResult r = pack({{31, 64}, {31, 64}}, {64, 2, false});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{64, 64}}));
    EXPECT_EQ(cornersOf(r), (std::vector<Corner>{{0, 0, 0}, {0, 33, 0}}));
}

TEST(PackLayout, SixteenSquaresWithoutPaddingMakeOneFullSquarePage) {
    const PackResult r = pack(std::vector<PackRect>(16, {10, 10}), {40, 0, false});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{40, 40}}));
    std::vector<Corner> grid;
    for (int32_t x = 0; x < 40; x += 10)
        for (int32_t y = 0; y < 40; y += 10) grid.push_back({0, x, y});
    EXPECT_EQ(cornersOf(r), grid);
}

TEST(PackLayout, TwoSquaresWithoutPaddingSitSideBySide) {
    const PackResult r = pack({{10, 10}, {10, 10}}, {4096, 0, false});
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(int64_t{r.pages[0].w} * r.pages[0].h, 200);
}

TEST(PackLayout, ASmallSetShrinksToOneCompactPage) {
    // A grid of c x r squares of 30 with padding 2 is (32c - 2) x (32r - 2) = 1024cr - 64(c + r)
    // + 4 pixels: with c, r <= 8 on pages of 256, 64 squares need the full 8 x 8 grid, 254 x 254.
    const PackResult r = pack(std::vector<PackRect>(64, {30, 30}), {256, 2, false});
    EXPECT_EQ(pageSides(r), (std::vector<std::pair<int32_t, int32_t>>{{254, 254}}));
    // With room for 64 in a row, one row has the largest c + r and so the least area.
    const PackResult row = pack(std::vector<PackRect>(64, {30, 30}), {4096, 2, false});
    EXPECT_EQ(pageSides(row), (std::vector<std::pair<int32_t, int32_t>>{{2046, 30}}));
}

TEST(PackLayout, TheSameListGivesTheSameResult) {
    std::vector<PackRect> rects;
    uint32_t s = 99;
    for (int i = 0; i < 1500; ++i) {
        s = s * 1103515245u + 12345u;
        rects.push_back({1 + static_cast<int32_t>((s >> 16) % 200),
                         1 + static_cast<int32_t>((s >> 4) % 150)});
    }
    const PackResult a = pack(rects, {1024, 2, false});
    const PackResult b = pack(rects, {1024, 2, false});
    EXPECT_EQ(pageSides(a), pageSides(b));
    ASSERT_EQ(a.places.size(), b.places.size());
    for (size_t i = 0; i < a.places.size(); ++i) {
        EXPECT_EQ(a.places[i].page, b.places[i].page);
        EXPECT_EQ(a.places[i].x, b.places[i].x);
        EXPECT_EQ(a.places[i].y, b.places[i].y);
    }
}

// For each size, its rects' places in index order.
std::map<std::pair<int32_t, int32_t>, std::vector<Corner>> placesBySize(
    const std::vector<PackRect>& rects, const PackResult& r) {
    std::map<std::pair<int32_t, int32_t>, std::vector<Corner>> m;
    for (size_t i = 0; i < rects.size(); ++i)
        m[{rects[i].w, rects[i].h}].push_back({r.places[i].page, r.places[i].x, r.places[i].y});
    return m;
}

TEST(PackLayout, APermutedListPermutesOnlyThePlacesOfEqualRects) {
    // Five sizes, many rects of each, on several pages.
    const std::array<PackRect, 5> sizes = {{{40, 30}, {30, 40}, {25, 25}, {60, 10}, {12, 50}}};
    std::vector<PackRect> rects;
    for (int i = 0; i < 400; ++i) rects.push_back(sizes[(i * 7 + i / 5) % 5]);
    std::vector<PackRect> reversed(rects.rbegin(), rects.rend());
    std::vector<PackRect> interleaved;
    for (size_t i = 0; i < rects.size(); i += 2) interleaved.push_back(rects[i]);
    for (size_t i = 1; i < rects.size(); i += 2) interleaved.push_back(rects[i]);

    const PackOptions options{256, 2, false};
    const PackResult base = pack(rects, options);
    ASSERT_GT(base.pages.size(), 1u);
    for (const std::vector<PackRect>* other : {&reversed, &interleaved}) {
        const PackResult r = pack(*other, options);
        EXPECT_EQ(pageSides(r), pageSides(base));
        EXPECT_EQ(placesBySize(*other, r), placesBySize(rects, base));
    }
}

TEST(PackLayout, EqualRectsTakeTheirPlacesInIndexOrder) {
    // One row of a page is filled from the left: the lower index lies further left.
    const PackResult r = pack(std::vector<PackRect>(3, {10, 10}), {4096, 2, false});
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.places[0].page, 0);
    EXPECT_EQ(cornersOf(r).size(), 3u);
    EXPECT_LT(std::make_pair(r.places[0].y, r.places[0].x),
              std::make_pair(r.places[1].y, r.places[1].x));
    EXPECT_LT(std::make_pair(r.places[1].y, r.places[1].x),
              std::make_pair(r.places[2].y, r.places[2].x));
}

}  // namespace
