#include "source/sprite_loading.hpp"

#include <cstring>
#include <new>
#include <optional>
#include <span>

#include "filesys/allocate.hpp"
#include "filesys/disk_read.hpp"
#include "filesys/file_access.hpp"
#include "image/pcx.hpp"
#include "image/pcx_palette.hpp"
#include "image/png.hpp"
#include "image/tga.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"

namespace {

constexpr uint8_t TRANSPARENT_INDEX = 255;
constexpr size_t TGA_PIXEL_BYTES = 4;
constexpr size_t RGBA_BYTES = 4;

// What the listing reads of a TGA file at first: most sprites whole, and enough of any other
// to know from its header whether the rest is needed.
constexpr size_t BOX_HEAD_BYTES = size_t{32} << 10;

// Blocks above this size give their memory back before the next load: a large sprite's
// pixels stay valid until then, and its memory does not stay with the run.
constexpr size_t KEPT_BYTES = size_t{16} << 20;

// The blocks kept from sprite to sprite: a fresh block per load costs more in page faults than
// the work on it.
struct ReusedBlocks {
    ReusedBuffer file;     // the source file's bytes
    ReusedBuffer picture;  // a whole decoded picture, where one is needed
    ReusedBuffer cropped;  // the cropped pixels handed to the caller
    void startLoad() {
        for (ReusedBuffer* b : {&file, &picture, &cropped}) {
            if (b->capacity() > KEPT_BYTES) b->release();
            b->clearFailure();
        }
    }
    bool anyReserveFailed() const {
        return file.lastReserveFailed() || picture.lastReserveFailed() ||
               cropped.lastReserveFailed();
    }
};

ReusedBlocks& reused() {
    static ReusedBlocks blocks;
    return blocks;
}

// Where a box stands in for the cropper, it leaves the process-wide offsets as cropping the
// decoded picture would, and the sprite's own with them.
void setCropOffsets(int32_t top, int32_t bottom, int32_t left, int32_t right,
                    CroppedSprite& sprite) {
    cropTop = top;
    cropBottom = bottom;
    cropLeft = left;
    cropRight = right;
    sprite.left = left;
    sprite.top = top;
}

void setCropOffsets(const TgaBox& box, CroppedSprite& sprite) {
    if (box.blank) {
        setCropOffsets(box.height, 0, box.width, 0, sprite);
        return;
    }
    // The bottom offset is a row of the bottom-row-first picture.
    setCropOffsets(box.top, box.height - 1 - box.top, box.left, box.right, sprite);
}

// The sprite's offsets once the cropper itself has run.
void takeCropperOffsets(CroppedSprite& sprite) {
    sprite.left = cropLeft;
    sprite.top = cropTop;
}

// The memory the picture of width x height pixels of `pixelBytes` would take, asked for and
// given back: the box was found without building it, but reloading the sprite may need it.
SpriteLoad pictureAffordable(int32_t width, int32_t height, size_t pixelBytes) {
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * pixelBytes;
    return memoryAvailable(bytes) ? SpriteLoad::loaded : SpriteLoad::outOfMemory;
}

// Today's decoding and cropping, for every file without a fast path.
SpriteLoad loadTgaGeneric(std::span<const uint8_t> bytes, bool withPixels, CroppedSprite& sprite) {
    bool noMemory = false;
    std::unique_ptr<uint8_t[]> picture =
        decodeTga(bytes, &sprite.width, &sprite.height, 4, noMemory);
    if (!picture) return noMemory ? SpriteLoad::outOfMemory : SpriteLoad::notLoaded;
    sprite.owned = cropRgba(picture.get(), sprite.width, sprite.height, &sprite.wd, &sprite.ht);
    // No block although the crop found visible pixels: the allocation failed.
    if (!sprite.owned && cropLeft <= cropRight) return SpriteLoad::outOfMemory;
    takeCropperOffsets(sprite);
    if (withPixels) sprite.pixels = sprite.owned.get();
    return SpriteLoad::loaded;
}

// How a load learns what the path names: by its own stat, or from the caller's.
struct Lookup {
    bool done = false;
    DiskEntry found = DiskEntry::missing;
};

SpriteLoad readSpriteFile(const std::string& path, Lookup lookup, ReadPlan plan,
                          std::span<const uint8_t>& bytes) {
    const DiskEntry found = lookup.done ? lookup.found : fileEntryOnDisk(path.c_str());
    if (found != DiskEntry::regular) return SpriteLoad::notLoaded;
    // The lookup's stat stands for the one before the open.
    const ReadOptions options{.foundRegular = true, .plan = plan};
    switch (readRegularFile(path.c_str(), reused().file, bytes, options)) {
        case FileRead::read:
            return SpriteLoad::loaded;
        case FileRead::noMemory:
            return SpriteLoad::outOfMemory;
        case FileRead::unreadable:
            break;
    }
    return SpriteLoad::notLoaded;
}

// The block for the box's pixels, or null for a blank box or when there is no memory.
uint8_t* croppedBlock(const TgaBox& box) {
    if (box.blank) return nullptr;
    const size_t wd = static_cast<size_t>(box.right - box.left + 1);
    const size_t ht = static_cast<size_t>(box.bottom - box.top + 1);
    return reused().cropped.reserve(wd * ht * TGA_PIXEL_BYTES);
}

// The sprite as the box and, when given, its cropped pixels make it.
void takeTgaBox(const TgaBox& box, const uint8_t* pixels, CroppedSprite& sprite) {
    setCropOffsets(box, sprite);
    sprite.width = box.width;
    sprite.height = box.height;
    if (box.blank) return;
    sprite.wd = box.right - box.left + 1;
    sprite.ht = box.bottom - box.top + 1;
    sprite.pixels = pixels;
}

SpriteLoad loadTgaSprite(const std::string& path, Lookup lookup, bool withPixels,
                         CroppedSprite& sprite) {
    std::span<const uint8_t> bytes;
    // For the box alone a file without alpha is read no further than its head.
    const ReadPlan plan = withPixels ? ReadPlan{} : ReadPlan{BOX_HEAD_BYTES, tgaBoxNeedsPixels};
    const SpriteLoad read = readSpriteFile(path, lookup, plan, bytes);
    if (read != SpriteLoad::loaded) return read;
    TgaBox box;
    if (!findTgaBox(bytes, box)) return loadTgaGeneric(bytes, withPixels, sprite);
    if (!withPixels) {
        const SpriteLoad affordable = pictureAffordable(box.width, box.height, TGA_PIXEL_BYTES);
        if (affordable != SpriteLoad::loaded) return affordable;
        takeTgaBox(box, nullptr, sprite);
        return SpriteLoad::loaded;
    }
    uint8_t* out = croppedBlock(box);
    // The file has a fast path, so a crop that fails found no memory for its scratch block.
    if (!box.blank && (out == nullptr || !cropTgaFast(bytes, box, out, reused().picture))) {
        return SpriteLoad::outOfMemory;
    }
    takeTgaBox(box, out, sprite);
    return SpriteLoad::loaded;
}

// A refused PNG file prints nothing of its own: the caller's line says it did not load.
SpriteLoad pngFailure(PngError error) {
    return error == PngError::noMemory ? SpriteLoad::outOfMemory : SpriteLoad::notLoaded;
}

// The box comes from the rows as they are decoded; the pixels from the whole picture, decoded
// into the reused block, cropped to the box found in it and premultiplied.
SpriteLoad loadPngSprite(const std::string& path, Lookup lookup, bool withPixels,
                         CroppedSprite& sprite) {
    std::span<const uint8_t> bytes;
    const SpriteLoad read = readSpriteFile(path, lookup, ReadPlan{}, bytes);
    if (read != SpriteLoad::loaded) return read;
    ReusedBlocks& blocks = reused();
    if (!withPixels) {
        TgaBox box;
        const PngError error = findPngBox(bytes, blocks.picture, box);
        if (error != PngError::none) return pngFailure(error);
        const SpriteLoad affordable = pictureAffordable(box.width, box.height, TGA_PIXEL_BYTES);
        if (affordable != SpriteLoad::loaded) return affordable;
        takeTgaBox(box, nullptr, sprite);
        return SpriteLoad::loaded;
    }
    PngPicture picture;
    const PngError error = decodePng(bytes, blocks.picture, picture);
    if (error != PngError::none) return pngFailure(error);
    const TgaBox box = findAlphaBox(picture.rgba, picture.width, picture.height);
    uint8_t* out = croppedBlock(box);
    if (!box.blank) {
        if (out == nullptr) return SpriteLoad::outOfMemory;
        copyBoxPixels(picture.rgba, picture.width, box, out);
        const size_t count = static_cast<size_t>(box.right - box.left + 1) *
                             static_cast<size_t>(box.bottom - box.top + 1);
        premultiplyRgba(out, count);
    }
    takeTgaBox(box, out, sprite);
    return SpriteLoad::loaded;
}

// A failed PCX load: the reader has said why, unless a block could not be had.
SpriteLoad pcxFailure() {
    return reused().anyReserveFailed() ? SpriteLoad::outOfMemory : SpriteLoad::notLoaded;
}

// The box alone comes from the walk over the file's runs, with no picture built.
SpriteLoad loadPcxBoxOnly(const std::string& path, CroppedSprite& sprite) {
    PcxBox box;
    if (!loadPcxBox(path.c_str(), reused().file, TRANSPARENT_INDEX, &sprite.width, &sprite.height,
                    box)) {
        return pcxFailure();
    }
    const SpriteLoad affordable = pictureAffordable(sprite.width, sprite.height, 1);
    if (affordable != SpriteLoad::loaded) return affordable;
    if (box.empty()) {  // as cropping a blank picture leaves the offsets
        setCropOffsets(sprite.height, 0, sprite.width, 0, sprite);
        return SpriteLoad::loaded;
    }
    setCropOffsets(static_cast<int32_t>(box.top), static_cast<int32_t>(box.bottom),
                   static_cast<int32_t>(box.left), static_cast<int32_t>(box.right), sprite);
    sprite.wd = cropRight - cropLeft + 1;
    sprite.ht = cropBottom - cropTop + 1;
    return SpriteLoad::loaded;
}

// Crops a decoded PCX picture of the sprite's sides into the reused block.
SpriteLoad cropPcxPicture(const uint8_t* picture, CroppedSprite& sprite) {
    const bool visible = findCropIndexed(picture, sprite.width, sprite.height, TRANSPARENT_INDEX);
    takeCropperOffsets(sprite);
    if (!visible) return SpriteLoad::loaded;
    const int32_t wd = cropRight - cropLeft + 1;
    const int32_t ht = cropBottom - cropTop + 1;
    const size_t stride = static_cast<size_t>(sprite.width);
    const size_t outStride = static_cast<size_t>(wd);
    uint8_t* out = reused().cropped.reserve(outStride * static_cast<size_t>(ht));
    if (out == nullptr) return SpriteLoad::outOfMemory;
    const uint8_t* src =
        picture + static_cast<size_t>(cropTop) * stride + static_cast<size_t>(cropLeft);
    for (int32_t i = 0; i < ht; ++i, src += stride) {
        std::memcpy(out + static_cast<size_t>(i) * outStride, src, outStride);
    }
    sprite.pixels = out;
    sprite.wd = wd;
    sprite.ht = ht;
    return SpriteLoad::loaded;
}

SpriteLoad loadPcxSprite(const std::string& path, bool withPixels, CroppedSprite& sprite) {
    if (!withPixels) return loadPcxBoxOnly(path, sprite);
    ReusedBlocks& blocks = reused();
    const uint8_t* picture =
        loadPcxReusing(path.c_str(), blocks.file, blocks.picture, &sprite.width, &sprite.height);
    if (picture == nullptr) return pcxFailure();
    return cropPcxPicture(picture, sprite);
}

// The PCX sprite's cropped indices through the palette at the end of the same file's bytes.
// Unlike the sprite statements' load, a file that no longer opens gets only the file layer's
// own lines: what asks for colours reports nothing of its own.
SpriteLoad loadPcxRgba(const std::string& path, CroppedSprite& sprite, std::vector<uint8_t>& rgba) {
    ReusedBlocks& blocks = reused();
    std::span<const uint8_t> file;
    const int32_t loaded = fileLoad(path.c_str(), blocks.file, file);
    if (loaded < 1 || file.empty()) return pcxFailure();
    const uint8_t* picture =
        decodePcxReusing(file, path.c_str(), blocks.picture, &sprite.width, &sprite.height);
    if (picture == nullptr) return pcxFailure();
    const SpriteLoad cropped = cropPcxPicture(picture, sprite);
    if (cropped != SpriteLoad::loaded || sprite.pixels == nullptr) return cropped;

    const std::optional<PcxPalette> palette = readPcxPalette(file);
    const size_t count = static_cast<size_t>(sprite.wd) * static_cast<size_t>(sprite.ht);
    rgba.assign(count * RGBA_BYTES, 0);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t index = sprite.pixels[i];
        if (index == TRANSPARENT_INDEX) continue;
        // Without a palette, index i is grey level i.
        for (size_t c = 0; c < 3; ++c) {
            rgba[i * RGBA_BYTES + c] = palette ? (*palette)[size_t{index} * 3 + c] : index;
        }
        rgba[i * RGBA_BYTES + 3] = 255;
    }
    return SpriteLoad::loaded;
}

// A kind whose cropped pixels are RGBA already.
SpriteLoad loadRgbaKindAsRgba(const std::string& path, int32_t kind, CroppedSprite& sprite,
                              std::vector<uint8_t>& rgba) {
    const SpriteLoad load = loadCroppedSprite(path, kind, sprite);
    if (load != SpriteLoad::loaded || sprite.pixels == nullptr) return load;
    const size_t bytes =
        static_cast<size_t>(sprite.wd) * static_cast<size_t>(sprite.ht) * RGBA_BYTES;
    rgba.assign(sprite.pixels, sprite.pixels + bytes);
    return SpriteLoad::loaded;
}

SpriteLoad loadSprite(const std::string& path, int32_t kind, Lookup lookup, bool withPixels,
                      CroppedSprite& sprite) {
    sprite = CroppedSprite{};
    // The previous sprite's pixels are done with only now.
    reused().startLoad();
    switch (kind) {
        case SOURCE_TGA:
            return loadTgaSprite(path, lookup, withPixels, sprite);
        case SOURCE_PNG:
            return loadPngSprite(path, lookup, withPixels, sprite);
        default:
            return loadPcxSprite(path, withPixels, sprite);
    }
}

}  // namespace

SpriteLoad loadCroppedSprite(const std::string& path, int32_t kind, CroppedSprite& sprite) {
    return loadSprite(path, kind, Lookup{}, true, sprite);
}

SpriteLoad loadSpriteBox(const std::string& path, int32_t kind, DiskEntry onDisk,
                         CroppedSprite& sprite) {
    return loadSprite(path, kind, Lookup{true, onDisk}, false, sprite);
}

SpriteLoad loadCroppedSpriteRgba(const std::string& path, int32_t kind, CroppedSprite& sprite,
                                 std::vector<uint8_t>& rgba) {
    rgba.clear();
    const SpriteLoad load = tryWithMemory(
        [&] {
            if (spriteKind(kind).bytesPerPixel == static_cast<int32_t>(RGBA_BYTES)) {
                return loadRgbaKindAsRgba(path, kind, sprite, rgba);
            }
            // The palette kind: its colours come from its file, which its load reads anyway.
            sprite = CroppedSprite{};
            reused().startLoad();
            return loadPcxRgba(path, sprite, rgba);
        },
        SpriteLoad::outOfMemory);
    if (load == SpriteLoad::outOfMemory) rgba.clear();
    return load;
}
