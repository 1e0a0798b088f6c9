Source art/
Dest out/
BIN
WriteOneFile sheet.bin
HotXY 3 -2
TGA hero
PCX boom
TGA gem
Source ./
TGA coin
