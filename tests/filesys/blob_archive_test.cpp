// The blob archive: header reading (and its fatal errors), the lookup behind fileOpen, the
// current-entry values, fileLength and fileLoad on a hit, the settled rules for truncated
// headers and out-of-range words, and the archive builder.
#include <sys/resource.h>

#include <cstring>
#include <filesystem>

#include "filesys/hash.hpp"
#include "tests/support/sanitizers.hpp"
#include "tests/filesys/filesys_fixture.hpp"

using testsupport::readFile;
using testsupport::runInChild;
using testsupport::writeFile;
using testsupport::writeText;

namespace {

class BlobArchive : public FileLayerTest {
  protected:
    // Opens `name` for reading and returns the handle, with fileOpen's output in `out`.
    int32_t openRead(const char* name, std::string* out = nullptr) {
        int32_t h = -1;
        std::string text = captured([&] { h = fileOpen(name, FILE_MODE_READ); });
        if (out != nullptr) *out = text;
        return h;
    }

    static std::string notFound(const std::string& name) {
        return "fileOpen didn't find " + name + " in game dir. or blob.\n";
    }

    // An archive of one entry, size 100 at offset 2000, followed by more
    // bytes so that reading too much would show.
    ArchiveImage heroArchive() {
        ArchiveImage a;
        a.u32(1);
        a.entry(hashName("DATA/HERO.TGA"), 100, 7, 2000);
        a.dataAt(2000, pattern(100, 1));
        a.dataAt(2100, std::vector<uint8_t>(50, 0xcc));
        return a;
    }
};

using testsupport::SANITIZED;

}  // namespace

TEST(ReadU32LE, DecodesLittleEndianWords) {
    const uint8_t sixteen[4] = {0x10, 0x00, 0x00, 0x00};
    const uint8_t high[4] = {0x00, 0x00, 0x00, 0x01};
    const uint8_t all[4] = {0x78, 0x56, 0x34, 0x12};
    const uint8_t ones[4] = {0xff, 0xff, 0xff, 0xff};
    EXPECT_EQ(readU32LE(sixteen), 16u);
    EXPECT_EQ(readU32LE(high), 16777216u);
    EXPECT_EQ(readU32LE(all), 0x12345678u);
    EXPECT_EQ(readU32LE(ones), 0xffffffffu);
}

TEST_F(BlobArchive, EmptyArchiveMissesEveryLookup) {
    ArchiveImage a;
    a.u32(0);
    writeFile("empty.blob", a.bytes);
    fileSystemInit("empty.blob", nullptr);
    EXPECT_EQ(blobEntryCount(), 0);
    std::string out;
    EXPECT_EQ(openRead("hero.tga", &out), -1);
    EXPECT_EQ(out, notFound("hero.tga"));
    FileBlock block;
    out = captured([&] { EXPECT_EQ(fileLoad("hero.tga", block), 0); });
    EXPECT_EQ(out, notFound("hero.tga") + "fileLoad failed to open hero.tga.\n");
}

TEST_F(BlobArchive, HitGivesAHandlePositionedAtTheEntry) {
    writeFile("game.blob", heroArchive().bytes);
    fileSystemInit("game.blob", nullptr);
    EXPECT_EQ(blobEntryCount(), 1);
    std::string out;
    int32_t h = openRead("data/hero.tga", &out);
    EXPECT_EQ(out, "");
    ASSERT_GE(h, 0);
    EXPECT_EQ(curBlobSize(), 100);
    EXPECT_EQ(curBlobUnpackedSize(), 7);
    EXPECT_EQ(curBlobOffset(), 2000);
    uint8_t first[10];
    EXPECT_EQ(fileRead(h, first, 10), 10);
    std::vector<uint8_t> expected = pattern(100, 1);
    EXPECT_EQ(std::vector<uint8_t>(first, first + 10),
              std::vector<uint8_t>(expected.begin(), expected.begin() + 10));
    int32_t size = 0;
    int32_t unpacked = 0;
    fileLength("data/hero.tga", h, &size, &unpacked);
    EXPECT_EQ(size, 100);
    EXPECT_EQ(unpacked, 7);
    EXPECT_EQ(fileClose(h), 0);
}

TEST_F(BlobArchive, HitOfSize100AtOffset2000ThroughFileLoad) {
    writeFile("game.blob", heroArchive().bytes);
    fileSystemInit("game.blob", nullptr);
    FileBlock block;
    int32_t result = 0;
    std::string out = captured([&] { result = fileLoad("data/hero.tga", block); });
    EXPECT_EQ(out, "");
    ASSERT_EQ(result, 100);
    ASSERT_TRUE(block.ownsBytes());
    EXPECT_EQ(std::vector<uint8_t>(block.data(), block.data() + 100), pattern(100, 1));

    // Into the caller's buffer: exactly the entry's bytes, nothing after them.
    std::vector<uint8_t> buffer(150, 0xee);
    EXPECT_EQ(fileLoad("DATA/HERO.TGA", buffer.data(), 150), 100);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 100), pattern(100, 1));
    EXPECT_EQ(buffer[100], 0xee);

    std::vector<uint8_t> small(99, 0xee);
    out = captured([&] { EXPECT_EQ(fileLoad("data/hero.tga", small.data(), 99), 0); });
    EXPECT_EQ(out, "Buffer passed to fileLoad too small for data/hero.tga, load skipped.\n");
    EXPECT_EQ(small, std::vector<uint8_t>(99, 0xee));
}

TEST_F(BlobArchive, DiskHidesAnArchiveEntry) {
    ASSERT_TRUE(writeBlobArchive("game.blob", {{"hero.tga", bytesOf("from the archive")}}));
    writeText("hero.tga", "disk");
    fileSystemInit("game.blob", nullptr);
    FileBlock block;
    EXPECT_EQ(fileLoad("hero.tga", block), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 4), "disk");
    EXPECT_EQ(curBlobSize(), 0);
    // Once the disk file is gone, the archive serves the name.
    std::filesystem::remove("hero.tga");
    EXPECT_EQ(fileLoad("hero.tga", block), 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 16), "from the archive");
}

TEST_F(BlobArchive, LookupIsCaseBlind) {
    ASSERT_TRUE(writeBlobArchive("game.blob", {{"Sprites/Hero.TGA", bytesOf("pixels")}}));
    fileSystemInit("game.blob", nullptr);
    for (const char* name : {"sprites/hero.tga", "SPRITES/HERO.TGA", "Sprites/Hero.TGA"}) {
        FileBlock block;
        EXPECT_EQ(fileLoad(name, block), 6) << name;
    }
    // The path counts: another folder is another name.
    std::string out;
    EXPECT_EQ(openRead("hero.tga", &out), -1);
    EXPECT_EQ(out, notFound("hero.tga"));
}

TEST_F(BlobArchive, LongNamesAreLookedUpWhole) {
    std::string name = std::string(300, 'd') + "/" + std::string(150, 'n') + ".bin";
    ASSERT_TRUE(writeBlobArchive("game.blob", {{name, bytesOf("long")}}));
    fileSystemInit("game.blob", nullptr);
    FileBlock block;
    EXPECT_EQ(fileLoad(name.c_str(), block), 4);
    std::string other = name;
    other[200] = 'e';  // far past the first 99 characters: still a different name
    std::string out = captured([&] { EXPECT_EQ(fileLoad(other.c_str(), block), 0); });
    EXPECT_EQ(out, notFound(other) + "fileLoad failed to open " + other + ".\n");
}

TEST_F(BlobArchive, DiskOpenResetsTheCurrentEntry) {
    writeFile("game.blob", heroArchive().bytes);
    writeText("plain.txt", "plain");
    fileSystemInit("game.blob", nullptr);

    int32_t h = openRead("data/hero.tga");
    ASSERT_GE(h, 0);
    fileClose(h);
    ASSERT_EQ(curBlobSize(), 100);

    // A lookup in which no hash matches, and a failed create, leave the values.
    EXPECT_EQ(openRead("other.tga"), -1);
    EXPECT_EQ(fileOpen("missing/dir/x", 2), -1);
    EXPECT_EQ(curBlobSize(), 100);
    EXPECT_EQ(curBlobOffset(), 2000);

    h = openRead("plain.txt");
    ASSERT_GE(h, 0);
    fileClose(h);
    EXPECT_EQ(curBlobSize(), 0);
    EXPECT_EQ(curBlobUnpackedSize(), 0);
    EXPECT_EQ(curBlobOffset(), 0);
    int32_t size = 0;
    int32_t unpacked = 1;
    fileLength("plain.txt", -1, &size, &unpacked);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(unpacked, 0);

    // A disk open for writing resets them too.
    h = openRead("data/hero.tga");
    fileClose(h);
    ASSERT_EQ(curBlobSize(), 100);
    h = fileOpen("written.txt", 17154, 384);
    ASSERT_GE(h, 0);
    fileClose(h);
    EXPECT_EQ(curBlobSize(), 0);
    EXPECT_EQ(curBlobOffset(), 0);
}

TEST_F(BlobArchive, EveryHitIsANewDescriptor) {
    writeFile("game.blob", heroArchive().bytes);
    fileSystemInit("game.blob", nullptr);
    int32_t h1 = openRead("data/hero.tga");
    int32_t h2 = openRead("data/hero.tga");
    ASSERT_GE(h1, 0);
    ASSERT_GE(h2, 0);
    EXPECT_NE(h1, h2);
    uint8_t a[5];
    uint8_t b[5];
    EXPECT_EQ(fileRead(h1, a, 5), 5);
    EXPECT_EQ(fileRead(h2, b, 5), 5);
    EXPECT_EQ(0, memcmp(a, b, 5));
    fileClose(h1);
    fileClose(h2);
}

TEST_F(BlobArchive, ArchiveIsNotKeptOpen) {
    writeFile("game.blob", heroArchive().bytes);
    int32_t before = fileOpenDisk("game.blob", 1);
    fileClose(before);
    fileSystemInit("game.blob", nullptr);
    int32_t after = fileOpenDisk("game.blob", 1);
    EXPECT_EQ(after, before);  // the lowest free descriptor is the same one
    fileClose(after);
}

TEST_F(BlobArchive, ManyEntriesEachFound) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (int i = 0; i < 40; ++i) {
        files.emplace_back("file" + std::to_string(i) + ".dat", pattern(size_t(i * 3), uint8_t(i)));
    }
    ASSERT_TRUE(writeBlobArchive("many.blob", files));
    fileSystemInit("many.blob", nullptr);
    EXPECT_EQ(blobEntryCount(), 40);
    for (int i = 1; i < 40; ++i) {
        FileBlock block;
        ASSERT_EQ(fileLoad(files[i].first.c_str(), block), i * 3) << i;
        EXPECT_EQ(std::vector<uint8_t>(block.data(), block.data() + i * 3), files[i].second);
    }
}

TEST_F(BlobArchive, EntryOfSizeZeroLoadsNothing) {
    ArchiveImage a;
    a.u32(1);
    a.entry(hashName("EMPTY"), 0, 0, 20);
    a.dataAt(20, bytesOf("not part of it"));
    writeFile("game.blob", a.bytes);
    fileSystemInit("game.blob", nullptr);
    int32_t h = openRead("empty");
    ASSERT_GE(h, 0);
    EXPECT_EQ(curBlobOffset(), 20);
    fileClose(h);
    FileBlock block;
    std::string out = captured([&] { EXPECT_EQ(fileLoad("empty", block), 0); });
    EXPECT_EQ(out, "");
    // Into a buffer: nothing read, nothing written.
    uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(fileLoad("empty", buffer, 4), 0);
    EXPECT_EQ(buffer[0], 9);
}

TEST_F(BlobArchive, MissingArchiveIsFatal) {
    auto child = runInChild([] { fileSystemInit("missing.blob", nullptr); });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, "Failed to open missing.blob for reading!\n");
    std::string name = std::string(400, 'z') + ".blob";  // no limit on the name's length
    child = runInChild([&] { fileSystemInit(name.c_str(), nullptr); });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, "Failed to open " + name + " for reading!\n");
}

TEST_F(BlobArchive, NoMemoryForTheHeaderIsFatal) {
    if (SANITIZED) GTEST_SKIP() << "an address-space limit does not mix with the sanitizers";
    // A sparse archive of 1 GiB whose count claims every entry that fits.
    ArchiveImage a;
    a.u32(0x7fffffff);
    writeFile("huge.blob", a.bytes);
    std::filesystem::resize_file("huge.blob", uint64_t{1} << 30);
    auto child = runInChild([] {
        rlimit limit{uint64_t{512} << 20, uint64_t{512} << 20};
        setrlimit(RLIMIT_AS, &limit);
        fileSystemInit("huge.blob", nullptr);
    });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, "Can't malloc for blob header.\n");
}

TEST_F(BlobArchive, HeaderUsesOnlyTheWholeEntriesPresent) {
    struct Case {
        int prefixBytes;  // bytes of the count word written (4: all of it)
        uint32_t count;
        int entries;    // whole entries written after the count
        int extra;      // further bytes after them
        int32_t inUse;  // entries the layer uses
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},          {2, 1, 0, 0, 0},          {4, 0, 3, 0, 0},
        {4, 1, 3, 0, 1},          {4, 5, 2, 10, 2},         {4, 5, 2, 16, 3},
        {4, 0x7fffffff, 1, 1, 1}, {4, 0xffffffff, 2, 0, 0}, {4, 0x80000000, 2, 0, 0},
    };
    for (const Case& c : cases) {
        fileSystemReset();
        ArchiveImage a;
        a.u32(c.count);
        a.bytes.resize(size_t(c.prefixBytes));
        for (int i = 0; i < c.entries; ++i) a.entry(hashName("E"), 0, 0, 0);
        a.bytes.resize(a.bytes.size() + size_t(c.extra), 0);
        writeFile("h.blob", a.bytes);
        fileSystemInit("h.blob", nullptr);
        EXPECT_EQ(blobEntryCount(), c.inUse) << c.count << " " << c.entries << " " << c.extra;
    }
}

TEST_F(BlobArchive, TruncatedHeaderKeepsTheWholeEntriesOnly) {
    // The count says 5; the file holds two whole entries, then 10 bytes: a third entry's first
    // 10 bytes, which are also the data of the first entry.
    ArchiveImage a;
    a.u32(5);
    a.entry(hashName("ONE"), 10, 0, 36);
    a.entry(hashName("TWO"), 4, 0, 40);
    a.dataAt(36, bytesOf("0123456789"));
    ASSERT_EQ(a.bytes.size(), 46u);
    writeFile("cut.blob", a.bytes);
    fileSystemInit("cut.blob", nullptr);
    EXPECT_EQ(blobEntryCount(), 2);
    FileBlock block;
    EXPECT_EQ(fileLoad("one", block), 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 10), "0123456789");
    EXPECT_EQ(fileLoad("two", block), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 4), "4567");
}

TEST_F(BlobArchive, NegativeCountMeansNoEntries) {
    ArchiveImage a;
    a.u32(0xffffffffu);
    a.entry(hashName("A"), 1, 0, 20);
    a.dataAt(20, bytesOf("a"));
    writeFile("neg.blob", a.bytes);
    fileSystemInit("neg.blob", nullptr);
    std::string out;
    EXPECT_EQ(openRead("a", &out), -1);
    EXPECT_EQ(out, notFound("a"));
}

TEST_F(BlobArchive, SizeOrOffsetWordOfTwoToThe31DoesNotMatch) {
    struct Words {
        uint32_t size;
        uint32_t offset;
    };
    for (Words w : {Words{0x80000000u, 20}, Words{0xffffffffu, 20}, Words{1, 0x80000000u},
                    Words{1, 0xffffffffu}, Words{0x80000000u, 0x80000000u}}) {
        fileSystemReset();
        ArchiveImage a;
        a.u32(1);
        a.entry(hashName("BAD"), w.size, 0, w.offset);
        a.dataAt(20, pattern(64));
        writeFile("bad.blob", a.bytes);
        fileSystemInit("bad.blob", nullptr);
        std::string out;
        EXPECT_EQ(openRead("bad", &out), -1) << w.size << " " << w.offset;
        EXPECT_EQ(out, notFound("bad"));
        EXPECT_EQ(curBlobSize(), 0);  // a word that does not match sets nothing
        EXPECT_EQ(curBlobOffset(), 0);
        FileBlock block;
        out = captured([&] { EXPECT_EQ(fileLoad("bad", block), 0); });
        EXPECT_EQ(out, notFound("bad") + "fileLoad failed to open bad.\n");
        EXPECT_EQ(block.data(), nullptr);
    }
}

TEST_F(BlobArchive, LookupGoesOnPastAnEntryThatDoesNotMatch) {
    ArchiveImage a;
    a.u32(3);
    a.entry(hashName("TWIN"), 0x80000000u, 0, 52);  // too large a size
    a.entry(hashName("TWIN"), 100, 0, 52);          // past the end
    a.entry(hashName("TWIN"), 3, 5, 52);            // good
    a.dataAt(52, bytesOf("yes"));
    writeFile("twin.blob", a.bytes);
    fileSystemInit("twin.blob", nullptr);
    FileBlock block;
    EXPECT_EQ(fileLoad("twin", block), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 3), "yes");
    EXPECT_EQ(curBlobUnpackedSize(), 5);
}

TEST_F(BlobArchive, DataPastTheEndDoesNotMatch) {
    ArchiveImage a;
    a.u32(2);
    a.entry(hashName("EXACT"), 10, 0, 36);  // ends exactly at the end: matches
    a.entry(hashName("OVER"), 11, 0, 36);   // one byte past the end
    a.dataAt(36, bytesOf("abcdefghij"));
    writeFile("end.blob", a.bytes);
    fileSystemInit("end.blob", nullptr);
    FileBlock block;
    EXPECT_EQ(fileLoad("exact", block), 10);
    std::string out = captured([&] { EXPECT_EQ(fileLoad("over", block), 0); });
    EXPECT_EQ(out, notFound("over") + "fileLoad failed to open over.\n");
    // An offset beyond the end with size 0 does not match either.
    fileSystemReset();
    ArchiveImage b;
    b.u32(1);
    b.entry(hashName("FAR"), 0, 0, 1000);
    writeFile("far.blob", b.bytes);
    fileSystemInit("far.blob", nullptr);
    EXPECT_EQ(openRead("far"), -1);
}

TEST_F(BlobArchive, ArchiveGoneAtLookupSetsTheValuesAndFails) {
    writeFile("game.blob", heroArchive().bytes);
    fileSystemInit("game.blob", nullptr);
    std::filesystem::remove("game.blob");
    std::string out;
    EXPECT_EQ(openRead("data/hero.tga", &out), -1);
    EXPECT_EQ(out, notFound("data/hero.tga"));
    EXPECT_EQ(curBlobSize(), 100);  // the hash matched: the values are set all the same
    EXPECT_EQ(curBlobOffset(), 2000);
}

TEST_F(BlobArchive, ArchiveShrunkAfterStartUpIsAFailedOpen) {
    writeFile("game.blob", heroArchive().bytes);
    fileSystemInit("game.blob", nullptr);
    std::filesystem::resize_file("game.blob", 2050);  // the entry's data now ends past the file
    FileBlock block;
    std::string out = captured([&] { EXPECT_EQ(fileLoad("data/hero.tga", block), 0); });
    EXPECT_EQ(out, notFound("data/hero.tga") + "fileLoad failed to open data/hero.tga.\n");
}

TEST_F(BlobArchive, WriterLayout) {
    ASSERT_TRUE(writeBlobArchive(
        "w.blob", {{"a.txt", bytesOf("AB")}, {"dir/B.txt", {}}, {"c", bytesOf("xyz")}}));
    std::vector<uint8_t> bytes = readFile("w.blob");
    ASSERT_EQ(bytes.size(), 4u + 3 * 16 + 5);
    EXPECT_EQ(readU32LE(&bytes[0]), 3u);
    const uint8_t* e = &bytes[4];
    EXPECT_EQ(readU32LE(e + 0), hashName("A.TXT"));
    EXPECT_EQ(readU32LE(e + 4), 2u);
    EXPECT_EQ(readU32LE(e + 8), 0u);
    EXPECT_EQ(readU32LE(e + 12), 52u);
    EXPECT_EQ(readU32LE(e + 16), hashName("dir/b.txt"));
    EXPECT_EQ(readU32LE(e + 20), 0u);
    EXPECT_EQ(readU32LE(e + 28), 54u);
    EXPECT_EQ(readU32LE(e + 32), hashName("c"));
    EXPECT_EQ(readU32LE(e + 36), 3u);
    EXPECT_EQ(readU32LE(e + 44), 54u);
    EXPECT_EQ(std::string(bytes.begin() + 52, bytes.end()), "ABxyz");
}

TEST_F(BlobArchive, WriterOfAnEmptyListAndAFailedWrite) {
    ASSERT_TRUE(writeBlobArchive("none.blob", {}));
    EXPECT_EQ(readFile("none.blob"), std::vector<uint8_t>(4, 0));
    EXPECT_FALSE(writeBlobArchive("no/such/dir/x.blob", {{"a", bytesOf("a")}}));
    EXPECT_FALSE(writeBlobArchive("/dev/full", {{"a", bytesOf("a")}}));
}
