Source art/
Dest art/
WriteOneFile hero.tga
TGA gem
TGA hero
PCX boom
