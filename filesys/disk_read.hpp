// The disk alone, for the parts that touch it directly: what a path names, and reading a
// regular file whole. Neither the blob archive nor the preload table is consulted, and nothing
// is printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "filesys/reused_buffer.hpp"

// Whether `path` names something on disk (stat succeeds).
bool fileExistsOnDisk(const char* path);

// What `path` names on disk, from one stat (links followed).
enum class DiskEntry : uint8_t { missing, regular, folder, other };
DiskEntry fileEntryOnDisk(const char* path);

// Whether `path` names a folder on disk (stat, links followed).
bool fileIsFolderOnDisk(const char* path);

// How much of a file a read takes: all of it, or at first only its head, and the rest only
// when `wantsRest(head)` says so.
struct ReadPlan {
    size_t head = SIZE_MAX;
    bool (*wantsRest)(std::span<const uint8_t> head) = nullptr;
};

struct ReadOptions {
    // Whether fileEntryOnDisk has just found the path to be a regular file: that stat then
    // stands for the one before the open, which is otherwise the read's own. The open file is
    // checked (fstat) either way, since the name may have been replaced meanwhile.
    bool foundRegular = false;
    ReadPlan plan = {};
};

// How a read ended.
enum class FileRead : uint8_t {
    read,        // the bytes hold what the plan read (a read error part-way keeps what came first)
    unreadable,  // not a regular file of at most 2^31 - 1 bytes, or it cannot be opened
    noMemory,    // no block for the bytes the plan reads
};

// Reads the regular file at `path`: a folder, FIFO, socket or device is never opened, since
// opening or reading it may block or never end. The block holds only what the plan reads: a
// head, and the whole file only when the rest is read.
//
// Into a reused buffer, grown when needed: `bytes` receives the bytes read (inside `buffer`),
// and is empty unless the result is `read`.
FileRead readRegularFile(const char* path, ReusedBuffer& buffer, std::span<const uint8_t>& bytes,
                         ReadOptions options = {});
// Into a vector, which is left empty unless the result is `read`.
FileRead readRegularFile(const char* path, std::vector<uint8_t>& bytes, ReadOptions options = {});
