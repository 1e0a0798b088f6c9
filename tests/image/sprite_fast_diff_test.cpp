// The sprite fast paths against today's road: for every file, the box that findTgaBox finds and
// the pixels that cropTgaFast writes must be what decodeTga followed by cropRgba gives, and
// loadPcxReusing with findCropIndexed must give what loadPcx with cropIndexed gives, lines
// printed included. The files: a generated variety (every image type and depth, origins, alpha
// bits, colour maps, image IDs, random pixel streams, cuts at many lengths, BytesPerLine) and
// the real files of the corpus folder. A failure names the first file that differs.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "filesys/reused_buffer.hpp"
#include "image/pcx.hpp"
#include "image/tga.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"
#include "tests/image/pcx_builder.hpp"
#include "tests/image/tga_builder.hpp"
#include "tests/support/test_support.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t roll(std::mt19937& rng, uint32_t below) {
    return static_cast<uint32_t>(rng() % below);
}

// What today's road gives for a TGA file: null picture, or the crop.
struct Reference {
    bool loaded = false;
    int32_t width = 0;
    int32_t height = 0;
    bool blank = true;
    int32_t left = 0, top = 0, wd = 0, ht = 0;
    Bytes pixels;
};

Reference referenceTga(const Bytes& file) {
    Reference r;
    auto picture = decodeTga(file, &r.width, &r.height, 4);
    if (!picture) return r;
    r.loaded = true;
    auto cropped = cropRgba(picture.get(), r.width, r.height, &r.wd, &r.ht);
    if (!cropped) return r;
    r.blank = false;
    r.left = cropLeft;
    r.top = cropTop;
    r.pixels.assign(cropped.get(), cropped.get() + size_t(r.wd) * r.ht * 4);
    return r;
}

// Empty when the fast paths agree with today's road on `file`, else what differs.
std::string compareTga(const Bytes& file) {
    TgaBox box;
    if (!findTgaBox(file, box)) {
        return tgaHasFastPath(file) ? "fast path claimed but no box found" : "";
    }
    // A file that needs no pixels for its box gives the same box from its header alone.
    if (!tgaBoxNeedsPixels(file)) {
        TgaBox fromHead;
        if (!findTgaBox(std::span<const uint8_t>(file).first(TGA_HEADER_SIZE), fromHead) ||
            fromHead.blank != box.blank || fromHead.left != box.left ||
            fromHead.right != box.right || fromHead.top != box.top ||
            fromHead.bottom != box.bottom) {
            return "the header alone gives another box";
        }
    }
    const Reference ref = referenceTga(file);
    if (!ref.loaded) return "fast box for a file that does not load";
    if (box.width != ref.width || box.height != ref.height) return "sides differ";
    if (box.blank != ref.blank) return box.blank ? "fast box blank" : "fast box not blank";
    if (box.blank) return "";
    const int32_t wd = box.right - box.left + 1;
    const int32_t ht = box.bottom - box.top + 1;
    if (box.left != ref.left || box.top != ref.top || wd != ref.wd || ht != ref.ht) {
        return "box " + std::to_string(box.left) + "," + std::to_string(box.top) + " " +
               std::to_string(wd) + "x" + std::to_string(ht) + " vs " + std::to_string(ref.left) +
               "," + std::to_string(ref.top) + " " + std::to_string(ref.wd) + "x" +
               std::to_string(ref.ht);
    }
    Bytes out(ref.pixels.size() + 4, 0xA5);  // a guard byte past the block
    static ReusedBuffer scratch;  // kept from file to file, stale bytes and all, as in a run
    if (!cropTgaFast(file, box, out.data(), scratch)) return "fast crop refused";
    if (out[ref.pixels.size()] != 0xA5) return "fast crop wrote past its block";
    out.resize(ref.pixels.size());
    if (out != ref.pixels) return "cropped pixels differ";

    return "";
}

// ---- The generated TGA variety ----

// A stored pixel for the test picture: transparent outside a random inner rectangle, and inside
// it a mix of transparent, opaque and partly transparent pixels with any colour bytes.
struct PixelMaker {
    std::mt19937& rng;
    uint32_t width, height, depth;
    uint32_t x0, x1, y0, y1;  // the inner rectangle, inclusive
    bool noise;               // random bytes everywhere

    Bytes pixel(uint32_t index) {
        const uint32_t bytes = depth == 15 ? 2 : (depth + 7) / 8;
        Bytes p(bytes);
        const uint32_t x = index % width;
        const uint32_t y = index / width;
        const bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
        if (!noise && !inside) return p;  // all zero
        for (auto& b : p) b = static_cast<uint8_t>(rng());
        if (!noise && bytes == 4) {
            const uint32_t kind = rng() % 4;
            p[3] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
        }
        return p;
    }
};

Bytes pixelStream(PixelMaker& maker, bool runLength) {
    Bytes out;
    const uint32_t count = maker.width * maker.height;
    uint32_t i = 0;
    while (i < count) {
        if (!runLength) {
            Bytes p = maker.pixel(i++);
            out.insert(out.end(), p.begin(), p.end());
            continue;
        }
        // Packets of 1 to 128 pixels, runs and literals, crossing rows; the last may reach past
        // the picture.
        const uint32_t n = 1 + (maker.rng() % 4 == 0 ? maker.rng() % 128 : maker.rng() % 6);
        const bool run = maker.rng() % 2 == 0;
        out.push_back(static_cast<uint8_t>((run ? 0x80 : 0) | (n - 1)));
        for (uint32_t k = 0; k < (run ? 1u : n); ++k) {
            Bytes p = maker.pixel(i + k < count ? i + k : count - 1);
            out.insert(out.end(), p.begin(), p.end());
        }
        i += n;
    }
    return out;
}

struct Generated {
    std::string name;
    Bytes file;
};

// One file of each combination, then every cut of it at a spread of lengths.
std::vector<Generated> generatedTgaFiles() {
    std::vector<Generated> files;
    std::mt19937 rng(20261209);
    const uint8_t types[] = {1, 2, 3, 9, 10, 11};
    const uint8_t depths[] = {8, 15, 16, 24, 32};
    const uint8_t ids[] = {0, 3, 255};
    for (uint8_t type : types) {
        for (uint8_t depth : depths) {
            for (uint8_t origin : {0x00, 0x10, 0x20, 0x30}) {
                for (uint8_t alphaBits : {0, 1, 8}) {
                    for (uint8_t mapType : {0, 1}) {
                        const uint8_t id = ids[rng() % 3];
                        tgatest::Header h;
                        h.idLength = id;
                        h.mapType = mapType;
                        h.imageType = type;
                        h.width = static_cast<uint16_t>(1 + rng() % 11);
                        h.height = static_cast<uint16_t>(1 + rng() % 9);
                        h.depth = depth;
                        h.descriptor = static_cast<uint8_t>(origin | alphaBits);
                        Bytes rest(id);
                        for (auto& b : rest) b = static_cast<uint8_t>(rng());
                        if (mapType != 0) {
                            h.entrySize = rng() % 2 == 0 ? 24 : 32;
                            h.firstEntry = static_cast<uint16_t>(rng() % 3);
                            h.mapLength = static_cast<uint16_t>(1 + rng() % 20);
                            Bytes map(size_t{h.mapLength} * h.entrySize / 8);
                            for (auto& b : map)
                                b = static_cast<uint8_t>(rng() % 3 == 0 ? 0 : rng());
                            rest.insert(rest.end(), map.begin(), map.end());
                        }
                        const uint32_t w = h.width;
                        const uint32_t ht = h.height;
                        const uint32_t x0 = rng() % w, y0 = rng() % ht;
                        PixelMaker maker{rng,
                                         w,
                                         ht,
                                         depth,
                                         x0,
                                         x0 + roll(rng, w - x0),
                                         y0,
                                         y0 + roll(rng, ht - y0),
                                         rng() % 5 == 0};
                        Bytes pixels = pixelStream(maker, type >= 9);
                        rest.insert(rest.end(), pixels.begin(), pixels.end());
                        const Bytes file = tgatest::tgaFile(h, rest);
                        const std::string name =
                            "type" + std::to_string(type) + " depth" + std::to_string(depth) +
                            " descriptor" + std::to_string(h.descriptor) + " map" +
                            std::to_string(mapType) + " id" + std::to_string(id);
                        // The whole file, and cuts from inside the header to the last byte.
                        const size_t step = 1 + file.size() / 23;
                        for (size_t cut = 0; cut < file.size(); cut += step) {
                            files.push_back({name + " cut at " + std::to_string(cut),
                                             Bytes(file.begin(), file.begin() + cut)});
                        }
                        files.push_back({name + " cut at " + std::to_string(file.size() - 1),
                                         Bytes(file.begin(), file.end() - 1)});
                        files.push_back({name, file});
                    }
                }
            }
        }
    }
    return files;
}

TEST(TgaSpriteFastPath, AgreesWithDecodeAndCropOnGeneratedFiles) {
    size_t fast = 0;
    for (const Generated& g : generatedTgaFiles()) {
        const std::string problem = compareTga(g.file);
        ASSERT_EQ(problem, "") << "first mismatch: " << g.name;
        if (tgaHasFastPath(g.file)) ++fast;
    }
    EXPECT_GT(fast, 500u);  // the fast layouts are well represented
}

TEST(TgaSpriteFastPath, AgreesOnLargerSpritesOfEveryOrigin) {
    // Wider pictures, so that the row scans take their blocks of eight pixels.
    std::mt19937 rng(7);
    for (uint8_t type : {2, 10}) {
        for (uint8_t origin : {0x00, 0x10, 0x20, 0x30}) {
            for (int trial = 0; trial < 6; ++trial) {
                tgatest::Header h;
                h.imageType = type;
                h.depth = 32;
                h.descriptor = static_cast<uint8_t>(origin | 8);
                h.width = static_cast<uint16_t>(20 + rng() % 60);
                h.height = static_cast<uint16_t>(10 + rng() % 40);
                const uint32_t x0 = rng() % h.width, y0 = rng() % h.height;
                PixelMaker maker{rng,      h.width,
                                 h.height, 32,
                                 x0,       x0 + roll(rng, h.width - x0),
                                 y0,       y0 + roll(rng, h.height - y0),
                                 false};
                const Bytes file = tgatest::tgaFile(h, pixelStream(maker, type == 10));
                const std::string name = "type" + std::to_string(type) + " origin" +
                                         std::to_string(origin) + " trial" + std::to_string(trial);
                ASSERT_EQ(compareTga(file), "") << name;
                const Bytes half(file.begin(), file.begin() + file.size() / 2);
                ASSERT_EQ(compareTga(half), "") << name << " cut in half";
            }
        }
    }
}

TEST(TgaSpriteFastPath, ClaimsExactlyTheCommonLayouts) {
    struct Case {
        uint8_t mapType, type, depth;
        bool fast;
    };
    const Case cases[] = {
        {0, 2, 32, true},  {0, 10, 32, true}, {0, 2, 24, true},  {0, 10, 24, true},
        {1, 2, 32, false}, {0, 2, 16, false}, {0, 3, 8, false},  {0, 1, 8, false},
        {0, 11, 8, false}, {0, 2, 31, false}, {0, 0, 32, false}, {0, 9, 8, false},
    };
    for (const Case& c : cases) {
        tgatest::Header h;
        h.mapType = c.mapType;
        h.imageType = c.type;
        h.depth = c.depth;
        h.entrySize = 24;
        h.width = 2;
        h.height = 2;
        EXPECT_EQ(tgaHasFastPath(tgatest::tgaFile(h, Bytes(64, 0))), c.fast)
            << "type " << int(c.type) << " depth " << int(c.depth) << " map " << int(c.mapType);
    }
    tgatest::Header zero;
    zero.width = 0;
    EXPECT_FALSE(tgaHasFastPath(tgatest::tgaFile(zero)));  // refused by the reader
    EXPECT_FALSE(tgaHasFastPath(Bytes(17, 0)));            // no whole header
}

TEST(TgaSpriteFastPath, BoxWorkedByHand) {
    // 4 x 3, bottom-left origin, 8 alpha bits; file rows bottom first. Visible: file row 0
    // column 2, file row 1 column 1 (alpha 1, colour bytes that premultiply to 0).
    tgatest::Header h;
    h.width = 4;
    h.height = 3;
    h.depth = 32;
    h.descriptor = 8;
    Bytes px(4 * 3 * 4, 0);
    px[(0 * 4 + 2) * 4 + 3] = 255;
    px[(1 * 4 + 1) * 4 + 0] = 9;
    px[(1 * 4 + 1) * 4 + 3] = 1;
    px[(2 * 4 + 3) * 4 + 0] = 200;  // colour without alpha: transparent
    TgaBox box;
    ASSERT_TRUE(findTgaBox(tgatest::tgaFile(h, px), box));
    EXPECT_FALSE(box.blank);
    // Upright rows: file row 0 is row 2, file row 1 is row 1.
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 2);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.bottom, 2);

    // 24-bit files are opaque even where the data ends: the whole picture.
    tgatest::Header opaque;
    opaque.width = 5;
    opaque.height = 4;
    ASSERT_TRUE(findTgaBox(tgatest::tgaFile(opaque, Bytes(2, 0)), box));
    EXPECT_FALSE(box.blank);
    EXPECT_EQ(box.right - box.left + 1, 5);
    EXPECT_EQ(box.bottom - box.top + 1, 4);
}

TEST(TgaSpriteFastPath, AgreesOnTheCorpusFiles) {
    const std::filesystem::path dir = testsupport::corpusDir();
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) GTEST_SKIP() << "no corpus folder at " << dir;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".tga") continue;
        const Bytes file = testsupport::readFile(entry.path().string());
        ASSERT_EQ(compareTga(file), "") << "first mismatch: " << entry.path();
    }
}

// ---- PCX: the reused blocks against the allocating load ----

struct PcxOutcome {
    bool loaded = false;
    int32_t width = -1, height = -1;
    std::string lines;
    bool blank = true;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

PcxOutcome pcxFresh(const std::string& path) {
    PcxOutcome o;
    testing::internal::CaptureStdout();
    auto picture = loadPcx(path.c_str(), &o.width, &o.height);
    o.lines = testing::internal::GetCapturedStdout();
    if (!picture) return o;
    o.loaded = true;
    int32_t wd = 0, ht = 0;
    auto cropped = cropIndexed(picture.get(), o.width, o.height, &wd, &ht, 255);
    if (!cropped) return o;
    o.blank = false;
    o.left = cropLeft, o.top = cropTop, o.right = cropRight, o.bottom = cropBottom;
    return o;
}

PcxOutcome pcxReused(const std::string& path, ReusedBuffer& file, ReusedBuffer& canvas) {
    PcxOutcome o;
    testing::internal::CaptureStdout();
    const uint8_t* picture = loadPcxReusing(path.c_str(), file, canvas, &o.width, &o.height);
    o.lines = testing::internal::GetCapturedStdout();
    if (picture == nullptr) return o;
    o.loaded = true;
    if (!findCropIndexed(picture, o.width, o.height, 255)) return o;
    o.blank = false;
    o.left = cropLeft, o.top = cropTop, o.right = cropRight, o.bottom = cropBottom;
    return o;
}

// The box alone, from the walk over the runs with no picture built.
PcxOutcome pcxBoxOnly(const std::string& path, ReusedBuffer& file) {
    PcxOutcome o;
    PcxBox box;
    testing::internal::CaptureStdout();
    o.loaded = loadPcxBox(path.c_str(), file, 255, &o.width, &o.height, box);
    o.lines = testing::internal::GetCapturedStdout();
    if (!o.loaded || box.empty()) return o;
    o.blank = false;
    o.left = static_cast<int32_t>(box.left), o.top = static_cast<int32_t>(box.top);
    o.right = static_cast<int32_t>(box.right), o.bottom = static_cast<int32_t>(box.bottom);
    return o;
}

void expectSameOutcome(const PcxOutcome& got, const PcxOutcome& fresh, const std::string& name) {
    ASSERT_EQ(got.loaded, fresh.loaded) << name;
    ASSERT_EQ(got.lines, fresh.lines) << name;
    ASSERT_EQ(got.width, fresh.width) << name;
    ASSERT_EQ(got.height, fresh.height) << name;
    ASSERT_EQ(got.blank, fresh.blank) << name;
    ASSERT_EQ(got.left, fresh.left) << name;
    ASSERT_EQ(got.top, fresh.top) << name;
    ASSERT_EQ(got.right, fresh.right) << name;
    ASSERT_EQ(got.bottom, fresh.bottom) << name;
}

TEST(PcxSpriteReusedBlocks, AgreesWithTheAllocatingLoad) {
    testsupport::TempDir dir;
    std::mt19937 rng(99);
    ReusedBuffer file, canvas;  // shared by every load, largest files first and last
    std::vector<Bytes> sources;
    for (int trial = 0; trial < 40; ++trial) {
        const int w = 1 + static_cast<int>(rng() % 12);
        const int h = 1 + static_cast<int>(rng() % 8);
        auto b = pcxtest::PcxBuilder::sized(w, h);
        if (trial % 3 == 1) b.bytesPerLine(static_cast<uint16_t>(w + 1 + rng() % 3));
        // Random codes: literals, runs across rows and past the end, indices 255 and others.
        const int codes = static_cast<int>(rng() % (w * h * 2 + 4));
        for (int k = 0; k < codes; ++k) {
            const uint32_t r = rng() % 6;
            if (r == 0) {
                b.data({static_cast<uint8_t>(0xC0 + rng() % 64), static_cast<uint8_t>(rng())});
            } else {
                b.data({static_cast<uint8_t>(r == 1 ? 255 : r == 2 ? 0xC1 : rng() % 0xC0)});
            }
            if (r == 2) b.data({255});
        }
        if (trial % 2 == 0) b.data({12});
        sources.push_back(b.bytes());
    }
    for (size_t i = 0; i < sources.size(); ++i) {
        const Bytes& whole = sources[i];
        for (size_t cut : {whole.size(), whole.size() - 1, size_t{129}, size_t{127}, size_t{0}}) {
            if (cut > whole.size()) continue;
            const std::string path = dir.file(std::string("s") + std::to_string(i) + ".pcx");
            testsupport::writeFile(path, Bytes(whole.begin(), whole.begin() + cut));
            const PcxOutcome fresh = pcxFresh(path);
            const std::string name = "file " + std::to_string(i) + " cut at " + std::to_string(cut);
            expectSameOutcome(pcxReused(path, file, canvas), fresh, name + " (reused blocks)");
            expectSameOutcome(pcxBoxOnly(path, file), fresh, name + " (box walk)");
            if (HasFatalFailure()) return;
        }
    }
    // A missing file: the same line, nothing loaded.
    const std::string missing = dir.file("none.pcx");
    EXPECT_EQ(pcxReused(missing, file, canvas).lines, pcxFresh(missing).lines);
    EXPECT_EQ(pcxBoxOnly(missing, file).lines, pcxFresh(missing).lines);
}

TEST(PcxSpriteBoxWalk, AgreesOnTheCorpusFiles) {
    const std::filesystem::path dir = testsupport::corpusDir();
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) GTEST_SKIP() << "no corpus folder at " << dir;
    ReusedBuffer file;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".pcx") continue;
        const std::string path = entry.path().string();
        expectSameOutcome(pcxBoxOnly(path, file), pcxFresh(path), path);
        if (HasFatalFailure()) return;
    }
}

// Data that ends early leaves index 0 in the rest of the picture: visible, unless 0 is the
// transparent index.
TEST(PcxSpriteBoxWalk, TheRestOfACutShortPictureIsIndexZero) {
    auto b = pcxtest::PcxBuilder::sized(4, 3);
    b.data({0xC3, 255, 7});  // row 0: 255 255 255 7, then the data ends
    const Bytes file = b.bytes();
    PcxBox box;
    EXPECT_EQ(findPcxBox(file, 4, 3, 255, box), PcxDecode::CutShort);
    EXPECT_EQ(box.top, 0u);
    EXPECT_EQ(box.bottom, 2u);
    EXPECT_EQ(box.left, 0u);
    EXPECT_EQ(box.right, 3u);
    EXPECT_EQ(findPcxBox(file, 4, 3, 0, box), PcxDecode::CutShort);
    EXPECT_EQ(box.top, 0u);
    EXPECT_EQ(box.bottom, 0u);
    EXPECT_EQ(box.left, 0u);  // 255 is visible when 0 is the transparent index
    EXPECT_EQ(box.right, 3u);
}

}  // namespace
