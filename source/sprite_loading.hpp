// Loading a sprite's source file and cropping it to its visible pixels, the one road that both
// the sprite statements and the single sprite file's pixel pass take.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "filesys/disk_read.hpp"
#include "sprite/sprite_types.hpp"

struct CroppedSprite {
    int32_t width = 0;  // the source picture's sides
    int32_t height = 0;
    int32_t wd = 0;  // the cropped sides, 0 x 0 for a blank picture
    int32_t ht = 0;
    // The cropped box's top-left corner in the upright picture; the picture's sides for a blank
    // one, as cropping leaves them.
    int32_t left = 0;
    int32_t top = 0;
    // wd x ht pixels, top row first; null when blank or when only the box was asked for. Valid
    // until the next load: the block is reused from sprite to sprite.
    const uint8_t* pixels = nullptr;
    std::unique_ptr<uint8_t[]> owned;  // the block, when it is not the reused one
};

// How a load ended. A lack of memory is told apart from a bad file, so that no message blames
// the file for it.
enum class SpriteLoad : uint8_t {
    loaded,
    notLoaded,    // the file does not load; its readers have printed their lines
    outOfMemory,  // a block the load needs could not be had
};

// Loads `path` by its kind (TGA and PNG as premultiplied RGBA, PCX as palette indices with
// 255 transparent) and crops it. The process-wide crop offsets are left as cropping leaves them; callers read the
// sprite's own. The file is read afresh, whatever the listing saw of it.
SpriteLoad loadCroppedSprite(const std::string& path, int32_t kind, CroppedSprite& sprite);

// The same without the pixels: the sides, the cropped sides and the crop offsets, with the
// same lines printed. `onDisk` is what the caller's stat of `path` has just found, so a TGA
// file is not looked up twice. Reads no more of the file than its box needs. Where no picture
// was built to find the box, the memory the picture would take is asked for and given back,
// so that a sprite is listed only when its pixels can be loaded again: outOfMemory otherwise.
SpriteLoad loadSpriteBox(const std::string& path, int32_t kind, DiskEntry onDisk,
                         CroppedSprite& sprite);

// loadCroppedSprite's pixels as premultiplied RGBA whatever the kind: wd x ht x 4 bytes (red,
// green, blue, alpha; rows top first), empty for a blank sprite or a failed load. A palette
// kind's indices go through the palette at the end of its file, or a grey ramp (index i is grey
// level i) when it has none; index 255 is transparent. The readers print their lines as in the
// run, but a PCX file that no longer opens gets only the file layer's.
SpriteLoad loadCroppedSpriteRgba(const std::string& path, int32_t kind, CroppedSprite& sprite,
                                 std::vector<uint8_t>& rgba);
