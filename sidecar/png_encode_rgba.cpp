#include "sidecar/png_encode_rgba.hpp"

#include <spng.h>

#include <cstdlib>
#include <memory>

#include "filesys/allocate.hpp"

namespace {

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
// libspng hands its finished buffer over to be released with free().
struct BufferFree {
    void operator()(void* buffer) const { std::free(buffer); }
};

}  // namespace

bool encodePngRgba(uint32_t width, uint32_t height, std::span<const uint8_t> rgba,
                   int32_t level, std::vector<uint8_t>& png) {
    png.clear();
    if (width == 0 || height == 0 || rgba.size() / 4 / width < height) return false;
    const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) return false;
    spng_ctx* ctx = context.get();
    spng_ihdr header{width, height, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0};
    if (spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1) != 0 ||
        spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, level) != 0 ||
        spng_set_ihdr(ctx, &header) != 0) {
        return false;
    }
    const size_t bytes = size_t{width} * height * 4;
    if (spng_encode_image(ctx, rgba.data(), bytes, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0) {
        return false;
    }
    size_t length = 0;
    int error = 0;
    const std::unique_ptr<void, BufferFree> buffer(spng_get_png_buffer(ctx, &length, &error));
    if (!buffer || error != 0) return false;
    const auto* begin = static_cast<const uint8_t*>(buffer.get());
    return tryWithMemory(
        [&] {
            png.assign(begin, begin + length);
            return true;
        },
        false);
}
