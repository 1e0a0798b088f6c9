// The spelled names of the hotspot methods, as the control file, the info file and the single
// sprite file's text header write them.
#pragma once

#include <array>
#include <cstdint>

// Indexed by HotspotMethod.
inline constexpr std::array<const char*, 6> hotspotMethodNames = {
    "Middle", "UpLeft", "UpRight", "DownLeft", "DownRight", "HotXY",
};

// The method whose name equals `name` apart from ASCII letter case, or -1 when there is none
// (a name that only begins with a method name, such as Middles, is none).
int32_t hotspotMethodFromName(const char* name);
