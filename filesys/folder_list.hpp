// One folder's entries as the disk holds them: each name with what it is, a symbolic link told
// apart by what it points to. Nothing is printed and no entry is opened, so a FIFO or a device
// in the folder costs one stat and never blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What an entry is after following a link; `linked` says whether it was reached through one.
enum class FolderEntryKind : uint8_t { regular, folder, other };

struct FolderEntry {
    std::string name;
    FolderEntryKind kind = FolderEntryKind::other;
    bool linked = false;
};

// How a listing ended.
enum class FolderList : uint8_t {
    listed,      // `entries` holds every entry but "." and "..", in the order the disk gave them
    unreadable,  // not a folder, or it cannot be opened or read; `entries` is empty
    noMemory,    // the names did not fit in memory; `entries` is empty
};

// Lists the folder at `path` ("" is the working folder). A dangling link, or one whose target
// cannot be looked up, is `other`.
FolderList listFolder(const std::string& path, std::vector<FolderEntry>& entries);
