// Reads a sprite set back from an info file, the text table that writeInfoFile writes:
// "N sprites" and one line per sprite,
// "hid H hotspot method M padding P  hx X  hy Y  wd W  ht T".
//
// The set is one process-wide object; every successful read replaces its contents and a read
// that cannot load its file leaves them. The driver reads the info file named at every
// InfoFile statement and keeps nothing of it.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite/sprite_types.hpp"

struct SpriteSet {
    std::vector<SpriteRecord> records;  // owned by the set; `count` entries
    int32_t count = 0;
};

// Counts outside 0 .. this are refused, so a damaged file cannot ask for gigabytes.
constexpr int32_t MAX_INFO_FILE_COUNT = 1000000;

// Loads `path` through the file layer and fills the process-wide set. Returns the set, or null
// with a message when the file does not load (the set unchanged) or its count cannot be
// allocated (the set emptied). An entry's hid is the number after the label hid, kept as its
// 32-bit pattern, and its method the word after the label method (-1 for an unknown word).
// A file with fewer entries than it announces gives 0 for every number and -1 for the method
// of the missing ones.
SpriteSet* getSpriteHeader(const char* path);

// Releases the set's records and sets its count to 0.
void freeSpriteSet(SpriteSet* set);

// The first record whose hid equals hashName(name), or null.
const SpriteRecord* findSprite(const SpriteSet* set, const char* name);
