// The name hash: the loader library's lookup2, so the tool and the games that read its output
// share one implementation.
#include "filesys/hash.hpp"

#include <cstring>

#include "spritebake/spritebake.h"

namespace {

constexpr size_t NAME_HASH_CUT = 999;  // names of 1000+ characters are hashed as their first 999

}  // namespace

uint32_t hashBytes(std::span<const uint8_t> bytes, uint32_t initialValue) {
    return sb_lookup2(bytes.data(), bytes.size(), initialValue);
}

uint32_t hashName(const char* name) {
    const size_t length = name == nullptr ? 0 : strnlen(name, NAME_HASH_CUT);
    return sb_hash_name(name, length);
}
