// The 256-colour palette of an 8-bit PCX file: the last 769 bytes of the file, a marker byte 12
// followed by 256 red, green, blue triples. Reads only the bytes it is given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

constexpr size_t PCX_PALETTE_BYTES = 768;
constexpr uint8_t PCX_PALETTE_MARKER = 12;

using PcxPalette = std::array<uint8_t, PCX_PALETTE_BYTES>;  // entry i at 3i: red, green, blue

// The palette at the end of `file`, or nothing when the file is too short to hold a header and
// a palette after it, or the byte before the last 768 is not the marker.
std::optional<PcxPalette> readPcxPalette(std::span<const uint8_t> file);
