// Source pictures for the preview tests, built byte by byte from the two formats' layouts: a
// raw 32-bit TGA and an 8-bit run-length PCX with or without its palette.
#pragma once

#include <cstdint>
#include <vector>

namespace sidecartest {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) colour
};

inline void putLe16(std::vector<uint8_t>& out, int32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// `pixels` upright, rows top first. Type 2, 32 bits, 8 alpha bits, bottom-left origin, so the
// rows are stored bottom first as blue, green, red, alpha.
inline std::vector<uint8_t> tgaBytes(int32_t width, int32_t height,
                                     const std::vector<Rgba>& pixels) {
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putLe16(out, width);
    putLe16(out, height);
    out.push_back(32);
    out.push_back(8);
    for (int32_t y = height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < width; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y * width + x)];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    return out;
}

// `indices` upright, rows top first. Every byte is one run-length code (a count of 1 in front
// of bytes from 0xC0, which would read as counts), then marker 12 and `palette` (768 bytes)
// when it is not empty.
inline std::vector<uint8_t> pcxBytes(int32_t width, int32_t height,
                                     const std::vector<uint8_t>& indices,
                                     const std::vector<uint8_t>& palette) {
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    out[8] = static_cast<uint8_t>(width - 1);
    out[9] = static_cast<uint8_t>((width - 1) >> 8);
    out[10] = static_cast<uint8_t>(height - 1);
    out[11] = static_cast<uint8_t>((height - 1) >> 8);
    out[65] = 1;
    out[66] = static_cast<uint8_t>(width);
    out[67] = static_cast<uint8_t>(width >> 8);
    for (const uint8_t index : indices) {
        if (index >= 0xC0) out.push_back(0xC1);
        out.push_back(index);
    }
    if (!palette.empty()) {
        out.push_back(12);
        out.insert(out.end(), palette.begin(), palette.end());
    }
    return out;
}

}  // namespace sidecartest
