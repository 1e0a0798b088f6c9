// A cropped sprite's pixels in its file's own colours (straight alpha), for the atlas pages,
// which engines draw with their own blending: the same box as the sprite road's crop, not the
// premultiplied pixels divided by alpha again, which would lose the colours of faint pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "source/sprite_loading.hpp"

// The sprite at `path` cropped as loadCroppedSprite crops it, as wd x ht x 4 bytes of red,
// green, blue and alpha (rows top first), the colours as the file stores them. A palette
// kind's indices go through its file's palette (index 255 is transparent, 0,0,0,0), as
// loadCroppedSpriteRgba gives them. `rgba` is empty for a blank sprite or a failed load; a
// file that no longer decodes to the pixels the crop found (it changed in between) is
// notLoaded.
SpriteLoad loadCroppedSpriteStraight(const std::string& path, int32_t kind, CroppedSprite& sprite,
                                     std::vector<uint8_t>& rgba);
