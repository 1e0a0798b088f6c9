#include "driver/sprite_loading.hpp"

#include <cstring>
#include <span>

#include "driver/source_recall.hpp"
#include "filesys/file_layer.hpp"
#include "image/pcx.hpp"
#include "image/tga.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"

namespace {

constexpr uint8_t TRANSPARENT_INDEX = 255;
constexpr size_t TGA_PIXEL_BYTES = 4;

// What the listing reads of a TGA file at first: most sprites whole, and enough of any other
// to know from its header whether the rest is needed.
constexpr size_t BOX_HEAD_BYTES = size_t{32} << 10;

// Blocks above this size give their memory back after the load.
constexpr size_t KEPT_BYTES = size_t{16} << 20;

// The blocks kept from sprite to sprite: a fresh block per load costs more in page faults than
// the work on it.
struct ReusedBlocks {
    ReusedBuffer file;     // the source file's bytes
    ReusedBuffer picture;  // a whole decoded picture, where one is needed
    ReusedBuffer cropped;  // the cropped pixels handed to the caller
    void trim() {
        for (ReusedBuffer* b : {&file, &picture, &cropped}) {
            if (b->capacity() > KEPT_BYTES) b->release();
        }
    }
};

ReusedBlocks& reused() {
    static ReusedBlocks blocks;
    return blocks;
}

// The crop offsets as cropping the decoded picture leaves them.
void setCropOffsets(const TgaBox& box) {
    if (box.blank) {
        cropTop = box.height;
        cropBottom = 0;
        cropLeft = box.width;
        cropRight = 0;
        return;
    }
    cropTop = box.top;
    cropBottom = box.height - 1 - box.top;  // the row in the bottom-row-first picture
    cropLeft = box.left;
    cropRight = box.right;
}

// Today's decoding and cropping, for every file without a fast path.
bool loadTgaGeneric(std::span<const uint8_t> bytes, bool withPixels, CroppedSprite& sprite) {
    std::unique_ptr<uint8_t[]> picture = decodeTga(bytes, &sprite.width, &sprite.height, 4);
    if (!picture) return false;
    sprite.owned = cropRgba(picture.get(), sprite.width, sprite.height, &sprite.wd, &sprite.ht);
    if (withPixels) sprite.pixels = sprite.owned.get();
    return true;
}

// How a load learns what the path names: by its own stat, or from the caller's.
struct Lookup {
    bool done = false;
    DiskEntry found = DiskEntry::missing;
};

bool readTgaFile(const std::string& path, Lookup lookup, bool boxOnly,
                 std::span<const uint8_t>& bytes, FileStamp& stamp) {
    ReusedBuffer& file = reused().file;
    if (!lookup.done) return fileReadDisk(path.c_str(), file, bytes);
    // For the box alone a file without alpha is read no further than its head.
    const ReadPlan plan = boxOnly ? ReadPlan{BOX_HEAD_BYTES, tgaBoxNeedsPixels} : ReadPlan{};
    return lookup.found == DiskEntry::regular &&
           fileReadFoundRegular(path.c_str(), file, bytes, &stamp, plan);
}

// The block for the box's pixels, or null for a blank box or when there is no memory.
uint8_t* croppedBlock(const TgaBox& box) {
    if (box.blank) return nullptr;
    const size_t wd = static_cast<size_t>(box.right - box.left + 1);
    const size_t ht = static_cast<size_t>(box.bottom - box.top + 1);
    return reused().cropped.reserve(wd * ht * TGA_PIXEL_BYTES);
}

// The sprite as the box and, when given, its cropped pixels make it.
void takeTgaBox(const TgaBox& box, const uint8_t* pixels, bool withPixels,
                CroppedSprite& sprite) {
    setCropOffsets(box);
    sprite.width = box.width;
    sprite.height = box.height;
    // No memory for the pixels: as a failed allocation of the crop, a 0 x 0 sprite.
    if (box.blank || (withPixels && pixels == nullptr)) return;
    sprite.wd = box.right - box.left + 1;
    sprite.ht = box.bottom - box.top + 1;
    sprite.pixels = pixels;
}

bool loadTgaSprite(const std::string& path, Lookup lookup, bool withPixels,
                   CroppedSprite& sprite) {
    std::span<const uint8_t> bytes;
    FileStamp stamp;
    if (!readTgaFile(path, lookup, !withPixels, bytes, stamp)) return false;
    TgaBox box;
    if (!findTgaBox(bytes, box)) return loadTgaGeneric(bytes, withPixels, sprite);
    if (lookup.done) sprite.recall = recallTgaSource(bytes, stamp, box);
    uint8_t* out = nullptr;
    if (withPixels) {
        out = croppedBlock(box);
        if (out != nullptr && !cropTgaFast(bytes, box, out, reused().picture)) out = nullptr;
    }
    takeTgaBox(box, out, withPixels, sprite);
    return true;
}

// The pixel pass's road for a source the listing recalled: only the box's rows are read, and
// nothing is searched again. False when the file is no longer the one recalled.
bool loadRecalledTga(const std::string& path, const SourceRecall& recall, CroppedSprite& sprite) {
    uint8_t* out = croppedBlock(recall.box);
    if (!recall.box.blank && out == nullptr) return false;
    if (!cropRecalledTga(path, recall, reused().file, reused().picture, out)) return false;
    takeTgaBox(recall.box, out, true, sprite);
    return true;
}

// The box alone comes from the walk over the file's runs, with no picture built.
bool loadPcxBoxOnly(const std::string& path, CroppedSprite& sprite) {
    PcxBox box;
    if (!loadPcxBox(path.c_str(), reused().file, TRANSPARENT_INDEX, &sprite.width, &sprite.height,
                    box)) {
        return false;
    }
    if (box.empty()) {  // as cropping a blank picture leaves the offsets
        cropTop = sprite.height;
        cropBottom = 0;
        cropLeft = sprite.width;
        cropRight = 0;
        return true;
    }
    cropTop = static_cast<int32_t>(box.top);
    cropBottom = static_cast<int32_t>(box.bottom);
    cropLeft = static_cast<int32_t>(box.left);
    cropRight = static_cast<int32_t>(box.right);
    sprite.wd = cropRight - cropLeft + 1;
    sprite.ht = cropBottom - cropTop + 1;
    return true;
}

bool loadPcxSprite(const std::string& path, bool withPixels, CroppedSprite& sprite) {
    if (!withPixels) return loadPcxBoxOnly(path, sprite);
    ReusedBlocks& blocks = reused();
    const uint8_t* picture =
        loadPcxReusing(path.c_str(), blocks.file, blocks.picture, &sprite.width, &sprite.height);
    if (picture == nullptr) return false;
    if (!findCropIndexed(picture, sprite.width, sprite.height, TRANSPARENT_INDEX)) return true;
    const int32_t wd = cropRight - cropLeft + 1;
    const int32_t ht = cropBottom - cropTop + 1;
    const size_t stride = static_cast<size_t>(sprite.width);
    const size_t outStride = static_cast<size_t>(wd);
    uint8_t* out = blocks.cropped.reserve(outStride * static_cast<size_t>(ht));
    if (out == nullptr) return true;  // no memory: as a failed allocation of the crop, 0 x 0
    const uint8_t* src =
        picture + static_cast<size_t>(cropTop) * stride + static_cast<size_t>(cropLeft);
    for (int32_t i = 0; i < ht; ++i, src += stride) {
        std::memcpy(out + static_cast<size_t>(i) * outStride, src, outStride);
    }
    sprite.pixels = out;
    sprite.wd = wd;
    sprite.ht = ht;
    return true;
}

bool loadSprite(const std::string& path, int32_t kind, Lookup lookup, bool withPixels,
                CroppedSprite& sprite) {
    sprite = CroppedSprite{};
    const bool loaded = kind == SOURCE_TGA ? loadTgaSprite(path, lookup, withPixels, sprite)
                                           : loadPcxSprite(path, withPixels, sprite);
    reused().trim();
    return loaded;
}

}  // namespace

bool loadCroppedSprite(const std::string& path, int32_t kind, const SourceRecall* recall,
                       CroppedSprite& sprite) {
    if (kind == SOURCE_TGA && recall != nullptr && recall->usable) {
        sprite = CroppedSprite{};
        const bool recalled = loadRecalledTga(path, *recall, sprite);
        reused().trim();
        if (recalled) return true;
    }
    return loadSprite(path, kind, Lookup{}, true, sprite);
}

bool loadSpriteBox(const std::string& path, int32_t kind, DiskEntry onDisk, CroppedSprite& sprite) {
    return loadSprite(path, kind, Lookup{true, onDisk}, false, sprite);
}
