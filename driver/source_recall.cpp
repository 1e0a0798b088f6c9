#include "driver/source_recall.hpp"

#include <algorithm>

namespace {

int64_t settleTime = 2'000'000'000;

}  // namespace

void setSourceSettleTime(int64_t nanoseconds) {
    settleTime = nanoseconds;
}

SourceRecall recallTgaSource(std::span<const uint8_t> file, const FileStamp& stamp,
                             const TgaBox& box) {
    SourceRecall recall;
    if (file.size() < TGA_HEADER_SIZE) return recall;
    if (!box.blank && !tgaBoxRows(file, box, recall.rows)) return recall;
    // A blank box needs no pixels, only the check that the file is the same.
    const int64_t newest = std::max(stamp.modifiedNs, stamp.changedNs);
    recall.usable = newest <= fileClockNs() - settleTime;
    recall.stamp = stamp;
    std::copy_n(file.begin(), TGA_HEADER_SIZE, recall.header.begin());
    recall.box = box;
    return recall;
}

bool cropRecalledTga(const std::string& path, const SourceRecall& recall, ReusedBuffer& file,
                     ReusedBuffer& scratch, uint8_t* out) {
    if (!recall.usable) return false;
    std::span<const uint8_t> bytes;
    if (!fileReadRangeIfSame(path.c_str(), recall.stamp, recall.rows.offset, recall.rows.length,
                             file, bytes)) {
        return false;
    }
    if (recall.box.blank) return true;
    return cropTgaFromRows(recall.header, recall.box, recall.rows, bytes, out, scratch);
}
