// The records and constants that the driver, the sprite operations and the output files share.
// They live here, low in the layout, so that no folder below the driver needs a driver header.
#pragma once

#include <cstdint>

enum HotspotMethod : int32_t {
    HS_MIDDLE = 0,
    HS_UPLEFT = 1,
    HS_UPRIGHT = 2,
    HS_DOWNLEFT = 3,
    HS_DOWNRIGHT = 4,
    HS_HOTXY = 5,
};

enum SpriteSource : int32_t {
    SOURCE_PCX = 0,
    SOURCE_TGA = 1,
};

// One sprite's entry. Field order is the record's own; the binary header of the single
// sprite file writes the method second, so never dump this struct to a file as it stands.
struct SpriteRecord {
    uint32_t hid = 0;  // hashName of the stored name
    int32_t padding = 0;
    int32_t hx = 0;
    int32_t hy = 0;
    int32_t wd = 0;  // cropped width, never the padded one
    int32_t ht = 0;
    int32_t hotspotMethod = 0;
};

constexpr int32_t MAX_SPRITES = 10000;
constexpr int32_t SPRITE_NAME_SIZE = 80;  // a stored name keeps at most 78 characters
