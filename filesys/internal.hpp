// The file layer's inner seams between its source files. Nothing outside filesys/ includes this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "filesys/file_access.hpp"
#include "filesys/allocate.hpp"

struct stat;

namespace filesys_detail {

// ---- disk.cpp: the operating system's calls ----

// Whether `path` may be used at all (not null, not hidden by the confinement); sets errno as a
// missing file would when it may not.
bool pathUsable(const char* path);

// What a path names after following links. FIFOs, sockets and devices are `special`: they are
// never opened for reading, since opening or reading them may block or never end.
enum class DiskKind { missing, regular, directory, special };
DiskKind diskKind(const char* path);
DiskKind handleKind(int32_t handle);

// Opens `path` for reading (never blocking, never as a controlling terminal) and checks the
// open file with fstat: a regular file of at most 2^31 - 1 bytes. Its descriptor, with `st`
// filled, or -1 with nothing left open.
int32_t openRegularFile(const char* path, struct stat& st);

// Size of the file at `path` (stat), or -1 when stat fails or confinement hides the path.
int64_t diskFileSize(const char* path);

// Size of the open file (fstat), or -1 when fstat fails.
int64_t diskHandleSize(int32_t handle);

// Reads up to `count` bytes, looping on short reads and interruptions until `count` bytes, the
// end of the file or an error. `got` receives the bytes read before the end or the error.
// Returns false on a read error.
bool readFully(int32_t handle, uint8_t* dst, int32_t count, int32_t* got);

// ---- blob_archive.cpp: the archive's header and the current-entry values ----

// Reads the header of the archive `name` (fatal when it cannot be opened, or no memory).
// A null or empty name means no archive.
void blobArchiveOpen(const char* name);
void blobArchiveReset();

// The archive lookup of fileOpen: a new descriptor on the archive positioned at the entry's
// first byte, or -1. A matching entry sets the current-entry values.
int32_t blobArchiveLookup(const char* name);

// A successful disk open: the current-entry values go back to 0.
void blobClearCurrentEntry();

// Whether the last successful fileOpen was an archive hit (rather than a disk open).
bool blobLastOpenWasHit();

// ---- preload.cpp: the preload table ----

void preloadFill(PreloadEntry* list);
void preloadReset();

// The first table entry whose hash is hashName(name), or null.
const PreloadEntry* preloadFind(const char* name);

// ---- file_layer.cpp ----

// fileLoad's disk-and-archive road, allocating: `owned` receives the block (left null when the
// load fails before allocating). Returns what fileLoad returns.
int32_t loadAllocating(const char* name, std::unique_ptr<uint8_t[]>& owned);

// A block of `count` uninitialised elements, or null when there is no memory for it.
template <class T>
std::unique_ptr<T[]> allocateBlock(size_t count) {
    return tryAllocate<T>(count);
}

// The name as messages show it.
inline const char* shown(const char* name) {
    return name != nullptr ? name : "(null)";
}

}  // namespace filesys_detail
