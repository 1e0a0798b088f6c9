// The patterns of the Sprites statement, without the disk: how a pattern is cut into path
// segments, how one segment matches one name, which files count as sprites, and the natural
// order in which the files found are listed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sprite/sprite_types.hpp"

enum class SegmentKind : uint8_t {
    literal,     // names one entry exactly, hidden or linked included
    wildcard,    // `*` (any run of bytes) and `?` (one character) within one name
    anyFolders,  // `**/`: zero or more folders, never through a link
};

struct PatternSegment {
    SegmentKind kind = SegmentKind::literal;
    std::string text;
};

// A pattern cut at its slashes. The last segment names files, the others folders. Empty
// segments and `.` are dropped (the pattern is relative to Source, so a leading slash leads
// nowhere else); a trailing slash adds a last `*`; `**` is a wildcard when it is last.
struct SpritePattern {
    std::vector<PatternSegment> segments;
    bool matchesNothing = true;  // empty, no segment left, or a `..` segment
};

SpritePattern parseSpritePattern(std::string_view text);

// Whether `name` matches `glob`, byte for byte but for `*` and `?`: `?` takes one UTF-8
// character (a lead byte and its continuation bytes; any other byte alone).
bool segmentMatches(std::string_view glob, std::string_view name);

// The kind whose extension `fileName` ends with, ASCII letter case ignored, with at least one
// byte before it; -1 when none.
int32_t spriteKindOfFile(std::string_view fileName);

// Whether a name is hidden: it begins with a dot.
constexpr bool isHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Natural order of two relative paths: segment by segment; within a segment, digit runs by
// their value (then fewer leading zeros first) and other bytes one by one with ASCII letters
// folded to lower case, a digit run sorting before any other byte; a path that runs out first
// sorts first; remaining ties by raw bytes. Negative, 0 or positive, as strcmp.
int32_t naturalCompare(std::string_view a, std::string_view b);

inline bool naturalLess(std::string_view a, std::string_view b) {
    return naturalCompare(a, b) < 0;
}
