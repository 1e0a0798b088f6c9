// loadPcx through the file layer: files on disk, missing and empty files, files served from
// the preload table and from a blob archive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesys/blob_archive.hpp"
#include "filesys/file_access.hpp"
#include "filesys/testing.hpp"
#include "image/pcx.hpp"
#include "tests/image/pcx_builder.hpp"
#include "tests/support/test_support.hpp"

namespace {

using pcxtest::PcxBuilder;

struct Loaded {
    std::unique_ptr<uint8_t[]> image;
    int32_t width = -7;  // -7: not stored
    int32_t height = -7;
    std::string out;

    std::vector<uint8_t> pixels() const {
        if (!image) return {};
        return {image.get(), image.get() + static_cast<size_t>(width) * height};
    }
};

Loaded load(const std::string& path) {
    Loaded l;
    testing::internal::CaptureStdout();
    l.image = loadPcx(path.c_str(), &l.width, &l.height);
    l.out = testing::internal::GetCapturedStdout();
    return l;
}

std::string cannotOpen(const std::string& path) {
    return "Couldn't open PCX file " + path + " for reading.\n";
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class PcxLoad : public testing::Test {
  protected:
    void SetUp() override {
        fileSystemReset();
        fileSystemInit("", nullptr);
    }
    void TearDown() override { fileSystemReset(); }

    testsupport::TempDir dir;
};

TEST_F(PcxLoad, FileOnDiskLoadsTopRowFirst) {
    const std::string path = dir.file("two_rows.pcx");
    testsupport::writeFile(
        path, PcxBuilder(10, 20, 12, 21).data({1, 2, 3, 0xC3, 0xFE}).palette().bytes());
    const Loaded l = load(path);
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.width, 3);
    EXPECT_EQ(l.height, 2);
    EXPECT_EQ(l.pixels(), (std::vector<uint8_t>{1, 2, 3, 0xFE, 0xFE, 0xFE}));
    EXPECT_EQ(l.out, "");
}

TEST_F(PcxLoad, WarningsNameThePath) {
    const std::string path = dir.file("short.pcx");
    testsupport::writeFile(path, PcxBuilder::sized(2, 2).data({1, 2, 3}).bytes());
    Loaded l = load(path);
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.pixels(), (std::vector<uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(l.out, "Warning, PCX file " + path + " is cut short.\n");

    testsupport::writeFile(path, PcxBuilder::sized(2, 2).data({1, 2, 3, 4}).bytes());
    l = load(path);
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.out, "Warning, byte after frame buffer not 12.\n");
}

TEST_F(PcxLoad, MissingOrEmptyFileIsNotLoaded) {
    const std::string missing = dir.file("missing.pcx");
    const std::string empty = dir.file("empty.pcx");
    testsupport::writeFile(empty, {});
    for (const std::string& path : {missing, empty}) {
        SCOPED_TRACE(path);
        const Loaded l = load(path);
        EXPECT_EQ(l.image, nullptr);
        EXPECT_EQ(l.width, -7);
        EXPECT_EQ(l.height, -7);
        // After whatever the file layer reports itself.
        EXPECT_TRUE(endsWith(l.out, cannotOpen(path))) << l.out;
    }
}

TEST_F(PcxLoad, DirectoryIsNotLoaded) {
    const Loaded l = load(dir.path().string());
    EXPECT_EQ(l.image, nullptr);
    EXPECT_EQ(l.width, -7);
    EXPECT_TRUE(endsWith(l.out, cannotOpen(dir.path().string()))) << l.out;
}

TEST_F(PcxLoad, RefusedHeaderStoresTheSides) {
    const std::string path = dir.file("inverted.pcx");
    testsupport::writeFile(path, PcxBuilder(4, 0, 1, 0).data({1, 12}).bytes());
    const Loaded l = load(path);
    EXPECT_EQ(l.image, nullptr);
    EXPECT_EQ(l.width, -2);
    EXPECT_EQ(l.height, 1);
    EXPECT_EQ(l.out, cannotOpen(path));
}

TEST_F(PcxLoad, PreloadedFileIsServedAndKeptByTheFileLayer) {
    const std::string path = dir.file("preloaded.pcx");
    testsupport::writeFile(path, PcxBuilder::sized(2, 1).data({0xC2, 0x33}).palette().bytes());
    PreloadEntry list[2];
    list[0].name = path.c_str();
    list[1].name = "";
    fileSystemReset();
    fileSystemInit("", list);
    ASSERT_EQ(list[0].size, 128 + 2 + 769);
    std::filesystem::remove(path);

    // Loading twice: the loader must not release the table's block.
    for (int i = 0; i < 2; ++i) {
        const Loaded l = load(path);
        ASSERT_NE(l.image, nullptr);
        EXPECT_EQ(l.pixels(), (std::vector<uint8_t>{0x33, 0x33}));
        EXPECT_EQ(l.out, "");
    }
    EXPECT_NE(list[0].data, nullptr);
    fileSystemReset();
}

TEST_F(PcxLoad, FileInTheBlobArchiveIsFound) {
    const std::string archive = dir.file("sprites.blob");
    ASSERT_TRUE(writeBlobArchive(
        archive.c_str(),
        {{"archived_only.pcx", PcxBuilder::sized(1, 2).data({4, 5, 12}).bytes()}}));
    fileSystemReset();
    fileSystemInit(archive.c_str(), nullptr);
    const Loaded l = load("archived_only.pcx");
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.width, 1);
    EXPECT_EQ(l.height, 2);
    EXPECT_EQ(l.pixels(), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(l.out, "");
}

}  // namespace
