#include "driver/sprite_loading.hpp"

#include "image/pcx.hpp"
#include "image/tga.hpp"
#include "sprite/crop.hpp"

namespace {

constexpr uint8_t TRANSPARENT_INDEX = 255;

}  // namespace

bool loadCroppedSprite(const std::string& path, int32_t kind, CroppedSprite& sprite) {
    sprite = CroppedSprite{};
    std::unique_ptr<uint8_t[]> picture;
    if (kind == SOURCE_TGA) {
        picture = loadTga(path.c_str(), &sprite.width, &sprite.height, 4);
    } else {
        picture = loadPcx(path.c_str(), &sprite.width, &sprite.height);
    }
    if (!picture) return false;
    if (kind == SOURCE_TGA) {
        sprite.pixels =
            cropRgba(picture.get(), sprite.width, sprite.height, &sprite.wd, &sprite.ht);
    } else {
        sprite.pixels = cropIndexed(picture.get(), sprite.width, sprite.height, &sprite.wd,
                                    &sprite.ht, TRANSPARENT_INDEX);
    }
    return true;
}
