// Word helpers of the control-file lint: the nearest known name to a misspelt word, and the
// pieces of text a finding quotes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The edit distance (insertions, deletions, substitutions) between a and b, ASCII letter case
// ignored.
int32_t editDistanceNoCase(std::string_view a, std::string_view b);

// The first of `names` nearest to `word`, when it is near enough to be a likely misspelling
// (one edit for names of up to four letters, two for longer ones); empty otherwise.
std::string_view nearestName(std::string_view word, std::span<const char* const> names);

// The text up to the first blank, CR or line feed.
std::string_view firstWord(std::string_view text);

// `text` without blanks, tabs and CRs at either end.
std::string_view trimBlanks(std::string_view text);

// `text` in double quotes.
std::string quoted(std::string_view text);
