// The bundled example as one binary sprite file: the table, then every cropped picture.
// Run from this folder:  ../build/spritebake sprites_bin.ctl
// The sprites are drawn by make_examples.cpp; the sprite file lands in out/.

Source ./art/
Dest out/
WriteOneFile sprites.bin
BIN

// Tiles: the hotspot on the top-left corner; padding on (the default).
Hotspot UpLeft
TGA brick
TGA crate

// Characters stand on the bottom-left corner of their cropped picture.
Padding Off
Hotspot DownLeft
TGA hero
TGA ghost
TGA slime

// Items and the explosion frames are centred on their hotspot.
Hotspot Middle
TGA coin
PCX heart
PCX potion
PCX gem
PCX key
TGA explode1
TGA explode2
TGA explode3
TGA explode4
TGA explode5

// The sword turns around its grip: a point of the picture as drawn, 10 across and 43 down.
HotXY 10 43
TGA sword
