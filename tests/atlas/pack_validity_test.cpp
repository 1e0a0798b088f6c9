// Every packing the packer returns is checked here by rules of its own, without the packer's
// internals: regions inside their pages, never overlapping, at least the padding apart; page
// sides the extent of their regions (rounded up to powers of two when asked), at most the
// largest size; the refusal of a region that cannot fit any page.
#include "atlas/maxrects.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

bool isPowerOfTwo(int32_t v) {
    return v > 0 && (v & (v - 1)) == 0;
}

int32_t powerOfTwoAtLeast(int32_t v) {
    int32_t p = 1;
    while (p < v) p *= 2;
    return p;
}

// Whether two regions on one page keep `padding` pixels between them in x or in y.
bool apart(const PackPlace& a, const PackRect& ra, const PackPlace& b, const PackRect& rb,
           int64_t padding) {
    return int64_t{a.x} + ra.w + padding <= b.x || int64_t{b.x} + rb.w + padding <= a.x ||
           int64_t{a.y} + ra.h + padding <= b.y || int64_t{b.y} + rb.h + padding <= a.y;
}

// An empty text when `result` is a valid packing of `rects`, else what is wrong.
std::string problems(const std::vector<PackRect>& rects, const PackOptions& options,
                     const PackResult& result) {
    if (result.places.size() != rects.size()) return "one place per rect";
    if (rects.empty()) return result.pages.empty() ? "" : "pages without rects";
    const int32_t pageCount = static_cast<int32_t>(result.pages.size());
    std::vector<std::vector<size_t>> onPage(result.pages.size());
    for (size_t i = 0; i < rects.size(); ++i) {
        const PackPlace& p = result.places[i];
        if (p.page < 0 || p.page >= pageCount) return "rect " + std::to_string(i) + ": no page";
        const PackPage& page = result.pages[static_cast<size_t>(p.page)];
        if (p.x < 0 || p.y < 0 || int64_t{p.x} + rects[i].w > page.w ||
            int64_t{p.y} + rects[i].h > page.h)
            return "rect " + std::to_string(i) + " leaves its page";
        onPage[static_cast<size_t>(p.page)].push_back(i);
    }
    for (size_t k = 0; k < onPage.size(); ++k) {
        const PackPage& page = result.pages[k];
        const std::string name = "page " + std::to_string(k);
        if (onPage[k].empty()) return name + " is empty";
        if (page.w > options.maxSize || page.h > options.maxSize) return name + " too large";
        int32_t right = 0, bottom = 0;
        for (size_t i : onPage[k]) {
            right = std::max(right, result.places[i].x + rects[i].w);
            bottom = std::max(bottom, result.places[i].y + rects[i].h);
        }
        if (options.powerOfTwo) {
            if (!isPowerOfTwo(page.w) || !isPowerOfTwo(page.h)) return name + " not powers of 2";
            right = powerOfTwoAtLeast(right);
            bottom = powerOfTwoAtLeast(bottom);
        }
        if (page.w != right || page.h != bottom) return name + " is not its regions' extent";
        const std::vector<size_t>& ids = onPage[k];
        for (size_t a = 0; a < ids.size(); ++a)
            for (size_t b = a + 1; b < ids.size(); ++b)
                if (!apart(result.places[ids[a]], rects[ids[a]], result.places[ids[b]],
                           rects[ids[b]], std::max(options.padding, 0)))
                    return "rects " + std::to_string(ids[a]) + " and " + std::to_string(ids[b]) +
                           " closer than the padding";
    }
    return "";
}

// Sizes from a fixed linear congruential sequence (the same on every platform): mostly game
// sprite sides, with some thin strips and some large pieces.
std::vector<PackRect> randomRects(size_t count, uint32_t seed, int32_t largest) {
    uint32_t state = seed;
    auto next = [&](int32_t below) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int32_t>((state >> 8) % static_cast<uint32_t>(below));
    };
    std::vector<PackRect> rects(count);
    for (PackRect& r : rects) {
        switch (next(10)) {
        case 0:  // a strip
            r = {1 + next(largest), 1 + next(8)};
            break;
        case 1:
            r = {1 + next(8), 1 + next(largest)};
            break;
        case 2:  // a large piece
            r = {largest / 2 + next(largest / 2), largest / 2 + next(largest / 2)};
            break;
        default:
            r = {1 + next(largest / 4), 1 + next(largest / 4)};
        }
    }
    return rects;
}

struct ValidCase {
    const char* name;
    std::vector<PackRect> rects;
    PackOptions options;
};

std::vector<ValidCase> validCases() {
    std::vector<ValidCase> cases;
    cases.push_back({"one rect", {{37, 21}}, {}});
    cases.push_back({"one pixel", {{1, 1}}, {}});
    cases.push_back({"exact fit", {{64, 64}}, {64, 2, false}});
    cases.push_back({"exact fit twice", {{64, 64}, {64, 64}}, {64, 2, false}});
    cases.push_back({"full width and height strips", {{64, 1}, {1, 64}, {64, 1}}, {64, 2, false}});
    cases.push_back({"many equal squares", std::vector<PackRect>(500, {10, 10}), {100, 2, false}});
    cases.push_back({"equal squares, no padding", std::vector<PackRect>(333, {7, 7}), {50, 0, false}});
    cases.push_back({"padding 1", randomRects(300, 7, 64), {256, 1, false}});
    cases.push_back({"padding 0", randomRects(300, 8, 64), {256, 0, false}});
    cases.push_back({"negative padding packs as none", randomRects(100, 9, 32), {128, -5, false}});
    cases.push_back({"large padding", randomRects(40, 10, 32), {100, 60, false}});
    cases.push_back({"padding above the page side", {{5, 5}, {5, 5}, {5, 5}}, {10, 1000, false}});
    cases.push_back({"power of two, non-power maxSize", randomRects(200, 11, 64), {100, 2, true}});
    cases.push_back({"power of two, largest side", {{64, 64}, {3, 64}, {64, 3}}, {100, 2, true}});
    cases.push_back({"power of two, many pages", randomRects(800, 12, 128), {256, 2, true}});
    cases.push_back({"thousands of random sizes", randomRects(3000, 13, 256), {1024, 2, false}});
    cases.push_back({"thousands, power of two", randomRects(2000, 14, 256), {1000, 1, true}});
    cases.push_back({"non-square extremes", {{500, 1}, {1, 500}, {499, 2}, {2, 499}}, {500, 2, false}});
    cases.push_back({"no rects", {}, {}});
    constexpr int32_t BIG = std::numeric_limits<int32_t>::max();
    cases.push_back({"sides at the 32-bit limit", {{BIG, 1}, {1, BIG}, {BIG, BIG}, {1, 1}},
                     {BIG, BIG, false}});
    cases.push_back({"power of two at the 32-bit limit", {{1 << 30, 1 << 30}, {1 << 30, 5}, {3, 3}},
                     {BIG, 7, true}});
    return cases;
}

TEST(PackValidity, EveryCaseGivesAValidPacking) {
    for (const ValidCase& c : validCases()) {
        SCOPED_TRACE(c.name);
        PackResult result;
        size_t firstTooLarge = 12345;
        ASSERT_EQ(packRects(c.rects, c.options, result, firstTooLarge), PackStatus::packed);
        EXPECT_EQ(problems(c.rects, c.options, result), "");
        EXPECT_EQ(firstTooLarge, 12345u);  // left alone when everything fits
    }
}

TEST(PackValidity, SidesBelowOnePackAsOnePixel) {
    const std::vector<PackRect> rects = {{0, 0}, {-3, 5}, {5, -3}, {1, 1}};
    std::vector<PackRect> asOne = {{1, 1}, {1, 5}, {5, 1}, {1, 1}};
    const PackOptions options{16, 2, false};
    PackResult result;
    size_t firstTooLarge = 0;
    ASSERT_EQ(packRects(rects, options, result, firstTooLarge), PackStatus::packed);
    EXPECT_EQ(problems(asOne, options, result), "");
}

struct TooLargeCase {
    const char* name;
    std::vector<PackRect> rects;
    PackOptions options;
    size_t first;
};

TEST(PackValidity, ARectLargerThanAPageIsRefusedByItsIndex) {
    const std::vector<TooLargeCase> cases = {
        {"one side past maxSize", {{10, 10}, {65, 3}, {70, 70}}, {64, 2, false}, 1},
        {"height past maxSize", {{64, 64}, {64, 64}, {1, 65}}, {64, 0, false}, 2},
        {"first rect", {{4097, 4096}}, {}, 0},
        {"power of two below a non-power maxSize", {{64, 64}, {65, 10}}, {100, 2, true}, 1},
        {"maxSize 0", {{1, 1}}, {0, 2, false}, 0},
        {"negative maxSize", {{1, 1}}, {-8, 2, false}, 0},
    };
    for (const TooLargeCase& c : cases) {
        SCOPED_TRACE(c.name);
        PackResult result;
        result.pages.push_back({1, 1});  // stale values the call must clear
        result.places.push_back({});
        size_t firstTooLarge = 999;
        EXPECT_EQ(packRects(c.rects, c.options, result, firstTooLarge), PackStatus::tooLarge);
        EXPECT_EQ(firstTooLarge, c.first);
        EXPECT_TRUE(result.places.empty());
        EXPECT_TRUE(result.pages.empty());
    }
}

TEST(PackValidity, ANonPowerMaxSizeStillTakesItsRectsWithoutPowerOfTwo) {
    const std::vector<PackRect> rects = {{100, 100}};
    PackResult result;
    size_t firstTooLarge = 0;
    ASSERT_EQ(packRects(rects, {100, 2, false}, result, firstTooLarge), PackStatus::packed);
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages[0].w, 100);
    EXPECT_EQ(result.pages[0].h, 100);
}

TEST(PackValidity, ARunReplacesWhatTheResultHeld) {
    PackResult result;
    size_t firstTooLarge = 0;
    const std::vector<PackRect> many = randomRects(50, 3, 40);
    ASSERT_EQ(packRects(many, {64, 2, false}, result, firstTooLarge), PackStatus::packed);
    const std::vector<PackRect> one = {{5, 6}};
    ASSERT_EQ(packRects(one, {64, 2, false}, result, firstTooLarge), PackStatus::packed);
    EXPECT_EQ(problems(one, {64, 2, false}, result), "");
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages[0].w, 5);
    EXPECT_EQ(result.pages[0].h, 6);
}

}  // namespace
