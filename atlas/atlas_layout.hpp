// Where each sprite of the table goes in the atlas: which entries get a frame (a name keeps
// its first entry, a blank sprite gets none), which frames share one region of identical
// pixels, and where each region lies on which page. Pure: plain records in, plain records out,
// the same result for the same table and pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "atlas/atlas_settings.hpp"
#include "atlas/maxrects.hpp"
#include "sidecar/sprite_view.hpp"

// An entry left out because its name, as the data file writes it, is already in the atlas.
struct AtlasDuplicate {
    size_t entry = 0;
    size_t first = 0;  // the entry that keeps the name
};

struct AtlasSelection {
    std::vector<size_t> framed;  // the entries that get a frame, in table order
    std::vector<size_t> blank;   // the entries without a visible pixel, in table order
    std::vector<AtlasDuplicate> duplicates;
};

// Chooses the entries of `view` in table order: the first entry of each name is kept, a blank
// one (wd or ht below 1) in the blank list, any other framed.
AtlasSelection selectAtlasEntries(const SpriteView& view);

// The largest side a region may have: the page bound, or with power-of-two pages the largest
// power of two within it.
int32_t atlasRegionLimit(const AtlasSettings& settings);

// The framed entries whose sides with the extrusion on both sides exceed the region limit.
std::vector<size_t> atlasTooLarge(const SpriteView& view, const AtlasSelection& selection,
                                  const AtlasSettings& settings);

// One region of a page: a frame's pixels with the extrusion around them.
struct AtlasRegion {
    size_t pixels = 0;  // the framed entry (an index into the selection's `framed`) whose pixels
                        // it holds
    int32_t page = 0;
    int32_t x = 0;  // the frame's top-left on the page, inside the extrusion
    int32_t y = 0;
    int32_t w = 0;  // the frame's sides, wd x ht
    int32_t h = 0;
};

struct AtlasLayout {
    std::vector<size_t> regionOf;  // for each framed entry, its region
    std::vector<AtlasRegion> regions;
    std::vector<PackPage> pages;
};

// Places the framed entries, whose pixels (wd x ht x 4 bytes each) `pixels` holds in the same
// order. With settings.alias, entries of the same sides and the same pixel bytes share the
// region of the first of them. The regions are packed in the order of their first entry.
// tooLarge or outOfMemory as the packer gives them (firstTooLarge then names the framed entry).
PackStatus layoutAtlas(const SpriteView& view, const AtlasSelection& selection,
                       std::span<const std::vector<uint8_t>> pixels, const AtlasSettings& settings,
                       AtlasLayout& layout, size_t& firstTooLarge);
