// The atlas's data files: pure builders from plain records to the bytes of each format.
// json-hash and json-array are the "JSON (Hash)" and "JSON (Array)" layouts that Phaser's
// load.atlas and PixiJS's Spritesheet read; phaser3 is Phaser's multi-atlas (load.multiatlas).
// Every frame also carries keys the engines ignore: hid, index and hotspot (and name_hex).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/atlas_settings.hpp"

struct AtlasFrameRecord {
    std::string name;   // the stored name's bytes
    uint32_t hid = 0;
    uint64_t index = 0;  // the entry's place in the table
    int32_t x = 0;       // the frame on its page: the crop, wd x ht
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    int32_t cropLeft = 0;  // the crop's top-left corner in the picture
    int32_t cropTop = 0;
    int32_t sourceWidth = 0;  // the picture's sides, >= 1
    int32_t sourceHeight = 0;
    int32_t pivotX = 0;  // the hotspot in picture pixels
    int32_t pivotY = 0;
};

struct AtlasPageRecord {
    std::string image;     // the page's bare file name
    std::string dataFile;  // the bare name of the data file that describes it
    int32_t w = 0;
    int32_t h = 0;
    std::vector<AtlasFrameRecord> frames;  // in table order
};

struct AtlasMeta {
    std::string version;          // the tool's
    uint64_t fingerprint = 0;     // the output's
    bool premultiplied = false;   // the pages hold premultiplied colours
    std::vector<std::string> blank;  // the stored names of the sprites without a frame
};

// A name as a JSON string with its quotes: valid UTF-8 as it stands (escaped as JSON needs),
// any other name with each byte of 0x80 or more written \u00xx.
std::string atlasNameText(std::string_view name);

// The text a JSON reader takes from atlasNameText(name), as UTF-8: two names that give the same
// would be the same key.
std::string atlasNameKey(std::string_view name);

// Whether a name is written with name_hex beside it: it is not valid UTF-8.
bool atlasNameNeedsHex(std::string_view name);

// The pivot coordinate `p / side` as the shortest decimal that reads back as the double
// nearest it.
std::string atlasPivotText(int32_t p, int32_t side);

// The data files' texts: one a page for json-hash and json-array, one for phaser3.
std::vector<std::string> atlasDataTexts(AtlasFormat format, const std::vector<AtlasPageRecord>& pages,
                                        const AtlasMeta& meta);
