// The records and constants that the driver, the sprite operations and the output files share.
// They live here, low in the layout, so that no folder below the driver needs a driver header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum HotspotMethod : int32_t {
    HS_MIDDLE = 0,
    HS_UPLEFT = 1,
    HS_UPRIGHT = 2,
    HS_DOWNLEFT = 3,
    HS_DOWNRIGHT = 4,
    HS_HOTXY = 5,
};

// The spelled names of the hotspot methods, as the control file, the info file and the single
// sprite file's text header write them. Indexed by HotspotMethod.
inline constexpr std::array<const char*, 6> hotspotMethodNames = {
    "Middle", "UpLeft", "UpRight", "DownLeft", "DownRight", "HotXY",
};

// Which reader a sprite's file goes through. The C header and the loader know only how its
// pixels are stored, the row's loaderKind: a PNG sprite is stored exactly as a TGA sprite.
enum SpriteSource : int32_t {
    SOURCE_PCX = 0,
    SOURCE_TGA = 1,
    SOURCE_PNG = 2,
};

// Everything about a kind that a rule outside its reader depends on: a rule reads the kind's
// row instead of testing which kind it is.
struct SpriteKind {
    const char* keyword;       // the control-file statement, also the lint's word for the kind
    const char* extension;     // what the statement adds to the sprite's name for its source
    int32_t bytesPerPixel;     // of the cropped pixels: premultiplied RGBA, or a palette index
    uint8_t blankByte;         // every byte of a blank pixel
    char headerLetter;         // its letter in the C header's kinds string (the loader's too)
    int32_t loaderKind;        // its code in the C header and the loader (sb_kind)
    const char* manifestName;  // the manifest's "kind": how its pixels are stored
    const char* fileFormat;    // the manifest's "file_format": what its source file is
    bool paddingRoundsSides;   // the game pads it to power-of-two sides, so Padding applies
};

// Indexed by SpriteSource. A palette kind's index 255 is transparent, so it is its blank byte.
inline constexpr std::array<SpriteKind, 3> SPRITE_KINDS = {{
    {"PCX", ".pcx", 1, 255, 'P', 0, "pcx", "pcx", false},
    {"TGA", ".tga", 4, 0, 'T', 1, "tga", "tga", true},
    {"PNG", ".png", 4, 0, 'T', 1, "tga", "png", true},
}};

// The row of `kind`; a value that names no kind reads the first row, so no lookup leaves the
// table.
constexpr size_t spriteKindIndex(int32_t kind) {
    return kind >= 0 && static_cast<size_t>(kind) < SPRITE_KINDS.size() ? static_cast<size_t>(kind)
                                                                        : 0;
}

constexpr const SpriteKind& spriteKind(int32_t kind) {
    return SPRITE_KINDS[spriteKindIndex(kind)];
}

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
