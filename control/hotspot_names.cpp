#include "control/hotspot_names.hpp"

#include "scanner/scanner.hpp"

int32_t hotspotMethodFromName(const char* name) {
    for (size_t i = 0; i < hotspotMethodNames.size(); ++i) {
        if (stringsEqualNoCase(hotspotMethodNames[i], name) == 1) return static_cast<int32_t>(i);
    }
    return -1;
}
