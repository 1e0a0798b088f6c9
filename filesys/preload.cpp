// The preload table: files named once to fileSystemInit, loaded at start-up and served
// from memory by fileLoad, found by the hash of their names. Owns the preload table state.
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "filesys/internal.hpp"

namespace {

PreloadEntry* preloadTable = nullptr;  // the caller's array; the layer does not copy it
int32_t preloadEntries = 0;            // entries before the end mark, failed ones included

}  // namespace

int32_t preloadCount() {
    return preloadEntries;
}

namespace filesys_detail {

void preloadFill(PreloadEntry* list) {
    preloadTable = list;
    preloadEntries = 0;
    if (list == nullptr) return;
    // The list ends at an empty name; a null name pointer ends it too rather than crash.
    for (PreloadEntry* entry = list; entry->name != nullptr && entry->name[0] != '\0'; ++entry) {
        entry->hash = hashName(entry->name);
        entry->data.reset();
        entry->size = loadAllocating(entry->name, entry->data);
        if (entry->size < 1) {
            entry->size = 0;
            entry->data.reset();
        }
        ++preloadEntries;
    }
}

void preloadReset() {
    preloadTable = nullptr;
    preloadEntries = 0;
}

const PreloadEntry* preloadFind(const char* name) {
    if (preloadTable == nullptr || name == nullptr) return nullptr;
    const uint32_t key = hashName(name);
    for (int32_t i = 0; i < preloadEntries; ++i) {
        if (preloadTable[i].hash == key) return &preloadTable[i];
    }
    return nullptr;
}

}  // namespace filesys_detail
