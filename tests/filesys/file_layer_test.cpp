// Opening, reading, writing, seeking, formatted writes and whole-file loads from disk, with the
// exact failure messages.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <span>

#include "tests/filesys/filesys_fixture.hpp"

using testsupport::readFile;
using testsupport::readText;
using testsupport::runInChild;
using testsupport::writeText;

namespace {

class FileAccess : public FileLayerTest {};

}  // namespace

TEST_F(FileAccess, LoadOfAMissingFilePrintsBothLinesAndReturnsZero) {
    fileSystemInit(nullptr, nullptr);
    FileBlock block;
    int32_t result = 1;
    std::string out = captured([&] { result = fileLoad("missing.txt", block); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_EQ(out,
              "fileOpen didn't find missing.txt in game dir. or blob.\n"
              "fileLoad failed to open missing.txt.\n");
}

TEST_F(FileAccess, LoadOfATenByteFile) {
    fileSystemInit("", nullptr);
    writeText("ten.txt", "0123456789");
    FileBlock block;
    int32_t result = 0;
    std::string out = captured([&] { result = fileLoad("ten.txt", block); });
    EXPECT_EQ(out, "");
    ASSERT_EQ(result, 10);
    EXPECT_TRUE(block.ownsBytes());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 10), "0123456789");

    std::vector<uint8_t> buffer(12, 0xee);
    EXPECT_EQ(fileLoad("ten.txt", buffer.data(), 10), 10);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 10), "0123456789");
    EXPECT_EQ(buffer[10], 0xee);
}

TEST_F(FileAccess, BufferTooSmallLeavesItUntouched) {
    fileSystemInit(nullptr, nullptr);
    writeText("ten.txt", "0123456789");
    std::vector<uint8_t> buffer(5, 0xaa);
    int32_t result = 1;
    std::string out = captured([&] { result = fileLoad("ten.txt", buffer.data(), 5); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "Buffer passed to fileLoad too small for ten.txt, load skipped.\n");
    EXPECT_EQ(buffer, std::vector<uint8_t>(5, 0xaa));
}

TEST_F(FileAccess, EmptyFileAndDirectoryLoadBelowOne) {
    fileSystemInit(nullptr, nullptr);
    writeText("empty.txt", "");
    std::filesystem::create_directory("folder");
    std::vector<uint8_t> buffer(100000);
    for (const char* name : {"empty.txt", "folder"}) {
        FileBlock block;
        captured([&] {
            EXPECT_LT(fileLoad(name, block), 1) << name;
            EXPECT_LT(fileLoad(name, buffer.data(), int32_t(buffer.size())), 1) << name;
        });
    }
}

TEST_F(FileAccess, FileOfTwoGigabytesIsRefusedLikeAFailedAllocation) {
    fileSystemInit(nullptr, nullptr);
    writeText("big.bin", "");
    std::filesystem::resize_file("big.bin", uint64_t{1} << 31);  // sparse: takes no space
    writeText("edge.bin", "");
    std::filesystem::resize_file("edge.bin", (uint64_t{1} << 31) - 1);
    int32_t size = 7;
    int32_t unpacked = 7;
    fileLength("big.bin", -1, &size, &unpacked);
    EXPECT_EQ(size, -1);
    EXPECT_EQ(unpacked, 0);
    fileLength("edge.bin", -1, &size, &unpacked);
    EXPECT_EQ(size, 2147483647);

    FileBlock block;
    std::vector<uint8_t> buffer(16, 0x55);
    std::string out = captured([&] {
        EXPECT_EQ(fileLoad("big.bin", block), 0);
        EXPECT_EQ(fileLoad("big.bin", buffer.data(), 16), 0);
    });
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0x55));
    EXPECT_EQ(out,
              "loadFile failed to alloc for big.bin, load skipped.\n"
              "loadFile failed to alloc for big.bin, load skipped.\n");
}

// A file of 2^31 - 1 bytes, the most a signed 32-bit count holds, is read whole by every road
// that reads a whole file, and one byte more is refused by each; none reads it short. The files
// are sparse, so they take no disk space, only the time to read their zeros.
TEST_F(FileAccess, TheLargestFileIsReadWholeByEveryRoadAndOneByteMoreByNone) {
    fileSystemInit(nullptr, nullptr);
    constexpr uint64_t LARGEST = (uint64_t{1} << 31) - 1;
    for (const uint64_t size : {LARGEST, LARGEST + 1}) {
        SCOPED_TRACE(size);
        const bool fits = size == LARGEST;
        writeText("edge.bin", "");
        std::filesystem::resize_file("edge.bin", size);
        // Only the last byte is not zero: a read cut short anywhere loses it.
        {
            std::FILE* f = std::fopen("edge.bin", "r+b");
            ASSERT_NE(f, nullptr);
            std::fseek(f, static_cast<long>(size - 1), SEEK_SET);
            std::fputc(0x7B, f);
            std::fclose(f);
        }
        const auto wholeWithLast = [&](const uint8_t* data, uint64_t got) {
            return got == size && data != nullptr && data[size - 1] == 0x7B;
        };
        {
            FileBlock block;
            const std::string out = captured([&] {
                const int32_t got = fileLoad("edge.bin", block);
                EXPECT_EQ(got, fits ? static_cast<int32_t>(LARGEST) : 0);
                if (fits) {
                    EXPECT_TRUE(wholeWithLast(block.data(), static_cast<uint64_t>(got)));
                }
            });
            EXPECT_EQ(out, fits ? "" : "loadFile failed to alloc for edge.bin, load skipped.\n");
        }
        {
            FileBlock block;
            int32_t got = 0;
            captured([&] { got = fileLoadControl("edge.bin", block); });
            EXPECT_EQ(got, fits ? static_cast<int32_t>(LARGEST) : 0);
            if (fits) {
                EXPECT_TRUE(wholeWithLast(block.data(), static_cast<uint64_t>(got)));
            }
        }
        {
            ReusedBuffer buffer;
            std::span<const uint8_t> bytes;
            int32_t got = 0;
            captured([&] { got = fileLoad("edge.bin", buffer, bytes); });
            EXPECT_EQ(got, fits ? static_cast<int32_t>(LARGEST) : 0);
            if (fits) {
                EXPECT_TRUE(wholeWithLast(bytes.data(), bytes.size()));
            }
        }
        const FileRead diskRead = fits ? FileRead::read : FileRead::unreadable;
        {
            ReusedBuffer buffer;
            std::span<const uint8_t> bytes;
            EXPECT_EQ(readRegularFile("edge.bin", buffer, bytes), diskRead);
            if (fits) {
                EXPECT_TRUE(wholeWithLast(bytes.data(), bytes.size()));
            }
        }
        {
            std::vector<uint8_t> bytes;
            EXPECT_EQ(readRegularFile("edge.bin", bytes), diskRead);
            if (fits) {
                EXPECT_TRUE(wholeWithLast(bytes.data(), bytes.size()));
            }
        }
        {
            // Standard input, as `spritebake - < edge.bin` gives it.
            const int saved = dup(STDIN_FILENO);
            const int fd = open("edge.bin", O_RDONLY);
            ASSERT_GE(fd, 0);
            dup2(fd, STDIN_FILENO);
            close(fd);
            FileBlock block;
            int32_t got = 0;
            const std::string out = captured([&] { got = fileLoadStandardInput(block); });
            dup2(saved, STDIN_FILENO);
            close(saved);
            EXPECT_EQ(got, fits ? static_cast<int32_t>(LARGEST) : 0);
            if (fits) {
                EXPECT_TRUE(wholeWithLast(block.data(), static_cast<uint64_t>(got)));
            }
            EXPECT_EQ(out, fits ? "" : "loadFile failed to alloc for -, load skipped.\n");
        }
        std::filesystem::remove("edge.bin");
    }
}

TEST_F(FileAccess, OpenReadAndClose) {
    writeText("a.txt", "abc");
    int32_t h = -1;
    std::string out = captured([&] { h = fileOpen("a.txt", FILE_MODE_READ); });
    EXPECT_EQ(out, "");
    ASSERT_GE(h, 0);
    char buf[8] = {};
    EXPECT_EQ(fileRead(h, buf, 8), 3);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(fileRead(h, buf, 8), 0);
    EXPECT_EQ(fileWrite(h, "x", 1), -1);  // read-only
    EXPECT_EQ(fileClose(h), 0);
    EXPECT_EQ(fileClose(h), -1);

    out = captured([&] { h = fileOpen("gone.txt", 1, 0); });
    EXPECT_EQ(h, -1);
    EXPECT_EQ(out, "fileOpen didn't find gone.txt in game dir. or blob.\n");
}

TEST_F(FileAccess, InfoFileModeCreatesAndWritesBareLineFeeds) {
    int32_t h = fileOpen("out.txt", 17154, 384);
    ASSERT_GE(h, 0);
    EXPECT_EQ(filePrintf(h, "%d sprites\n", 3), 10);
    EXPECT_EQ(filePrintf(h, "%s", ""), 0);
    EXPECT_EQ(filePrintf(h, "hid %d\n", -1206996721), 16);
    EXPECT_EQ(fileClose(h), 0);
    EXPECT_EQ(readText("out.txt"), "3 sprites\nhid -1206996721\n");
    struct stat st;
    ASSERT_EQ(stat("out.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0600, 0600u);  // readable and writable by its owner
}

TEST_F(FileAccess, EveryModeButOneCreatesOrTruncates) {
    for (int32_t mode : {17154, 33538, 0, 2, -1}) {
        writeText("m.txt", "old contents");
        int32_t h = fileOpen("m.txt", mode, 384);
        ASSERT_GE(h, 0) << mode;
        EXPECT_EQ(fileWrite(h, "ab\n", 3), 3);
        fileClose(h);
        EXPECT_EQ(readFile("m.txt"), bytesOf("ab\n")) << mode;
    }
}

TEST_F(FileAccess, WritingIntoAMissingFolderFailsSilently) {
    int32_t h = 0;
    std::string out = captured([&] { h = fileOpen("no/such/folder/out.txt", 17154, 384); });
    EXPECT_EQ(h, -1);
    EXPECT_EQ(out, "");
}

TEST_F(FileAccess, FilePrintfWritesALongTextWhole) {
    std::string longText(5000, 'L');
    longText += "\nend\n";
    int32_t h = fileOpen("long.txt", 17154, 384);
    EXPECT_EQ(filePrintf(h, "%s%d", longText.c_str(), 42), int32_t(longText.size() + 2));
    fileClose(h);
    EXPECT_EQ(readText("long.txt"), longText + "42");
    for (size_t n : {999u, 1000u, 1001u}) {  // around the local buffer
        std::string text(n, 'b');
        h = fileOpen("edge.txt", 2);
        EXPECT_EQ(filePrintf(h, "%s", text.c_str()), int32_t(n));
        fileClose(h);
        EXPECT_EQ(readText("edge.txt"), text);
    }
}

TEST_F(FileAccess, FailedWritesReturnMinusOne) {
    int32_t h = fileOpenDisk("/dev/full", 2);
    ASSERT_GE(h, 0);
    EXPECT_EQ(fileWrite(h, "abc", 3), -1);
    EXPECT_EQ(filePrintf(h, "abc"), -1);
    fileClose(h);
    EXPECT_EQ(filePrintf(-1, "x%d", 1), -1);
}

TEST_F(FileAccess, SeekFromEachOrigin) {
    writeText("s.txt", "0123456789");
    int32_t h = fileOpen("s.txt", 1);
    struct Case {
        int32_t offset;
        int32_t origin;
        int64_t position;
    };
    for (Case c :
         {Case{3, 0, 3}, Case{2, 1, 6}, Case{-1, 2, 9}, Case{0, 3, -1}, Case{-20, 0, -1}}) {
        EXPECT_EQ(fileSeek(h, c.offset, c.origin), c.position) << c.offset << " " << c.origin;
        if (c.position < 0) continue;
        char ch = 0;
        EXPECT_EQ(fileRead(h, &ch, 1), 1);
        EXPECT_EQ(ch, '0' + c.position);
    }
    fileClose(h);
}

TEST_F(FileAccess, SecondInitDoesNothing) {
    fileSystemInit(nullptr, nullptr);
    // Were it to run, the second call would end the process over the missing archive.
    writeText("pre.txt", "abc");
    PreloadEntry list[2];
    list[0].name = "pre.txt";
    list[1].name = "";
    auto child = runInChild([&] {
        fileSystemInit("no-such-archive.blob", list);
        printf("still here %d %d %d\n", preloadCount(), blobEntryCount(), list[0].size);
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "still here 0 0 0\n");
}

TEST_F(FileAccess, FatalErrorPrintsTheWholeTextAndExitsWithMinusOne) {
    auto child = runInChild([] { fatalError("Fatal %s %d\n", "thing", 7); });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, "Fatal thing 7\n");
    std::string text(3000, 'F');
    child = runInChild([&] { fatalError("%s|", text.c_str()); });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, text + "|");
}
