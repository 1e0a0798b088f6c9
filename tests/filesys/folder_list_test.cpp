// One folder's listing: every kind of entry told apart without opening any of them, a FIFO
// included (opening one would block), and the folders that cannot be listed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "filesys/folder_list.hpp"
#include "tests/support/test_support.hpp"

namespace fs = std::filesystem;

namespace {

struct Seen {
    std::string name;
    FolderEntryKind kind;
    bool linked;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> listed(const std::string& folder) {
    std::vector<FolderEntry> entries;
    EXPECT_EQ(listFolder(folder, entries), FolderList::listed);
    std::vector<Seen> seen;
    for (const FolderEntry& entry : entries) seen.push_back({entry.name, entry.kind, entry.linked});
    std::sort(seen.begin(), seen.end(),
              [](const Seen& a, const Seen& b) { return a.name < b.name; });
    return seen;
}

TEST(FolderList, TellsEveryKindOfEntryApart) {
    testsupport::TempDir dir;
    testsupport::writeText(dir.file("file.tga"), "x");
    testsupport::writeText(dir.file(".hidden"), "");
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("file.tga", dir.file("to-file"));
    fs::create_directory_symlink("sub", dir.file("to-sub"));
    fs::create_symlink("nowhere", dir.file("dangling"));
    fs::create_symlink("fifo", dir.file("to-fifo"));
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);

    using K = FolderEntryKind;
    const std::vector<Seen> expected = {
        {".hidden", K::regular, false},  {"dangling", K::other, true}, {"fifo", K::other, false},
        {"file.tga", K::regular, false}, {"sub", K::folder, false},    {"to-fifo", K::other, true},
        {"to-file", K::regular, true},   {"to-sub", K::folder, true},
    };
    EXPECT_EQ(listed(dir.path().string()), expected);
    EXPECT_EQ(listed(dir.path().string() + "/sub"), std::vector<Seen>{});
}

TEST(FolderList, WhatIsNoFolderListsNothing) {
    testsupport::TempDir dir;
    testsupport::writeText(dir.file("file"), "x");
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    std::vector<FolderEntry> entries = {FolderEntry{"stale", FolderEntryKind::regular, false}};
    for (const std::string& path : {dir.file("missing"), dir.file("file"), dir.file("fifo")}) {
        EXPECT_EQ(listFolder(path, entries), FolderList::unreadable) << path;
        EXPECT_TRUE(entries.empty()) << path;
    }
}

}  // namespace
