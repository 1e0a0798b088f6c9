#include "atlas/atlas_layout.hpp"

#include <map>
#include <optional>
#include <string>

#include <xxhash.h>

#include "atlas/atlas_json.hpp"
#include "filesys/allocate.hpp"

namespace {

bool isBlank(const SpriteViewEntry& entry) {
    return entry.wd < 1 || entry.ht < 1;
}

// Regions of the same sides and bytes, found through the bytes' hash and then compared whole.
class AliasFinder {
  public:
    AliasFinder(const SpriteView& view, const AtlasSelection& selection,
                std::span<const std::vector<uint8_t>> pixels)
        : view_(view), selection_(selection), pixels_(pixels) {}

    // The region of an earlier framed entry identical to `framed`, or nothing.
    std::optional<size_t> find(size_t framed, const std::vector<size_t>& regionOf) const {
        const auto [first, last] = byHash_.equal_range(hash(framed));
        for (auto it = first; it != last; ++it) {
            if (same(it->second, framed)) return regionOf[it->second];
        }
        return std::nullopt;
    }
    void add(size_t framed) { byHash_.emplace(hash(framed), framed); }

  private:
    const SpriteViewEntry& entry(size_t framed) const {
        return view_.sprites[selection_.framed[framed]];
    }
    uint64_t hash(size_t framed) const {
        const std::vector<uint8_t>& bytes = pixels_[framed];
        return XXH3_64bits(bytes.data(), bytes.size());
    }
    bool same(size_t a, size_t b) const {
        return entry(a).wd == entry(b).wd && entry(a).ht == entry(b).ht &&
               pixels_[a] == pixels_[b];
    }

    const SpriteView& view_;
    const AtlasSelection& selection_;
    std::span<const std::vector<uint8_t>> pixels_;
    std::multimap<uint64_t, size_t> byHash_;  // ordered: nothing depends on a hash table's order
};

PackStatus layout(const SpriteView& view, const AtlasSelection& selection,
                  std::span<const std::vector<uint8_t>> pixels, const AtlasSettings& settings,
                  AtlasLayout& result, size_t& firstTooLarge) {
    result = AtlasLayout{};
    AliasFinder aliases(view, selection, pixels);
    std::vector<PackRect> rects;
    std::vector<size_t> firstOfRegion;
    for (size_t framed = 0; framed < selection.framed.size(); ++framed) {
        if (settings.alias) {
            if (const std::optional<size_t> region = aliases.find(framed, result.regionOf)) {
                result.regionOf.push_back(*region);
                continue;
            }
            aliases.add(framed);
        }
        const SpriteViewEntry& entry = view.sprites[selection.framed[framed]];
        result.regionOf.push_back(result.regions.size());
        result.regions.push_back(AtlasRegion{framed, 0, 0, 0, entry.wd, entry.ht});
        rects.push_back(PackRect{entry.wd + 2 * settings.extrude, entry.ht + 2 * settings.extrude});
        firstOfRegion.push_back(framed);
    }
    const PackOptions options{settings.maxSize, settings.padding, settings.powerOfTwo};
    PackResult packed;
    size_t tooLarge = 0;
    const PackStatus status = packRects(rects, options, packed, tooLarge);
    if (status == PackStatus::tooLarge) firstTooLarge = firstOfRegion[tooLarge];
    if (status != PackStatus::packed) return status;
    for (size_t i = 0; i < result.regions.size(); ++i) {
        result.regions[i].page = packed.places[i].page;
        result.regions[i].x = packed.places[i].x + settings.extrude;
        result.regions[i].y = packed.places[i].y + settings.extrude;
    }
    result.pages = std::move(packed.pages);
    return PackStatus::packed;
}

}  // namespace

AtlasSelection selectAtlasEntries(const SpriteView& view) {
    AtlasSelection selection;
    std::map<std::string, size_t> firstByKey;
    for (size_t i = 0; i < view.sprites.size(); ++i) {
        const SpriteViewEntry& entry = view.sprites[i];
        // Names are told apart as a reader of the data file sees them, so that no key is
        // written twice.
        const auto [it, added] = firstByKey.emplace(atlasNameKey(entry.name), i);
        if (!added) {
            selection.duplicates.push_back(AtlasDuplicate{i, it->second});
        } else if (isBlank(entry)) {
            selection.blank.push_back(i);
        } else {
            selection.framed.push_back(i);
        }
    }
    return selection;
}

int32_t atlasRegionLimit(const AtlasSettings& settings) {
    if (!settings.powerOfTwo) return settings.maxSize;
    int32_t side = 1;
    while (side <= settings.maxSize / 2) side *= 2;
    return side;
}

std::vector<size_t> atlasTooLarge(const SpriteView& view, const AtlasSelection& selection,
                                  const AtlasSettings& settings) {
    const int64_t limit = atlasRegionLimit(settings);
    std::vector<size_t> tooLarge;
    for (const size_t i : selection.framed) {
        const SpriteViewEntry& entry = view.sprites[i];
        const int64_t around = int64_t{2} * settings.extrude;
        if (entry.wd + around > limit || entry.ht + around > limit) tooLarge.push_back(i);
    }
    return tooLarge;
}

PackStatus layoutAtlas(const SpriteView& view, const AtlasSelection& selection,
                       std::span<const std::vector<uint8_t>> pixels, const AtlasSettings& settings,
                       AtlasLayout& result, size_t& firstTooLarge) {
    return tryWithMemory(
        [&] { return layout(view, selection, pixels, settings, result, firstTooLarge); },
        PackStatus::outOfMemory);
}
