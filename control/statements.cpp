#include "control/statements.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/console.hpp"
#include "control/hotspot_names.hpp"
#include "control/pattern_files.hpp"
#include "filesys/disk_read.hpp"
#include "filesys/hash.hpp"
#include "scanner/scanner.hpp"
#include "source/sprite_loading.hpp"
#include "sprite/hotspot.hpp"

namespace {

constexpr uint32_t WORD_FLAGS = SCAN_STOP_EOL | SCAN_STOP_BLANK | SCAN_TERMINATE;  // 35

}  // namespace

std::string scanValue(DriverState& state, uint32_t flags) {
    state.value[0] = '\0';
    scanField(state.span, state.value.data(), FIELD_BUFFER_SIZE, flags);
    // The value ends at its first NUL, as every later use of it reads it as a C string.
    return std::string(state.value.data(), strnlen(state.value.data(), FIELD_BUFFER_SIZE));
}

void skipToLetter(DriverState& state) {
    scanField(state.span, state.scratch.data(), FIELD_BUFFER_SIZE, SCAN_STOP_LETTER);
    state.lineNumber += scanLinesCrossed();
}

std::string readWord(DriverState& state) {
    std::string word = scanValue(state, WORD_FLAGS);
    state.lineNumber += scanLinesCrossed();
    return word;
}

std::string readLetterWord(DriverState& state) {
    skipToLetter(state);
    return readWord(state);
}

std::string readBlankWord(DriverState& state) {
    scanField(state.span, state.scratch.data(), FIELD_BUFFER_SIZE, SCAN_SKIP_BLANKS);
    state.lineNumber += scanLinesCrossed();
    return readWord(state);
}

namespace {

constexpr uint32_t METHOD_NAME_FLAGS =
    SCAN_SKIP_BLANKS | SCAN_STOP_EOL | SCAN_STOP_BLANK | SCAN_TERMINATE;  // 99

// Where the next number scanInt would take begins, found with scanInt's own seek on a copy of
// the cursor; null when none is left.
const char* nextNumberAt(TextSpan span) {
    seekToMatch(span, {"/0-9", "-"});
    return span.remaining > 0 ? span.cursor : nullptr;
}

void tellHotXYNumbers(DriverState& state) {
    TextSpan probe = state.span;
    const char* xAt = nextNumberAt(probe);
    scanInt(probe);
    state.lint->hotXYNumbers(xAt, xAt != nullptr ? nextNumberAt(probe) : nullptr);
}

}  // namespace

void runPaddingStatement(DriverState& state) {
    // The value is the next word that begins with a letter, so "Padding = Off" works, and a
    // digit such as "Padding 0" is passed over in favour of whatever word comes next.
    std::string value = readLetterWord(state);
    const char* text = value.c_str();
    bool accepted = true;
    if (stringsEqualNoCase(text, "On") == 1 || stringsEqualNoCase(text, "True") == 1) {
        state.padding = 1;
    } else if (stringsEqualNoCase(text, "Off") == 1 || stringsEqualNoCase(text, "False") == 1) {
        state.padding = 0;
    } else {
        accepted = false;
        runMessage(state, MessageId::paddingIncorrect,
                   "Pad passed an incorrect parameter, %s, on line %d.\n", text, state.lineNumber);
    }
    if (state.lint != nullptr) state.lint->paddingValue(value, accepted);
}

void runHotspotStatement(DriverState& state) {
    std::string name = scanValue(state, METHOD_NAME_FLAGS);
    state.lineNumber += scanLinesCrossed();
    state.hotspotMethod = hotspotMethodFromName(name.c_str());
    if (state.lint != nullptr) state.lint->hotspotName(name, state.hotspotMethod != -1);
    if (state.hotspotMethod == -1) {
        runMessage(state, MessageId::hotspotUndefined,
                   "Undefined hotspot type requested, %s.  Switching to HS_MIDDLE.\n",
                   name.c_str());
        state.hotspotMethod = HS_MIDDLE;
    }
}

void runHotXYStatement(DriverState& state) {
    // The numbers are the next two found anywhere ahead, on later lines too; scanInt does not
    // report the line feeds it passes, so the line number stays as it is.
    if (state.lint != nullptr) tellHotXYNumbers(state);
    state.hotX = scanInt(state.span);
    state.hotY = scanInt(state.span);
    state.hotspotMethod = HS_HOTXY;
    InformationalLines confirmation;
    printMessage(MessageId::hotXYEnabled, "Hotspot XY mode enabled, x: %d y: %d \n", state.hotX,
                 state.hotY);
}

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
        runMessage(state, MessageId::nameTruncated, "Truncating name %s as it is longer than %d.\n",
                   name.c_str(), SPRITE_NAME_SIZE);
    }
    slot.fill('\0');
    std::memcpy(slot.data(), name.data(), std::min(name.size(), STORED_NAME_LENGTH));
}

bool tableIsFull(const DriverState& state, const std::string& name) {
    if (state.spriteCount < MAX_SPRITES) return false;
    runMessage(state, MessageId::spriteTableFull,
               "Sprite %s skipped, the sprite table is full (%d sprites).\n", name.c_str(),
               MAX_SPRITES);
    return true;
}

// Whether the folders a sprite needs are set; `name` is what the lines name.
SpriteOutcome checkFolders(const DriverState& state, const std::string& name) {
    if (state.srcDir.empty()) {
        runMessage(state, MessageId::noSourceFolder,
                   "Sprite %s requested before src directory specified.\n", name.c_str());
        return SpriteOutcome::noSource;
    }
    // The destination is not part of the source path, but a sprite still needs one.
    if (state.destDir.empty()) {
        runMessage(state, MessageId::noDestFolder,
                   "Sprite %s requested before dest directory specified.\n", name.c_str());
        return SpriteOutcome::noDest;
    }
    return SpriteOutcome::listed;
}

// Lists the sprite `name` from the file at `path`, with the table's room and the folders
// already checked: the one road of every sprite statement.
SpriteOutcome listSpriteFile(DriverState& state, SpriteSource kind, const std::string& name,
                             std::string& path) {
    // A missing source is a prerequisite too: when it appears, the output must be made again.
    state.filesRead.push_back(path);
    const DiskEntry onDisk = fileEntryOnDisk(path.c_str());
    if (onDisk == DiskEntry::missing) {
        runMessage(state, MessageId::spriteSourceMissing,
                   "Couldn't open sprite source %s, skipping.\n", path.c_str());
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
        runMessage(state, MessageId::spriteNotLoaded, "Warning, couldn't load %s, skipping.\n",
                   path.c_str());
        return SpriteOutcome::notLoaded;
    }
    record.wd = sprite.wd;
    record.ht = sprite.ht;
    record.padding = state.padding;
    record.hotspotMethod = state.hotspotMethod;
    // A blank sprite stays in the table with a 0 x 0 size and contributes no pixels.
    if (sprite.wd == 0) {
        runMessage(state, MessageId::spriteBlank, "WARNING!  Sprite %s is blank.\n",
                   storedName.data());
    }

    // The game pads the sprites of some kinds (TGA) to power-of-two sides itself, so their
    // hotspot is placed on the padded sides while the table keeps the cropped ones. The others
    // (PCX) are never padded.
    int32_t sideW = record.wd;
    int32_t sideH = record.ht;
    if (spriteKind(kind).paddingRoundsSides && state.padding != 0) {
        sideW = nextPowerOfTwo(record.wd);
        sideH = nextPowerOfTwo(record.ht);
    }
    placeHotspot(record, state.hotspotMethod, sprite.width, sprite.height, sideW, sideH,
                 wrappingDifference(sprite.left, state.hotX),
                 wrappingDifference(sprite.top, state.hotY));

    tables.spriteGeometry[slot] = {sprite.width, sprite.height, sprite.left, sprite.top};
    tables.spritePath[slot] = std::move(path);
    state.spriteCount += 1;
    registerSpriteId(state, slot);
    return SpriteOutcome::listed;
}

// The lint, when there is one, hears how one sprite's listing ended.
void tellLint(DriverState& state, SpriteSource kind, const std::string& name,
              const std::string& path, SpriteOutcome outcome, bool fromPattern) {
    if (state.lint == nullptr) return;
    SpriteListing listing;
    listing.outcome = outcome;
    listing.kind = kind;
    listing.name = name;
    listing.path = path;
    listing.fromPattern = fromPattern;
    if (outcome == SpriteOutcome::listed) {
        listing.slot = state.spriteCount - 1;
        listing.path = state.tables.spritePath[listing.slot];
        const SpriteRecord& record = state.tables.spriteTable[listing.slot];
        listing.blank = record.wd == 0 || record.ht == 0;
    }
    state.lint->spriteListed(listing);
}

// The name a found file is listed under: its path under Source without the extension.
std::string nameOfFile(const PatternFile& file) {
    const size_t extension = std::string_view(spriteKind(file.kind).extension).size();
    return file.relative.substr(0, file.relative.size() - extension);
}

}  // namespace

void runSpriteStatement(DriverState& state, SpriteSource kind) {
    std::string name = readLetterWord(state);
    std::string path;
    SpriteOutcome outcome = SpriteOutcome::tableFull;
    if (!tableIsFull(state, name)) {
        outcome = checkFolders(state, name);
        if (outcome == SpriteOutcome::listed) {
            // No separator goes between them: the source directory ends with its own.
            path = state.srcDir + name + spriteKind(kind).extension;
            outcome = listSpriteFile(state, kind, name, path);
        }
    }
    tellLint(state, kind, name, path, outcome, false);
}

void runSpritesStatement(DriverState& state) {
    const std::string text = readBlankWord(state);
    PatternListing listing;
    listing.pattern = text;
    listing.outcome = checkFolders(state, text);
    if (listing.outcome == SpriteOutcome::listed) {
        const SpritePattern pattern = parseSpritePattern(text);
        listing.refused = pattern.matchesNothing;
        const PatternFiles found = findPatternFiles(state.srcDir, pattern);
        listing.matches = static_cast<int32_t>(std::min<size_t>(found.files.size(), INT32_MAX));
        // A file added to a folder listed may change what the pattern names.
        state.filesRead.insert(state.filesRead.end(), found.foldersListed.begin(),
                               found.foldersListed.end());
        if (found.files.empty()) {
            runMessage(state, MessageId::noSpriteFileMatches,
                       "Warning, no sprite file matches %s.\n", text.c_str());
        }
        for (const PatternFile& file : found.files) {
            const auto kind = static_cast<SpriteSource>(file.kind);
            const std::string name = nameOfFile(file);
            std::string path;
            SpriteOutcome outcome = SpriteOutcome::tableFull;
            if (!tableIsFull(state, name)) {
                path = pathUnderSource(state.srcDir, file.relative);
                outcome = listSpriteFile(state, kind, name, path);
            }
            tellLint(state, kind, name, path, outcome, true);
        }
    }
    if (state.lint != nullptr) state.lint->patternRead(listing);
}

// Id collisions: two different stored names with one hid cannot be told apart by the game, so
// the tool says so when the second one enters the table.
void registerSpriteId(DriverState& state, int32_t slot) {
    SpriteTables& tables = state.tables;
    const uint32_t hid = tables.spriteTable[slot].hid;
    std::vector<int32_t>& holders = tables.entriesByHid[hid];
    const char* name = tables.spriteNames[slot].data();
    // Holders keeps the first entry of each distinct name with this hid, in table order. An
    // entry of the same name is that sprite listed again; the first entry of another name is the
    // one reported, however often either name was listed.
    bool listedBefore = false;
    const char* firstOther = nullptr;
    for (int32_t other : holders) {
        const char* otherName = tables.spriteNames[other].data();
        if (std::strcmp(otherName, name) == 0) {
            listedBefore = true;
        } else if (firstOther == nullptr) {
            firstOther = otherName;
        }
    }
    if (firstOther != nullptr) {
        runMessage(state, MessageId::sameHid,
                   "Warning, sprites %s and %s have the same hid %d; the game cannot tell them "
                   "apart.\n",
                   firstOther, name, static_cast<int32_t>(hid));
    }
    if (!listedBefore) holders.push_back(slot);
}
