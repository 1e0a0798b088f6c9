// The statements of the control-file language as the statement loop tells them apart: the
// keywords in the order they are tried (the first that fits wins, so a word that begins with a
// keyword is that keyword), then a line end, then the classes that start an unexpected word.
#pragma once

#include <array>
#include <cstdint>

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
    ST_LINE_END,
    ST_UPPER_CASE,
    ST_LOWER_CASE,
    ST_DIGIT,
};

// Indexed by Statement, ST_COMMENT to ST_BIN.
inline constexpr std::array<const char*, 11> statementKeywords = {
    "//",    "Padding", "Dest", "Source",       "InfoFile", "Hotspot",
    "HotXY", "TGA",     "PCX",  "WriteOneFile", "BIN",
};

// Whether the statement begins with a keyword that the loop consumed (a class match consumes
// nothing).
constexpr bool hasKeyword(int32_t statement) {
    return statement >= ST_COMMENT && statement <= ST_BIN;
}
