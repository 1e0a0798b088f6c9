// The plain view of a finished sprite table that the files written beside a run's output read:
// one record per table entry, in table order, plus the output's path and form. The driver
// builds it once after the statement loop; the writers here never see the driver's state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sprite/sprite_types.hpp"

enum class OutputForm {
    Info,          // the text info file, no pixels
    SingleText,    // the single sprite file with a text header
    SingleBinary,  // the single sprite file with a binary header
};

// Where an entry's pixels sit in the single sprite file, in bytes from its start.
struct BlockPlace {
    uint64_t offset = 0;
    uint64_t length = 0;  // wd x ht x bytes per pixel
};

struct SpriteViewEntry {
    std::string name;  // the stored name's bytes (at most 78), any byte values
    uint32_t hid = 0;
    int32_t kind = SOURCE_TGA;  // a SpriteSource
    std::string source;         // the path the pixel pass reads
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t cropLeft = 0;  // the cropped box's top-left corner in the upright source picture
    int32_t cropTop = 0;
    int32_t wd = 0;  // cropped sides
    int32_t ht = 0;
    int32_t method = HS_UPLEFT;  // HotspotMethod
    std::string methodName;      // as the info file spells it
    int32_t padding = 0;
    int32_t hx = 0;
    int32_t hy = 0;
    std::optional<BlockPlace> block;  // absent when the output is an info file
};

struct SpriteView {
    std::string outputPath;
    OutputForm form = OutputForm::Info;
    uint64_t fingerprint = 0;  // FNV-1a 64 of the output's table bytes (fingerprint.hpp)
    std::vector<SpriteViewEntry> sprites;
};
