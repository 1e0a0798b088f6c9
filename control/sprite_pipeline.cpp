#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "control/field_reads.hpp"
#include "source/sprite_loading.hpp"
#include "control/statements.hpp"
#include "filesys/file_layer.hpp"
#include "filesys/hash.hpp"
#include "sprite/crop.hpp"
#include "sprite/hotspot.hpp"

namespace {

// A stored name keeps this many characters, so its slot always ends with a 0 byte.
constexpr size_t STORED_NAME_LENGTH = SPRITE_NAME_SIZE - 2;

// Offsets are 32-bit values that the control file may set to anything; the difference wraps
// instead of overflowing.
int32_t wrappingDifference(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

void storeName(const DriverState& state, SpriteName& slot, const std::string& name) {
    if (name.size() > STORED_NAME_LENGTH) {
        runMessage(state, "Truncating name %s as it is longer than %d.\n", name.c_str(),
                   SPRITE_NAME_SIZE);
    }
    slot.fill('\0');
    std::memcpy(slot.data(), name.data(), std::min(name.size(), STORED_NAME_LENGTH));
}

// Lists one sprite; the lint, when there is one, hears how the statement ended.
SpriteOutcome listSprite(DriverState& state, SpriteSource kind, const std::string& name,
                         std::string& path) {
    if (state.spriteCount >= MAX_SPRITES) {
        runMessage(state, "Sprite %s skipped, the sprite table is full (%d sprites).\n",
                   name.c_str(), MAX_SPRITES);
        return SpriteOutcome::tableFull;
    }
    if (state.srcDir.empty()) {
        runMessage(state, "Sprite %s requested before src directory specified.\n", name.c_str());
        return SpriteOutcome::noSource;
    }
    // The destination is not part of the source path, but a sprite still needs one.
    if (state.destDir.empty()) {
        runMessage(state, "Sprite %s requested before dest directory specified.\n", name.c_str());
        return SpriteOutcome::noDest;
    }
    // No separator goes between them: the source directory ends with its own.
    path = state.srcDir + name + (kind == SOURCE_TGA ? ".tga" : ".pcx");
    // A missing source is a prerequisite too: when it appears, the output must be made again.
    state.filesRead.push_back(path);
    const DiskEntry onDisk = fileEntryOnDisk(path.c_str());
    if (onDisk == DiskEntry::missing) {
        runMessage(state, "Couldn't open sprite source %s, skipping.\n", path.c_str());
        return SpriteOutcome::missing;
    }

    SpriteTables& tables = state.tables;
    const int32_t slot = state.spriteCount;
    claimSpriteSlot(tables, slot);
    SpriteRecord& record = tables.spriteTable[slot];
    SpriteName& storedName = tables.spriteNames[slot];
    storeName(state, storedName, name);
    record.hid = hashName(storedName.data());
    tables.spriteSource[slot] = kind;

    CroppedSprite sprite;
    // A sprite whose pixels could not be loaded again for lack of memory is refused here, as a
    // failed picture allocation always refused it.
    if (loadSpriteBox(path, kind, onDisk, sprite) != SpriteLoad::loaded) {
        runMessage(state, "Warning, couldn't load %s, skipping.\n", path.c_str());
        return SpriteOutcome::notLoaded;
    }
    record.wd = sprite.wd;
    record.ht = sprite.ht;
    record.padding = state.padding;
    record.hotspotMethod = state.hotspotMethod;
    // A blank sprite stays in the table with a 0 x 0 size and contributes no pixels.
    if (sprite.wd == 0) runMessage(state, "WARNING!  Sprite %s is blank.\n", storedName.data());

    // The game pads TGA sprites to power-of-two sides itself, so their hotspot is placed on the
    // padded sides while the table keeps the cropped ones. PCX sprites are never padded.
    int32_t sideW = record.wd;
    int32_t sideH = record.ht;
    if (kind == SOURCE_TGA && state.padding != 0) {
        sideW = nextPowerOfTwo(record.wd);
        sideH = nextPowerOfTwo(record.ht);
    }
    placeHotspot(record, state.hotspotMethod, sprite.width, sprite.height, sideW, sideH,
                 wrappingDifference(cropLeft, state.hotX), wrappingDifference(cropTop, state.hotY));

    tables.spriteGeometry[slot] = {sprite.width, sprite.height, cropLeft, cropTop};
    tables.spritePath[slot] = std::move(path);
    state.spriteCount += 1;
    registerSpriteId(state, slot);
    return SpriteOutcome::listed;
}

}  // namespace

void runSpriteStatement(DriverState& state, SpriteSource kind) {
    std::string name = readLetterWord(state);
    std::string path;
    const SpriteOutcome outcome = listSprite(state, kind, name, path);
    if (state.lint == nullptr) return;
    SpriteListing listing;
    listing.outcome = outcome;
    listing.kind = kind;
    listing.name = name;
    listing.path = path;
    if (outcome == SpriteOutcome::listed) {
        listing.slot = state.spriteCount - 1;
        listing.path = state.tables.spritePath[listing.slot];
        const SpriteRecord& record = state.tables.spriteTable[listing.slot];
        listing.blank = record.wd == 0 || record.ht == 0;
    }
    state.lint->spriteListed(listing);
}
