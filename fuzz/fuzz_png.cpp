// libFuzzer target for the PNG reader: decodes any bytes as a PNG file both ways the sprite
// road does, and checks them against each other: the listing's box from the rows (findPngBox)
// and the pixel pass's whole picture with its box (decodePng, findAlphaBox) must refuse the
// same files for the same reason and find the same sides and box; the box must be tight, and
// its premultiplied crop must clear every pixel of alpha 0. Inputs whose IHDR claims more than
// 2^20 pixels are passed over: the size bound has unit tests, and huge pictures would only slow
// the search down.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "image/png.hpp"

namespace {

constexpr uint64_t MAX_FUZZ_PIXELS = uint64_t{1} << 20;

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "PNG listing and pixel pass disagree: %s\n", what);
    std::abort();
}

bool visible(const PngPicture& p, int32_t x, int32_t y) {
    return p.rgba[(static_cast<size_t>(y) * static_cast<size_t>(p.width) +
                   static_cast<size_t>(x)) * 4 + 3] != 0;
}

// Every pixel outside the box is transparent, and each side of the box touches a visible one.
void checkTight(const PngPicture& p, const TgaBox& box) {
    bool top = false;
    bool bottom = false;
    bool left = false;
    bool right = false;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            if (!visible(p, x, y)) continue;
            if (box.blank || x < box.left || x > box.right || y < box.top || y > box.bottom) {
                fail("a visible pixel outside the box");
            }
            top = top || y == box.top;
            bottom = bottom || y == box.bottom;
            left = left || x == box.left;
            right = right || x == box.right;
        }
    }
    if (!box.blank && !(top && bottom && left && right)) fail("a box wider than its pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    // The sides sit at bytes 16 to 23 when the file starts as a PNG file does.
    if (size >= 24 && uint64_t{readU32(data + 16)} * readU32(data + 20) > MAX_FUZZ_PIXELS) {
        return -1;  // not added to the corpus
    }
    static ReusedBuffer scratch;
    static ReusedBuffer block;
    static ReusedBuffer cropped;
    TgaBox listed;
    const PngError listing = findPngBox(file, scratch, listed);
    PngPicture picture;
    const PngError decode = decodePng(file, block, picture);
    if (listing != decode) fail("not the same refusal");
    if (decode != PngError::none) return 0;

    const TgaBox box = findAlphaBox(picture.rgba, picture.width, picture.height);
    if (listed.width != picture.width || listed.height != picture.height) fail("the sides");
    if (listed.blank != box.blank) fail("blank or not");
    if (!box.blank && (listed.left != box.left || listed.right != box.right ||
                       listed.top != box.top || listed.bottom != box.bottom)) {
        fail("the box");
    }
    checkTight(picture, box);
    if (box.blank) return 0;

    const size_t count = static_cast<size_t>(box.right - box.left + 1) *
                         static_cast<size_t>(box.bottom - box.top + 1);
    uint8_t* out = cropped.reserve(count * 4);
    if (out == nullptr) return 0;
    copyBoxPixels(picture.rgba, picture.width, box, out);
    premultiplyRgba(out, count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* px = out + i * 4;
        if (px[3] == 0 && (px[0] | px[1] | px[2]) != 0) fail("a transparent pixel keeps colour");
        for (size_t c = 0; c < 3; ++c) {
            if (px[c] > px[3]) fail("a colour above its alpha");
        }
    }
    return 0;
}
