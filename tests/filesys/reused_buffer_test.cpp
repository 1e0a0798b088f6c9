// The reusing reads: readRegularFile into a ReusedBuffer (regular files on disk only) and fileLoad
// into one (preload table, disk, archive, with fileLoad's lines), and the buffer's growth.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>

#include "tests/filesys/filesys_fixture.hpp"

using testsupport::writeText;

namespace {

class ReusedReads : public FileLayerTest {};

std::string text(std::span<const uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(ReusedBuffer, GrowsOnlyWhenAskedForMoreAndKeepsItsBlock) {
    ReusedBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 0u);
    uint8_t* first = buffer.reserve(10);
    ASSERT_NE(first, nullptr);
    EXPECT_GE(buffer.capacity(), 10u);
    EXPECT_EQ(buffer.reserve(buffer.capacity()), first);  // fits: the same block
    EXPECT_EQ(buffer.reserve(1), first);
    // Above the 256 KiB floor a block is exactly what was asked for: its pages are resident.
    EXPECT_EQ(buffer.capacity(), size_t{256} << 10);
    const size_t wanted = (size_t{256} << 10) + 1;
    ASSERT_NE(buffer.reserve(wanted), nullptr);
    EXPECT_EQ(buffer.capacity(), wanted);
    EXPECT_FALSE(buffer.lastReserveFailed());
    buffer.release();
    EXPECT_EQ(buffer.capacity(), 0u);
    EXPECT_EQ(buffer.data(), nullptr);
}

TEST_F(ReusedReads, ReadDiskTakesRegularFilesOnly) {
    const std::vector<uint8_t> big = pattern(300000, 5);
    testsupport::writeFile("big.bin", big);
    writeText("small.txt", "small");
    writeText("empty.bin", "");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);

    ReusedBuffer buffer;
    std::span<const uint8_t> bytes;
    ASSERT_EQ(readRegularFile("big.bin", buffer, bytes), FileRead::read);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), big.begin(), big.end()));
    const uint8_t* block = buffer.data();
    // A smaller file after a larger one: the same block, only the new file's bytes.
    ASSERT_EQ(readRegularFile("small.txt", buffer, bytes), FileRead::read);
    EXPECT_EQ(text(bytes), "small");
    EXPECT_EQ(bytes.data(), block);
    ASSERT_EQ(readRegularFile("empty.bin", buffer, bytes), FileRead::read);
    EXPECT_TRUE(bytes.empty());

    // Never opened (a FIFO would block the open or the read): refused with no bytes.
    for (const char* refused : {"pipe", "/dev/zero", "folder", "gone.bin"}) {
        EXPECT_EQ(readRegularFile(refused, buffer, bytes), FileRead::unreadable) << refused;
        EXPECT_TRUE(bytes.empty()) << refused;
    }
}

// A read with a plan takes the head first and the rest only when the head asks for it, and
// holds no more memory than it read: a file larger than the block's 256 KiB floor is not given
// a block of its size for its head alone.
TEST_F(ReusedReads, APlannedReadTakesTheRestOnlyWhenTheHeadAsksForIt) {
    const std::vector<uint8_t> big = pattern(400000, 9);
    testsupport::writeFile("big.bin", big);
    const auto wantsRestWhenOdd = [](std::span<const uint8_t> head) { return head[0] % 2 == 1; };
    struct Case {
        size_t head;
        uint8_t first;  // the file's first byte
        size_t expected;
    };
    const Case cases[] = {
        {16, 1, big.size()},      // asked for: all of it
        {16, 2, 16},              // not asked for: the head alone
        {500000, 2, big.size()},  // a head past the end: the whole file, nothing more to ask
        {0, 2, 0},                // an empty head
    };
    for (const Case& c : cases) {
        ReusedBuffer buffer;
        std::vector<uint8_t> file = big;
        file[0] = c.first;
        testsupport::writeFile("big.bin", file);
        std::span<const uint8_t> bytes;
        ASSERT_EQ(readRegularFile("big.bin", buffer, bytes,
                                  {.foundRegular = true, .plan = {c.head, wantsRestWhenOdd}}),
                  FileRead::read)
            << c.head;
        EXPECT_EQ(bytes.size(), c.expected) << c.head;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin())) << c.head;
        EXPECT_EQ(buffer.capacity(), std::max(c.expected, size_t{256} << 10)) << c.head;
    }
}

TEST_F(ReusedReads, LoadFindsPreloadedDiskAndArchivedFilesWithTheLinesOfFileLoad) {
    ASSERT_TRUE(writeBlobArchive("game.blob", {{"inside.txt", bytesOf("archived")}}));
    writeText("pre.txt", "preloaded");
    std::vector<PreloadEntry> list(2);
    list[0].name = "pre.txt";
    list[1].name = "";
    fileSystemInit("game.blob", list.data());
    writeText("pre.txt", "changed on disk");
    writeText("disk.txt", "on disk");

    struct Case {
        const char* name;
        int32_t result;
        const char* bytes;
        const char* lines;
    };
    const Case cases[] = {
        {"pre.txt", 9, "preloaded", ""},  // the table first, its own block
        {"disk.txt", 7, "on disk", ""},
        {"inside.txt", 8, "archived", ""},
        {"gone.txt", 0, "",
         "fileOpen didn't find gone.txt in game dir. or blob.\n"
         "fileLoad failed to open gone.txt.\n"},
    };
    ReusedBuffer buffer;
    for (const Case& c : cases) {
        std::span<const uint8_t> bytes;
        int32_t result = -9;
        const std::string lines = captured([&] { result = fileLoad(c.name, buffer, bytes); });
        // The allocating form is the reference for the result and the lines.
        FileBlock block;
        int32_t expected = -9;
        const std::string expectedLines = captured([&] { expected = fileLoad(c.name, block); });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(result, expected) << c.name;
        EXPECT_EQ(text(bytes), c.bytes) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(lines, expectedLines) << c.name;
    }
}
