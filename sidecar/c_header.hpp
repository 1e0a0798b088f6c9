// The generated C header: a self-contained file a game compiles in (C99 or C++), guarded by
// SPRITEBAKE_SPRITES_H and including only <stdint.h>. It defines
//   SPRITE_<NAME>             one per entry, the entry's index (constant_names.hpp)
//   SPRITEBAKE_SPRITE_COUNT   the number of entries
//   SPRITEBAKE_SPRITE_KINDS   a string literal, one letter an entry: 'T' TGA, 'P' PCX
//   spritebake_sprite_info    the record type: hid, kind (0 PCX, 1 TGA), offset and length of
//                             the pixel block (0 and 0 for an info file), wd, ht, hx, hy,
//                             method (0 Middle .. 5 HotXY), padding
//   spritebake_sprites        a static const table of those records in table order (one zero
//                             record when there are no entries, since C has no empty arrays)
// Names appear only inside identifiers, never in strings or comments, so no byte of a name can
// end a comment, form a trigraph or continue a line.
#pragma once

#include <optional>
#include <string>

#include "sidecar/sprite_view.hpp"

// The whole file, lines ending in a line feed. Empty only when memory ran out.
std::optional<std::string> cHeaderBytes(const SpriteView& view);
