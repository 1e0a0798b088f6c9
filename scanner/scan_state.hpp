// Scanner-private state and helpers shared by the scanner's source files. Not part of the
// scanner's interface: nothing outside scanner/ includes this header.
#pragma once

#include <cstdint>

namespace scanner_detail {

// The line feeds passed by the latest scan; scanLinesCrossed() returns it.
extern int32_t linesCrossed;

// Whether a keyword-list entry is a character class such as "/A-Z" (one byte matched, never
// consumed) rather than a literal.
bool isClassPattern(const char* entry);

// ASCII-only case folding: "a" to "z" onto "A" to "Z", every other byte unchanged.
inline unsigned char foldUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

}  // namespace scanner_detail
