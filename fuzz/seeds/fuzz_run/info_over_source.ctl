Source art/
Dest out/
InfoFile art/boom.pcx
PCX boom
TGA hero
