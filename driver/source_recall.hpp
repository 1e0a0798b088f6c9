// What the listing learned of a TGA source that lets the pixel pass read only the rows its box
// needs, with no second search for the box. It holds only while the file bears the same stamp
// (device, inode, size, modification and change times), and only for a file that had settled
// when it was read: on a file system whose clock ticks coarsely, a change within the same tick
// would leave the stamp as it was, so a file changed in the last two seconds is read again
// whole.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "filesys/file_layer.hpp"
#include "image/tga_sprite.hpp"

struct SourceRecall {
    bool usable = false;
    FileStamp stamp;
    std::array<uint8_t, TGA_HEADER_SIZE> header{};
    TgaBox box;
    TgaRows rows;
};

// The recall of a file just read whole (`file`, bearing `stamp`) whose box findTgaBox found.
SourceRecall recallTgaSource(std::span<const uint8_t> file, const FileStamp& stamp,
                             const TgaBox& box);

// Reads the recalled rows of `path` and crops them into `out` (the box's pixels, 4 bytes
// each, top row first; nothing for a blank box). False, with `out` meaning nothing, when the
// file is no longer the one recalled or cannot be read: the caller loads it afresh then.
bool cropRecalledTga(const std::string& path, const SourceRecall& recall, ReusedBuffer& file,
                     ReusedBuffer& scratch, uint8_t* out);

// A seam for tests: how long a file must have been left alone to be recalled (2 s unless set).
void setSourceSettleTime(int64_t nanoseconds);
