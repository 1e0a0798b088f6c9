// The fingerprint of an output: FNV-1a 64 of its table bytes (the count and the entries exactly
// as written, text or binary, up to the first pixel byte). The manifest and the C header carry
// it, so a game can tell that a sprite file and the files beside it come from one run.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// FNV-1a 64 of `bytes`: offset basis 0xcbf29ce484222325, prime 0x100000001b3.
uint64_t fnv1a64(std::span<const uint8_t> bytes);
uint64_t fnv1a64(std::string_view bytes);

// "0x" and 16 lower-case hex digits, as the manifest and the header write it.
std::string fingerprintText(uint64_t fingerprint);
