// The statements that concern sprites, run by the statement loop with the cursor just after
// their keyword. Every problem prints one line and the run goes on with the next statement.
#pragma once

#include <cstdint>

#include "control/driver_state.hpp"
#include "sprite/sprite_types.hpp"

// Padding On|True|Off|False: the padding flag given to the sprites listed after it.
void runPaddingStatement(DriverState& state);

// Hotspot NAME: the hotspot method of the sprites listed after it; an unknown name selects
// Middle.
void runHotspotStatement(DriverState& state);

// HotXY X Y: the explicit hotspot point, and the HotXY method. Leaves the line number alone.
void runHotXYStatement(DriverState& state);

// TGA NAME / PCX NAME: loads SOURCEDIR/NAME.tga or .pcx, crops it, hashes its name, places its
// hotspot and appends it to the sprite tables; a sprite that cannot be used is reported and
// leaves no entry.
void runSpriteStatement(DriverState& state, SpriteSource kind);

// Records the entry at `slot` under its hid and warns when an entry of another stored name
// (bytes compared, so a case-only difference counts) already holds that hid.
void registerSpriteId(DriverState& state, int32_t slot);
