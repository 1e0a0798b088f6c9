// Reads a PNG back for the preview tests through libpng's simplified API, so the check does not
// go through the encoder under test.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace sidecartest {

struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
    bool ok = false;

    struct Pixel {
        int r, g, b;
        bool operator==(const Pixel&) const = default;
    };
    Pixel at(uint32_t x, uint32_t y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

inline RgbImage readPng(const std::vector<uint8_t>& bytes) {
    RgbImage image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return image;
    png.format = PNG_FORMAT_RGB;
    image.width = png.width;
    image.height = png.height;
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    image.ok = png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return image;
}

}  // namespace sidecartest
