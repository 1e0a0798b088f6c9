// The blob archive: its header entries, the current-entry values of the last archive hit, and
// the writer that builds an archive. fileSystemInit (file_access.hpp) names the archive to read.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int32_t SIZEOF_BLOB_NODE = 16;

// One header entry as kept in memory; the file holds the same four little-endian words.
struct BlobNode {
    uint32_t hash;
    uint32_t size;
    uint32_t unpackedSize;
    uint32_t offset;
};
static_assert(sizeof(BlobNode) == SIZEOF_BLOB_NODE, "a header entry is four 32-bit words");

uint32_t readU32LE(const uint8_t* bytes);

// The current-entry values: the size, unpackedSize and offset words of the entry that the last
// archive hit found (a matching entry sets them even when the archive then cannot be opened);
// 0 after a successful disk open in fileOpen and at start.
int32_t curBlobSize();
int32_t curBlobUnpackedSize();
int32_t curBlobOffset();

// Entries of the archive header in use (0 with no archive).
int32_t blobEntryCount();

// Writes an archive holding `files` (name, bytes), each stored under hashName(name) as it will
// be asked for: the count, the entries (unpackedSize 0), then the bytes in the list's order.
// Returns true when the whole file was written; false (and no file left) otherwise, including
// an archive that would reach 2^31 bytes.
bool writeBlobArchive(const char* path,
                      const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files);
