// Reloads an entry's pixels for the preview: its source file loaded and cropped exactly as the
// run did, as premultiplied RGBA. PCX indices go through the palette at the end of the source
// file, or a grey ramp (index i is grey level i) when it has none; index 255 is transparent.
#pragma once

#include <cstdint>
#include <vector>

#include "sidecar/sprite_view.hpp"

// wd x ht x 4 bytes (red, green, blue, alpha; rows top first), or empty when the entry is blank,
// its source no longer loads, or it no longer crops to the entry's sides. The image readers may
// print their own lines, as in the run.
std::vector<uint8_t> loadEntryRgba(const SpriteViewEntry& entry);
