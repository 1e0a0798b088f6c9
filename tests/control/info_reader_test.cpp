// Reading info files back into the sprite set: the files are written here by hand in the
// format the output stage writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "control/info_reader.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "tests/support/test_support.hpp"

namespace {

class InfoReader : public ::testing::Test {
  protected:
    void SetUp() override { fileSystemInit("", nullptr); }
    std::string write(const std::string& text) {
        const std::string path = dir.file("info.txt");
        testsupport::writeText(path, text);
        return path;
    }
    testsupport::TempDir dir;
};

TEST_F(InfoReader, ReadsEveryFieldOfEveryEntry) {
    const std::string path = write(
        "2 sprites\n"
        "hid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n"
        "hid 42 hotspot method Middle padding 0  hx -16  hy -8  wd 31  ht 17\n");
    const SpriteSet* set = getSpriteHeader(path.c_str());
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->count, 2);
    const SpriteRecord& a = set->records[0];
    EXPECT_EQ(a.hid, 3087970575u);
    EXPECT_EQ(a.hotspotMethod, HS_UPLEFT);
    EXPECT_EQ(a.padding, 1);
    EXPECT_EQ(a.hx, 0);
    EXPECT_EQ(a.hy, 0);
    EXPECT_EQ(a.wd, 20);
    EXPECT_EQ(a.ht, 10);
    const SpriteRecord& b = set->records[1];
    EXPECT_EQ(b.hid, 42u);
    EXPECT_EQ(b.hotspotMethod, HS_MIDDLE);
    EXPECT_EQ(b.padding, 0);
    EXPECT_EQ(b.hx, -16);
    EXPECT_EQ(b.hy, -8);
    EXPECT_EQ(b.wd, 31);
    EXPECT_EQ(b.ht, 17);

    EXPECT_EQ(findSprite(set, "abc"), &set->records[0]);
    EXPECT_EQ(findSprite(set, "ABC"), &set->records[0]);
    EXPECT_EQ(findSprite(set, "abd"), nullptr);
}

TEST_F(InfoReader, ReadsCrLfFilesAndEveryMethodName) {
    const std::string path = write(
        "3 sprites\r\n"
        "hid 1 hotspot method HotXY padding 1  hx -5  hy 7  wd 1  ht 2\r\n"
        "hid 2 hotspot method downright padding 1  hx -1  hy -1  wd 0  ht 0\r\n"
        "hid 3 hotspot method Sideways padding 1  hx 0  hy 0  wd 4  ht 4\r\n");
    const SpriteSet* set = getSpriteHeader(path.c_str());
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->count, 3);
    EXPECT_EQ(set->records[0].hotspotMethod, HS_HOTXY);
    EXPECT_EQ(set->records[0].hx, -5);
    EXPECT_EQ(set->records[1].hotspotMethod, HS_DOWNRIGHT);
    EXPECT_EQ(set->records[1].hid, 2u);
    EXPECT_EQ(set->records[2].hotspotMethod, -1);
    EXPECT_EQ(set->records[2].wd, 4);
}

TEST_F(InfoReader, ZeroSpritesGiveAnEmptySet) {
    const SpriteSet* set = getSpriteHeader(write("0 sprites\n").c_str());
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->count, 0);
    EXPECT_EQ(findSprite(set, ""), nullptr);
}

TEST_F(InfoReader, MissingEntriesReadAsZeroes) {
    const SpriteSet* set =
        getSpriteHeader(write("3 sprites\nhid 9 hotspot method UpRight padding 1  hx -4").c_str());
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->count, 3);
    EXPECT_EQ(set->records[0].hid, 9u);
    EXPECT_EQ(set->records[0].hotspotMethod, HS_UPRIGHT);
    EXPECT_EQ(set->records[0].hx, -4);
    EXPECT_EQ(set->records[0].hy, 0);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(set->records[i].hid, 0u);
        EXPECT_EQ(set->records[i].hotspotMethod, -1);
        EXPECT_EQ(set->records[i].wd, 0);
    }
}

TEST_F(InfoReader, FailuresPrintTheirLineAndGiveNull) {
    struct Case {
        const char* text;  // null: no file at all
        const char* message;
    };
    const Case cases[] = {
        {nullptr, "Warning!  Couldn't open sprite header %s for reading.\n"},
        {"", "Warning!  Couldn't open sprite header %s for reading.\n"},
        {"2000000 sprites\n", "Couldn't memAlloc for sprite set %s in getSpriteHeader.\n"},
        {"1000001 sprites\n", "Couldn't memAlloc for sprite set %s in getSpriteHeader.\n"},
        {"-1 sprites\n", "Couldn't memAlloc for sprite set %s in getSpriteHeader.\n"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("info.txt");
        std::remove(path.c_str());
        if (c.text != nullptr) testsupport::writeText(path, c.text);
        testsupport::ChildResult result = testsupport::runInChild([&] {
            const SpriteSet* set = getSpriteHeader(path.c_str());
            std::printf("%s", set == nullptr ? "null\n" : "set\n");
        });
        std::string expected(c.message);
        expected.replace(expected.find("%s"), 2, path);
        // A missing file also gets the file layer's own lines first.
        ASSERT_GE(result.out.size(), expected.size() + 5) << result.out;
        EXPECT_EQ(result.out.substr(result.out.size() - expected.size() - 5), expected + "null\n")
            << (c.text ? c.text : "(no file)");
    }
}

TEST_F(InfoReader, ARefusedCountEmptiesTheSetAndAMissingFileKeepsIt) {
    const std::string good =
        write("1 sprites\nhid 5 hotspot method UpLeft padding 1  hx 0  hy 0  wd 1  ht 1\n");
    const SpriteSet* set = getSpriteHeader(good.c_str());
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->count, 1);

    // The set is one process-wide object, so the pointer sees what later calls leave in it.
    EXPECT_EQ(getSpriteHeader(dir.file("missing.txt").c_str()), nullptr);
    EXPECT_EQ(set->count, 1);
    EXPECT_EQ(set->records[0].hid, 5u);

    EXPECT_EQ(getSpriteHeader(write("2000000 sprites\n").c_str()), nullptr);
    EXPECT_EQ(set->count, 0);
    EXPECT_TRUE(set->records.empty());
}

TEST_F(InfoReader, TheLargestAcceptedCountIsRead) {
    const SpriteSet* set = getSpriteHeader(write("1000000 sprites\n").c_str());
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->count, MAX_INFO_FILE_COUNT);
    EXPECT_EQ(set->records.back().hotspotMethod, -1);
    SpriteSet copy;
    copy.records = set->records;
    copy.count = set->count;
    freeSpriteSet(&copy);
    EXPECT_EQ(copy.count, 0);
    EXPECT_TRUE(copy.records.empty());
}

}  // namespace
