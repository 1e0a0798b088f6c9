// Builders for TGA test files and a decode helper that records everything a decode reports.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace tgatest {

struct Header {
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t imageType = 2;
    uint16_t firstEntry = 0;
    uint16_t mapLength = 0;
    uint8_t entrySize = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
};

inline void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// The 18 header bytes followed by `rest` (image ID, colour map and pixel data, as the test
// lays them out).
inline std::vector<uint8_t> tgaFile(const Header& h, const std::vector<uint8_t>& rest = {}) {
    std::vector<uint8_t> out;
    out.push_back(h.idLength);
    out.push_back(h.mapType);
    out.push_back(h.imageType);
    putU16(out, h.firstEntry);
    putU16(out, h.mapLength);
    out.push_back(h.entrySize);
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, h.width);
    putU16(out, h.height);
    out.push_back(h.depth);
    out.push_back(h.descriptor);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

inline std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// What one decode reported.
struct Decoded {
    bool ok = false;
    int32_t width = -7;  // -7: never stored
    int32_t height = -7;
    TgaError code = TgaError::none;  // the last-error code after the call
    std::vector<uint8_t> pixels;
};

// Runs a decode with the last-error code first set to `codeBefore` (so an unchanged code can be
// told from a code that was set).
inline Decoded decode(const std::vector<uint8_t>& file, uint32_t format = 4,
                      TgaDecodePath path = TgaDecodePath::Fast,
                      TgaError codeBefore = TgaError::none) {
    setTgaError(codeBefore);
    Decoded d;
    auto image = decodeTgaWith(file, &d.width, &d.height, format, path);
    d.code = tgaLastError();
    if (image) {
        d.ok = true;
        d.pixels.assign(image.get(),
                        image.get() + static_cast<size_t>(d.width) * d.height * format);
    }
    return d;
}

inline bool operator==(const Decoded& a, const Decoded& b) {
    return a.ok == b.ok && a.width == b.width && a.height == b.height && a.code == b.code &&
           a.pixels == b.pixels;
}

}  // namespace tgatest
