// The preload table: filled at start-up before the layer counts as initialised,
// then served by fileLoad from memory, found by the hash of the name.
#include <filesystem>

#include "filesys/hash.hpp"
#include "tests/filesys/filesys_fixture.hpp"

using testsupport::writeFile;
using testsupport::writeText;

namespace {

class Preload : public FileLayerTest {
  protected:
    // A list of `names` and its end mark.
    static std::vector<PreloadEntry> listOf(const std::vector<const char*>& names) {
        std::vector<PreloadEntry> list(names.size() + 1);
        for (size_t i = 0; i < names.size(); ++i) list[i].name = names[i];
        list.back().name = "";
        return list;
    }
};

}  // namespace

TEST_F(Preload, EntriesAreLoadedAndHashed) {
    writeText("a.txt", "alpha");
    writeText("b.bin", "bravo!");
    auto list = listOf({"a.txt", "b.bin"});
    fileSystemInit(nullptr, list.data());
    EXPECT_EQ(preloadCount(), 2);
    EXPECT_EQ(list[0].size, 5);
    EXPECT_EQ(list[0].hash, hashName("A.TXT"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(list[0].data.get()), 5), "alpha");
    EXPECT_EQ(list[1].size, 6);
    EXPECT_EQ(list[2].data, nullptr);  // the end mark is left alone
}

TEST_F(Preload, HitReturnsTheTablesOwnBlock) {
    writeText("a.txt", "alpha");
    auto list = listOf({"a.txt"});
    fileSystemInit(nullptr, list.data());
    for (const char* name : {"a.txt", "A.TXT", "a.Txt"}) {
        FileBlock block;
        EXPECT_EQ(fileLoad(name, block), 5) << name;
        EXPECT_EQ(block.data(), list[0].data.get()) << name;
        EXPECT_FALSE(block.ownsBytes());
    }
    // Served from memory: the disk file no longer matters.
    std::filesystem::remove("a.txt");
    FileBlock block;
    std::string out = captured([&] { EXPECT_EQ(fileLoad("a.txt", block), 5); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(block.data(), list[0].data.get());
}

TEST_F(Preload, HitIntoAGivenBufferIsACopy) {
    writeText("a.txt", "alpha");
    auto list = listOf({"a.txt"});
    fileSystemInit(nullptr, list.data());
    std::vector<uint8_t> buffer(8, 0xee);
    EXPECT_EQ(fileLoad("a.TXT", buffer.data(), 8), 5);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "alpha");
    EXPECT_EQ(buffer[5], 0xee);
    EXPECT_EQ(fileLoad("a.txt", buffer.data(), 5), 5);
}

TEST_F(Preload, HitIntoASmallBufferFails) {
    writeText("a.txt", "alpha");
    auto list = listOf({"a.txt"});
    fileSystemInit(nullptr, list.data());
    std::vector<uint8_t> buffer(4, 0xee);
    int32_t result = 1;
    std::string out = captured([&] { result = fileLoad("a.txt", buffer.data(), 4); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "fileLoad fails on preloaded file a.txt because passed in buff too small.\n");
    EXPECT_EQ(buffer, std::vector<uint8_t>(4, 0xee));
    out = captured([&] { result = fileLoad("a.txt", nullptr, 0); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "fileLoad fails on preloaded file a.txt because passed in buff too small.\n");
}

TEST_F(Preload, MissingFileIsKeptEmptyAndCounted) {
    writeText("b.txt", "bee");
    auto list = listOf({"missing.txt", "b.txt"});
    std::string out = captured([&] { fileSystemInit(nullptr, list.data()); });
    EXPECT_EQ(out,
              "fileOpen didn't find missing.txt in game dir. or blob.\n"
              "fileLoad failed to open missing.txt.\n");
    EXPECT_EQ(preloadCount(), 2);
    EXPECT_EQ(list[0].data, nullptr);
    EXPECT_EQ(list[0].size, 0);
    EXPECT_EQ(list[0].hash, hashName("missing.txt"));
    EXPECT_EQ(list[1].size, 3);

    // The name is answered by the table alone, even once the file exists on disk.
    writeText("missing.txt", "now here");
    FileBlock block;
    int32_t result = 1;
    out = captured([&] { result = fileLoad("missing.txt", block); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_EQ(out, "");
    uint8_t buffer[16];
    EXPECT_EQ(fileLoad("missing.txt", buffer, 16), 0);
}

TEST_F(Preload, EmptyFileAndDirectoryAreFailedEntries) {
    writeText("empty.txt", "");
    std::filesystem::create_directory("folder");
    auto list = listOf({"empty.txt", "folder"});
    fileSystemInit(nullptr, list.data());
    EXPECT_EQ(preloadCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list[i].data, nullptr) << i;
        EXPECT_EQ(list[i].size, 0) << i;
    }
}

TEST_F(Preload, TableIsFilledBeforeTheLayerCountsAsInitialised) {
    // The same name twice: the second load goes to the disk, not to the half-filled table.
    writeText("twice.txt", "twice");
    auto list = listOf({"twice.txt", "twice.txt"});
    fileSystemInit(nullptr, list.data());
    ASSERT_NE(list[0].data, nullptr);
    ASSERT_NE(list[1].data, nullptr);
    EXPECT_NE(list[0].data.get(), list[1].data.get());
    EXPECT_EQ(list[1].size, 5);
    FileBlock block;
    EXPECT_EQ(fileLoad("twice.txt", block), 5);
    EXPECT_EQ(block.data(), list[0].data.get());  // the first entry with the hash
}

TEST_F(Preload, EntriesComeFromTheArchiveToo) {
    ASSERT_TRUE(writeBlobArchive("game.blob", {{"packed/one.txt", bytesOf("one")}}));
    auto list = listOf({"packed/one.txt"});
    fileSystemInit("game.blob", list.data());
    EXPECT_EQ(list[0].size, 3);
    FileBlock block;
    EXPECT_EQ(fileLoad("PACKED/ONE.TXT", block), 3);
    EXPECT_EQ(block.data(), list[0].data.get());
}

TEST_F(Preload, EndOfTheList) {
    writeText("a.txt", "a");
    fileSystemInit(nullptr, nullptr);
    EXPECT_EQ(preloadCount(), 0);
    fileSystemReset();
    auto empty = listOf({});
    fileSystemInit(nullptr, empty.data());
    EXPECT_EQ(preloadCount(), 0);
    fileSystemReset();
    std::vector<PreloadEntry> list(2);  // a null name ends the list too
    list[0].name = "a.txt";
    fileSystemInit(nullptr, list.data());
    EXPECT_EQ(preloadCount(), 1);
}

TEST_F(Preload, ResetForgetsTheTable) {
    writeText("a.txt", "alpha");
    auto list = listOf({"a.txt"});
    fileSystemInit(nullptr, list.data());
    fileSystemReset();
    EXPECT_EQ(preloadCount(), 0);
    writeText("a.txt", "changed");
    FileBlock block;
    EXPECT_EQ(fileLoad("a.txt", block), 7);
    EXPECT_TRUE(block.ownsBytes());
}
