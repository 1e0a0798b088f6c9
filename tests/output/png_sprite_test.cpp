// The PNG statement end to end: the real executable on control files in a scratch folder. A PNG
// sprite is stored exactly as a TGA sprite of the same pixels, so each output case runs once on
// a TGA file and once on a PNG file of one picture, against the same bytes worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <spng.h>

#include "filesys/hash.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// A minimal PNG writer for the tests: 8-bit RGBA (colour type 6), one IDAT whose zlib stream
// holds a single stored deflate block, every row with filter type 0.
uint32_t crc32Of(const std::vector<uint8_t>& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    std::vector<uint8_t> covered(out.begin() + static_cast<std::ptrdiff_t>(typeAt), out.end());
    putBigEndian(out, crc32Of(covered, 0));
}

std::vector<uint8_t> pngFile(const Picture& picture) {
    std::vector<uint8_t> raw;
    for (int32_t y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // filter type None
        for (int32_t x = 0; x < picture.width; ++x) {
            const Rgba& p = picture.at(x, y);
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01, 0x01};  // final stored block
    const auto length = static_cast<uint16_t>(raw.size());
    zlib.insert(zlib.end(), {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)});
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    uint32_t a = 1;
    uint32_t b = 0;
    for (const uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(zlib, b << 16 | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian(header, static_cast<uint32_t>(picture.width));
    putBigEndian(header, static_cast<uint32_t>(picture.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

Picture coinPicture();

// The file read back by an independent decoder gives the picture's straight RGBA bytes.
TEST(PngTestWriter, LibspngReadsThePictureBack) {
    const Picture picture = coinPicture();
    const std::vector<uint8_t> png = pngFile(picture);
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), spng_ctx_free);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(spng_set_png_buffer(ctx.get(), png.data(), png.size()), 0);
    std::vector<uint8_t> back(5 * 4 * 4);
    EXPECT_EQ(spng_decode_image(ctx.get(), back.data(), back.size(), SPNG_FMT_RGBA8, 0), 0);
    std::vector<uint8_t> expected;
    for (const Rgba& p : picture.pixels) expected.insert(expected.end(), {p.r, p.g, p.b, p.a});
    EXPECT_EQ(back, expected);
}

// A 5 x 4 picture whose visible pixels lie in the 3 x 2 box at (1, 1). Around it the pixels are
// invisible but not black, and the box holds a half-transparent pixel and an invisible one.
Picture coinPicture() {
    Picture picture(5, 4);
    for (Rgba& p : picture.pixels) p = {255, 255, 255, 0};
    picture.at(1, 1) = {10, 20, 30, 255};
    picture.at(2, 1) = {200, 100, 50, 128};
    picture.at(3, 1) = {40, 50, 60, 255};
    picture.at(1, 2) = {70, 80, 90, 255};
    picture.at(2, 2) = {9, 9, 9, 0};
    picture.at(3, 2) = {1, 2, 3, 255};
    return picture;
}

// The box's block, colours multiplied by alpha: 200 x 128 / 255 = 100.39, 100 x 128 / 255 =
// 50.20, 50 x 128 / 255 = 25.10, truncated; an invisible pixel is all zero.
const std::vector<uint8_t> kCoinBlock = {
    10, 20, 30, 255, 100, 50, 25, 128, 40, 50, 60, 255,  //
    70, 80, 90, 255, 0,   0,  0,  0,   1,  2,  3,  255,
};

// Listed twice: padded, the Middle hotspot lies on the 4 x 2 sides (-2, -1); unpadded on the
// 3 x 2 ones (-1, -1).
const std::string kTwice = "Hotspot Middle\nPadding On\n{K} coin\nPadding Off\n{K} coin\n";

struct KindCase {
    const char* keyword;
    const char* fileFormat;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.keyword;
}

class StoredAsTga : public ::testing::TestWithParam<KindCase> {
  protected:
    void SetUp() override {
        const std::string keyword = GetParam().keyword;
        if (keyword == "PNG") {
            testsupport::writeFile(dir_.path("art/coin.png"), pngFile(coinPicture()));
        } else {
            dir_.writeTga("art/coin.tga", coinPicture());
        }
    }

    std::string control(const std::string& head) const {
        std::string text = head + kTwice;
        for (size_t at; (at = text.find("{K}")) != std::string::npos;) {
            text.replace(at, 3, GetParam().keyword);
        }
        return text;
    }

    BakeDir dir_;
};

TEST_P(StoredAsTga, InfoFile) {
    const testsupport::ChildResult result = dir_.run(control(kHead));
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    const uint32_t hid = hashName("coin");
    EXPECT_EQ(dir_.readText("info.txt"), "2 sprites\n" + infoLine(hid, "Middle", 1, -2, -1, 3, 2) +
                                             infoLine(hid, "Middle", 0, -1, -1, 3, 2));
}

TEST_P(StoredAsTga, BinarySingleFileAndManifest) {
    dir_.writeText("run.ctl", control(kHead + "BIN\nWriteOneFile s.bin\n"));
    const testsupport::ChildResult result =
        testsupport::runSpritebake({"--manifest", "out/s.json", "run.ctl"}, dir_.path(""));
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    const uint32_t hid = hashName("coin");
    EXPECT_EQ(
        dir_.read("out/s.bin"),
        concat({words({2, hid, 0, 1, static_cast<uint32_t>(-2), static_cast<uint32_t>(-1), 3, 2, 0,
                       hid, 0, 0, static_cast<uint32_t>(-1), static_cast<uint32_t>(-1), 3, 2, 0}),
                kCoinBlock, kCoinBlock}));
    // Stored as a TGA sprite; only the file format tells the source's kind. The header is
    // 4 + 2 x 32 = 68 bytes, each block 3 x 2 x 4 = 24.
    const std::string manifest = dir_.readText("out/s.json");
    const std::string entry = std::string(R"("kind": "tga", "source": "art/coin.)") +
                              (GetParam().keyword == std::string("PNG") ? "png" : "tga") +
                              R"(", "source_width": 5, "source_height": 4, "crop_left": 1, )"
                              R"("crop_top": 1, "wd": 3, "ht": 2, "method": "Middle", )"
                              R"("padding": 0, "hx": -1, "hy": -1, "bytes_per_pixel": 4, )"
                              R"("file_format": ")" +
                              GetParam().fileFormat + R"(", "offset": 92, "length": 24})";
    EXPECT_NE(manifest.find(entry), std::string::npos) << manifest;
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoredAsTga,
                         ::testing::Values(KindCase{"TGA", "tga"},
                                           KindCase{"PNG", "png"}));

// The statement's words and messages, which need no decoding.
struct StatementCase {
    const char* name;
    std::string control;
    std::string out;
    std::string info;
};

void PrintTo(const StatementCase& c, std::ostream* os) {
    *os << c.name;
}

class PngStatement : public ::testing::TestWithParam<StatementCase> {};

TEST_P(PngStatement, PrintsAndWritesExactly) {
    const StatementCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/box.tga", boxPicture(8, 7, 2, 1, 6, 4));
    const testsupport::ChildResult result = dir.run(c.control);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), c.info);
}

INSTANTIATE_TEST_SUITE_P(
    Words, PngStatement,
    ::testing::Values(
        StatementCase{"MissingSource", kHead + "PNG box\n",
                      "Couldn't open sprite source art/box.png, skipping.\n", "0 sprites\n"},
        StatementCase{"AnyLetterCase", kHead + "png box\npNg gone\n",
                      "Couldn't open sprite source art/box.png, skipping.\n"
                      "Couldn't open sprite source art/gone.png, skipping.\n",
                      "0 sprites\n"},
        // A word that begins with the keyword is the keyword and the rest its name, as
        // TGA's is read: the name begins at the next letter, on a later line too.
        StatementCase{"WordThatBeginsWithTheKeyword", kHead + "PNGhero\nPNG\n\n  ./hero2 x\n",
                      "Couldn't open sprite source art/hero.png, skipping.\n"
                      "Couldn't open sprite source art/hero2.png, skipping.\n"
                      "Unexpected input, x, found on line 7.\n",
                      "0 sprites\n"},
        StatementCase{"BeforeSource", "Dest out/\nInfoFile info.txt\nPNG box\n",
                      "Sprite box requested before src directory specified.\n", "0 sprites\n"}));

}  // namespace
}  // namespace drivertest
