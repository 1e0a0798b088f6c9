// sprites listed into the info file
Source art/
Dest out/
InfoFile info.txt
Padding On
Hotspot UpLeft
TGA hero
TGA gem
Hotspot Middle
TGA wall
PCX boom
Padding Off
Hotspot DownRight
PCX odd
TGA ghost
