// Reading a hotspot method's spelled name (the names sit with the kind table in sprite/).
#pragma once

#include <cstdint>

#include "sprite/sprite_types.hpp"

// The method whose name equals `name` apart from ASCII letter case, or -1 when there is none
// (a name that only begins with a method name, such as Middles, is none).
int32_t hotspotMethodFromName(const char* name);
