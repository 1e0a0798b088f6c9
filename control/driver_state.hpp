// The process-wide state of one run: where the statement loop stands in the control text, the
// settings that the statements change, the output options, and the sprite tables that the
// sprite statements fill and the output stage writes.
//
// One instance per process, allocated on first use with room for MAX_SPRITES entries in every
// table and every setting at its starting value. resetDriverState puts it back there without reallocating;
// only tests and fuzz targets need it, a normal run starts from the fresh state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "console/console.hpp"
#include "control/lint_sink.hpp"
#include "scanner/scanner.hpp"
#include "sprite/sprite_types.hpp"

// Every field read from the control text goes through a buffer of this size, so a value keeps
// at most FIELD_BUFFER_SIZE - 1 characters; the rest of a longer field stays in the text.
constexpr int32_t FIELD_BUFFER_SIZE = 10000;

using SpriteName = std::array<char, SPRITE_NAME_SIZE>;

// Where a sprite's cropped box sat in its source picture, for the files written beside the
// output. A blank picture keeps the crop's blank values (left = width, top = height).
struct SpriteGeometry {
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t cropLeft = 0;
    int32_t cropTop = 0;
};

// Parallel tables with room for MAX_SPRITES entries; entry i of each belongs to the same
// sprite, and entries 0 .. spriteCount - 1 are valid. An entry exists, zero-filled, once
// claimSpriteSlot has claimed it.
struct SpriteTables {
    std::vector<SpriteRecord> spriteTable;
    std::vector<SpriteName> spriteNames;  // at most 78 characters, 0-terminated in the slot
    std::vector<int32_t> spriteSource;    // a SpriteSource
    // The path each sprite was loaded from, so the pixel pass reloads the same file whatever
    // Source said later and however its name was shortened.
    std::vector<std::string> spritePath;
    std::vector<SpriteGeometry> spriteGeometry;
    // The entries that hold each hid, in table order, to find id collisions as sprites enter.
    std::unordered_map<uint32_t, std::vector<int32_t>> entriesByHid;
};

struct DriverState {
    TextSpan span;  // the unread rest of the control text
    int32_t lineNumber = 1;
    int32_t spriteCount = 0;
    int32_t padding = 1;
    int32_t hotspotMethod = HS_UPLEFT;
    int32_t hotX = 0;
    int32_t hotY = 0;
    std::string srcDir;
    std::string destDir;
    std::string infoFileName;
    std::string singleFileName;
    int32_t writeOneFile = 0;  // can only be switched on
    int32_t writeBinary = 0;   // can only be switched on

    // The files the run read, in the order it first read them: each sprite source that existed
    // and the info file read back when it existed, and the folders a Sprites pattern listed
    // (before the files it found). Paths as composed, repeats kept.
    std::vector<std::string> filesRead;

    // Working buffers of the field reads, FIELD_BUFFER_SIZE bytes each.
    std::vector<char> scratch;
    std::vector<char> value;

    SpriteTables tables;

    // Set only by a check run: the statements report to it instead of printing their own
    // messages.
    LintSink* lint = nullptr;
};

// The process-wide state.
DriverState& driverState();

// Makes entry `slot` (at most spriteCount, below MAX_SPRITES) exist in every table; a new
// entry is zero-filled, one claimed before keeps what was written into it.
void claimSpriteSlot(SpriteTables& tables, int32_t slot);

// Starting values everywhere, tables emptied, no text under the cursor.
void resetDriverState();

// The statements' own messages: printed in a run, left to the lint in a check run, which
// states the same findings in its own words. printf of the message when no lint is listening;
// nothing otherwise.
void runMessage(const DriverState& state, MessageId id, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
