// The names of the atlas's files, from the data file's path FILE = DIR/STEM.EXT: page 0 is
// STEM.png described by FILE itself, page K >= 1 is STEM-K.png described by STEM-K.EXT, all in
// DIR. EXT is what follows the file name's last dot (none when the name has no dot but a
// leading one).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct AtlasPath {
    std::string folder;     // DIR with its trailing '/', or empty
    std::string stem;       // STEM
    std::string extension;  // ".EXT", or empty
};

AtlasPath splitAtlasPath(std::string_view path);

// The bare names of page `page`'s picture and data file.
std::string atlasPageName(const AtlasPath& path, size_t page);
std::string atlasDataName(const AtlasPath& path, size_t page);

// Whether the data file would be its own first page (FILE ends in ".png").
bool atlasPathIsPage(std::string_view path);
