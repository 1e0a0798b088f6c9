// The bundled example: sixteen sprites listed into a text info file.
// Run from this folder:  ../build/spritebake sprites.ctl
// The sprites are drawn by make_examples.cpp; the info file lands in out/.

Source ./art/
Dest out/
InfoFile out/sprites.txt

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
