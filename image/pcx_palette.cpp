#include "image/pcx_palette.hpp"

#include <algorithm>

#include "image/pcx.hpp"

std::optional<PcxPalette> readPcxPalette(std::span<const uint8_t> file) {
    // The palette follows the header and at least the marker; a shorter file cannot hold it.
    if (file.size() < PCX_HEADER_SIZE + 1 + PCX_PALETTE_BYTES) return std::nullopt;
    const size_t start = file.size() - PCX_PALETTE_BYTES;
    if (file[start - 1] != PCX_PALETTE_MARKER) return std::nullopt;
    PcxPalette palette;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(start), PCX_PALETTE_BYTES,
                palette.begin());
    return palette;
}
