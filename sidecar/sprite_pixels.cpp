#include "sidecar/sprite_pixels.hpp"

#include <memory>
#include <new>
#include <optional>
#include <span>

#include "filesys/file_access.hpp"
#include "image/pcx.hpp"
#include "image/pcx_palette.hpp"
#include "image/tga.hpp"
#include "sprite/crop.hpp"

namespace {

constexpr uint8_t TRANSPARENT_INDEX = 255;

size_t pixelCount(const SpriteViewEntry& entry) {
    return static_cast<size_t>(entry.wd) * static_cast<size_t>(entry.ht);
}

std::vector<uint8_t> loadTgaRgba(const SpriteViewEntry& entry) {
    int32_t width = 0;
    int32_t height = 0;
    const std::unique_ptr<uint8_t[]> picture = loadTga(entry.source.c_str(), &width, &height, 4);
    if (!picture) return {};
    int32_t wd = 0;
    int32_t ht = 0;
    const std::unique_ptr<uint8_t[]> cropped = cropRgba(picture.get(), width, height, &wd, &ht);
    if (!cropped || wd != entry.wd || ht != entry.ht) return {};
    const uint8_t* bytes = cropped.get();
    return std::vector<uint8_t>(bytes, bytes + pixelCount(entry) * 4);
}

// The PCX reader does not hand back the palette, so the file is loaded once here and both the
// pixels and the palette are taken from the same bytes, through the same file layer.
std::vector<uint8_t> loadPcxRgba(const SpriteViewEntry& entry) {
    FileBlock block;
    const int32_t loaded = fileLoad(entry.source.c_str(), block);
    if (loaded < 1 || block.data() == nullptr) return {};
    const std::span<const uint8_t> file(block.data(), static_cast<size_t>(loaded));
    int32_t width = 0;
    int32_t height = 0;
    const std::unique_ptr<uint8_t[]> picture =
        decodePcx(file, entry.source.c_str(), &width, &height);
    if (!picture) return {};
    int32_t wd = 0;
    int32_t ht = 0;
    const std::unique_ptr<uint8_t[]> cropped =
        cropIndexed(picture.get(), width, height, &wd, &ht, TRANSPARENT_INDEX);
    if (!cropped || wd != entry.wd || ht != entry.ht) return {};

    const std::optional<PcxPalette> palette = readPcxPalette(file);
    std::vector<uint8_t> rgba(pixelCount(entry) * 4, 0);
    for (size_t i = 0; i < pixelCount(entry); ++i) {
        const uint8_t index = cropped[i];
        if (index == TRANSPARENT_INDEX) continue;
        for (size_t c = 0; c < 3; ++c) {
            rgba[i * 4 + c] = palette ? (*palette)[size_t{index} * 3 + c] : index;
        }
        rgba[i * 4 + 3] = 255;
    }
    return rgba;
}

}  // namespace

std::vector<uint8_t> loadEntryRgba(const SpriteViewEntry& entry) {
    if (entry.wd < 1 || entry.ht < 1) return {};
    try {
        return entry.kind == SOURCE_TGA ? loadTgaRgba(entry) : loadPcxRgba(entry);
    } catch (const std::bad_alloc&) {
        return {};
    }
}
