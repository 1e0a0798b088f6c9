InfoFile info.txt
InfoFile bad.txt
InfoFile art/hero.tga
Source art/
Dest out/
TGA hero
InfoFile out/
