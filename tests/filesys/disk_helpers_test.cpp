// The disk-only helpers (existence, whole-file read, regular-file check, removal) and the
// confinement switch of the whole-run fuzz build.
#include <sys/stat.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tests/filesys/filesys_fixture.hpp"

using testsupport::writeText;

namespace {

class DiskHelpers : public FileLayerTest {};

}  // namespace

TEST_F(DiskHelpers, ExistsOnDisk) {
    writeText("here.txt", "x");
    std::filesystem::create_directory("folder");
    EXPECT_TRUE(fileExistsOnDisk("here.txt"));
    EXPECT_TRUE(fileExistsOnDisk("folder"));
    EXPECT_FALSE(fileExistsOnDisk("gone.txt"));
    EXPECT_FALSE(fileExistsOnDisk(""));
}

TEST_F(DiskHelpers, ReadDisk) {
    std::vector<uint8_t> content = pattern(100000, 3);
    testsupport::writeFile("data.bin", content);
    writeText("empty.bin", "");
    std::filesystem::create_directory("folder");
    std::vector<uint8_t> bytes{1, 2, 3};
    ASSERT_EQ(readRegularFile("data.bin", bytes), FileRead::read);
    EXPECT_EQ(bytes, content);
    EXPECT_EQ(readRegularFile("empty.bin", bytes), FileRead::read);
    EXPECT_TRUE(bytes.empty());
    // A device is never opened.
    EXPECT_EQ(readRegularFile("/dev/null", bytes), FileRead::unreadable);
    EXPECT_EQ(readRegularFile("/dev/zero", bytes), FileRead::unreadable);
    EXPECT_EQ(readRegularFile("gone.bin", bytes), FileRead::unreadable);
    EXPECT_EQ(readRegularFile("folder", bytes), FileRead::unreadable);
}

TEST_F(DiskHelpers, ReadDiskRefusesTwoGigabytes) {
    writeText("big.bin", "");
    std::filesystem::resize_file("big.bin", uint64_t{1} << 31);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(readRegularFile("big.bin", bytes), FileRead::unreadable);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(DiskHelpers, ReadDiskBypassesArchiveAndPreloadTable) {
    ASSERT_TRUE(writeBlobArchive("game.blob", {{"inside.txt", bytesOf("archived")}}));
    writeText("pre.txt", "preloaded");
    std::vector<PreloadEntry> list(2);
    list[0].name = "pre.txt";
    list[1].name = "";
    fileSystemInit("game.blob", list.data());
    std::vector<uint8_t> bytes;
    EXPECT_EQ(readRegularFile("inside.txt", bytes), FileRead::unreadable);
    writeText("pre.txt", "changed");
    ASSERT_EQ(readRegularFile("pre.txt", bytes), FileRead::read);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "changed");
}

// A planned read into a vector takes the head first and the rest only when the head asks for
// it; the vector then holds exactly the bytes read.
TEST_F(DiskHelpers, APlannedReadIntoAVectorTakesTheRestOnlyWhenTheHeadAsksForIt) {
    const std::vector<uint8_t> content = pattern(5000, 4);
    const auto wantsRestWhenOdd = [](std::span<const uint8_t> head) {
        return !head.empty() && head[0] % 2 == 1;
    };
    struct Case {
        size_t head;
        uint8_t first;  // the file's first byte
        size_t expected;
    };
    const Case cases[] = {
        {16, 1, 5000},    // asked for: all of it
        {16, 2, 16},      // not asked for: the head alone
        {4999, 2, 4999},  // one byte short of the end, not asked for
        {5000, 2, 5000},  // a head of the whole file: nothing more to ask
        {9000, 1, 5000},  // a head past the end: the whole file
        {0, 2, 0},        // an empty head
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = content;
        file[0] = c.first;
        testsupport::writeFile("data.bin", file);
        for (const bool foundRegular : {false, true}) {
            std::vector<uint8_t> bytes{9, 9};
            ASSERT_EQ(
                readRegularFile("data.bin", bytes,
                                {.foundRegular = foundRegular, .plan = {c.head, wantsRestWhenOdd}}),
                FileRead::read)
                << c.head;
            EXPECT_EQ(bytes, std::vector<uint8_t>(file.begin(), file.begin() + c.expected))
                << c.head;
        }
    }
}

// With the caller's stat taken as found, the read makes none of its own, yet still never reads
// what is not a regular file (the open file is checked), nor a path the confinement hides.
TEST_F(DiskHelpers, AReadTakingTheCallersStatStillChecksTheOpenFile) {
    writeText("here.txt", "here");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    const ReadOptions found{.foundRegular = true};
    std::vector<uint8_t> bytes;
    ReusedBuffer buffer;
    std::span<const uint8_t> view;
    for (const char* refused : {"pipe", "folder", "/dev/zero", "gone.txt"}) {
        bytes = {1};
        EXPECT_EQ(readRegularFile(refused, bytes, found), FileRead::unreadable) << refused;
        EXPECT_TRUE(bytes.empty()) << refused;
        EXPECT_EQ(readRegularFile(refused, buffer, view, found), FileRead::unreadable) << refused;
        EXPECT_TRUE(view.empty()) << refused;
    }
    ASSERT_EQ(readRegularFile("here.txt", bytes, found), FileRead::read);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "here");

    const std::string absolute = path("here.txt");
    fileSetConfinement(true);
    EXPECT_EQ(readRegularFile(absolute.c_str(), bytes, found), FileRead::unreadable);
    EXPECT_EQ(readRegularFile(absolute.c_str(), buffer, view, found), FileRead::unreadable);
    EXPECT_EQ(readRegularFile("here.txt", buffer, view, found), FileRead::read);
    EXPECT_EQ(std::string(view.begin(), view.end()), "here");
}

TEST_F(DiskHelpers, IsRegularAndRemove) {
    writeText("r.txt", "r");
    std::filesystem::create_directory("folder");
    int32_t h = fileOpenDisk("r.txt", 1);
    EXPECT_TRUE(fileIsRegular(h));
    fileClose(h);
    h = fileOpenDisk("folder", 1);
    EXPECT_FALSE(fileIsRegular(h));
    fileClose(h);
    h = fileOpenDisk("/dev/null", 2);
    EXPECT_FALSE(fileIsRegular(h));
    fileClose(h);
    EXPECT_FALSE(fileIsRegular(-1));

    EXPECT_EQ(fileRemove("r.txt"), 0);
    EXPECT_FALSE(std::filesystem::exists("r.txt"));
    EXPECT_EQ(fileRemove("r.txt"), -1);
}

TEST_F(DiskHelpers, ConfinementHidesAbsoluteAndClimbingPaths) {
    std::filesystem::create_directory("sub");
    std::filesystem::create_directory("...");
    for (const char* name : {"sub/in.txt", "top.txt", "..name", "name..", ".../x"}) {
        writeText(name, "abc");
    }
    const std::string absolute = path("top.txt");
    fileSetConfinement(true);
    fileSystemInit(nullptr, nullptr);

    for (const char* name :
         {"top.txt", "sub/in.txt", "./sub/in.txt", "..name", "name..", ".../x", "./..name"}) {
        EXPECT_TRUE(fileExistsOnDisk(name)) << name;
    }
    for (const char* name : {absolute.c_str(), "sub/../top.txt", "../x", "..", "sub/.."}) {
        EXPECT_FALSE(fileExistsOnDisk(name)) << name;
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(readRegularFile(absolute.c_str(), bytes), FileRead::unreadable);
    EXPECT_EQ(readRegularFile("sub/in.txt", bytes), FileRead::read);

    // Reading is refused as for a missing file, with the usual messages.
    FileBlock block;
    std::string out = captured([&] { EXPECT_EQ(fileLoad(absolute.c_str(), block), 0); });
    EXPECT_EQ(out, "fileOpen didn't find " + absolute + " in game dir. or blob.\n" +
                       "fileLoad failed to open " + absolute + ".\n");
    EXPECT_EQ(fileLoad("top.txt", block), 3);

    // Creating fails silently; nothing is written or removed outside.
    out = captured([&] {
        EXPECT_EQ(fileOpen("../escape.txt", 17154, 384), -1);
        EXPECT_EQ(fileOpen(path("new.txt").c_str(), 2), -1);
    });
    EXPECT_EQ(out, "");
    EXPECT_FALSE(std::filesystem::exists(dir_.path().parent_path() / "escape.txt"));
    EXPECT_FALSE(std::filesystem::exists("new.txt"));
    EXPECT_EQ(fileRemove(absolute.c_str()), -1);
    EXPECT_TRUE(std::filesystem::exists("top.txt"));

    fileSystemReset();  // switches it off
    EXPECT_TRUE(fileExistsOnDisk(absolute.c_str()));
}
