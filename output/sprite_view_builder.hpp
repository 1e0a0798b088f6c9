// Builds the plain view of the finished sprite table that the files written beside the output
// (manifest, C header, preview) read, so their writers never see the driver's state.
#pragma once

#include "control/driver_state.hpp"
#include "sidecar/sprite_view.hpp"

// One entry per table entry, in order, with the output's path, form and fingerprint as the
// output stage writes them. For a single sprite file each entry gets its pixel block's place:
// the blocks follow the table (4 + 32 bytes an entry in binary, the text table's length in text)
// in table order, wd x ht x 4 bytes for TGA and wd x ht for PCX.
SpriteView buildSpriteView(const DriverState& state);
