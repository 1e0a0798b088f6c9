// One control file that holds every problem the lint knows (but the two output problems that
// exclude each other, "no output statement" and "WriteOneFile without a name", which the
// table of check_test.cpp covers): each is reported once, at its statement's line, and
// nothing is written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "check/check.hpp"
#include "console/console.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// A line of the control file and what the lint must say about it, in order.
struct Row {
    std::string line;
    std::vector<std::string> findings;
};

// The sprites that enter the table before the fill: box (twice), BOX, blank, dots, the
// colliding pair and the long name.
constexpr int32_t LISTED_BEFORE_FILL = 8;
constexpr int32_t TABLE_SIZE = 10000;

const std::string kLong = "long_" + std::string(80, 'x');

std::vector<Row> problemRows() {
    return {
        {"TGA early", {"sprite \"early\" skipped: no Source folder is set"}},
        {"Sorce art/", {"unexpected input \"Sorce art/\"; did you mean \"Source\"?"}},
        {"Source art",
         {"Source \"art\" does not end with \"/\"; no separator is put between it and a name"}},
        {"Source nowhere/",
         {"Source \"nowhere/\" replaces Source \"art\" from line 3 before any sprite used it",
          "Source folder \"nowhere/\" does not exist"}},
        {"Source art/",
         {"Source \"art/\" replaces Source \"nowhere/\" from line 4 before any sprite used it"}},
        {"PCX nodest", {"sprite \"nodest\" skipped: no Dest folder is set"}},
        {"Destination out/",
         {"\"Destination\" is read as the keyword Dest followed by \"ination\"; write Dest and "
          "its value apart",
          "unexpected input \"out/\""}},
        {"Dest out/",
         {"Dest \"out/\" replaces Dest \"ination\" from line 7 before any sprite used it"}},
        {"InfoFile first.txt", {}},
        {"InfoFile info.txt",
         {"InfoFile \"info.txt\" replaces InfoFile \"first.txt\" from line 9; only the last one "
          "counts"}},
        {"Binary",
         {"\"Binary\" is read as BIN followed by the stray word \"ary\"",
          "BIN has no effect without WriteOneFile"}},
        {"Padding 0",
         {"Padding value \"TGA\", read from line 13, is not On, Off, True or False; padding "
          "stays On"}},
        {"TGA box", {"unexpected input \"box\""}},
        {"Hotspot Midle",
         {"unknown hotspot method \"Midle\"; Middle is used; did you mean "
          "\"Middle\"?"}},
        {"HotXY 24",
         {"HotXY's two numbers are not both on its line: Y is read from line 17; lost from "
          "their statements: \"TGA box\" (line 16), \"HotXY\" (line 17)"}},
        {"TGA box", {}},
        {"HotXY 5 6", {"unexpected input \"6\""}},
        {"TGA box", {}},
        {"TGA box.tga",
         {"sprite name \"box.tga\" has an extension; TGA adds \".tga\" itself",
          "sprite source \"art/box.tga.tga\" does not exist"}},
        {"TGA sub/box",
         {"sprite name \"sub/box\" holds a path separator; the folder belongs in Source",
          "sprite source \"art/sub/box.tga\" does not exist"}},
        {"TGA only",
         {"\"art/only.tga\" does not exist, but \"art/only.pcx\" does; list it with "
          "PCX"}},
        {"TGA gone", {"sprite source \"art/gone.tga\" does not exist"}},
        {"TGA bad", {"\"art/bad.tga\" does not load as a TGA picture"}},
        {"TGA blank", {"sprite \"blank\" is blank (no visible pixel); it is kept as 0 x 0"}},
        {"PCX odd", {"Warning, byte after frame buffer not 12"}},
        {"TGA box", {"sprite \"box\" is listed again (first on line 18)"}},
        {"TGA BOX",
         {"sprites \"box\" (line 18) and \"BOX\" differ only in letter case; the game cannot "
          "tell them apart"}},
        {"TGA n1665", {}},
        // hashName of both is 2810089104, found with a separate lookup2.
        {"TGA n12120",
         {"sprites \"n1665\" (line 28) and \"n12120\" have the same hid -1484878192; the game "
          "cannot tell them apart"}},
        {"TGA " + kLong,
         {"sprite name of 85 characters is stored cut to 78: \"" + kLong.substr(0, 78) + "\""}},
        {"Dest out/", {"Dest given again: \"out/\" replaces Dest \"out/\" from line 8"}},
        {"Source art/", {}},
    };
}

TEST(CheckEveryProblem, EachOnceAtItsLineAndNothingWritten) {
    BakeDir dir;
    const Picture box = boxPicture(8, 7, 2, 1, 6, 4);
    dir.writeTga("art/box.tga", box);
    dir.writeTga("art/BOX.tga", box);
    dir.writeTga("art/blank.tga", Picture(5, 3));
    dir.writeText("art/bad.tga", "this is no picture");
    dir.writePcx("art/odd.pcx", boxIndexPicture(5, 6, 1, 2, 3, 3), 0);
    dir.writePcx("art/only.pcx", boxIndexPicture(4, 4, 0, 0, 2, 2));
    dir.writeTga("art/n1665.tga", box);
    dir.writeTga("art/n12120.tga", box);
    dir.writeTga("art/" + kLong + ".tga", box);

    std::vector<Row> rows = problemRows();
    // Fill the table (their hids collide with none of the names above), then one more.
    const std::filesystem::path art = dir.path("art");
    for (int32_t i = 0; i < TABLE_SIZE - LISTED_BEFORE_FILL; ++i) {
        const std::string name = "f" + std::to_string(i);
        std::filesystem::create_hard_link(art / "box.tga", art / (name + ".tga"));
        rows.push_back({"TGA " + name, {}});
    }
    rows.push_back({"TGA over", {"sprite \"over\" skipped: more than 10000 sprites"}});

    std::string text;
    std::string expected;
    for (size_t i = 0; i < rows.size(); ++i) {
        text += rows[i].line + "\n";
        for (const std::string& finding : rows[i].findings) {
            expected += "all.ctl:" + std::to_string(i + 1) + ": warning: " + finding + "\n";
        }
    }
    std::vector<std::string> before;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path(""))) {
        before.push_back(entry.path().string());
    }
    const std::vector<uint8_t> info = dir.read("info.txt");

    const testsupport::ChildResult result = testsupport::runInChild([&] {
        if (chdir(dir.path("").c_str()) != 0) _exit(120);
        setupConsole();
        const ExitStatus status = runCheckText(text, "all.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.exitStatus, 3);

    std::vector<std::string> after;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path(""))) {
        after.push_back(entry.path().string());
    }
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
    EXPECT_EQ(dir.read("info.txt"), info);
}

}  // namespace
}  // namespace drivertest
