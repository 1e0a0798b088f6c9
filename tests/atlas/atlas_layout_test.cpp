// Which entries get a frame, which share a region, where the regions go, and the pages'
// pixels: each case worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "atlas/atlas_files.hpp"
#include "atlas/atlas_layout.hpp"
#include "atlas/atlas_pages.hpp"

namespace {

SpriteViewEntry entry(std::string name, int32_t wd, int32_t ht) {
    SpriteViewEntry e;
    e.name = std::move(name);
    e.wd = wd;
    e.ht = ht;
    e.sourceWidth = wd;
    e.sourceHeight = ht;
    return e;
}

SpriteView viewOf(std::vector<SpriteViewEntry> entries) {
    SpriteView view;
    view.sprites = std::move(entries);
    return view;
}

std::vector<uint8_t> filled(int32_t wd, int32_t ht, uint8_t value) {
    return std::vector<uint8_t>(static_cast<size_t>(wd * ht * 4), value);
}

TEST(AtlasSelection, FirstEntryOfANameKeepsItAndBlanksAreListed) {
    const SpriteView view = viewOf({entry("a", 2, 2), entry("blank", 0, 0), entry("a", 3, 3),
                                    entry("b", 1, 1), entry("blank", 2, 2),
                                    // the same key once written: \u00e9 either way
                                    entry("\xE9", 1, 1), entry("\xC3\xA9", 1, 1)});
    const AtlasSelection selection = selectAtlasEntries(view);
    EXPECT_EQ(selection.framed, (std::vector<size_t>{0, 3, 5}));
    EXPECT_EQ(selection.blank, (std::vector<size_t>{1}));
    ASSERT_EQ(selection.duplicates.size(), 3u);
    EXPECT_EQ(selection.duplicates[0].entry, 2u);
    EXPECT_EQ(selection.duplicates[0].first, 0u);
    EXPECT_EQ(selection.duplicates[1].entry, 4u);
    EXPECT_EQ(selection.duplicates[1].first, 1u);
    EXPECT_EQ(selection.duplicates[2].entry, 6u);
    EXPECT_EQ(selection.duplicates[2].first, 5u);
}

TEST(AtlasSelection, TooLargeCountsTheExtrusionAndThePowerOfTwoBound) {
    const SpriteView view = viewOf({entry("fits", 8, 6), entry("wide", 9, 1), entry("tall", 1, 7)});
    const AtlasSelection selection = selectAtlasEntries(view);
    AtlasSettings settings;
    settings.maxSize = 9;
    EXPECT_EQ(atlasTooLarge(view, selection, settings), (std::vector<size_t>{}));
    settings.extrude = 1;  // 10 x 8, 11 x 3, 3 x 9
    EXPECT_EQ(atlasRegionLimit(settings), 9);
    EXPECT_EQ(atlasTooLarge(view, selection, settings), (std::vector<size_t>{0, 1}));
    settings.extrude = 0;
    settings.powerOfTwo = true;  // pages of at most 8
    EXPECT_EQ(atlasRegionLimit(settings), 8);
    EXPECT_EQ(atlasTooLarge(view, selection, settings), (std::vector<size_t>{1}));
}

TEST(AtlasLayout, IdenticalPixelsShareARegionUnlessAliasesAreOff) {
    const SpriteView view = viewOf(
        {entry("a", 2, 2), entry("b", 2, 2), entry("c", 2, 2), entry("d", 4, 1), entry("e", 2, 2)});
    const AtlasSelection selection = selectAtlasEntries(view);
    // a, c and e hold the same bytes; d holds as many of them in other sides.
    const std::vector<std::vector<uint8_t>> pixels = {filled(2, 2, 9), filled(2, 2, 8),
                                                      filled(2, 2, 9), filled(4, 1, 9),
                                                      filled(2, 2, 9)};
    AtlasSettings settings;
    AtlasLayout layout;
    size_t tooLarge = 0;
    ASSERT_EQ(layoutAtlas(view, selection, pixels, settings, layout, tooLarge),
              PackStatus::packed);
    EXPECT_EQ(layout.regionOf, (std::vector<size_t>{0, 1, 0, 2, 0}));
    ASSERT_EQ(layout.regions.size(), 3u);
    EXPECT_EQ(layout.regions[2].pixels, 3u);
    EXPECT_EQ(layout.regions[2].w, 4);
    EXPECT_EQ(layout.regions[2].h, 1);

    settings.alias = false;
    ASSERT_EQ(layoutAtlas(view, selection, pixels, settings, layout, tooLarge),
              PackStatus::packed);
    EXPECT_EQ(layout.regionOf, (std::vector<size_t>{0, 1, 2, 3, 4}));
}

TEST(AtlasLayout, FramesKeepTheExtrusionAndThePaddingBetweenThem) {
    const SpriteView view = viewOf({entry("a", 3, 2), entry("b", 2, 3), entry("c", 1, 1)});
    const AtlasSelection selection = selectAtlasEntries(view);
    const std::vector<std::vector<uint8_t>> pixels = {filled(3, 2, 1), filled(2, 3, 2),
                                                      filled(1, 1, 3)};
    AtlasSettings settings;
    settings.extrude = 2;
    settings.padding = 3;
    settings.maxSize = 40;
    AtlasLayout layout;
    size_t tooLarge = 0;
    ASSERT_EQ(layoutAtlas(view, selection, pixels, settings, layout, tooLarge),
              PackStatus::packed);
    const auto& r = layout.regions;
    ASSERT_EQ(r.size(), 3u);
    for (size_t i = 0; i < r.size(); ++i) {
        // Inside the page with its extrusion.
        const PackPage& page = layout.pages[static_cast<size_t>(r[i].page)];
        EXPECT_GE(r[i].x, 2);
        EXPECT_GE(r[i].y, 2);
        EXPECT_LE(r[i].x + r[i].w + 2, page.w);
        EXPECT_LE(r[i].y + r[i].h + 2, page.h);
        for (size_t j = i + 1; j < r.size(); ++j) {
            if (r[i].page != r[j].page) continue;
            // Apart by 2 x 2 extruded pixels and 3 of padding on one axis at least.
            const bool apartX = r[j].x >= r[i].x + r[i].w + 7 || r[i].x >= r[j].x + r[j].w + 7;
            const bool apartY = r[j].y >= r[i].y + r[i].h + 7 || r[i].y >= r[j].y + r[j].h + 7;
            EXPECT_TRUE(apartX || apartY) << i << " " << j;
        }
    }
}

TEST(AtlasPages, ExtrusionRepeatsTheNearestEdgePixel) {
    // A 2 x 2 picture of pixels 1, 2 / 3, 4 (every channel that value) at (1, 1) of a 5 x 5
    // page, extruded once: the ring takes its nearest pixel, the corners the corner pixels.
    const std::vector<uint8_t> picture = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};
    std::vector<uint8_t> page(5 * 5 * 4, 0);
    drawExtruded(page, 5, 5, 1, 1, picture, 2, 2, 1);
    const uint8_t expected[5][5] = {
        {1, 1, 2, 2, 0},
        {1, 1, 2, 2, 0},
        {3, 3, 4, 4, 0},
        {3, 3, 4, 4, 0},
        {0, 0, 0, 0, 0},
    };
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(page[static_cast<size_t>((y * 5 + x) * 4 + c)], expected[y][x])
                    << x << "," << y;
            }
        }
    }
    // Drawn at the page's corner, the ring outside the page is left out.
    std::vector<uint8_t> small(2 * 2 * 4, 0);
    drawExtruded(small, 2, 2, 0, 0, picture, 2, 2, 3);
    EXPECT_EQ(small, picture);
}

TEST(AtlasFiles, PagesAndDataFilesAreNamedFromTheStem) {
    struct Case {
        const char* path;
        const char* folder;
        const char* page1;
        const char* data1;
        bool isPage;
    };
    const Case cases[] = {
        {"out/atlas.json", "out/", "atlas-1.png", "atlas-1.json", false},
        {"atlas", "", "atlas-1.png", "atlas-1", false},
        {"a.b/sheet.tar.json", "a.b/", "sheet.tar-1.png", "sheet.tar-1.json", false},
        {"dir/.hidden", "dir/", ".hidden-1.png", ".hidden-1", false},
        {"pic.png", "", "pic-1.png", "pic-1.png", true},
    };
    for (const Case& c : cases) {
        const AtlasPath path = splitAtlasPath(c.path);
        EXPECT_EQ(path.folder, c.folder) << c.path;
        EXPECT_EQ(atlasPageName(path, 1), c.page1) << c.path;
        EXPECT_EQ(atlasDataName(path, 1), c.data1) << c.path;
        EXPECT_EQ(path.folder + atlasDataName(path, 0), c.path);
        EXPECT_EQ(atlasPathIsPage(c.path), c.isPage) << c.path;
    }
    EXPECT_EQ(atlasPageName(splitAtlasPath("out/atlas.json"), 0), "atlas.png");
}

}  // namespace
