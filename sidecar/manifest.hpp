// The manifest: a JSON document (RFC 8259, UTF-8) that describes a run's output for tools and
// games. Its top-level keys, in this order: format ("spritebake-manifest"), version (1),
// output, form ("info", "single-text" or "single-binary"), fingerprint (the output's, see
// fingerprint.hpp, as a "0x" string, since many JSON readers lose 64-bit numbers) and sprites,
// one object per table entry with index, name, name_hex, hid, hid_signed, kind (how its pixels
// are stored: "tga" or "pcx"), source, source_width, source_height, crop_left, crop_top, wd, ht,
// method, padding, hx, hy, bytes_per_pixel, file_format (what its source file is: "tga", "pcx"
// or "png"), offset and length (null for an info file).
//
// Names and paths are bytes: their strings are UTF-8 with every byte outside a well-formed
// sequence replaced by U+FFFD; name_hex keeps the stored name's exact bytes.
#pragma once

#include <optional>
#include <string>

#include "sidecar/sprite_view.hpp"

// The whole file: two-space indentation, one sprite object a line, a final line feed. Empty
// only when memory ran out.
std::optional<std::string> manifestBytes(const SpriteView& view);
