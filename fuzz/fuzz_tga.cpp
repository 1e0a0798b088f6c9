// libFuzzer target for the TGA reader: decodes any bytes as a TGA file image (formats 3 and 4),
// and checks the fast decoders against the per-pixel decoding (same result, same sides, same
// last-error code), and the sprite fast paths (findTgaBox, cropTgaFast) against the decode
// followed by cropRgba. Inputs whose header claims more than 2^20 pixels are passed
// over: the size bound itself has unit tests, and filling huge images would only slow the
// search down.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"

namespace {

// A long campaign may build with a smaller bound (-DTGA_FUZZ_MAX_PIXELS=65536): each image
// of a million pixels costs thousands of fresh pages under AddressSanitizer.
#ifndef TGA_FUZZ_MAX_PIXELS
#define TGA_FUZZ_MAX_PIXELS (uint64_t{1} << 20)
#endif
constexpr uint64_t MAX_FUZZ_PIXELS = TGA_FUZZ_MAX_PIXELS;
// The per-pixel decoding is slow; larger images are decoded by the fast path alone.
constexpr uint64_t MAX_COMPARED_PIXELS = uint64_t{1} << 12;

struct Result {
    std::unique_ptr<uint8_t[]> image;
    int32_t width = -1;
    int32_t height = -1;
    TgaError code = TgaError::none;
};

Result run(std::span<const uint8_t> file, uint32_t format, TgaDecodePath path) {
    // A value no decode sets, so "left unchanged" is seen too.
    setTgaError(static_cast<TgaError>(-1));
    Result r;
    r.image = path == TgaDecodePath::Fast ? decodeTga(file, &r.width, &r.height, format)
                                          : decodeTgaWith(file, &r.width, &r.height, format, path);
    r.code = tgaLastError();
    return r;
}

// The box and the cropped pixels of the sprite fast path must be those of the decode and crop.
void checkSpriteFastPath(std::span<const uint8_t> file) {
    TgaBox box;
    if (!findTgaBox(file, box)) return;
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint8_t[]> picture = decodeTga(file, &width, &height, 4);
    if (!picture || width != box.width || height != box.height) std::abort();
    int32_t wd = 0;
    int32_t ht = 0;
    std::unique_ptr<uint8_t[]> cropped = cropRgba(picture.get(), width, height, &wd, &ht);
    if ((cropped == nullptr) != box.blank) std::abort();
    if (box.blank) return;
    if (cropLeft != box.left || cropTop != box.top || box.right - box.left + 1 != wd ||
        box.bottom - box.top + 1 != ht) {
        std::abort();
    }
    static ReusedBuffer out;
    static ReusedBuffer scratch;
    const size_t bytes = static_cast<size_t>(wd) * static_cast<size_t>(ht) * 4;
    uint8_t* block = out.reserve(bytes);
    if (block == nullptr || !cropTgaFast(file, box, block, scratch)) std::abort();
    if (std::memcmp(block, cropped.get(), bytes) != 0) std::abort();

}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    uint64_t pixels = 0;
    uint32_t format = 4;
    if (size >= 18) {
        pixels =
            (data[12] | uint32_t{data[13]} << 8) * uint64_t{data[14] | uint32_t{data[15]} << 8};
        if (pixels > MAX_FUZZ_PIXELS) return -1;  // not added to the corpus
        // Bit 6 of the Image Descriptor means nothing to the reader: it picks the format here,
        // so one run decodes each input once per decoding.
        format = (data[17] & 0x40) != 0 ? 3 : 4;
    }
    Result fast = run(file, format, TgaDecodePath::Fast);
    if (pixels > MAX_COMPARED_PIXELS) return 0;
    Result generic = run(file, format, TgaDecodePath::Generic);
    bool same = (fast.image != nullptr) == (generic.image != nullptr) &&
                fast.code == generic.code && fast.width == generic.width &&
                fast.height == generic.height;
    if (same && fast.image) {
        size_t bytes = static_cast<size_t>(fast.width) * static_cast<size_t>(fast.height) * format;
        same = std::memcmp(fast.image.get(), generic.image.get(), bytes) == 0;
    }
    if (!same) {
        std::fprintf(stderr, "fast and per-pixel TGA decodings differ (format %u)\n", format);
        std::abort();
    }
    checkSpriteFastPath(file);
    return 0;
}
