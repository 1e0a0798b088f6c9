// Reads a PNG back for the preview tests through libspng's decoder, so the check does not go
// through the encoder under test: 8-bit RGB, or RGBA with the alpha kept.
#pragma once

#include <spng.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace sidecartest {

struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t colourType = 0;  // as the file's header says
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

struct DecoderFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// Decodes `bytes` to `format` (SPNG_FMT_RGB8 or SPNG_FMT_RGBA8) into `pixels`.
inline bool decodePng(const std::vector<uint8_t>& bytes, int format, uint32_t& width,
                      uint32_t& height, uint8_t& colourType, std::vector<uint8_t>& pixels) {
    const std::unique_ptr<spng_ctx, DecoderFree> ctx(spng_ctx_new(0));
    if (!ctx || spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()) != 0) return false;
    spng_ihdr ihdr{};
    if (spng_get_ihdr(ctx.get(), &ihdr) != 0) return false;
    size_t size = 0;
    if (spng_decoded_image_size(ctx.get(), format, &size) != 0) return false;
    pixels.resize(size);
    if (spng_decode_image(ctx.get(), pixels.data(), size, format, 0) != 0) return false;
    width = ihdr.width;
    height = ihdr.height;
    colourType = ihdr.color_type;
    return true;
}

inline RgbImage readPng(const std::vector<uint8_t>& bytes) {
    RgbImage image;
    image.ok =
        decodePng(bytes, SPNG_FMT_RGB8, image.width, image.height, image.colourType, image.rgb);
    return image;
}

}  // namespace sidecartest
