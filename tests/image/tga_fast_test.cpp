// The fast decoders against the per-pixel decoding on generated files: every image type, depth,
// colour-map shape, origin and alpha-bit count, whole and cut short at any byte.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"
#include "tests/image/tga_builder.hpp"

using tgatest::decode;
using tgatest::Decoded;
using tgatest::Header;
using tgatest::tgaFile;
using Bytes = std::vector<uint8_t>;

namespace {

class FileMaker {
  public:
    explicit FileMaker(uint32_t seed) : rng_(seed) {}

    uint32_t pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }
    template <class T, size_t N>
    T pickOf(const T (&options)[N]) {
        return options[pick(N)];
    }

    // A stored pixel: sprite-like alphas (0, 255 or in between) and colours that repeat, so
    // runs and premultiplied values both occur.
    void pixel(Bytes& out, uint32_t bytes) {
        uint32_t kind = pick(4);
        for (uint32_t k = 0; k < bytes; ++k) {
            uint8_t b = static_cast<uint8_t>(pick(256));
            if (k == 3) b = kind == 0 ? 0 : kind == 1 ? 255 : b;
            if (kind == 2 && k < 3) b = static_cast<uint8_t>(pick(3) * 120);
            out.push_back(b);
        }
    }

    Bytes pixelData(uint32_t count, uint32_t bytes, bool runLength) {
        Bytes out;
        if (!runLength) {
            for (uint32_t i = 0; i < count; ++i) pixel(out, bytes);
            return out;
        }
        // Packets may run past the last pixel.
        for (uint32_t i = 0; i < count;) {
            uint32_t n = pick(5) == 0 ? 1 + pick(128) : 1 + pick(6);
            bool run = pick(2) == 0;
            out.push_back(static_cast<uint8_t>((run ? 0x80 : 0) | (n - 1)));
            for (uint32_t k = 0; k < (run ? 1 : n); ++k) pixel(out, bytes);
            i += n;
        }
        return out;
    }

    Bytes file() {
        Header h;
        const uint8_t types[] = {1, 2, 3, 9, 10, 11};
        h.imageType = pickOf(types);
        bool grey = h.imageType == 3 || h.imageType == 11;
        h.mapType = !grey && pick(2) == 0 ? 1 : 0;
        const uint8_t alphaBits[] = {0, 0, 1, 8, 8, 3};
        h.descriptor = static_cast<uint8_t>(pickOf(alphaBits) | pick(4) << 4 | pick(4) << 6);
        h.width = static_cast<uint16_t>(1 + pick(pick(4) == 0 ? 300 : 20));
        h.height = static_cast<uint16_t>(1 + pick(12));
        h.idLength = static_cast<uint8_t>(pick(3) == 0 ? pick(20) : 0);
        Bytes rest(h.idLength, 0xA5);
        if (h.mapType != 0) {
            const uint8_t entrySizes[] = {15, 16, 24, 32};
            h.entrySize = pickOf(entrySizes);
            h.firstEntry = static_cast<uint16_t>(pick(3) == 0 ? pick(300) : 0);
            h.mapLength = static_cast<uint16_t>(pick(300));
            const uint8_t indexDepths[] = {8, 8, 16, 16, 24, 4};
            h.depth = pickOf(indexDepths);
            uint32_t entryBytes = (h.entrySize + 7) / 8;
            for (uint32_t i = 0; i < h.mapLength; ++i) pixel(rest, entryBytes);
        } else {
            const uint8_t depths[] = {8, 15, 16, 24, 32, 32, 0, 4, 12, 20, 28, 40};
            h.depth = pickOf(depths);
        }
        uint32_t bytes = h.depth == 0 ? 1 : (h.depth + 7u) / 8;
        Bytes data = pixelData(uint32_t{h.width} * h.height, bytes, h.imageType >= 9);
        // Indices: mostly inside the map, some past its end or below its first entry.
        if (h.mapType != 0 && bytes <= 2 && pick(4) != 0 && h.mapLength > 0) {
            for (size_t i = 0; i + bytes <= data.size(); i += bytes) {
                uint32_t v = h.firstEntry + pick(h.mapLength + 2);
                data[i] = static_cast<uint8_t>(v);
                if (bytes == 2) data[i + 1] = static_cast<uint8_t>(v >> 8);
            }
        }
        rest.insert(rest.end(), data.begin(), data.end());
        Bytes out = tgaFile(h, rest);
        if (pick(3) == 0) out.resize(pick(static_cast<uint32_t>(out.size()) + 1));
        return out;
    }

  private:
    std::mt19937 rng_;
};

}  // namespace

TEST(TgaFast, MatchesGenericDecodingOnGeneratedFiles) {
    FileMaker maker(20240611);
    int decoded = 0;
    for (int i = 0; i < 6000; ++i) {
        Bytes file = maker.file();
        for (uint32_t format : {3u, 4u}) {
            Decoded fast = decode(file, format, TgaDecodePath::Fast, static_cast<TgaError>(99));
            Decoded generic =
                decode(file, format, TgaDecodePath::Generic, static_cast<TgaError>(99));
            ASSERT_TRUE(fast == generic) << "case " << i << " format " << format;
            decoded += fast.ok ? 1 : 0;
        }
    }
    EXPECT_GT(decoded, 6000);  // most files decode; the rest exercise the error paths
}

TEST(TgaFast, EveryCutOfOneFile) {
    // One run-length 32-bit file with all packet kinds, cut at every length.
    FileMaker maker(7);
    Header h;
    h.imageType = 10;
    h.depth = 32;
    h.descriptor = 8 | 0x20;
    h.width = 9;
    h.height = 7;
    Bytes full = tgaFile(h, maker.pixelData(63, 4, true));
    for (size_t cut = 18; cut <= full.size(); ++cut) {
        Bytes file(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut));
        ASSERT_TRUE(decode(file, 4, TgaDecodePath::Fast) == decode(file, 4, TgaDecodePath::Generic))
            << cut;
    }
}

TEST(TgaFast, CommonLayoutsHaveAFastDecoder) {
    struct Case {
        uint8_t imageType, mapType, entrySize, depth, descriptor;
    };
    const Case cases[] = {
        {2, 0, 0, 32, 8}, {10, 0, 0, 32, 8}, {2, 0, 0, 24, 0}, {2, 0, 0, 16, 1},  {2, 0, 0, 16, 0},
        {9, 1, 32, 8, 8}, {1, 1, 24, 16, 0}, {3, 0, 0, 8, 0},  {11, 0, 0, 16, 8},
    };
    for (const auto& c : cases) {
        TgaLayout layout;
        Bytes file(64, 0);
        layout.file = file;
        layout.width = 2;
        layout.height = 2;
        layout.bytesPerPixel = (c.depth + 7u) / 8;
        layout.depth = c.mapType != 0 ? c.entrySize : c.depth;
        layout.alphaBits = c.descriptor & 0x0F;
        layout.descriptor = c.descriptor;
        layout.runLength = c.imageType >= 9;
        layout.blackAndWhite = c.imageType == 3 || c.imageType == 11;
        layout.hasMap = c.mapType != 0;
        layout.map = TgaColourMap{file.data(), 4, (c.entrySize + 7u) / 8, 0};
        Bytes image(16, 0);
        EXPECT_TRUE(decodeTgaFast(layout, image.data())) << int{c.imageType} << " " << int{c.depth};
    }
}
