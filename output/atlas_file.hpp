// The atlas beside the output (--atlas FILE): the sprites' pixels packed into PNG pages, with
// the data file that names each frame, written whole through the replacing writer.
#pragma once

#include <string>
#include <vector>

#include "atlas/atlas_settings.hpp"
#include "sidecar/sprite_view.hpp"

// Writes the atlas of `view` whose data file is `path`: every page, then every data file.
// Adds each file written other than `path` to `alsoWritten`. False when any of them was not
// written; its line has been printed then (a sprite too large for a page writes nothing).
bool writeAtlasFiles(const std::string& path, const SpriteView& view,
                     const AtlasSettings& settings, bool keepIfSame,
                     std::vector<std::string>& alsoWritten);
