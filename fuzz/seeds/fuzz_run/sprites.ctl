Source art/
Dest out/
InfoFile info.txt
Padding Off
Hotspot Middle
Sprites *.tga
Sprites **/
Sprites art/
Sprites ../art/*.pcx
Sprites
Sprites dir.tga/
sprites ?x*.PCX
Spritesart/*
Source art
Sprites ./*.tga
