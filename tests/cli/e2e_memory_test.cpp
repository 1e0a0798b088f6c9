// Large sprites and short memory. Sprites on both sides of every size at which the loading
// road changes its blocks (the 256 KiB floor of a reused block, the 32 KiB head the listing
// reads first, the 16 MiB above which a block is given back) must reach the single sprite file
// whole, in both of its forms. Under an address-space limit a sprite is listed only when its
// pixels can be loaded again, and a pixel pass that finds no memory says so and writes nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "control/driver.hpp"
#include "filesys/file_access.hpp"
#include "output/output_files.hpp"
#include "tests/support/sanitizers.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

using Bytes = std::vector<uint8_t>;

using testsupport::SANITIZED;

constexpr Rgba OPAQUE_COLOUR{0x33, 0x66, 0x99, 0xFF};

// A raw TGA file of w x h pixels of one colour, 24-bit (blue, green, red) or 32-bit with 8
// alpha bits, bottom-left origin.
Bytes solidTga(int32_t w, int32_t h, int depth, Rgba c) {
    Bytes file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int32_t side : {w, h}) {
        file.push_back(static_cast<uint8_t>(side));
        file.push_back(static_cast<uint8_t>(side >> 8));
    }
    file.push_back(static_cast<uint8_t>(depth));
    file.push_back(depth == 32 ? 8 : 0);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    const Bytes pixel = depth == 32 ? Bytes{c.b, c.g, c.r, c.a} : Bytes{c.b, c.g, c.r};
    file.reserve(file.size() + pixels * pixel.size());
    for (size_t i = 0; i < pixels; ++i) file.insert(file.end(), pixel.begin(), pixel.end());
    return file;
}

// An opaque colour needs no premultiplying: the block is the colour, red first.
Bytes solidBlock(int32_t w, int32_t h, Rgba c) {
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    Bytes block;
    block.reserve(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) block.insert(block.end(), {c.r, c.g, c.b, c.a});
    return block;
}

struct BigSprite {
    const char* name;
    int32_t width, height;
    int depth;  // 24 or 32 for TGA, 8 for PCX
};

// Both sides of each size: 256 x 256 x 4 is the reused block's floor; a 24-bit file of
// 100 x 100 fits the listing's 32 KiB head and 105 x 105 does not; 2048 x 2048 x 4 and a PCX of
// 4096 x 4096 are exactly the 16 MiB a block may keep, and one row more is past it.
constexpr BigSprite BIG_SPRITES[] = {
    {"floor", 256, 256, 32},    {"floorplus", 256, 257, 32},
    {"headin", 100, 100, 24},   {"headout", 105, 105, 24},
    {"kept", 2048, 2048, 32},   {"released", 2048, 2049, 32},
    {"small", 3, 2, 32},        {"backdrop", 3840, 2160, 24},
    {"pcxkept", 4096, 4096, 8}, {"pcxreleased", 4097, 4096, 8},
    {"last", 5, 7, 32},
};

Bytes expectedBlock(const BigSprite& s) {
    if (s.depth != 8) return solidBlock(s.width, s.height, OPAQUE_COLOUR);
    return Bytes(static_cast<size_t>(s.width) * static_cast<size_t>(s.height), 7);
}

void writeBigSprites(const BakeDir& dir) {
    for (const BigSprite& s : BIG_SPRITES) {
        if (s.depth == 8) {
            IndexPicture picture(s.width, s.height);
            std::fill(picture.indices.begin(), picture.indices.end(), 7);
            dir.writePcx(std::string("art/") + s.name + ".pcx", picture);
        } else {
            testsupport::writeFile(dir.path(std::string("art/") + s.name + ".tga"),
                                   solidTga(s.width, s.height, s.depth, OPAQUE_COLOUR));
        }
    }
}

std::string bigSpriteStatements() {
    std::string text;
    for (const BigSprite& s : BIG_SPRITES) {
        text += std::string(s.depth == 8 ? "PCX " : "TGA ") + s.name + "\n";
    }
    return text;
}

TEST(LargeSprites, EverySizeReachesBothFormsOfTheSingleSpriteFileWhole) {
    BakeDir dir;
    writeBigSprites(dir);
    Bytes pixels;
    for (const BigSprite& s : BIG_SPRITES) {
        const Bytes block = expectedBlock(s);
        pixels.insert(pixels.end(), block.begin(), block.end());
    }
    const size_t count = std::size(BIG_SPRITES);
    for (const bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        const testsupport::ChildResult result = dir.run(
            kHead + (binary ? "BIN\n" : "") + "WriteOneFile s.bin\n" + bigSpriteStatements());
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out, "");
        const Bytes file = dir.read("out/s.bin");
        // The table: the count and eight words a sprite, or the count line and a line each.
        size_t header = 4 + count * 32;
        if (!binary) {
            header = 0;
            for (size_t lines = 0; lines < count + 1 && header < file.size(); ++header) {
                if (file[header] == '\n') ++lines;
            }
        }
        ASSERT_EQ(file.size(), header + pixels.size());
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), file.begin() + header));
    }
}

// The peak resident memory of the run of `control` in `dir`, in KiB: the run is the only child
// of a child of its own, whose children's usage is then the run's alone.
long peakKibOfRun(const BakeDir& dir, const std::string& control) {
    const testsupport::ChildResult outer = testsupport::runInChild([&] {
        const testsupport::ChildResult run = dir.run(control);
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        std::printf("%d %ld\n", run.exitStatus, usage.ru_maxrss);
        std::fflush(stdout);
    });
    int status = -1;
    long peak = -1;
    if (std::sscanf(outer.out.c_str(), "%d %ld", &status, &peak) != 2 || status != 0) return -1;
    return peak;
}

TEST(LargeSprites, AnInfoFileRunReadsOnlyTheHeadOfAPictureWithoutAlpha) {
    // 4096 x 4096 24-bit: 48 MiB of pixel data, which the box of an opaque picture never needs.
    BakeDir dir;
    Bytes head = solidTga(1, 1, 24, OPAQUE_COLOUR);
    head[12] = 0x00;
    head[13] = 0x10;
    head[14] = 0x00;
    head[15] = 0x10;
    testsupport::writeFile(dir.path("art/wall.tga"), head);
    ASSERT_EQ(truncate(dir.path("art/wall.tga").c_str(), 18 + 4096 * 4096 * 3), 0);
    const long peak = peakKibOfRun(dir, kHead + "TGA wall\n");
    const std::string info = dir.readText("info.txt");
    const std::string entry = " hotspot method UpLeft padding 1  hx 0  hy 0  wd 4096  ht 4096\n";
    EXPECT_EQ(info.rfind("1 sprites\nhid ", 0), 0u) << info;
    ASSERT_GT(info.size(), entry.size());
    EXPECT_EQ(info.substr(info.size() - entry.size()), entry);
    // The run must not have taken memory for the whole file.
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 40 * 1024);
}

// The address space the process has mapped now, in bytes.
uint64_t mappedBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

void limitAddressSpace(uint64_t extra) {
    const rlimit limit{mappedBytes() + extra, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &limit);
}

// Runs `control` in `dir` in a child whose address space is limited to what it has mapped
// plus `extra`, from the start or (pixelPass) just before the pixel pass loads sprite 0.
testsupport::ChildResult runLimited(const BakeDir& dir, const std::string& control, uint64_t extra,
                                    bool pixelPass) {
    const std::string folder = dir.path("");
    static uint64_t hookExtra = 0;
    hookExtra = extra;
    return testsupport::runInChild([&] {
        if (chdir(folder.c_str()) != 0) _exit(9);
        fileSystemInit("", nullptr);
        if (pixelPass) {
            setPixelPassHook([](int32_t index, const std::string&) {
                if (index == 0) limitAddressSpace(hookExtra);
            });
        } else {
            limitAddressSpace(extra);
        }
        const ExitStatus status = runControlTextWithOutput(control, "sprites.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
}

constexpr uint64_t MIB = uint64_t{1} << 20;

TEST(ShortMemory, ASpriteWhosePictureCouldNotBeHadIsNotListed) {
    if (SANITIZED) GTEST_SKIP() << "address-space limits do not work under the sanitizers";
    struct Case {
        const char* what;
        Bytes file;
        uint64_t extra;  // room left in the address space
    };
    // A header-only 16384 x 16384 24-bit file: its box needs no pixel, but loading it again
    // needs 1 GiB. A 2048 x 2048 32-bit file: read whole (16 MiB) for its box, then 16 MiB more.
    Bytes header = solidTga(1, 1, 24, OPAQUE_COLOUR);
    header.resize(18);
    header[12] = 0x00;
    header[13] = 0x40;
    header[14] = 0x00;
    header[15] = 0x40;
    const Case cases[] = {
        {"header only", header, 192 * MIB},
        {"32-bit", solidTga(2048, 2048, 32, {0x10, 0x20, 0x30, 0x80}), 26 * MIB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BakeDir dir;
        testsupport::writeFile(dir.path("art/big.tga"), c.file);
        const testsupport::ChildResult result =
            runLimited(dir, kHead + "BIN\nWriteOneFile s.bin\nTGA big\n", c.extra, false);
        EXPECT_EQ(result.out, "Warning, couldn't load art/big.tga, skipping.\n");
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(dir.read("out/s.bin"), words({0}));  // no entry, no blank pixels
    }
}

TEST(ShortMemory, APixelPassWithoutMemoryKeepsThePreviousOutputAndSaysWhy) {
    if (SANITIZED) GTEST_SKIP() << "address-space limits do not work under the sanitizers";
    for (const int depth : {32, 8}) {
        SCOPED_TRACE(depth);
        BakeDir dir;
        std::string statement;
        if (depth == 8) {
            IndexPicture picture(4096, 4096);
            std::fill(picture.indices.begin(), picture.indices.end(), 3);
            dir.writePcx("art/big.pcx", picture);
            statement = "PCX big\n";
        } else {
            testsupport::writeFile(dir.path("art/big.tga"),
                                   solidTga(2048, 2048, 32, OPAQUE_COLOUR));
            statement = "TGA big\n";
        }
        dir.writeText("out/s.bin", "previous");
        // The listing is served; the pixel pass then finds the blocks it needs given back (the
        // file block is over 16 MiB) and no room to map them again.
        const testsupport::ChildResult result =
            runLimited(dir, kHead + "BIN\nWriteOneFile s.bin\n" + statement, 4 * MIB, true);
        const std::string source = depth == 8 ? "art/big.pcx" : "art/big.tga";
        EXPECT_NE(result.out.find("Out of memory for " + source + ", out/s.bin not written.\n"),
                  std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find("changed since it was listed"), std::string::npos);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(dir.readText("out/s.bin"), "previous");
        EXPECT_EQ(testsupport::namesIn(dir.path("out")), std::vector<std::string>{"s.bin"});
    }
}

}  // namespace
}  // namespace drivertest
