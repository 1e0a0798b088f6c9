#include "output/atlas_file.hpp"

#include <optional>
#include <string_view>

#include "atlas/atlas_files.hpp"
#include "atlas/atlas_json.hpp"
#include "atlas/atlas_layout.hpp"
#include "atlas/atlas_pages.hpp"
#include "console/console.hpp"
#include "filesys/allocate.hpp"
#include "output/side_files.hpp"
#include "sidecar/png_encode.hpp"
#include "source/straight_pixels.hpp"

#ifndef SPRITEBAKE_VERSION
#error "the build passes the project's version as SPRITEBAKE_VERSION"
#endif

namespace {

constexpr size_t RGBA_BYTES = 4;

// zlib's level for the pages: their size matters more to a game than the run's time.
constexpr int32_t ATLAS_PAGE_COMPRESSION_LEVEL = 6;

void cannotWrite(const std::string& path, const char* what) {
    printMessage(MessageId::sideFileOpenFailed, "Couldn't open %s to write the %s.\n", path.c_str(),
                 what);
}

// Prints the lines of the entries left out; false when a sprite cannot fit a page.
bool reportSelection(const std::string& path, const SpriteView& view,
                     const AtlasSelection& selection, const AtlasSettings& settings) {
    for (const AtlasDuplicate& duplicate : selection.duplicates) {
        printMessage(MessageId::atlasNameTaken,
                     "Warning, sprite %s is already in the atlas as entry %d; entry %d left out.\n",
                     view.sprites[duplicate.entry].name.c_str(), static_cast<int>(duplicate.first),
                     static_cast<int>(duplicate.entry));
    }
    const std::vector<size_t> tooLarge = atlasTooLarge(view, selection, settings);
    for (const size_t i : tooLarge) {
        const SpriteViewEntry& entry = view.sprites[i];
        printMessage(MessageId::atlasSpriteTooLarge,
                     "Sprite %s (%dx%d) does not fit an atlas page of %d, %s not written.\n",
                     entry.name.c_str(), entry.wd, entry.ht, atlasRegionLimit(settings),
                     path.c_str());
    }
    return tooLarge.empty();
}

enum class PixelsLoad : uint8_t { loaded, outOfMemory };

// Every framed entry's pixels as the pages hold them. A source that no longer gives the listed
// crop is drawn as transparent pixels of the listed sides, with the line the pixel pass prints.
PixelsLoad loadFramePixels(const std::string& path, const SpriteView& view,
                           const AtlasSelection& selection, const AtlasSettings& settings,
                           std::vector<std::vector<uint8_t>>& pixels) {
    pixels.assign(selection.framed.size(), {});
    for (size_t f = 0; f < selection.framed.size(); ++f) {
        const SpriteViewEntry& entry = view.sprites[selection.framed[f]];
        CroppedSprite sprite;
        SpriteLoad load;
        {
            // What the readers say about the sources was said while the sprites were listed.
            consoleSetLineSink([](MessageId, std::string_view, bool) {});
            load = settings.premultiplied
                       ? loadCroppedSpriteRgba(entry.source, entry.kind, sprite, pixels[f])
                       : loadCroppedSpriteStraight(entry.source, entry.kind, sprite, pixels[f]);
            consoleSetLineSink({});
        }
        if (load == SpriteLoad::outOfMemory) {
            printMessage(MessageId::pixelsOutOfMemory, "Out of memory for %s, %s not written.\n",
                         entry.source.c_str(), path.c_str());
            return PixelsLoad::outOfMemory;
        }
        const size_t bytes =
            static_cast<size_t>(entry.wd) * static_cast<size_t>(entry.ht) * RGBA_BYTES;
        if (load != SpriteLoad::loaded || sprite.wd != entry.wd || sprite.ht != entry.ht ||
            pixels[f].size() != bytes) {
            printMessage(MessageId::sourceChanged,
                         "Warning, %s changed since it was listed, writing blank pixels.\n",
                         entry.source.c_str());
            pixels[f].assign(bytes, 0);
        }
    }
    return PixelsLoad::loaded;
}

// The frame records of every page, in table order.
std::vector<AtlasPageRecord> pageRecords(const AtlasPath& names, const SpriteView& view,
                                         const AtlasSelection& selection,
                                         const AtlasLayout& layout) {
    std::vector<AtlasPageRecord> pages(layout.pages.size());
    for (size_t k = 0; k < pages.size(); ++k) {
        pages[k].image = atlasPageName(names, k);
        pages[k].dataFile = atlasDataName(names, k);
        pages[k].w = layout.pages[k].w;
        pages[k].h = layout.pages[k].h;
    }
    for (size_t f = 0; f < selection.framed.size(); ++f) {
        const size_t index = selection.framed[f];
        const SpriteViewEntry& entry = view.sprites[index];
        const AtlasRegion& region = layout.regions[layout.regionOf[f]];
        AtlasFrameRecord frame;
        frame.name = entry.name;
        frame.hid = entry.hid;
        frame.index = index;
        frame.x = region.x;
        frame.y = region.y;
        frame.w = entry.wd;
        frame.h = entry.ht;
        frame.cropLeft = entry.cropLeft;
        frame.cropTop = entry.cropTop;
        frame.sourceWidth = entry.sourceWidth;
        frame.sourceHeight = entry.sourceHeight;
        // hx, hy place the crop's corner from the hotspot: the hotspot is that far back.
        frame.pivotX = entry.cropLeft - entry.hx;
        frame.pivotY = entry.cropTop - entry.hy;
        pages[static_cast<size_t>(region.page)].frames.push_back(std::move(frame));
    }
    return pages;
}

AtlasMeta atlasMeta(const SpriteView& view, const AtlasSelection& selection,
                    const AtlasSettings& settings) {
    AtlasMeta meta;
    meta.version = SPRITEBAKE_VERSION;
    meta.fingerprint = view.fingerprint;
    meta.premultiplied = settings.premultiplied;
    for (const size_t i : selection.blank) meta.blank.push_back(view.sprites[i].name);
    return meta;
}

// Everything the atlas's files hold, made before any of them is written.
struct AtlasBuild {
    AtlasSelection selection;
    std::vector<std::vector<uint8_t>> pixels;
    AtlasLayout layout;
    std::vector<std::string> texts;
};

bool writePages(const AtlasPath& names, const AtlasBuild& build, const AtlasSettings& settings,
                bool keepIfSame, std::vector<std::string>& written) {
    for (size_t k = 0; k < build.layout.pages.size(); ++k) {
        const std::string pagePath = names.folder + atlasPageName(names, k);
        std::vector<uint8_t> rgba;
        std::vector<uint8_t> png;
        const PackPage& sides = build.layout.pages[k];
        if (!composeAtlasPage(build.layout, k, build.pixels, settings.extrude, rgba) ||
            !encodePng(static_cast<uint32_t>(sides.w), static_cast<uint32_t>(sides.h),
                       PngPixels::rgba, ATLAS_PAGE_COMPRESSION_LEVEL,
                       [&](uint32_t y) {
                           return &rgba[static_cast<size_t>(y) * static_cast<size_t>(sides.w) *
                                        RGBA_BYTES];
                       },
                       png)) {
            cannotWrite(pagePath, "atlas page");
            return false;
        }
        rgba = {};
        const std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
        if (!writeSideFile(pagePath, bytes, "atlas page", keepIfSame)) return false;
        written.push_back(pagePath);
    }
    return true;
}

bool writeDataFiles(const std::string& path, const AtlasPath& names,
                    const std::vector<std::string>& texts, bool keepIfSame,
                    std::vector<std::string>& written) {
    for (size_t k = 0; k < texts.size(); ++k) {
        const std::string dataPath = k == 0 ? path : names.folder + atlasDataName(names, k);
        if (!writeSideFile(dataPath, texts[k], "atlas", keepIfSame)) return false;
        if (k > 0) written.push_back(dataPath);
    }
    return true;
}

bool buildLayout(const std::string& path, const SpriteView& view, const AtlasSettings& settings,
                 AtlasBuild& build) {
    size_t firstTooLarge = 0;
    switch (layoutAtlas(view, build.selection, build.pixels, settings, build.layout,
                        firstTooLarge)) {
        case PackStatus::packed:
            break;
        case PackStatus::tooLarge:  // found before the pixels were loaded; kept for safety
        case PackStatus::outOfMemory:
            cannotWrite(path, "atlas");
            return false;
    }
    // An atlas without a frame still has a page for its data file to name.
    if (build.layout.pages.empty()) build.layout.pages.push_back(PackPage{1, 1});
    return true;
}

}  // namespace

bool writeAtlasFiles(const std::string& path, const SpriteView& view,
                     const AtlasSettings& settings, bool keepIfSame,
                     std::vector<std::string>& alsoWritten) {
    const AtlasPath names = splitAtlasPath(path);
    AtlasBuild build;
    const bool selected = tryWithMemory(
        [&] {
            build.selection = selectAtlasEntries(view);
            return true;
        },
        false);
    if (!selected) {
        cannotWrite(path, "atlas");
        return false;
    }
    if (!reportSelection(path, view, build.selection, settings)) return false;
    const std::optional<PixelsLoad> loaded = tryWithMemory(
        [&]() -> std::optional<PixelsLoad> {
            return loadFramePixels(path, view, build.selection, settings, build.pixels);
        },
        std::nullopt);
    if (!loaded) {
        cannotWrite(path, "atlas");
        return false;
    }
    if (*loaded == PixelsLoad::outOfMemory) return false;
    if (!buildLayout(path, view, settings, build)) return false;
    const bool made = tryWithMemory(
        [&] {
            const std::vector<AtlasPageRecord> pages =
                pageRecords(names, view, build.selection, build.layout);
            build.texts = atlasDataTexts(settings.format, pages, atlasMeta(view, build.selection,
                                                                            settings));
            return true;
        },
        false);
    if (!made) {
        cannotWrite(path, "atlas");
        return false;
    }
    const std::optional<bool> wrote = tryWithMemory(
        [&]() -> std::optional<bool> {
            return writePages(names, build, settings, keepIfSame, alsoWritten) &&
                   writeDataFiles(path, names, build.texts, keepIfSame, alsoWritten);
        },
        std::nullopt);
    if (!wrote) cannotWrite(path, "atlas");
    return wrote.value_or(false);
}
