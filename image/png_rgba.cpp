// What the sprite road does with a decoded PNG picture: the box of its visible pixels, the
// copy of that box, and the premultiplying of the copy.
#include <algorithm>
#include <cstring>

#include "image/png.hpp"
#include "image/tga_internal.hpp"

namespace {

constexpr size_t RGBA_BYTES = 4;

bool visible(const uint8_t* rgba, size_t pixel) {
    return rgba[pixel * RGBA_BYTES + 3] != 0;
}

}  // namespace

TgaBox findAlphaBox(const uint8_t* rgba, int32_t width, int32_t height) {
    TgaBox box;
    box.width = width;
    box.height = height;
    const auto w = static_cast<size_t>(width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rgba + static_cast<size_t>(y) * w * RGBA_BYTES;
        size_t first = 0;
        while (first < w && !visible(row, first)) ++first;
        if (first == w) continue;
        size_t last = w - 1;
        while (!visible(row, last)) --last;
        if (box.blank) {
            box.blank = false;
            box.top = y;
            box.left = static_cast<int32_t>(first);
            box.right = static_cast<int32_t>(last);
        }
        box.bottom = y;
        box.left = std::min(box.left, static_cast<int32_t>(first));
        box.right = std::max(box.right, static_cast<int32_t>(last));
    }
    return box;
}

void copyBoxPixels(const uint8_t* rgba, int32_t width, const TgaBox& box, uint8_t* out) {
    const size_t stride = static_cast<size_t>(width) * RGBA_BYTES;
    const size_t rowBytes = static_cast<size_t>(box.right - box.left + 1) * RGBA_BYTES;
    const uint8_t* src =
        rgba + static_cast<size_t>(box.top) * stride + static_cast<size_t>(box.left) * RGBA_BYTES;
    for (int32_t y = box.top; y <= box.bottom; ++y, src += stride, out += rowBytes) {
        std::memcpy(out, src, rowBytes);
    }
}

void premultiplyRgba(uint8_t* rgba, size_t count) {
    // The TGA reader's own table, so both kinds premultiply to the same bytes.
    const uint8_t* table = tgaPremultiplyTable();
    for (size_t i = 0; i < count; ++i, rgba += RGBA_BYTES) {
        const uint8_t alpha = rgba[3];
        if (alpha == 255) continue;
        const uint8_t* row = table + size_t{alpha} * 256;
        rgba[0] = row[rgba[0]];
        rgba[1] = row[rgba[1]];
        rgba[2] = row[rgba[2]];
    }
}
