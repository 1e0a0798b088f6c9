// Commands whose product is standard output (--help, --version, --dump, --check) fail with
// "spritebake: write error: REASON" on standard error and status 1 when it cannot be written;
// an ordinary run, whose standard output holds only messages, keeps its status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sprite_builders.hpp"
#include "tests/support/test_support.hpp"

namespace drivertest {
namespace {

using testsupport::ChildResult;
using testsupport::ChildStdout;

const std::string kWriteError = "spritebake: write error: No space left on device\n";

ChildResult runToFullDevice(const BakeDir& dir, const std::vector<std::string>& args) {
    testsupport::ChildLimits limits;
    limits.stdoutMode = ChildStdout::fullDevice;
    return testsupport::runSpritebake(args, dir.path(""), limits);
}

struct FullCase {
    const char* name;
    std::vector<std::string> args;
    std::string err;
    int status;
};

class FullStandardOutput : public ::testing::TestWithParam<FullCase> {};

TEST_P(FullStandardOutput, IsAWriteError) {
    const FullCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/abc.tga", boxPicture(24, 14, 3, 2, 20, 10));
    dir.writeText("clean.ctl", kHead + "TGA abc\n");
    dir.writeText("problem.ctl", kHead + "TGA abc\nTGA gone\n");
    ASSERT_EQ(testsupport::runSpritebake({"clean.ctl"}, dir.path("")).exitStatus, 0);
    const ChildResult result = runToFullDevice(dir, c.args);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.exitStatus, c.status);
}

const FullCase kFullCases[] = {
    {"Help", {"--help"}, kWriteError, 1},
    {"Version", {"--version"}, kWriteError, 1},
    {"Dump", {"--dump", "info.txt"}, kWriteError, 1},
    // Status 3 for the problems found gives way to 1.
    {"CheckWithDiagnostics", {"--check", "problem.ctl"}, kWriteError, 1},
    // Nothing to write, nothing failed.
    {"CheckWithoutDiagnostics", {"--check", "clean.ctl"}, "", 0},
    // The run's own message goes to standard output as well.
    {"CheckOfAMissingControlFile", {"--check", "none.ctl"}, kWriteError, 1},
    // A dump that fails says so on standard error and writes nothing more.
    {"DumpOfAMissingFile",
     {"--dump", "none.txt"},
     "spritebake: none.txt: cannot read the file\n",
     1},
};

INSTANTIATE_TEST_SUITE_P(StandardOutput, FullStandardOutput, ::testing::ValuesIn(kFullCases),
                         [](const ::testing::TestParamInfo<FullCase>& info) {
                             return std::string(info.param.name);
                         });

// A run's messages are dropped when they cannot be written; its status says what it wrote.
TEST(StandardOutput, AnOrdinaryRunKeepsItsStatus) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", boxPicture(24, 14, 3, 2, 20, 10));
    dir.writeText("problem.ctl", kHead + "TGA abc\nTGA gone\n");
    const ChildResult result = runToFullDevice(dir, {"problem.ctl"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"),
              "1 sprites\nhid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  "
              "ht 10\n");
    // Under --strict the message still counts as printed.
    EXPECT_EQ(runToFullDevice(dir, {"--strict", "problem.ctl"}).exitStatus, 3);
}

}  // namespace
}  // namespace drivertest
