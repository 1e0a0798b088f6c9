TGA hero
Source
art/
Source art/
PCX boom
Dest out/
TGA missing
TGA cut
TGA junk
TGA empty
TGA dir
PCX short
PCX run
PCX junk
PCX empty
PCX dir
InfoFile nowhere/info.txt
WriteOneFile
