// The files a Sprites pattern finds on disk, in a scratch tree with every kind of entry: hidden
// files and folders, links to files and folders, a dangling link, a FIFO, a folder whose name
// ends in .png, and files of no sprite kind. The files are empty: nothing here loads them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "control/pattern_files.hpp"
#include "tests/support/test_support.hpp"

namespace fs = std::filesystem;

namespace {

class PatternFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        art_ = dir_.file("art") + "/";
        for (const char* folder : {"walk/sub", "walk/.cache", "walk/dir.png", "deep/a/b"}) {
            fs::create_directories(art_ + folder);
        }
        for (const char* file : {"walk/0001.png", "walk/0002.PNG", "walk/10.tga", "walk/9.pcx",
                                 "walk/notes.txt", "walk/.hidden.png", "walk/.cache/x.png",
                                 "walk/sub/a.png", "deep/a/b/c.tga", "top.tga"}) {
            testsupport::writeText(art_ + file, "");
        }
        fs::create_symlink("0001.png", art_ + "walk/link.png");
        fs::create_symlink("nowhere.png", art_ + "walk/dangling.png");
        fs::create_directory_symlink("walk", art_ + "linked");
        ASSERT_EQ(mkfifo((art_ + "walk/fifo.png").c_str(), 0600), 0);
    }

    // The relative paths found, in the order found.
    std::vector<std::string> find(const std::string& pattern) {
        found_ = findPatternFiles(art_, parseSpritePattern(pattern));
        std::vector<std::string> paths;
        for (const PatternFile& file : found_.files) paths.push_back(file.relative);
        return paths;
    }

    std::vector<std::string> folders(std::initializer_list<const char*> relative) const {
        std::vector<std::string> paths;
        for (const char* folder : relative) paths.push_back(dir_.file("art") + folder);
        return paths;
    }

    testsupport::TempDir dir_;
    std::string art_;
    PatternFiles found_;
};

using Paths = std::vector<std::string>;

TEST_F(PatternFilesTest, StarMatchesWithinOneFolderAndLetterCaseCounts) {
    EXPECT_EQ(find("walk/*.png"), (Paths{"walk/0001.png", "walk/link.png"}));
    EXPECT_EQ(found_.foldersListed, folders({"/walk"}));
    EXPECT_EQ(find("walk/*.PNG"), (Paths{"walk/0002.PNG"}));
}

TEST_F(PatternFilesTest, ATrailingSlashTakesEverySpriteFileOfTheFolder) {
    // Not the text file, the hidden file, the FIFO, the dangling link nor the folder dir.png.
    EXPECT_EQ(find("walk/"), (Paths{"walk/0001.png", "walk/0002.PNG", "walk/9.pcx", "walk/10.tga",
                                    "walk/link.png"}));
    EXPECT_EQ(found_.files[0].kind, SOURCE_PNG);
    EXPECT_EQ(found_.files[1].kind, SOURCE_PNG);
    EXPECT_EQ(found_.files[2].kind, SOURCE_PCX);
    EXPECT_EQ(found_.files[3].kind, SOURCE_TGA);
    EXPECT_EQ(find("/"), (Paths{"top.tga"}));
}

TEST_F(PatternFilesTest, QuestionMarkIsOneCharacter) {
    EXPECT_EQ(find("walk/?.pcx"), (Paths{"walk/9.pcx"}));
    EXPECT_EQ(find("walk/??.*"), (Paths{"walk/10.tga"}));
}

TEST_F(PatternFilesTest, AnyFoldersMatchesZeroOrMoreButNeverALinkedFolder) {
    EXPECT_EQ(find("**/*.tga"), (Paths{"deep/a/b/c.tga", "top.tga", "walk/10.tga"}));
    EXPECT_EQ(found_.foldersListed, folders({"", "/deep", "/deep/a", "/deep/a/b", "/walk",
                                             "/walk/dir.png", "/walk/sub"}));
    EXPECT_EQ(find("**/0001.png"), (Paths{"walk/0001.png"}));
    EXPECT_EQ(find("deep/**/b/*"), (Paths{"deep/a/b/c.tga"}));
    EXPECT_EQ(find("walk/**/*.png"), (Paths{"walk/0001.png", "walk/link.png", "walk/sub/a.png"}));
}

TEST_F(PatternFilesTest, LiteralSegmentsNameHiddenAndLinkedFolders) {
    EXPECT_EQ(find("walk/.cache/*.png"), (Paths{"walk/.cache/x.png"}));
    EXPECT_EQ(find("linked/*.tga"), (Paths{"linked/10.tga"}));
    EXPECT_EQ(find("linked/0001.png"), (Paths{"linked/0001.png"}));
    EXPECT_TRUE(found_.foldersListed.empty());  // looked up, never listed
    // A wildcard never goes into a linked folder: only a name does.
    EXPECT_EQ(find("*/10.tga"), (Paths{"walk/10.tga"}));
    EXPECT_EQ(find("l*/10.tga"), Paths{});
    EXPECT_EQ(find("walk/*/*.png"), (Paths{"walk/sub/a.png"}));
}

TEST_F(PatternFilesTest, WhatNeverMatches) {
    const char* const patterns[] = {
        "",                   // empty
        "../art/walk/*.png",  // leaves Source
        "walk/../top.tga",
        "walk/.hidden.png",  // a hidden file, even named
        "walk/fifo.png",     // not a regular file
        "walk/dangling.png",
        "walk/notes.txt",  // no sprite kind
        "walk/dir.png",    // a folder
        "missing/*.png",
        ".",
    };
    for (const char* pattern : patterns) {
        EXPECT_EQ(find(pattern), Paths{}) << pattern;
    }
}

TEST_F(PatternFilesTest, ASourceWithoutItsSlashGetsOne) {
    found_ = findPatternFiles(dir_.file("art"), parseSpritePattern("walk/?.pcx"));
    ASSERT_EQ(found_.files.size(), 1u);
    EXPECT_EQ(found_.files[0].relative, "walk/9.pcx");
    EXPECT_EQ(pathUnderSource(dir_.file("art"), "walk/9.pcx"), art_ + "walk/9.pcx");
}

}  // namespace
