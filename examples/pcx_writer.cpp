#include "examples/pcx_writer.hpp"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int CUBE_LEVELS = 6;
constexpr int CUBE_STEP = 51;  // 255 / (CUBE_LEVELS - 1)
constexpr int FIRST_GREY = 216;
constexpr int GREY_COUNT = 39;

uint8_t greyLevel(int k) {
    return uint8_t((255 * (k + 1) + 20) / 40);
}

PcxPalette makePalette() {
    PcxPalette p{};
    int i = 0;
    for (int r = 0; r < CUBE_LEVELS; ++r) {
        for (int g = 0; g < CUBE_LEVELS; ++g) {
            for (int b = 0; b < CUBE_LEVELS; ++b, ++i) {
                p[size_t(i) * 3 + 0] = uint8_t(r * CUBE_STEP);
                p[size_t(i) * 3 + 1] = uint8_t(g * CUBE_STEP);
                p[size_t(i) * 3 + 2] = uint8_t(b * CUBE_STEP);
            }
        }
    }
    for (int k = 0; k < GREY_COUNT; ++k, ++i) {
        const uint8_t v = greyLevel(k);
        p[size_t(i) * 3 + 0] = v;
        p[size_t(i) * 3 + 1] = v;
        p[size_t(i) * 3 + 2] = v;
    }
    p[255 * 3 + 0] = 255;  // magenta marks the transparent index in paint programs
    p[255 * 3 + 1] = 0;
    p[255 * 3 + 2] = 255;
    return p;
}

void putLe16(uint8_t* at, int32_t v) {
    at[0] = uint8_t(v & 0xFF);
    at[1] = uint8_t((v >> 8) & 0xFF);
}

// One scan line of `count` bytes: a run of 2..63 equal bytes, or any byte of 0xC0 and up, is a
// count byte (0xC0 | n) followed by the value; any other byte stands for itself.
void encodeScanLine(const uint8_t* line, int32_t count, std::vector<uint8_t>& out) {
    int32_t i = 0;
    while (i < count) {
        const uint8_t value = line[i];
        int32_t run = 1;
        while (i + run < count && run < 63 && line[i + run] == value) ++run;
        if (run > 1 || value >= 0xC0) out.push_back(uint8_t(0xC0 | run));
        out.push_back(value);
        i += run;
    }
}

}  // namespace

const PcxPalette& spritePalette() {
    static const PcxPalette palette = makePalette();
    return palette;
}

uint8_t nearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) {
    auto level = [](int c) { return (c + CUBE_STEP / 2) / CUBE_STEP; };
    const int r = level(red), g = level(green), b = level(blue);
    auto sq = [](int d) { return d * d; };
    const int cubeDist =
        sq(red - r * CUBE_STEP) + sq(green - g * CUBE_STEP) + sq(blue - b * CUBE_STEP);

    const int mean = (red + green + blue) / 3;
    int k = (mean * 40 + 127) / 255 - 1;  // nearest grey of the ramp
    if (k < 0) k = 0;
    if (k >= GREY_COUNT) k = GREY_COUNT - 1;
    const int v = greyLevel(k);
    const int greyDist = sq(red - v) + sq(green - v) + sq(blue - v);

    if (greyDist < cubeDist) return uint8_t(FIRST_GREY + k);
    return uint8_t((r * CUBE_LEVELS + g) * CUBE_LEVELS + b);
}

bool writePcx8(const char* path, int32_t width, int32_t height, const uint8_t* indices,
               const PcxPalette& palette) {
    if (width < 1 || height < 1 || width > 32767 || height > 32767) return false;
    const int32_t bytesPerLine = width + (width & 1);  // scan lines have an even length

    std::vector<uint8_t> file(128, 0);
    file[0] = 10;  // manufacturer: ZSoft
    file[1] = 5;   // version 5: 256-colour palette at the end
    file[2] = 1;   // run-length encoding
    file[3] = 8;   // bits per pixel and plane
    putLe16(&file[4], 0);
    putLe16(&file[6], 0);
    putLe16(&file[8], width - 1);
    putLe16(&file[10], height - 1);
    putLe16(&file[12], 72);  // resolution in dots per inch
    putLe16(&file[14], 72);
    for (int i = 0; i < 48; ++i) file[16 + size_t(i)] = palette[size_t(i)];  // EGA palette
    file[65] = 1;                                                            // one plane
    putLe16(&file[66], bytesPerLine);
    putLe16(&file[68], 1);  // colour palette

    std::vector<uint8_t> line(size_t(bytesPerLine), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = indices + size_t(y) * size_t(width);
        std::copy(row, row + width, line.begin());
        encodeScanLine(line.data(), bytesPerLine, file);
    }
    file.push_back(12);  // the 256-colour palette follows
    file.insert(file.end(), palette.begin(), palette.end());

    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "wb"), &std::fclose);
    if (!f) return false;
    const bool wrote = std::fwrite(file.data(), 1, file.size(), f.get()) == file.size();
    return std::fclose(f.release()) == 0 && wrote;
}
