// The palette at the end of an 8-bit PCX file: found only behind its marker, in a file long
// enough to hold a header and the palette after it.
#include <gtest/gtest.h>

#include <vector>

#include "image/pcx_palette.hpp"

namespace {

// `size` bytes of 0x55 whose last 769 bytes are `marker` and entries i -> (i, i ^ 0xFF, 3).
std::vector<uint8_t> fileWithPalette(size_t size, uint8_t marker) {
    std::vector<uint8_t> file(size, 0x55);
    const size_t start = size - 768;
    file[start - 1] = marker;
    for (size_t i = 0; i < 256; ++i) {
        file[start + 3 * i] = static_cast<uint8_t>(i);
        file[start + 3 * i + 1] = static_cast<uint8_t>(i ^ 0xFF);
        file[start + 3 * i + 2] = 3;
    }
    return file;
}

TEST(ReadPcxPalette, ReadsTheLast768BytesBehindTheMarker) {
    const auto palette = readPcxPalette(fileWithPalette(128 + 40 + 769, 12));
    ASSERT_TRUE(palette.has_value());
    EXPECT_EQ((*palette)[0], 0);
    EXPECT_EQ((*palette)[1], 0xFF);
    EXPECT_EQ((*palette)[3 * 200], 200);
    EXPECT_EQ((*palette)[3 * 200 + 1], 200 ^ 0xFF);
    EXPECT_EQ((*palette)[3 * 255 + 2], 3);
}

struct RefusedCase {
    const char* what;
    std::vector<uint8_t> file;
};

TEST(ReadPcxPalette, RefusesFilesWithoutOne) {
    const RefusedCase cases[] = {
        {"empty", {}},
        {"only a palette", fileWithPalette(769, 12)},
        {"one byte short of header and palette", fileWithPalette(128 + 768, 12)},
        {"wrong marker", fileWithPalette(128 + 769 + 10, 10)},
    };
    for (const RefusedCase& c : cases) {
        EXPECT_FALSE(readPcxPalette(c.file).has_value()) << c.what;
    }
    EXPECT_TRUE(readPcxPalette(fileWithPalette(128 + 769, 12)).has_value()) << "smallest";
}

}  // namespace
