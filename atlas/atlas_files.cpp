#include "atlas/atlas_files.hpp"

namespace {

constexpr std::string_view PAGE_EXTENSION = ".png";

std::string suffix(size_t page) {
    return page == 0 ? std::string() : "-" + std::to_string(page);
}

}  // namespace

AtlasPath splitAtlasPath(std::string_view path) {
    AtlasPath split;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    split.folder = std::string(path.substr(0, nameStart));
    const std::string_view name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    // A leading dot begins a hidden file's name, not an extension.
    if (dot == std::string_view::npos || dot == 0) {
        split.stem = std::string(name);
    } else {
        split.stem = std::string(name.substr(0, dot));
        split.extension = std::string(name.substr(dot));
    }
    return split;
}

std::string atlasPageName(const AtlasPath& path, size_t page) {
    return path.stem + suffix(page) + std::string(PAGE_EXTENSION);
}

std::string atlasDataName(const AtlasPath& path, size_t page) {
    return path.stem + suffix(page) + path.extension;
}

bool atlasPathIsPage(std::string_view path) {
    return splitAtlasPath(path).extension == PAGE_EXTENSION;
}
