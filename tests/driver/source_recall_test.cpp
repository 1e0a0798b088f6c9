// The pixel pass's short road for TGA sources it recalls: only the box's rows are read again,
// which must give the bytes a full reload gives, and any sign that the file changed since the
// listing must send it down the full reload.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "driver/source_recall.hpp"
#include "filesys/file_layer.hpp"
#include "image/tga_sprite.hpp"
#include "tests/image/tga_builder.hpp"
#include "tests/support/test_support.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int64_t NEVER_SETTLED = std::numeric_limits<int64_t>::max() / 2;

// A picture with a visible rectangle somewhere inside, of any stored bytes.
Bytes pixelData(std::mt19937& rng, const tgatest::Header& h, bool blank) {
    const uint32_t bytes = h.depth / 8u;
    const uint32_t x0 = rng() % h.width, y0 = rng() % h.height;
    const uint32_t x1 = x0 + rng() % (h.width - x0), y1 = y0 + rng() % (h.height - y0);
    Bytes out;
    for (uint32_t y = 0; y < h.height; ++y) {
        for (uint32_t x = 0; x < h.width; ++x) {
            const bool inside = !blank && x >= x0 && x <= x1 && y >= y0 && y <= y1;
            if (h.imageType == 10) out.push_back(0);  // a literal packet of one pixel
            for (uint32_t k = 0; k < bytes; ++k) {
                out.push_back(inside ? static_cast<uint8_t>(rng() | (k == 3 ? 1 : 0)) : 0);
            }
        }
    }
    return out;
}

struct Source {
    std::string name;
    Bytes file;
};

// Every kind the short road serves: raw and run-length, 24 and 32 bits, with and without alpha
// bits, every origin, an image ID, data cut short, a blank picture, small files and large.
std::vector<Source> sources() {
    std::mt19937 rng(5);
    std::vector<Source> out;
    int n = 0;
    for (uint8_t type : {2, 10}) {
        for (uint8_t depth : {24, 32}) {
            for (uint8_t origin : {0x00, 0x10, 0x20, 0x30}) {
                tgatest::Header h;
                h.imageType = type;
                h.depth = depth;
                h.descriptor = static_cast<uint8_t>(origin | (depth == 32 && n % 3 != 0 ? 8 : 0));
                // Some larger than the head the listing reads of a file at first.
                const bool large = n % 3 == 2;
                h.width = static_cast<uint16_t>(large ? 150 + rng() % 50 : 3 + rng() % 40);
                h.height = static_cast<uint16_t>(large ? 80 + rng() % 40 : 2 + rng() % 30);
                h.idLength = static_cast<uint8_t>(n % 2 == 0 ? 0 : 5);
                Bytes file = tgatest::tgaFile(h, tgatest::concat({Bytes(h.idLength, 7),
                                                         pixelData(rng, h, n % 7 == 6)}));
                if (n % 4 == 1) file.resize(file.size() * 2 / 3);  // cut short
                out.push_back({"s" + std::to_string(n++), std::move(file)});
            }
        }
    }
    return out;
}

struct Baked {
    std::string out;
    Bytes bin;
};

// One whole run over `files` in a fresh folder, sources settled after `settle` nanoseconds.
Baked bake(const std::vector<Source>& files, int64_t settle) {
    testsupport::TempDir dir;
    std::string control = "Source art/\nDest out/\nInfoFile info.txt\nBIN\nWriteOneFile s.bin\n";
    std::filesystem::create_directories(dir.path() / "art");
    std::filesystem::create_directories(dir.path() / "out");
    testsupport::writeFile(dir.file("out/info.txt"), Bytes{'0', '\n'});
    for (const Source& s : files) {
        testsupport::writeFile(dir.file("art/" + s.name + ".tga"), s.file);
        control += "TGA " + s.name + "\n";
    }
    const std::string folder = dir.path().string();
    const testsupport::ChildResult result = testsupport::runInChild([&] {
        if (chdir(folder.c_str()) != 0) _exit(3);
        fileSystemInit("", nullptr);
        setSourceSettleTime(settle);
        const int status = runControlTextWithOutput(control, "sprites.ctl");
        std::fflush(stdout);
        _exit(status);
    });
    EXPECT_EQ(result.exitStatus, 0);
    return {result.out, testsupport::readFile(dir.file("out/s.bin"))};
}

TEST(SourceRecall, AWholeRunGivesTheBytesOfFullReloads) {
    const std::vector<Source> files = sources();
    const Baked full = bake(files, NEVER_SETTLED);
    const Baked recalled = bake(files, 0);
    EXPECT_EQ(recalled.out, full.out);
    EXPECT_EQ(recalled.bin, full.bin);
    EXPECT_GT(full.bin.size(), 4u + 32u * files.size());  // pixels were written
}

// The listing's read and recall of one file, as the sprite statement takes them.
SourceRecall listFile(const std::string& path, int64_t settle) {
    setSourceSettleTime(settle);
    ReusedBuffer buffer;
    std::span<const uint8_t> bytes;
    FileStamp stamp;
    EXPECT_EQ(fileEntryOnDisk(path.c_str()), DiskEntry::regular);
    EXPECT_TRUE(fileReadFoundRegular(path.c_str(), buffer, bytes, &stamp));
    TgaBox box;
    EXPECT_TRUE(findTgaBox(bytes, box));
    return recallTgaSource(bytes, stamp, box);
}

// The recalled crop of `path`, or nothing when the short road refuses it.
std::optional<Bytes> cropRecalled(const std::string& path, const SourceRecall& recall) {
    ReusedBuffer file, scratch;
    const TgaBox& box = recall.box;
    Bytes out(box.blank ? 0 : size_t(box.right - box.left + 1) * (box.bottom - box.top + 1) * 4);
    if (!cropRecalledTga(path, recall, file, scratch, out.data())) return std::nullopt;
    return out;
}

// An uncompressed 32-bit picture with 8 alpha bits and a visible rectangle.
Bytes alphaPicture(std::mt19937& rng, uint16_t width, uint16_t height) {
    tgatest::Header h;
    h.depth = 32;
    h.descriptor = 8;
    h.width = width;
    h.height = height;
    return tgatest::tgaFile(h, pixelData(rng, h, false));
}

TEST(SourceRecall, AnyChangeToTheFileRefusesTheShortRoad) {
    testsupport::TempDir dir;
    std::mt19937 rng(11);
    const Bytes original = alphaPicture(rng, 20, 12);
    const Bytes other = alphaPicture(rng, 20, 12);  // the same size

    struct Case {
        const char* change;
        void (*apply)(const std::string& path, const Bytes& other);
        bool refused;
    };
    const Case cases[] = {
        {"none", [](const std::string&, const Bytes&) {}, false},
        {"rewritten in place, same size",
         [](const std::string& p, const Bytes& o) { testsupport::writeFile(p, o); }, true},
        {"replaced by a renamed file",
         [](const std::string& p, const Bytes& o) {
             testsupport::writeFile(p + ".new", o);
             std::rename((p + ".new").c_str(), p.c_str());
         },
         true},
        {"cut short", [](const std::string& p, const Bytes&) { (void)truncate(p.c_str(), 40); },
         true},
        {"removed", [](const std::string& p, const Bytes&) { std::remove(p.c_str()); }, true},
        {"replaced by a FIFO",
         [](const std::string& p, const Bytes&) {
             std::remove(p.c_str());
             mkfifo(p.c_str(), 0600);
         },
         true},
        {"made a folder",
         [](const std::string& p, const Bytes&) {
             std::remove(p.c_str());
             mkdir(p.c_str(), 0700);
         },
         true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.file("f" + std::to_string(n++) + ".tga");
        testsupport::writeFile(path, original);
        const SourceRecall recall = listFile(path, 0);
        ASSERT_TRUE(recall.usable) << c.change;
        c.apply(path, other);
        const std::optional<Bytes> got = cropRecalled(path, recall);
        EXPECT_EQ(!got.has_value(), c.refused) << c.change;
    }
    setSourceSettleTime(2'000'000'000);
}

TEST(SourceRecall, AFileChangedMomentsBeforeItWasListedIsNotRecalled) {
    testsupport::TempDir dir;
    std::mt19937 rng(3);
    const std::string path = dir.file("fresh.tga");
    testsupport::writeFile(path, alphaPicture(rng, 6, 5));
    // Within one tick of a coarse file-system clock a later change could keep the stamp.
    EXPECT_FALSE(listFile(path, 2'000'000'000).usable);
    EXPECT_TRUE(listFile(path, 0).usable);
    setSourceSettleTime(2'000'000'000);
}

}  // namespace
