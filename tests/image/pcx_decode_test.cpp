// The PCX decoder on file images built in memory: codes, runs across rows, the palette
// marker, data that ends early, scan lines padded by BytesPerLine, and refused headers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "image/pcx.hpp"
#include "tests/image/pcx_builder.hpp"
#include "tests/image/pcx_reference.hpp"

namespace {

using pcxtest::PcxBuilder;

constexpr const char* PATH = "art/hero.pcx";
const std::string BYTE_AFTER_FRAME = "Warning, byte after frame buffer not 12.\n";
const std::string CUT_SHORT = std::string("Warning, PCX file ") + PATH + " is cut short.\n";
const std::string CANNOT_OPEN = std::string("Couldn't open PCX file ") + PATH + " for reading.\n";

struct Decoded {
    std::unique_ptr<uint8_t[]> image;
    int32_t width = -7;  // -7: not stored
    int32_t height = -7;
    std::string out;

    std::vector<uint8_t> pixels() const {
        if (!image || width < 1 || height < 1) return {};
        return {image.get(), image.get() + static_cast<size_t>(width) * height};
    }
};

Decoded decode(const std::vector<uint8_t>& file) {
    Decoded d;
    testing::internal::CaptureStdout();
    d.image = decodePcx(file, PATH, &d.width, &d.height);
    d.out = testing::internal::GetCapturedStdout();
    return d;
}

std::string messageFor(PcxDecode result) {
    switch (result) {
        case PcxDecode::MarkerMissing:
            return BYTE_AFTER_FRAME;
        case PcxDecode::CutShort:
            return CUT_SHORT;
        default:
            return "";
    }
}

TEST(PcxDecode, SidesComeFromInclusiveEdges) {
    struct Case {
        int16_t xmin, ymin, xmax, ymax;
        int32_t width, height;
    };
    constexpr Case cases[] = {
        {0, 0, 3, 1, 4, 2},
        {10, 0, 13, 1, 4, 2},
        {1, 1, 4, 3, 4, 3},
        {-5, -3, -5, -3, 1, 1},
        {-32768, 0, 32767, 0, 65536, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.xmin << "," << c.ymin << "," << c.xmax << "," << c.ymax);
        PcxBuilder file(c.xmin, c.ymin, c.xmax, c.ymax);
        const Decoded d = decode(file.bytesPerLine(0).data({0xFF, 0x01}).palette().bytes());
        ASSERT_NE(d.image, nullptr);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
    }
}

struct DecodeCase {
    const char* name;
    int width, height;
    int bytesPerLine;           // -1: the builder's default, the width
    std::vector<uint8_t> data;  // everything after the header
    std::vector<uint8_t> indices;
    PcxDecode result;
};

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const std::vector<DecodeCase>& decodeCases() {
    using R = PcxDecode;
    // clang-format off
    static const std::vector<DecodeCase> cases = {
        {"run of three", 3, 1, -1, {0xC3, 0x05, 12}, {5, 5, 5}, R::MarkerFound},
        {"run of one high index", 1, 1, -1, {0xC1, 0xC8, 12}, {200}, R::MarkerFound},
        {"literal below the run codes", 1, 1, -1, {0xBF, 12}, {191}, R::MarkerFound},
        {"literal zero", 2, 1, -1, {0x00, 0x3F, 12}, {0, 63}, R::MarkerFound},
        {"empty run uses up its value", 2, 1, -1, {0xC0, 0x07, 0x01, 0xC1, 0x07, 12}, {1, 7},
         R::MarkerFound},
        {"run wraps to the next row", 4, 2, -1, {0x01, 0x02, 0xC6, 0x09, 12},
         {1, 2, 9, 9, 9, 9, 9, 9}, R::MarkerFound},
        {"marker 10", 4, 2, -1, {0x01, 0x02, 0xC6, 0x09, 10}, {1, 2, 9, 9, 9, 9, 9, 9},
         R::MarkerMissing},
        {"run of 63 across six rows", 10, 7, -1, {0x05, 0xFF, 0x08, 0xC6, 0x04, 12},
         concat({{5}, std::vector<uint8_t>(63, 8), std::vector<uint8_t>(6, 4)}), R::MarkerFound},
        // A run that reaches past the image ends decoding; whatever follows is not looked at.
        {"run past the end, 12 after", 4, 1, -1, {0x01, 0xC5, 0x09, 12}, {1, 9, 9, 9},
         R::RunPastEnd},
        {"run past the end, 10 after", 4, 1, -1, {0x01, 0xC5, 0x09, 10}, {1, 9, 9, 9},
         R::RunPastEnd},
        {"run past the end, nothing after", 4, 1, -1, {0x01, 0xC5, 0x09}, {1, 9, 9, 9},
         R::RunPastEnd},
        {"run ends exactly at the end", 4, 1, -1, {0xC4, 0x09, 12}, {9, 9, 9, 9}, R::MarkerFound},
        {"data ends with the run that fills the image", 4, 1, -1, {0xC4, 0x09}, {9, 9, 9, 9},
         R::MarkerMissing},
        {"data ends with the last literal", 2, 2, -1, {1, 2, 3, 4}, {1, 2, 3, 4},
         R::MarkerMissing},
        // Data that ends early: the rest of the image is 0.
        {"cut short after literals", 4, 2, -1, {1, 2, 3}, {1, 2, 3, 0, 0, 0, 0, 0}, R::CutShort},
        {"cut short between a run code and its value", 4, 1, -1, {0x01, 0xC3}, {1, 0, 0, 0},
         R::CutShort},
        {"cut short before any data", 2, 2, -1, {}, {0, 0, 0, 0}, R::CutShort},
        {"cut short after a run into the second row", 3, 3, -1, {0xC4, 0x06},
         {6, 6, 6, 6, 0, 0, 0, 0, 0}, R::CutShort},
        // Lines padded to BytesPerLine: the padding bytes are decoded and dropped.
        {"odd width padded to even", 3, 2, 4, {1, 2, 3, 0x3E, 4, 5, 6, 0x3E, 12},
         {1, 2, 3, 4, 5, 6}, R::MarkerFound},
        {"run across the padding into the next row", 3, 2, 4, {0xC6, 0x07, 0x02, 0x00, 12},
         {7, 7, 7, 7, 7, 2}, R::MarkerFound},
        {"run code in the padding", 3, 2, 4, {1, 2, 3, 0xC1, 0xFF, 4, 5, 6, 0x00, 12},
         {1, 2, 3, 4, 5, 6}, R::MarkerFound},
        {"empty run in the padding", 3, 1, 4, {1, 2, 3, 0xC0, 0x55, 0x00, 12}, {1, 2, 3},
         R::MarkerFound},
        {"wide padding", 2, 2, 7, {1, 2, 0xC5, 0x00, 3, 4, 0, 0, 0, 0, 0, 12}, {1, 2, 3, 4},
         R::MarkerFound},
        // The 12 right after the visible pixels is the padding byte; the marker comes after it.
        {"marker check follows the padding", 3, 1, 4, {1, 2, 3, 12}, {1, 2, 3}, R::MarkerMissing},
        {"data ends inside the last padding", 3, 1, 6, {1, 2, 3, 0}, {1, 2, 3}, R::CutShort},
        {"data ends inside a middle padding", 3, 2, 4, {1, 2, 3}, {1, 2, 3, 0, 0, 0},
         R::CutShort},
        {"run past the end of the padding", 3, 1, 4, {0xC5, 0x09, 12}, {9, 9, 9}, R::RunPastEnd},
        {"run that fills the padding exactly", 3, 1, 4, {0xC4, 0x09, 12}, {9, 9, 9},
         R::MarkerFound},
        // BytesPerLine of 0 or not above the width: lines of exactly the width.
        {"BytesPerLine 0", 3, 2, 0, {1, 2, 3, 4, 5, 6, 12}, {1, 2, 3, 4, 5, 6}, R::MarkerFound},
        {"BytesPerLine below the width", 3, 2, 2, {1, 2, 3, 4, 5, 6, 12}, {1, 2, 3, 4, 5, 6},
         R::MarkerFound},
        {"BytesPerLine equal to the width", 3, 2, 3, {1, 2, 3, 4, 5, 6, 12}, {1, 2, 3, 4, 5, 6},
         R::MarkerFound},
    };
    // clang-format on
    return cases;
}

std::vector<uint8_t> buildFile(const DecodeCase& c) {
    PcxBuilder file = PcxBuilder::sized(c.width, c.height);
    if (c.bytesPerLine >= 0) file.bytesPerLine(static_cast<uint16_t>(c.bytesPerLine));
    return file.data(c.data).bytes();
}

TEST(PcxDecode, CodesRunsMarkerAndPadding) {
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = buildFile(c);

        // The decoding step alone: every pixel is written, even over stale contents.
        std::vector<uint8_t> indices(c.indices.size(), 0xAA);
        EXPECT_EQ(decodePcxImage(indices.data(), file, c.width, c.height), c.result);
        EXPECT_EQ(indices, c.indices);

        const Decoded d = decode(file);
        ASSERT_NE(d.image, nullptr);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.pixels(), c.indices);
        EXPECT_EQ(d.out, messageFor(c.result));
    }
}

TEST(PcxDecode, PaddedOddWidthIsNotSheared) {
    // Five columns in lines of six: without the padding rule every row after the first
    // would start one column further on.
    constexpr int width = 5, height = 4;
    std::vector<uint8_t> data, expected;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const uint8_t value = static_cast<uint8_t>(10 * row + col);
            data.push_back(value);
            expected.push_back(value);
        }
        data.push_back(0);  // the padding byte
    }
    const Decoded d =
        decode(PcxBuilder::sized(width, height).bytesPerLine(6).data(data).palette().bytes());
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.pixels(), expected);
    EXPECT_EQ(d.out, "");
}

TEST(PcxDecode, HugeBytesPerLineEndsWithTheData) {
    // 65535-byte lines of one visible pixel: the data runs out long before the lines do.
    const Decoded d =
        decode(PcxBuilder::sized(1, 3).bytesPerLine(65535).data({0xFF, 0x07, 0xFF, 0x07}).bytes());
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.pixels(), (std::vector<uint8_t>{7, 0, 0}));
    EXPECT_EQ(d.out, CUT_SHORT);
}

TEST(PcxDecode, FileWithHeaderOnlyIsCutShort) {
    const Decoded d = decode(PcxBuilder::sized(2, 1).bytes());
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.pixels(), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(d.out, CUT_SHORT);
}

TEST(PcxDecode, FileShorterThanHeaderIsRefusedWithSidesUntouched) {
    const std::vector<uint8_t> full = PcxBuilder::sized(2, 2).data({1, 2, 3, 4, 12}).bytes();
    for (size_t size : {size_t{0}, size_t{1}, size_t{12}, size_t{127}}) {
        SCOPED_TRACE(size);
        const Decoded d = decode({full.begin(), full.begin() + static_cast<ptrdiff_t>(size)});
        EXPECT_EQ(d.image, nullptr);
        EXPECT_EQ(d.width, -7);
        EXPECT_EQ(d.height, -7);
        EXPECT_EQ(d.out, CANNOT_OPEN);
    }
}

TEST(PcxDecode, SideBelowOneIsRefusedWithSidesStored) {
    struct Case {
        int16_t xmin, ymin, xmax, ymax;
        int32_t width, height;
    };
    constexpr Case cases[] = {
        {0, 0, -1, 0, 0, 1},
        {5, 0, 3, 0, -1, 1},
        {0, 0, 0, -1, 1, 0},
        {0, 1, 3, 0, 4, 0},
        {32767, -32768, -32768, 32767, -65534, 65536},
        {0, 0, -1, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.xmin << "," << c.ymin << "," << c.xmax << "," << c.ymax);
        const Decoded d =
            decode(PcxBuilder(c.xmin, c.ymin, c.xmax, c.ymax).data({1, 2, 12}).bytes());
        EXPECT_EQ(d.image, nullptr);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.out, CANNOT_OPEN);
    }
}

TEST(PcxDecode, MoreThanTwoTo28PixelsIsRefusedBeforeAllocating) {
    // Were these allocated, the first would succeed (256 MiB) and return an image.
    struct Case {
        int16_t xmin, ymin, xmax, ymax;
        int32_t width, height;
    };
    constexpr Case cases[] = {
        {0, 0, 16383, 16384, 16384, 16385},
        {0, 0, 16384, 16383, 16385, 16384},
        {-32768, -32768, 32767, 32767, 65536, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const Decoded d =
            decode(PcxBuilder(c.xmin, c.ymin, c.xmax, c.ymax).data({0xFF, 0x01}).bytes());
        EXPECT_EQ(d.image, nullptr);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.out, CANNOT_OPEN);
    }
    EXPECT_GT(uint64_t{16384} * 16385, PCX_MAX_PIXELS);
}

// Random files, biased towards runs and short data, against the literal decoder.
TEST(PcxDecode, AgreesWithPlainDecoderOnRandomFiles) {
    std::mt19937 random(20240611);
    auto below = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const int width = 1 + static_cast<int>(below(40));
        const int height = 1 + static_cast<int>(below(12));
        const int paddings[] = {0, width - 1, width, width + 1, width + 2, width + 9};
        const int bytesPerLine = std::max(0, paddings[below(6)]);
        std::vector<uint8_t> data;
        const uint32_t length = below(static_cast<uint32_t>(width * height * 3 / 2 + 8));
        for (uint32_t i = 0; i < length; ++i) {
            const uint32_t kind = below(8);
            if (kind < 3) {
                data.push_back(static_cast<uint8_t>(0xC0 + below(64)));
            } else if (kind == 3) {
                data.push_back(12);
            } else {
                data.push_back(static_cast<uint8_t>(below(256)));
            }
        }
        const std::vector<uint8_t> file = PcxBuilder::sized(width, height)
                                              .bytesPerLine(static_cast<uint16_t>(bytesPerLine))
                                              .data(data)
                                              .bytes();
        std::vector<uint8_t> expected;
        const PcxDecode expectedResult = pcxtest::referenceDecodePcx(file, width, height, expected);
        std::vector<uint8_t> indices(expected.size(), 0xAA);
        const PcxDecode result = decodePcxImage(indices.data(), file, width, height);
        ASSERT_EQ(result, expectedResult) << "iteration " << iteration;
        ASSERT_EQ(indices, expected) << "iteration " << iteration;
    }
}

}  // namespace
