Source art/
Dest ../out/ // a comment
Dest out/
InfoFile bad.txt
Binary
Padding = False
Padding 7 maybe
Hotspot Sideways
HotXY 1e9 -2147483649

  TGA   hero//no blank
42 stray words
TGA aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa
WriteOneFile  my sheet.bin 
