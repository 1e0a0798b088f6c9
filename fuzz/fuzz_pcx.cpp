// libFuzzer target for the PCX reader: decodes any bytes as a PCX file image, and checks the
// fast decoder against the plain byte-at-a-time one. Inputs whose header claims more than
// 2^20 pixels are passed over. The sprite road's reused canvas and box (decodePcxReusing,
// findCropIndexed) and the box walk without a picture (findPcxBox) are checked against the
// allocating decode and cropIndexed. Inputs over
// 2^20 pixels are passed over: the size bound itself has unit tests, and filling huge
// images would only slow the search down.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "image/pcx.hpp"
#include "sprite/crop.hpp"
#include "tests/image/pcx_reference.hpp"

namespace {

constexpr uint64_t MAX_FUZZ_PIXELS = uint64_t{1} << 20;
// Up to this size the whole reader runs and its result is compared with the plain decoder;
// the rules do not depend on the size, and small images keep the fuzzer fast.
constexpr size_t MAX_COMPARED_PIXELS = size_t{1} << 16;

int32_t side(const uint8_t* data, size_t low, size_t high) {
    const int32_t lo = static_cast<int16_t>(data[low] | data[low + 1] << 8);
    const int32_t hi = static_cast<int16_t>(data[high] | data[high + 1] << 8);
    return hi - lo + 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader's warnings would drown the fuzzer's own report (which goes to stderr).
    FILE* quiet = std::freopen("/dev/null", "w", stdout);
    static_cast<void>(quiet);  // without /dev/null the messages are merely shown
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    if (size >= PCX_HEADER_SIZE) {
        const int32_t w = side(data, 4, 8);
        const int32_t h = side(data, 6, 10);
        const uint64_t pixels = w > 0 && h > 0 ? static_cast<uint64_t>(w) * h : 0;
        if (pixels > MAX_FUZZ_PIXELS) return -1;  // not added to the corpus
        if (pixels > MAX_COMPARED_PIXELS) {
            // Large images only exercise the decoding step, into one buffer kept for the
            // whole run (a fresh megabyte per input would dominate the time). The image ends
            // where the buffer ends, so a write past it still hits the allocator's red zone.
            static std::vector<uint8_t> scratch(MAX_FUZZ_PIXELS);
            decodePcxImage(scratch.data() + (MAX_FUZZ_PIXELS - pixels), file, w, h);
            return 0;
        }
    }

    int32_t width = -7;
    int32_t height = -7;
    std::unique_ptr<uint8_t[]> image = decodePcx(file, "fuzz.pcx", &width, &height);
    if (image == nullptr) {
        if (size >= PCX_HEADER_SIZE && width > 0 && height > 0) std::abort();  // should have loaded
        return 0;
    }
    if (size < PCX_HEADER_SIZE || width < 1 || height < 1) std::abort();
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);

    std::vector<uint8_t> expected;
    const PcxDecode expectedResult = pcxtest::referenceDecodePcx(file, width, height, expected);
    if (expected.size() != pixels) std::abort();
    for (size_t i = 0; i < pixels; ++i) {
        if (image[i] != expected[i]) std::abort();
    }
    // The same decode into stale memory must overwrite every pixel and end the same way.
    std::vector<uint8_t> again(pixels, 0xA5);
    if (decodePcxImage(again.data(), file, width, height) != expectedResult) std::abort();
    if (again != expected) std::abort();

    // The sprite road: a canvas kept between inputs, then the box alone.
    static ReusedBuffer canvas;
    int32_t reusedWidth = -7;
    int32_t reusedHeight = -7;
    const uint8_t* reused = decodePcxReusing(file, "fuzz.pcx", canvas, &reusedWidth, &reusedHeight);
    if (reused == nullptr || reusedWidth != width || reusedHeight != height) std::abort();
    if (!std::equal(expected.begin(), expected.end(), reused)) std::abort();
    int32_t wd = 0;
    int32_t ht = 0;
    const bool visible = cropIndexed(image.get(), width, height, &wd, &ht, 255) != nullptr;
    const int32_t box[4] = {cropTop, cropBottom, cropLeft, cropRight};
    if (findCropIndexed(reused, width, height, 255) != visible) std::abort();
    const int32_t found[4] = {cropTop, cropBottom, cropLeft, cropRight};
    if (!std::equal(box, box + 4, found)) std::abort();

    // The box walk without a picture: the same ending and, unless blank, the same rectangle.
    PcxBox walked;
    if (findPcxBox(file, width, height, 255, walked) != expectedResult) std::abort();
    if (walked.empty() == visible) std::abort();
    if (visible) {
        const size_t sides[4] = {walked.top, walked.bottom, walked.left, walked.right};
        for (int k = 0; k < 4; ++k) {
            if (sides[k] != static_cast<size_t>(box[k])) std::abort();
        }
    }
    return 0;
}
