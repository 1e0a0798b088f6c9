// The blob archive: reading the header once at start-up, the lookup that fileOpen
// falls back on, and the current-entry values of the last archive hit. Owns the archive state.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "filesys/blob_archive.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "filesys/internal.hpp"

namespace {

// Largest entry word the layer's signed 32-bit values can hold.
constexpr uint32_t MAX_ENTRY_WORD = 0x7fffffffu;

std::string blobFileName;               // empty: no archive
std::unique_ptr<uint8_t[]> blobHeader;  // blobCount x 16 bytes, as stored
int32_t blobCount = 0;                  // entries wholly present in the file
int64_t blobFileSize = 0;               // the archive's size when the header was read

int32_t currentSize = 0;
int32_t currentUnpackedSize = 0;
int32_t currentOffset = 0;
bool lastOpenWasHit = false;

}  // namespace

uint32_t readU32LE(const uint8_t* bytes) {
    return bytes[0] + (uint32_t{bytes[1]} << 8) + (uint32_t{bytes[2]} << 16) +
           (uint32_t{bytes[3]} << 24);
}

int32_t curBlobSize() {
    return currentSize;
}
int32_t curBlobUnpackedSize() {
    return currentUnpackedSize;
}
int32_t curBlobOffset() {
    return currentOffset;
}
int32_t blobEntryCount() {
    return blobCount;
}

namespace filesys_detail {

void blobArchiveOpen(const char* name) {
    blobFileName.clear();
    blobHeader.reset();
    blobCount = 0;
    blobFileSize = 0;
    if (name == nullptr || name[0] == '\0') return;

    blobFileName = name;
    // A FIFO, socket or device is never opened: like a folder, it holds no entries.
    if (diskKind(name) == DiskKind::special) return;
    int32_t h = fileOpenDisk(name, FILE_MODE_READ);
    if (h == -1) fatalError("Failed to open %s for reading!\n", name);

    // Only the entries wholly present in the file count; a negative count means none.
    int64_t fileSize = diskHandleSize(h);
    uint8_t countBytes[4];
    int32_t got = 0;
    int64_t entries = 0;
    if (fileSize >= 4 && readFully(h, countBytes, 4, &got) && got == 4) {
        auto count = static_cast<int32_t>(readU32LE(countBytes));
        entries = std::min<int64_t>(count, (fileSize - 4) / SIZEOF_BLOB_NODE);
        if (entries < 0) entries = 0;
    }

    // Never more than the file holds; a header past 2^31 bytes is cut to what one read can take.
    int64_t headerBytes = entries * SIZEOF_BLOB_NODE;
    if (headerBytes > INT32_MAX) headerBytes = INT32_MAX / SIZEOF_BLOB_NODE * SIZEOF_BLOB_NODE;
    blobHeader = allocateBlock<uint8_t>(static_cast<size_t>(headerBytes));
    if (!blobHeader) {
        fileClose(h);
        fatalError("Can't malloc for blob header.\n");
    }
    got = 0;
    readFully(h, blobHeader.get(), static_cast<int32_t>(headerBytes), &got);
    fileClose(h);
    blobCount = got / SIZEOF_BLOB_NODE;  // a file that shrank meanwhile keeps what was read
    blobFileSize = fileSize;
}

void blobArchiveReset() {
    blobFileName.clear();
    blobHeader.reset();
    blobCount = 0;
    blobFileSize = 0;
    currentSize = 0;
    currentUnpackedSize = 0;
    currentOffset = 0;
    lastOpenWasHit = false;
}

int32_t blobArchiveLookup(const char* name) {
    if (name == nullptr || blobCount == 0) return -1;
    const uint32_t key = hashName(name);  // hashName folds a-z itself: the lookup is case-blind
    for (int32_t i = 0; i < blobCount; ++i) {
        const uint8_t* node = blobHeader.get() + static_cast<size_t>(i) * SIZEOF_BLOB_NODE;
        if (readU32LE(node) != key) continue;
        uint32_t size = readU32LE(node + 4);
        uint32_t unpackedSize = readU32LE(node + 8);
        uint32_t offset = readU32LE(node + 12);
        // Words the signed 32-bit values cannot hold, and data past the end, do not match.
        if (size > MAX_ENTRY_WORD || offset > MAX_ENTRY_WORD) continue;
        if (int64_t{offset} + size > blobFileSize) continue;

        currentSize = static_cast<int32_t>(size);
        currentUnpackedSize = static_cast<int32_t>(unpackedSize);
        currentOffset = static_cast<int32_t>(offset);

        int32_t h = fileOpenDisk(blobFileName.c_str(), FILE_MODE_READ);
        if (h == -1) continue;
        // The archive may have shrunk since its header was read: then the entry is not there.
        if (diskHandleSize(h) < int64_t{offset} + size ||
            fileSeek(h, currentOffset, 0) != int64_t{offset}) {
            fileClose(h);
            continue;
        }
        lastOpenWasHit = true;
        return h;
    }
    return -1;
}

void blobClearCurrentEntry() {
    currentSize = 0;
    currentUnpackedSize = 0;
    currentOffset = 0;
    lastOpenWasHit = false;
}

bool blobLastOpenWasHit() {
    return lastOpenWasHit;
}

}  // namespace filesys_detail
