// Text for JSON documents (RFC 8259): turning arbitrary bytes into valid UTF-8 and UTF-8 into
// a quoted JSON string. Pure functions over borrowed bytes; nothing here fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// `bytes` as valid UTF-8 (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF):
// every well-formed sequence is kept and every other byte becomes U+FFFD on its own, so a
// sequence cut short by a wrong byte gives one U+FFFD per byte that was read.
std::string repairUtf8(std::string_view bytes);

// `utf8` (already valid) as a JSON string with its quotes: the quote and the backslash get a
// backslash, every byte below 0x20 and 0x7F becomes \u00xx (lower-case hex); all else is kept.
std::string jsonString(std::string_view utf8);

// Lower-case hex of every byte, two digits each.
std::string hexBytes(std::string_view bytes);
