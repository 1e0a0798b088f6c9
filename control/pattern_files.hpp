// The files a Sprites pattern names under a Source folder, found on disk: every regular file
// (or link to one) that matches, is not hidden and has a sprite kind's extension, in natural
// order, with the folders listed on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "control/sprite_patterns.hpp"

struct PatternFile {
    std::string relative;  // its path under Source, extension included, as the disk spells it
    int32_t kind = 0;      // a SpriteSource, from the extension
};

struct PatternFiles {
    std::vector<PatternFile> files;  // in natural order, each once
    // The folders whose listing decided the result, as paths a build tool can stat, in
    // natural order: a file added to one of them may change what the pattern names.
    std::vector<std::string> foldersListed;
};

// Where an entry under Source is found: Source itself ends with its separator or gets one.
std::string pathUnderSource(const std::string& srcDir, const std::string& relative);

// Walks Source as far as the pattern reaches. A folder that cannot be listed holds nothing. A
// link to a folder is entered only where a literal segment names it, never by `*`, `?` or
// `**/`, so the walk ends: every step through a link uses up one of the pattern's segments.
PatternFiles findPatternFiles(const std::string& srcDir, const SpritePattern& pattern);
