// What the command line asks of the atlas: its data format, its pixels and its pages' bounds.
#pragma once

#include <cstdint>

enum class AtlasFormat : uint8_t {
    jsonHash,   // frames as an object keyed by name, one data file a page
    jsonArray,  // the same frames as an array with "filename", one data file a page
    phaser3,    // one data file with one "textures" entry a page
};

struct AtlasSettings {
    AtlasFormat format = AtlasFormat::jsonHash;
    bool premultiplied = false;  // the tool's premultiplied pixels instead of the files' own
    int32_t extrude = 0;         // edge pixels repeated around each frame
    int32_t padding = 2;         // transparent pixels between two regions
    int32_t maxSize = 4096;      // a page's sides are at most this
    bool powerOfTwo = false;     // page sides rounded up to powers of two
    bool alias = true;           // identical sprites share one region
};

// The ranges the command line accepts.
constexpr int32_t ATLAS_MAX_EXTRUDE = 256;
constexpr int32_t ATLAS_MAX_PADDING = 256;
constexpr int32_t ATLAS_MAX_PAGE_SIZE = 16384;
