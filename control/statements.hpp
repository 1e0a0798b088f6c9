// The statements of the control-file language: how the statement loop tells them apart, the
// ways they read their values, and the statements themselves.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "control/driver_state.hpp"
#include "sprite/sprite_types.hpp"

// The statements of the control-file language as the statement loop tells them apart: the
// keywords in the order they are tried (the first that fits wins, so a word that begins with a
// keyword is that keyword), then a line end, then the classes that start an unexpected word.
enum Statement : int32_t {
    ST_END = -1,
    ST_COMMENT = 0,
    ST_PADDING,
    ST_DEST,
    ST_SOURCE,
    ST_INFO_FILE,
    ST_HOTSPOT,
    ST_HOT_XY,
    ST_TGA,
    ST_PCX,
    ST_WRITE_ONE_FILE,
    ST_BIN,
    ST_PNG,
    ST_SPRITES,
    ST_LINE_END,
    ST_UPPER_CASE,
    ST_LOWER_CASE,
    ST_DIGIT,
};

// Indexed by Statement, ST_COMMENT to ST_SPRITES. A keyword added later goes last, so every word
// that matched a keyword before still matches the same one.
inline constexpr std::array<const char*, 13> statementKeywords = {
    "//",    "Padding", "Dest",    "Source", "InfoFile", "Hotspot",      "HotXY",
    "TGA",   "PCX",     "WriteOneFile", "BIN", "PNG",    "Sprites",
};

// Whether the statement begins with a keyword that the loop consumed (a class match consumes
// nothing).
constexpr bool hasKeyword(int32_t statement) {
    return statement >= ST_COMMENT && statement <= ST_SPRITES;
}

// The ways a statement takes its value from the control text. Each scan is followed at once by
// adding the line feeds it passed to the state's line number, so messages name the right line.

// Reads one field under `flags` through the state's value buffer, so the result keeps at most
// FIELD_BUFFER_SIZE - 1 characters; the flags include SCAN_TERMINATE. Does not touch the line
// number.
std::string scanValue(DriverState& state, uint32_t flags);

// Passes over everything up to the next ASCII letter, line ends included.
void skipToLetter(DriverState& state);

// One word from the cursor, up to a blank or a line end (empty when the cursor is on one).
std::string readWord(DriverState& state);

// skipToLetter then readWord: the value begins at a letter and may stand on a later line, so
// leading digits, dots and slashes are passed over (../out/ reads as out/).
std::string readLetterWord(DriverState& state);

// Passes over spaces and tabs only, then readWord: a value that is not on the keyword's line
// reads as empty.
std::string readBlankWord(DriverState& state);

// The statements that concern sprites, run by the statement loop with the cursor just after
// their keyword. Every problem prints one line and the run goes on with the next statement.

// Padding On|True|Off|False: the padding flag given to the sprites listed after it.
void runPaddingStatement(DriverState& state);

// Hotspot NAME: the hotspot method of the sprites listed after it; an unknown name selects
// Middle.
void runHotspotStatement(DriverState& state);

// HotXY X Y: the explicit hotspot point, and the HotXY method. Leaves the line number alone.
void runHotXYStatement(DriverState& state);

// TGA NAME / PCX NAME / PNG NAME: loads SOURCEDIR/NAME.tga, .pcx or .png, crops it, hashes its
// name, places its hotspot and appends it to the sprite tables; a sprite that cannot be used is
// reported and leaves no entry.
void runSpriteStatement(DriverState& state, SpriteSource kind);

// Sprites PATTERN: lists every sprite file under Source that the pattern names (see
// pattern_files.hpp), in natural order, each as its kind's statement would list it under its
// path without the extension. Without Source or Dest, one "requested before" line names the
// pattern; a pattern that names no file prints one warning.
void runSpritesStatement(DriverState& state);

// Records the entry at `slot` under its hid and warns when an entry of another stored name
// (bytes compared, so a case-only difference counts) already holds that hid.
void registerSpriteId(DriverState& state, int32_t slot);
