// The TGA writers: exact file bytes, the run-length packets, un-premultiplying, round trips
// through the reader, and what a failed write leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"
#include "tests/image/tga_builder.hpp"
#include "tests/support/test_support.hpp"

using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t kPixelStart = 39;  // 18 header bytes and the 21-character image ID

using Writer = int32_t (*)(const char*, uint32_t, uint32_t, const uint8_t*, uint32_t);

// Writes the image and returns the file's bytes after the header and ID.
Bytes pixelBytes(Writer write, uint32_t width, uint32_t height, const Bytes& pixels,
                 uint32_t format) {
    testsupport::TempDir dir;
    std::string path = dir.file("out.tga");
    EXPECT_EQ(write(path.c_str(), width, height, pixels.data(), format), 1);
    Bytes file = testsupport::readFile(path);
    if (file.size() < kPixelStart) {
        ADD_FAILURE() << "file too short";
        return {};
    }
    return Bytes(file.begin() + kPixelStart, file.end());
}

// width pixels of format 3 whose red byte is given, green and blue 0.
Bytes redRow(const std::vector<uint8_t>& reds) {
    Bytes out;
    for (uint8_t r : reds) out.insert(out.end(), {r, 0, 0});
    return out;
}

}  // namespace

TEST(TgaWriter, RawOnePixelFile) {
    testsupport::TempDir dir;
    std::string path = dir.file("one.tga");
    Bytes pixel = {1, 2, 3};
    ASSERT_EQ(writeTgaRaw(path.c_str(), 1, 1, pixel.data(), 3), 1);
    Bytes expected = {21, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0};
    for (char c : std::string("written by spritebake")) expected.push_back(static_cast<uint8_t>(c));
    expected.insert(expected.end(), {3, 2, 1});
    EXPECT_EQ(testsupport::readFile(path), expected);
}

TEST(TgaWriter, RunLengthHeader) {
    testsupport::TempDir dir;
    std::string path = dir.file("one.tga");
    Bytes pixel = {1, 2, 3, 255};
    ASSERT_EQ(writeTgaRle(path.c_str(), 300, 0, pixel.data(), 4), 1);
    Bytes file = testsupport::readFile(path);
    ASSERT_EQ(file.size(), kPixelStart);  // zero pixels: header and ID only
    EXPECT_EQ(file[2], 10);
    EXPECT_EQ(file[12], 300 & 0xFF);
    EXPECT_EQ(file[13], 300 >> 8);
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 8);
}

struct PacketCase {
    const char* name;
    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> reds;
    Bytes expected;
};

TEST(TgaWriter, RunLengthPackets) {
    const PacketCase cases[] = {
        {"one pixel", 1, 1, {1}, {0x00, 0, 0, 1}},
        {"four equal", 4, 1, {7, 7, 7, 7}, {0x83, 0, 0, 7}},
        {"1 2 2 3", 4, 1, {1, 2, 2, 3}, {0x00, 0, 0, 1, 0x81, 0, 0, 2, 0x00, 0, 0, 3}},
        {"one colour, two rows", 2, 2, {5, 5, 5, 5}, {0x81, 0, 0, 5, 0x81, 0, 0, 5}},
        {"raw packet closed at a row end", 3, 2, {1, 2, 3, 3, 4, 5}, {0x02, 0, 0, 1,    0, 0, 2,
                                                                      0,    0, 3, 0x02, 0, 0, 3,
                                                                      0,    0, 4, 0,    0, 5}},
        {"no run across a row end", 2, 2, {1, 2, 2, 2}, {0x01, 0, 0, 1, 0, 0, 2, 0x81, 0, 0, 2}},
        {"width 1: one packet a row",
         1,
         3,
         {5, 5, 5},
         {0x00, 0, 0, 5, 0x00, 0, 0, 5, 0x00, 0, 0, 5}},
        {"run after raw", 5, 1, {1, 2, 3, 3, 3}, {0x01, 0, 0, 1, 0, 0, 2, 0x82, 0, 0, 3}},
        {"lone pixel at a row start",
         3,
         2,
         {4, 4, 4, 9, 8, 8},
         {0x82, 0, 0, 4, 0x00, 0, 0, 9, 0x81, 0, 0, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelBytes(writeTgaRle, c.width, c.height, redRow(c.reds), 3), c.expected);
    }
}

TEST(TgaWriter, PacketsHoldAtMost128Pixels) {
    Bytes sameRow = redRow(std::vector<uint8_t>(256, 9));
    EXPECT_EQ(pixelBytes(writeTgaRle, 256, 1, sameRow, 3), (Bytes{0xFF, 0, 0, 9, 0xFF, 0, 0, 9}));

    Bytes longRun = pixelBytes(writeTgaRle, 300, 1, redRow(std::vector<uint8_t>(300, 9)), 3);
    EXPECT_EQ(longRun, (Bytes{0xFF, 0, 0, 9, 0xFF, 0, 0, 9, 0x80 | 43, 0, 0, 9}));

    std::vector<uint8_t> distinct(200);
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = static_cast<uint8_t>(i);
    Bytes raw = pixelBytes(writeTgaRle, 200, 1, redRow(distinct), 3);
    ASSERT_EQ(raw.size(), 2 + 200 * 3u);
    EXPECT_EQ(raw[0], 0x7F);
    EXPECT_EQ(raw[1 + 128 * 3], 71);
}

TEST(TgaWriter, FormatFourPixel) {
    Bytes pixel = {64, 32, 16, 128};
    EXPECT_EQ(pixelBytes(writeTgaRaw, 1, 1, pixel, 4), (Bytes{16, 32, 64, 128}));
    EXPECT_EQ(pixelBytes(writeTgaRle, 1, 1, pixel, 4), (Bytes{0x00, 31, 63, 127, 128}));
    Bytes white = {255, 255, 255, 128};  // above 1.0 after the division: 255
    EXPECT_EQ(pixelBytes(writeTgaRle, 1, 1, white, 4), (Bytes{0x00, 255, 255, 255, 128}));
    Bytes clear = {10, 20, 30, 0};  // alpha 0 keeps its colour bytes
    EXPECT_EQ(pixelBytes(writeTgaRle, 1, 1, clear, 4), (Bytes{0x00, 30, 20, 10, 0}));
}

TEST(TgaWriter, PixelsThatConvertAlikeFormARun) {
    // Two different premultiplied pixels that divide back to the same colour.
    Bytes pixels = {2, 2, 2, 1, 3, 3, 3, 1};
    EXPECT_EQ(pixelBytes(writeTgaRle, 2, 1, pixels, 4), (Bytes{0x81, 255, 255, 255, 1}));
    Bytes opaque = {7, 8, 9, 255, 7, 8, 9, 255};
    EXPECT_EQ(pixelBytes(writeTgaRle, 2, 1, opaque, 4), (Bytes{0x81, 9, 8, 7, 255}));
}

TEST(TgaWriter, OpaqueRoundTrip) {
    // An image as loadTga delivers it: opaque, with runs and noise, an odd width.
    const uint32_t width = 37, height = 23;
    std::mt19937 rng(5);
    Bytes stored;
    for (uint32_t i = 0; i < width * height; ++i) {
        bool flat = (i / 7) % 3 == 0;
        for (int k = 0; k < 3; ++k) stored.push_back(flat ? 40 : static_cast<uint8_t>(rng()));
        stored.push_back(static_cast<uint8_t>(rng()));  // ignored: no alpha bits
    }
    tgatest::Header h;
    h.width = width;
    h.height = height;
    h.depth = 32;
    h.descriptor = 0x20;  // top-down in the file
    tgatest::Decoded source = tgatest::decode(tgatest::tgaFile(h, stored));
    ASSERT_TRUE(source.ok);

    for (uint32_t format : {3u, 4u}) {
        Bytes image = source.pixels;
        if (format == 3) {
            image.clear();
            for (size_t i = 0; i < source.pixels.size(); i += 4) {
                image.insert(image.end(), source.pixels.begin() + static_cast<ptrdiff_t>(i),
                             source.pixels.begin() + static_cast<ptrdiff_t>(i) + 3);
            }
        }
        for (Writer write : {writeTgaRaw, writeTgaRle}) {
            testsupport::TempDir dir;
            std::string path = dir.file("back.tga");
            ASSERT_EQ(write(path.c_str(), width, height, image.data(), format), 1);
            int32_t w = 0, ht = 0;
            auto loaded = loadTga(path.c_str(), &w, &ht, format);
            ASSERT_TRUE(loaded);
            EXPECT_EQ(w, static_cast<int32_t>(width));
            EXPECT_EQ(ht, static_cast<int32_t>(height));
            EXPECT_EQ(Bytes(loaded.get(), loaded.get() + image.size()), image);
        }
    }
}

TEST(TgaWriter, TranslucentRunLengthRoundTripIsClose) {
    // Dividing and multiplying again may lose a little, never more than one step of alpha.
    Bytes image;
    for (uint32_t a = 0; a < 256; ++a) {
        const uint8_t* row = tgaPremultiplyTable() + a * 256;
        image.insert(image.end(), {row[200], row[100], row[37], static_cast<uint8_t>(a)});
    }
    testsupport::TempDir dir;
    std::string path = dir.file("alpha.tga");
    ASSERT_EQ(writeTgaRle(path.c_str(), 16, 16, image.data(), 4), 1);
    int32_t w = 0, h = 0;
    auto loaded = loadTga(path.c_str(), &w, &h, 4);
    ASSERT_TRUE(loaded);
    for (size_t i = 0; i < image.size(); ++i) {
        EXPECT_LE(std::abs(int{loaded[i]} - int{image[i]}), 2) << i;
        if (i % 4 == 3) {
            EXPECT_EQ(loaded[i], image[i]) << "alpha " << i / 4;
        }
    }
}

TEST(TgaWriter, BadFormatAndUnwritablePath) {
    testsupport::TempDir dir;
    std::string path = dir.file("never.tga");
    Bytes pixel = {1, 2, 3, 4, 5};
    for (Writer write : {writeTgaRaw, writeTgaRle}) {
        EXPECT_EQ(write(path.c_str(), 1, 1, pixel.data(), 5), 0);
        EXPECT_EQ(tgaLastError(), TgaError::badFormat);
        EXPECT_FALSE(std::filesystem::exists(path));
        std::string unwritable = dir.file("no/such/folder.tga");
        EXPECT_EQ(write(unwritable.c_str(), 1, 1, pixel.data(), 3), 0);
        EXPECT_EQ(tgaLastError(), TgaError::cannotOpen);
    }
}

TEST(TgaWriter, NewImage) {
    EXPECT_TRUE(newTgaImage(3, 2, 4));
    EXPECT_TRUE(newTgaImage(3, 2, 3));
    setTgaError(TgaError::none);
    EXPECT_FALSE(newTgaImage(3, 2, 5));
    EXPECT_EQ(tgaLastError(), TgaError::badFormat);
}

TEST(TgaWriter, FailedWriteRemovesThePartialFile) {
    testsupport::TempDir dir;
    const uint32_t side = 100;  // 40000 pixel bytes, far past the limit
    Bytes image(side * side * 4, 0);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 3);
    for (Writer write : {writeTgaRaw, writeTgaRle}) {
        std::string path = dir.file("limited.tga");
        testsupport::ChildResult child = testsupport::runInChild(
            [&] {
                setTgaError(TgaError::none);
                int32_t result = write(path.c_str(), side, side, image.data(), 4);
                std::printf("%d %d\n", result, static_cast<int32_t>(tgaLastError()));
            },
            testsupport::ChildLimits{1000});
        EXPECT_EQ(child.exitStatus, 0);
        EXPECT_EQ(child.out, "0 2\n");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}
