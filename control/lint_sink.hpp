// What the statement loop tells a lint while it reads the control text. A run has no lint and
// prints its own messages; when DriverState::lint is set, the statement code calls these
// instead of printing the messages named below, and a lint states its findings in its own
// words. Everything else the run prints (the readers' and the file layer's lines) still goes
// through the console.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sprite/sprite_types.hpp"

// How a sprite statement ended.
enum class SpriteOutcome {
    listed,     // entered the table (a blank picture too)
    tableFull,  // "Sprite %s skipped, the sprite table is full"
    noSource,   // "requested before src directory specified"
    noDest,     // "requested before dest directory specified"
    missing,    // "Couldn't open sprite source %s, skipping."
    notLoaded,  // "Warning, couldn't load %s, skipping."
};

struct SpriteListing {
    SpriteOutcome outcome = SpriteOutcome::listed;
    SpriteSource kind = SOURCE_TGA;
    std::string_view name;     // as read
    std::string_view path;     // the composed source path; empty before it is composed
    int32_t slot = -1;         // the table entry when listed
    bool blank = false;        // listed with no visible pixel ("WARNING!  Sprite %s is blank.")
    bool fromPattern = false;  // a file a Sprites pattern found, named by its path under Source
};

// How a Sprites statement ended, after the listings of the files it found.
struct PatternListing {
    std::string_view pattern;                       // as read
    SpriteOutcome outcome = SpriteOutcome::listed;  // noSource or noDest: nothing was looked for
    bool refused = false;  // empty, or holds `..`: matches nothing without a look
    int32_t matches = 0;   // the files found ("Warning, no sprite file matches %s." when none)
};

class LintSink {
  public:
    virtual ~LintSink() = default;

    // A statement begins at `first` (its keyword's first byte, or the first byte of an
    // unexpected word); `afterKeyword` is where its value starts (equal to `first` without a
    // keyword). Line ends and the end of the text are no statements.
    virtual void statementBegins(int32_t statement, const char* first,
                                 const char* afterKeyword) = 0;
    // The statement just begun has run; the cursor stands after everything it read.
    virtual void statementEnds(const char* cursor) = 0;

    // Instead of "Unexpected input, %s, found on line %d.": the word and the rest of its line.
    virtual void unexpectedInput(std::string_view text) = 0;
    // Instead of "Pad passed an incorrect parameter": the value read and whether it was taken.
    virtual void paddingValue(std::string_view value, bool accepted) = 0;
    // Instead of "Undefined hotspot type requested": the name read and whether it is a method.
    virtual void hotspotName(std::string_view name, bool known) = 0;
    // Where HotXY's two numbers begin in the text; null for a number not found before the end.
    virtual void hotXYNumbers(const char* xAt, const char* yAt) = 0;
    // Instead of the sprite statement's own lines (the truncation, blank and id-collision lines
    // included): how it ended.
    virtual void spriteListed(const SpriteListing& listing) = 0;
    // Instead of the Sprites statement's own lines ("requested before", "no sprite file
    // matches"); each file found was told with spriteListed before.
    virtual void patternRead(const PatternListing& listing) = 0;
};
