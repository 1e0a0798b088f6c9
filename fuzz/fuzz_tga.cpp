// libFuzzer target for the TGA reader: decodes any bytes as a TGA file image (formats 3 and 4),
// and checks the fast decoders against the per-pixel decoding (same result, same sides, same
// last-error code). Inputs whose header claims more than 2^20 pixels are passed
// over: the size bound itself has unit tests, and filling huge images would only slow the
// search down.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"

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
    int32_t code = 0;
};

Result run(std::span<const uint8_t> file, uint32_t format, TgaDecodePath path) {
    setTgaError(-1);  // a value no decode sets, so "left unchanged" is seen too
    Result r;
    r.image = path == TgaDecodePath::Fast ? decodeTga(file, &r.width, &r.height, format)
                                          : decodeTgaWith(file, &r.width, &r.height, format, path);
    r.code = tgaLastError();
    return r;
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
    return 0;
}
