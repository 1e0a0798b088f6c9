// The generated C header: a self-contained file a game compiles in (C99 or C++), including only
// <stdint.h>. Every name it defines begins with its prefix (PREFIX below, "SPRITES_" for
// sprites.h), so the headers of several runs can be included in one translation unit:
//   SPRITEBAKE_<PREFIX>_H     the file's guard, PREFIX without its trailing '_'
//   PREFIX SPRITE_<NAME>      one per entry, the entry's index (constant_names.hpp)
//   PREFIX COUNT              the number of entries
//   PREFIX KINDS              a string literal, one letter an entry: 'T' TGA, 'P' PCX
//   PREFIX FINGERPRINT        the output's fingerprint (fingerprint.hpp), an unsigned long long
//   PREFIX TABLE              a static const table of spritebake_sprite_info records in table
//                             order (one zero record when there are no entries, since C has no
//                             empty arrays)
// The record type spritebake_sprite_info (hid, kind (0 PCX, 1 TGA), offset and length of the
// pixel block (0 and 0 for an info file), wd, ht, hx, hy, method (0 Middle .. 5 HotXY),
// padding) is shared by every generated header and defined once, under a guard of its own.
// Names appear only inside identifiers, never in strings or comments, so no byte of a name can
// end a comment, form a trigraph or continue a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sidecar/sprite_view.hpp"

// True when `prefix` can begin a C identifier and continue it: ASCII letters, digits and '_',
// not empty, not starting with a digit.
bool isHeaderPrefix(std::string_view prefix);

// The prefix of a header written at `headerPath`: its file name without the last extension,
// ASCII letters in upper case, every other byte but a digit made '_', a '_' in front when it
// starts with a digit, and a final '_' ("out/sprites.h" gives "SPRITES_", "2d.h" "_2D_"). A
// path that ends in '/' gives "SPRITES_".
std::string defaultHeaderPrefix(std::string_view headerPath);

// The whole file, lines ending in a line feed; `prefix` must pass isHeaderPrefix. Empty only
// when memory ran out.
std::optional<std::string> cHeaderBytes(const SpriteView& view, std::string_view prefix);
