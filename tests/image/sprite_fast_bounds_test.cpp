// The sprite fast paths stay inside their bytes: every row, the last one included, is read and
// written within its own block. The file's bytes and the output block are each an allocation
// of their exact size, so that under AddressSanitizer a vector loop that reads or writes past
// the end of its row is seen at the end of the block. A box that is not inside the picture is
// refused, never cropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "image/tga.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"
#include "tests/image/tga_builder.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

// The stored pixels of a w x h picture with a visible column band from `x0`: every pixel
// opaque or transparent by a pattern, colours from the position.
Bytes pixelsOf(const tgatest::Header& h, uint32_t x0) {
    const uint32_t bytes = h.depth / 8u;
    Bytes out;
    for (uint32_t y = 0; y < h.height; ++y) {
        for (uint32_t x = 0; x < h.width; ++x) {
            const bool visible = x >= x0 && (x + y) % 3 != 0;
            if (h.imageType == 10) out.push_back(0);  // a literal packet of one pixel
            for (uint32_t k = 0; k < bytes; ++k) {
                const auto colour = static_cast<uint8_t>(x * 7 + y * 13 + k * 31 + 1);
                out.push_back(visible ? (k == 3 ? 0xFF : colour) : 0);
            }
        }
    }
    return out;
}

// The bytes in a block of exactly their size.
std::unique_ptr<uint8_t[]> exactCopy(const Bytes& bytes) {
    auto block = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    return block;
}

TEST(SpriteFastBounds, RowsAtTheEndOfTheirBlockAreReadAndWrittenWithinIt) {
    int checked = 0;
    for (const uint8_t type : {2, 10}) {
        for (const uint8_t depth : {24, 32}) {
            for (const uint8_t origin : {0x00, 0x20}) {
                for (uint16_t width = 1; width <= 21; ++width) {
                    for (uint16_t height = 1; height <= 3; ++height) {
                        tgatest::Header h;
                        h.imageType = type;
                        h.depth = depth;
                        h.descriptor = static_cast<uint8_t>(origin | (depth == 32 ? 8 : 0));
                        h.width = width;
                        h.height = height;
                        const Bytes file = tgatest::tgaFile(h, pixelsOf(h, width / 3u));
                        const auto block = exactCopy(file);
                        const std::span<const uint8_t> bytes(block.get(), file.size());
                        SCOPED_TRACE(testing::Message()
                                     << int(type) << " " << int(depth) << " " << int(origin) << " "
                                     << width << "x" << height);

                        // The general decoder and crop give the reference.
                        int32_t w = 0;
                        int32_t ht = 0;
                        auto picture = decodeTga(bytes, &w, &ht, 4);
                        ASSERT_TRUE(picture);
                        int32_t cw = 0;
                        int32_t ch = 0;
                        auto reference = cropRgba(picture.get(), w, ht, &cw, &ch);

                        TgaBox box;
                        ASSERT_TRUE(findTgaBox(bytes, box));
                        if (!reference) {
                            EXPECT_TRUE(box.blank);
                            continue;
                        }
                        ASSERT_FALSE(box.blank);
                        ASSERT_EQ(box.right - box.left + 1, cw);
                        ASSERT_EQ(box.bottom - box.top + 1, ch);
                        const size_t size = static_cast<size_t>(cw) * static_cast<size_t>(ch) * 4;
                        auto out = std::make_unique<uint8_t[]>(size);
                        ReusedBuffer scratch;
                        ASSERT_TRUE(cropTgaFast(bytes, box, out.get(), scratch));
                        EXPECT_EQ(std::memcmp(out.get(), reference.get(), size), 0);
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 200);
}

TEST(SpriteFastBounds, ABoxNotInsideThePictureIsRefused) {
    tgatest::Header h;
    h.depth = 32;
    h.descriptor = 8;
    h.width = 6;
    h.height = 4;
    const Bytes file = tgatest::tgaFile(h, pixelsOf(h, 0));
    TgaBox found;
    ASSERT_TRUE(findTgaBox(file, found));
    ASSERT_FALSE(found.blank);

    struct Case {
        const char* what;
        void (*change)(TgaBox&);
    };
    const Case cases[] = {
        {"right edge past the picture", [](TgaBox& b) { b.right = b.width; }},
        {"bottom edge past the picture", [](TgaBox& b) { b.bottom = b.height; }},
        {"left edge before it", [](TgaBox& b) { b.left = -1; }},
        {"top edge before it", [](TgaBox& b) { b.top = -1; }},
        {"sides of another picture", [](TgaBox& b) { b.width += 1; }},
        {"left past right", [](TgaBox& b) { b.left = b.right + 1; }},
        {"blank", [](TgaBox& b) { b.blank = true; }},
    };
    for (const Case& c : cases) {
        TgaBox box = found;
        c.change(box);
        // Room for the largest box a wrong one could mean; none of it may be touched.
        Bytes out(static_cast<size_t>(h.width + 2) * (h.height + 2) * 4, 0xA5);
        ReusedBuffer scratch;
        EXPECT_FALSE(cropTgaFast(file, box, out.data(), scratch)) << c.what;
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xA5; }))
            << c.what;
    }
}

}  // namespace
