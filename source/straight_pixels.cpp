#include "source/straight_pixels.hpp"

#include <cstring>
#include <memory>

#include "filesys/allocate.hpp"
#include "filesys/disk_read.hpp"
#include "filesys/reused_buffer.hpp"
#include "image/png.hpp"
#include "image/tga.hpp"

namespace {

constexpr size_t RGBA_BYTES = 4;

// The header bytes that say whether a TGA file's pixels carry alpha at all.
constexpr size_t TGA_MAP_TYPE = 1;
constexpr size_t TGA_IMAGE_TYPE = 2;
constexpr size_t TGA_ENTRY_SIZE = 7;
constexpr size_t TGA_PIXEL_DEPTH = 16;
constexpr size_t TGA_DESCRIPTOR = 17;
constexpr uint8_t TGA_ALPHA_BITS = 0x0F;

// Whether the reader takes an alpha channel from the file: the 32-bit rule, or a 16-bit
// black-and-white image (grey and alpha). Every other pixel is opaque, so its premultiplied
// colours are the file's own. Clearing the alpha bits of these two makes the reader keep the
// stored colours (premultiplied by 255, which leaves them as they are); the 16-bit colour
// rules cannot be treated so, as the alpha bits choose between them.
bool tgaHasAlpha(std::span<const uint8_t> file) {
    if (file.size() < TGA_HEADER_SIZE) return false;
    const bool mapped = file[TGA_MAP_TYPE] != 0;
    const uint8_t type = file[TGA_IMAGE_TYPE];
    const uint32_t depth = mapped ? file[TGA_ENTRY_SIZE] : file[TGA_PIXEL_DEPTH];
    const bool blackAndWhite = type == 3 || type == 11;
    const bool alphaBits = (file[TGA_DESCRIPTOR] & TGA_ALPHA_BITS) != 0;
    return alphaBits && (depth > 24 || (depth == 16 && blackAndWhite));
}

SpriteLoad readWholeFile(const std::string& path, std::vector<uint8_t>& file) {
    switch (readRegularFile(path.c_str(), file)) {
        case FileRead::read:
            return SpriteLoad::loaded;
        case FileRead::noMemory:
            return SpriteLoad::outOfMemory;
        case FileRead::unreadable:
            break;
    }
    return SpriteLoad::notLoaded;
}

// Packs a straight pixel as the reader packs its output (red in the low byte).
uint32_t packed(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Takes the colours inside the sprite's box from the opaque decoding of its file and checks
// each against the crop's premultiplied pixel: premultiplying the straight pixel again must
// give it back, or the file is no longer the one the crop read.
bool takeStraightColours(const uint8_t* opaque, int32_t width, int32_t height,
                         const CroppedSprite& sprite, std::vector<uint8_t>& rgba) {
    if (width != sprite.width || height != sprite.height) return false;
    for (int32_t y = 0; y < sprite.ht; ++y) {
        // The reader's rows go bottom first.
        const size_t row = static_cast<size_t>(height - 1 - (sprite.top + y));
        for (int32_t x = 0; x < sprite.wd; ++x) {
            const uint8_t* from =
                opaque + (row * static_cast<size_t>(width) + static_cast<size_t>(sprite.left + x)) *
                             RGBA_BYTES;
            uint8_t* to = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(sprite.wd) +
                                 static_cast<size_t>(x)) *
                                RGBA_BYTES];
            const uint32_t premultiplied = packed(to);
            std::memcpy(to, from, 3);  // the alpha stays the crop's
            // The file's blue, green, red and alpha, as a stored 32-bit pixel.
            const uint32_t stored = to[2] | uint32_t{to[1]} << 8 | uint32_t{to[0]} << 16 |
                                    uint32_t{to[3]} << 24;
            if (convertTgaPixel(stored, 32, 8, 4) != premultiplied) return false;
        }
    }
    return true;
}

bool everyPixelOpaque(const std::vector<uint8_t>& rgba) {
    for (size_t i = 3; i < rgba.size(); i += RGBA_BYTES) {
        if (rgba[i] != 255) return false;
    }
    return true;
}

SpriteLoad straightTga(const std::string& path, const CroppedSprite& sprite,
                       std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> file;
    const SpriteLoad read = readWholeFile(path, file);
    if (read != SpriteLoad::loaded) return read;
    // A file without alpha could not have given the crop's translucent pixels.
    if (!tgaHasAlpha(file)) return SpriteLoad::notLoaded;
    file[TGA_DESCRIPTOR] &= static_cast<uint8_t>(~TGA_ALPHA_BITS);
    int32_t width = 0;
    int32_t height = 0;
    bool noMemory = false;
    const std::unique_ptr<uint8_t[]> opaque = decodeTga(file, &width, &height, 4, noMemory);
    if (!opaque) return noMemory ? SpriteLoad::outOfMemory : SpriteLoad::notLoaded;
    return takeStraightColours(opaque.get(), width, height, sprite, rgba) ? SpriteLoad::loaded
                                                                          : SpriteLoad::notLoaded;
}

// A PNG file decodes to straight colours before the road premultiplies them: decoded again, the
// picture's box gives the file's own colours, and premultiplying each must give the crop's
// pixel back, or the file is no longer the one the crop read.
SpriteLoad straightPng(const std::string& path, const CroppedSprite& sprite,
                       std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> file;
    const SpriteLoad read = readWholeFile(path, file);
    if (read != SpriteLoad::loaded) return read;
    ReusedBuffer block;
    PngPicture picture;
    const PngError error = decodePng(file, block, picture);
    if (error == PngError::noMemory) return SpriteLoad::outOfMemory;
    if (error != PngError::none) return SpriteLoad::notLoaded;
    if (picture.width != sprite.width || picture.height != sprite.height) {
        return SpriteLoad::notLoaded;
    }
    const size_t width = static_cast<size_t>(picture.width);
    for (int32_t y = 0; y < sprite.ht; ++y) {
        const uint8_t* from = picture.rgba + (static_cast<size_t>(sprite.top + y) * width +
                                              static_cast<size_t>(sprite.left)) *
                                                 RGBA_BYTES;
        uint8_t* to = &rgba[static_cast<size_t>(y) * static_cast<size_t>(sprite.wd) * RGBA_BYTES];
        for (int32_t x = 0; x < sprite.wd; ++x, from += RGBA_BYTES, to += RGBA_BYTES) {
            uint8_t again[RGBA_BYTES];
            std::memcpy(again, from, RGBA_BYTES);
            premultiplyRgba(again, 1);
            if (std::memcmp(again, to, RGBA_BYTES) != 0) return SpriteLoad::notLoaded;
            std::memcpy(to, from, RGBA_BYTES);
        }
    }
    return SpriteLoad::loaded;
}

}  // namespace

SpriteLoad loadCroppedSpriteStraight(const std::string& path, int32_t kind, CroppedSprite& sprite,
                                     std::vector<uint8_t>& rgba) {
    SpriteLoad load = loadCroppedSpriteRgba(path, kind, sprite, rgba);
    if (load != SpriteLoad::loaded || rgba.empty()) return load;
    // A palette kind's colours are its palette's already, each pixel opaque or transparent.
    if (spriteKind(kind).bytesPerPixel != static_cast<int32_t>(RGBA_BYTES)) return load;
    // Premultiplying by 255 keeps every colour, so an opaque crop holds the file's colours.
    if (everyPixelOpaque(rgba)) return load;
    load = tryWithMemory(
        [&] {
            return kind == SOURCE_PNG ? straightPng(path, sprite, rgba)
                                      : straightTga(path, sprite, rgba);
        },
        SpriteLoad::outOfMemory);
    if (load != SpriteLoad::loaded) rgba.clear();
    return load;
}
