// A whole run on a control text in memory: the same messages, exit status and output bytes as
// the executable on the same text in a file, a fresh start on every call, and, with the file
// layer confined, no file reached or created outside the working folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "control/driver.hpp"
#include "output/output_files.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "filesys/testing.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

const Picture kBox = boxPicture(8, 7, 2, 1, 6, 4);
const IndexPicture kDots = boxIndexPicture(5, 6, 1, 2, 3, 3);

void addSprites(const BakeDir& dir, const std::string& folder) {
    dir.writeTga(folder + "box.tga", kBox);
    dir.writePcx(folder + "dots.pcx", kDots);
}

// Runs each text in turn in a child whose working folder is `cwd`, the file layer started
// (and confined when asked); the child's exit status is the last run's.
testsupport::ChildResult runInFolder(const std::string& cwd, std::vector<std::string> texts,
                                     bool confined = false) {
    return testsupport::runInChild([&] {
        if (chdir(cwd.c_str()) != 0) _exit(120);
        fileSystemInit("", nullptr);
        fileSetConfinement(confined);
        ExitStatus status = ExitStatus::done;
        for (const std::string& text : texts) status = runControlTextWithOutput(text, "mem.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
}

struct SameCase {
    const char* name;
    std::string control;
    std::string output;  // the file to compare, "" when none is written
};

void PrintTo(const SameCase& c, std::ostream* os) {
    *os << c.name;
}

class RunWithOutput : public ::testing::TestWithParam<SameCase> {};

TEST_P(RunWithOutput, MatchesTheExecutable) {
    const SameCase& c = GetParam();
    BakeDir exeDir;
    BakeDir memDir;
    addSprites(exeDir, "art/");
    addSprites(memDir, "art/");
    exeDir.writeText("mem.ctl", c.control);  // so both name the same control file
    testsupport::ChildResult exe = testsupport::runSpritebake({"mem.ctl"}, exeDir.path(""));
    testsupport::ChildResult mem = runInFolder(memDir.path(""), {c.control});
    EXPECT_EQ(mem.out, exe.out);
    EXPECT_EQ(mem.exitStatus, exe.exitStatus);
    if (!c.output.empty()) {
        ASSERT_TRUE(exeDir.exists(c.output));
        EXPECT_EQ(memDir.read(c.output), exeDir.read(c.output));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, RunWithOutput,
    ::testing::Values(
        SameCase{"InfoFile", kHead + "TGA box\nHotspot Middle\nPCX dots\nTGA gone\n", "info.txt"},
        SameCase{"BinarySingleFile", kHead + "BIN\nWriteOneFile s.bin\nTGA box\nPCX dots\n",
                 "out/s.bin"},
        SameCase{"TextSingleFile", kHead + "HotXY 2 -3\nPCX dots\nWriteOneFile s.txt\nTGA box\n",
                 "out/s.txt"},
        SameCase{"WriteOneFileWithoutAName", kHead + "WriteOneFile\nTGA box\n", ""},
        SameCase{"NoInfoFileNamed", "Source art/\nDest out/\nTGA box\n", ""},
        SameCase{"OnlyAComment", "// nothing to do\n\n", ""}),
    [](const ::testing::TestParamInfo<SameCase>& info) { return std::string(info.param.name); });

TEST(RunWithOutputState, EachCallStartsAfresh) {
    BakeDir dir;
    addSprites(dir, "art/");
    testsupport::ChildResult result = runInFolder(
        dir.path(""), {kHead + "Padding Off\nBIN\nWriteOneFile s.bin\nTGA box\nPCX dots\n",
                       "InfoFile second.txt\nSource art/\nDest out/\nTGA box\n"});
    EXPECT_EQ(result.exitStatus, 0);
    // A table, output mode or padding left over from the first run would show here.
    EXPECT_EQ(dir.readText("second.txt"),
              "1 sprites\n" + infoLine(hashName("box"), "UpLeft", 1, 0, 0, 6, 4));
}

// Unlike an empty control file, which cannot be loaded, an empty text runs no statements and
// goes on to the output stage.
TEST(RunWithOutputState, EmptyTextRunsTheOutputStage) {
    BakeDir dir;
    testsupport::ChildResult result = runInFolder(dir.path(""), {""});
    EXPECT_EQ(result.out,
              "Couldn't open  to write the info file.  Info file not written, press key to "
              "continue.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

// The working folder is inner/ inside the test's folder, so a path that escaped would land in
// the test's folder, where it is looked for.
TEST(RunWithOutputConfined, NoPathLeavesTheWorkingFolder) {
    BakeDir dir;
    addSprites(dir, "art/");
    dir.makeDir("inner/art");
    dir.makeDir("inner/out");
    addSprites(dir, "inner/art/");
    const std::string escape = dir.path("escape.txt");
    const std::string art = dir.path("art/");
    struct Case {
        std::string control;
        std::string lastLine;
    };
    const Case cases[] = {
        {"InfoFile ../escape.txt\n",
         "Couldn't open ../escape.txt to write the info file.  Info file not written, press key "
         "to continue.\n"},
        {"InfoFile " + escape + "\n",
         "Couldn't open " + escape +
             " to write the info file.  Info file not written, press key to continue.\n"},
        {"Dest out/\nWriteOneFile ../../escape.txt\n",
         "Couldn't open out/../../escape.txt to write single sprite file.\n"},
        {"Source ../art/\nDest out/\nInfoFile info.txt\nTGA box\n",
         "Couldn't open sprite source ../art/box.tga, skipping.\n"},
        {"Source " + art + "\nDest out/\nInfoFile info.txt\nPCX dots\n",
         "Couldn't open sprite source " + art + "dots.pcx, skipping.\n"},
    };
    for (const Case& c : cases) {
        testsupport::ChildResult result = runInFolder(dir.path("inner"), {c.control}, true);
        ASSERT_GE(result.out.size(), c.lastLine.size()) << c.control;
        EXPECT_EQ(result.out.substr(result.out.size() - c.lastLine.size()), c.lastLine)
            << c.control;
        EXPECT_FALSE(dir.exists("escape.txt")) << c.control;
    }
    // The sources outside were refused, so the info files inside list nothing.
    EXPECT_EQ(dir.readText("inner/info.txt"), "0 sprites\n");
}

}  // namespace
}  // namespace drivertest
