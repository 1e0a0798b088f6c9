// The command line end to end: the real executable with each option and each command-line
// error, its standard output, standard error and exit status compared exactly, and what it left
// in a scratch folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildResult;

// abc: visible pixels in a 20 x 10 box at (3, 2) of a 24 x 14 picture; the hid of the name abc
// worked out by hand is 3087970575, printed signed.
const Picture kAbc = boxPicture(24, 14, 3, 2, 20, 10);
const std::string kAbcLine =
    "hid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n";
const std::string kOneAbc = "1 sprites\n" + kAbcLine;

ChildResult runIn(const BakeDir& dir, const std::vector<std::string>& args) {
    return testsupport::runSpritebake(args, dir.path(""));
}

TEST(Options, HelpOnStandardOutput) {
    for (const char* flag : {"--help", "-h", "-qh"}) {
        BakeDir dir;
        const ChildResult result = runIn(dir, {flag});
        EXPECT_TRUE(result.out.starts_with("Usage: spritebake [OPTION...] CONTROL_FILE\n")) << flag;
        EXPECT_NE(result.out.find("Exit status:"), std::string::npos);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.exitStatus, 0);
    }
}

TEST(Options, VersionIsTheProjectVersion) {
    BakeDir dir;
    const ChildResult result = runIn(dir, {"--version"});
    EXPECT_EQ(result.out, "spritebake " + testsupport::projectVersion() + "\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    std::string problem;
};

class CommandLineError : public ::testing::TestWithParam<ErrorCase> {};

// Nothing runs: no output appears, the old info file stays, nothing is printed on stdout.
TEST_P(CommandLineError, StatusTwoOnStandardErrorAndNothingRuns) {
    const ErrorCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("sprites.ctl", kHead + "TGA abc\n");
    const ChildResult result = runIn(dir, c.args);
    EXPECT_EQ(result.err, "spritebake: " + c.problem + "\nTry 'spritebake --help'.\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");
    EXPECT_FALSE(dir.exists("d.d"));
}

const ErrorCase kErrors[] = {
    {"UnknownLong", {"--colour", "sprites.ctl"}, "unrecognized option '--colour'"},
    {"UnknownShort", {"-v", "sprites.ctl"}, "invalid option -- 'v'"},
    {"MissingValue", {"sprites.ctl", "--depfile"}, "option '--depfile' requires an argument"},
    {"MissingFolder", {"sprites.ctl", "-C"}, "option requires an argument -- 'C'"},
    {"FlagWithValue", {"--strict=1", "sprites.ctl"}, "option '--strict' doesn't allow an argument"},
    {"SecondControlFile",
     {"sprites.ctl", "other.ctl"},
     "a second control file 'other.ctl' (only one can be given)"},
    {"NoControlFile", {"-q", "--depfile=d.d"}, "no control file given"},
    {"FolderCannotBeEntered",
     {"-C", "nowhere", "sprites.ctl"},
     "cannot change to folder 'nowhere': No such file or directory"},
    {"FolderIsAFile",
     {"-Csprites.ctl", "sprites.ctl"},
     "cannot change to folder 'sprites.ctl': Not a directory"},
    {"CheckAndDepfile",
     {"--check", "--depfile", "d.d", "sprites.ctl"},
     "--check cannot be combined with --depfile"},
    {"CheckAndIfChanged",
     {"--check", "--if-changed", "sprites.ctl"},
     "--check cannot be combined with --if-changed"},
    {"DumpAndControlFile",
     {"--dump", "info.txt", "sprites.ctl"},
     "--dump cannot be combined with a control file"},
    {"CheckAndManifest",
     {"--check", "--manifest", "m.json", "sprites.ctl"},
     "--check cannot be combined with --manifest"},
    {"CheckAndHeader",
     {"--check", "--emit-header=h.h", "sprites.ctl"},
     "--check cannot be combined with --emit-header"},
    {"CheckAndPreview",
     {"--check", "--preview=p.png", "sprites.ctl"},
     "--check cannot be combined with --preview"},
    {"DumpAndStrict", {"--dump=info.txt", "--strict"}, "--dump cannot be combined with --strict"},
};

INSTANTIATE_TEST_SUITE_P(Options, CommandLineError, ::testing::ValuesIn(kErrors),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Options, DoubleDashLetsAControlFileStartWithADash) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("-odd.ctl", kHead + "TGA abc\n");
    const ChildResult result = runIn(dir, {"--", "-odd.ctl"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);
}

TEST(ControlFromAPipe, DashReadsStandardInput) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const ChildResult result =
        testsupport::runSpritebakeWithInput({"-"}, dir.path(""), kHead + "TGA abc\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);
}

TEST(ControlFromAPipe, MessagesNameStandardInputDash) {
    BakeDir dir;
    const ChildResult result =
        testsupport::runSpritebakeWithInput({"-"}, dir.path(""), "Dest out/\nWriteOneFile\n");
    EXPECT_EQ(result.out,
              "Error, file name for single sprite file not specified.\n"
              "Config. file - should have a line that looks like:\n"
              "WriteOneFile FNAME\n");
    EXPECT_EQ(result.exitStatus, 1);
}

TEST(ControlFromAPipe, EmptyStandardInputIsAnEmptyControlFile) {
    BakeDir dir;
    const ChildResult result = testsupport::runSpritebakeWithInput({"-"}, dir.path(""), "");
    EXPECT_EQ(result.out,
              "Couldn't open control file, check path.\n"
              "Couldn't open  to write the info file.  Info file not written, press key to "
              "continue.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

TEST(ControlFromAPipe, AFifoIsReadToItsEnd) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    ASSERT_EQ(mkfifo(dir.path("ctl.fifo").c_str(), 0600), 0);
    // The writer opens the FIFO once the tool opens it for reading, then sends the text in two
    // parts with a pause, as a slow producer would.
    std::thread writer([&dir] {
        std::ofstream fifo(dir.path("ctl.fifo"), std::ios::binary);
        fifo << kHead << std::flush;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fifo << "TGA abc\n";
    });
    const ChildResult result = runIn(dir, {"ctl.fifo"});
    writer.join();
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);
}

TEST(Options, FolderChangedBeforeAnything) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-C", "proj", "sprites.ctl"},
          std::vector<std::string>{"-Cproj", "sprites.ctl"},
          std::vector<std::string>{"--directory=proj", "sprites.ctl"},
          std::vector<std::string>{"-C", "proj/art", "-C", "..", "sprites.ctl"}}) {
        BakeDir dir;
        dir.makeDir("proj");
        dir.makeDir("proj/art");
        dir.makeDir("proj/out");
        dir.writeTga("proj/art/abc.tga", kAbc);
        dir.writeText("proj/sprites.ctl", kHead + "TGA abc\n");
        const ChildResult result = runIn(dir, args);
        EXPECT_EQ(result.out,
                  "fileOpen didn't find info.txt in game dir. or blob.\n"
                  "fileLoad failed to open info.txt.\n"
                  "Warning!  Couldn't open sprite header info.txt for reading.\n");
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(dir.readText("proj/info.txt"), kOneAbc);
        EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");  // the starting folder's is untouched
    }
}

// The bundled example, copied into a scratch folder without its outputs: a first run prints
// the read-back of the missing info file and the HotXY echo, all informational.
class Example : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path examples = fs::path(testsupport::sourceDir()) / "examples";
        fs::copy(examples / "art", dir_.path() / "art", fs::copy_options::recursive);
        fs::copy_file(examples / "sprites.ctl", dir_.path() / "sprites.ctl");
        fs::create_directory(dir_.path() / "out");
        expectedInfo_ = testsupport::readText((examples / "out" / "sprites.txt").string());
    }
    testsupport::TempDir dir_;
    std::string expectedInfo_;
};

TEST_F(Example, PrintsItsInformationalLines) {
    const ChildResult result = testsupport::runSpritebake({"sprites.ctl"}, dir_.path());
    EXPECT_EQ(result.out,
              "fileOpen didn't find out/sprites.txt in game dir. or blob.\n"
              "fileLoad failed to open out/sprites.txt.\n"
              "Warning!  Couldn't open sprite header out/sprites.txt for reading.\n"
              "Hotspot XY mode enabled, x: 10 y: 43 \n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(testsupport::readText(dir_.file("out/sprites.txt")), expectedInfo_);
}

TEST_F(Example, QuietDropsThemAndWritesTheSameFile) {
    for (const char* flag : {"-q", "--quiet"}) {
        fs::remove(dir_.path() / "out" / "sprites.txt");
        const ChildResult result = testsupport::runSpritebake({flag, "sprites.ctl"}, dir_.path());
        EXPECT_EQ(result.out, "") << flag;
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(testsupport::readText(dir_.file("out/sprites.txt")), expectedInfo_);
    }
}

TEST_F(Example, StrictIgnoresInformationalLines) {
    const ChildResult result = testsupport::runSpritebake({"--strict", "sprites.ctl"}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
}

struct StrictCase {
    const char* name;
    std::vector<std::string> options;
    std::string control;
    std::string out;
    int status;
};

class Strict : public ::testing::TestWithParam<StrictCase> {};

TEST_P(Strict, TurnsProblemsIntoStatusThree) {
    const StrictCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("sprites.ctl", c.control);
    std::vector<std::string> args = c.options;
    args.push_back("sprites.ctl");
    const ChildResult result = runIn(dir, args);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.status);
}

const StrictCase kStrictCases[] = {
    {"CleanRun", {"--strict"}, kHead + "TGA abc\n", "", 0},
    {"ProblemWithoutStrict",
     {},
     kHead + "TGA abc\nTGA gone\n",
     "Couldn't open sprite source art/gone.tga, skipping.\n",
     0},
    {"ProblemWithStrict",
     {"--strict"},
     kHead + "TGA abc\nTGA gone\n",
     "Couldn't open sprite source art/gone.tga, skipping.\n",
     3},
    {"QuietDoesNotHideProblems",
     {"--strict", "-q"},
     kHead + "HotXY 1 2\nwords\n",
     "Unexpected input, words, found on line 5.\n",
     3},
    {"HotXYEchoIsNoProblem",
     {"--strict"},
     kHead + "HotXY 1 2\n",
     "Hotspot XY mode enabled, x: 1 y: 2 \n",
     0},
    {"FailureBeatsStrict",
     {"--strict"},
     "Dest out/\n",
     "Couldn't open  to write the info file.  Info file not written, press key to continue.\n",
     1},
};

INSTANTIATE_TEST_SUITE_P(Options, Strict, ::testing::ValuesIn(kStrictCases),
                         [](const ::testing::TestParamInfo<StrictCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Strict, AfterTheOutputWasWritten) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const ChildResult result = runIn(dir, {"--strict", "sprites.ctl"});  // not there yet
    EXPECT_EQ(result.exitStatus, 1);
    dir.writeText("sprites.ctl", kHead + "TGA abc\nstray\n");
    EXPECT_EQ(runIn(dir, {"--strict", "sprites.ctl"}).exitStatus, 3);
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);  // status 3 still writes the output
}

// A set read from two Source folders into a single sprite file whose name holds a blank, with
// names that need escaping; every path comes out as the run composed it. A source that is
// missing is listed as well, so that the set is made again once it appears.
TEST(Depfile, ListsEveryFileTheRunRead) {
    BakeDir dir;
    dir.makeDir("more");
    dir.makeDir("deps");
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeTga("art/a#b.tga", kAbc);
    dir.writeTga("more/abc.tga", kAbc);
    dir.writeTga("more/co$t.tga", kAbc);
    dir.writePcx("more/item.pcx", boxIndexPicture(5, 4, 1, 1, 3, 2));
    const std::string control = kHead +
                                "WriteOneFile my sprites.bin\n"
                                "TGA abc\nTGA gone\nTGA a#b\n"
                                "Source more/\nTGA abc\nTGA co$t\nPCX item\n"
                                "Source art/\nTGA abc\n";
    dir.writeText("sprites.ctl", control);
    const ChildResult result = runIn(dir, {"--depfile", "deps/run.d", "sprites.ctl"});
    EXPECT_EQ(result.out, "Couldn't open sprite source art/gone.tga, skipping.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(dir.exists("out/my sprites.bin"));
    EXPECT_EQ(dir.readText("deps/run.d"),
              "out/my\\ sprites.bin: \\\n"
              " sprites.ctl \\\n"
              " info.txt \\\n"
              " art/abc.tga \\\n"
              " art/gone.tga \\\n"
              " art/a\\#b.tga \\\n"
              " more/abc.tga \\\n"
              " more/co$$t.tga \\\n"
              " more/item.pcx\n"
              "\nsprites.ctl:\n"
              "\ninfo.txt:\n"
              "\nart/abc.tga:\n"
              "\nart/gone.tga:\n"
              "\nart/a\\#b.tga:\n"
              "\nmore/abc.tga:\n"
              "\nmore/co$$t.tga:\n"
              "\nmore/item.pcx:\n");
}

TEST(Depfile, InfoFileReadBackAndReplacedIsOnlyTheTarget) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const ChildResult result = testsupport::runSpritebakeWithInput(
        {"--depfile=run.d", "-"}, dir.path(""), kHead + "TGA abc\n");
    EXPECT_EQ(result.exitStatus, 0);
    // Standard input is no file, so the rule names only the sprite source.
    EXPECT_EQ(dir.readText("run.d"), "info.txt: \\\n art/abc.tga\n\nart/abc.tga:\n");
}

TEST(Depfile, CannotBeCreated) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("sprites.ctl", kHead + "TGA abc\n");
    const ChildResult result = runIn(dir, {"--depfile", "nofolder/run.d", "sprites.ctl"});
    EXPECT_EQ(result.out, "Couldn't open nofolder/run.d to write the dependency file.\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);  // the output itself was written
}

// The refused byte is printed as it is: a line feed breaks the line in two.
TEST(Depfile, APathWithALineFeedGetsNone) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("two\nlines.ctl", kHead + "TGA abc\n");
    const ChildResult result = runIn(dir, {"--depfile", "run.d", "two\nlines.ctl"});
    EXPECT_EQ(result.out,
              "Couldn't write run.d: the path two\nlines.ctl holds '\n', which make or ninja "
              "cannot read.\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_FALSE(dir.exists("run.d"));
    EXPECT_EQ(dir.readText("info.txt"), kOneAbc);
}

TEST(Depfile, ASourceMakeCannotReadGetsNone) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeTga("art/a:b.tga", kAbc);
    dir.writeText("run.d", "old rule\n");
    dir.writeText("sprites.ctl", kHead + "TGA abc\nTGA a:b\n");
    const ChildResult result = runIn(dir, {"--depfile", "run.d", "sprites.ctl"});
    EXPECT_EQ(result.out,
              "Couldn't write run.d: the path art/a:b.tga holds ':', which make or ninja cannot "
              "read.\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(dir.readText("run.d"), "old rule\n");  // left as it was
    // 181533946: the hid of a:b, worked out from the hash's definition outside the tool.
    EXPECT_EQ(dir.readText("info.txt"),
              "2 sprites\n" + kAbcLine +
                  "hid 181533946 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n");
}

TEST(Depfile, NotWrittenWhenTheOutputFails) {
    BakeDir dir;
    dir.writeText("run.d", "old rule\n");
    dir.writeText("sprites.ctl", "Dest out/\n");
    const ChildResult result = runIn(dir, {"--depfile", "run.d", "sprites.ctl"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(dir.readText("run.d"), "old rule\n");
}

fs::file_time_type aLongTimeAgo() {
    return fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10);
}

struct IfChangedCase {
    const char* name;
    std::string control;
    std::string output;
};

class IfChanged : public ::testing::TestWithParam<IfChangedCase> {};

TEST_P(IfChanged, KeepsTheSameBytesAndReplacesOthers) {
    const IfChangedCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("sprites.ctl", c.control);
    ASSERT_EQ(runIn(dir, {"sprites.ctl"}).exitStatus, 0);
    const std::vector<uint8_t> first = dir.read(c.output);
    const fs::file_time_type old = aLongTimeAgo();
    fs::last_write_time(dir.path(c.output), old);

    ChildResult result = runIn(dir, {"--if-changed", "sprites.ctl"});
    EXPECT_EQ(result.out, "Output " + c.output + " unchanged, kept.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(fs::last_write_time(dir.path(c.output)), old);
    EXPECT_EQ(dir.read(c.output), first);

    result = runIn(dir, {"--if-changed", "--quiet", "--strict", "sprites.ctl"});
    EXPECT_EQ(result.out, "");  // the line is informational
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(fs::last_write_time(dir.path(c.output)), old);

    // A second sprite: the output changes and is replaced.
    dir.writeText("sprites.ctl", c.control + "TGA abc\n");
    result = runIn(dir, {"--if-changed", "sprites.ctl"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(fs::last_write_time(dir.path(c.output)), old);
    EXPECT_NE(dir.read(c.output), first);
}

const IfChangedCase kIfChangedCases[] = {
    {"InfoFile", kHead + "TGA abc\n", "info.txt"},
    {"SingleSpriteFile", kHead + "BIN\nWriteOneFile sheet.bin\nTGA abc\n", "out/sheet.bin"},
};

INSTANTIATE_TEST_SUITE_P(Options, IfChanged, ::testing::ValuesIn(kIfChangedCases),
                         [](const ::testing::TestParamInfo<IfChangedCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Check, CleanControlFileWritesNothing) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeText("sprites.ctl", kHead + "TGA abc\n");
    const ChildResult result = runIn(dir, {"--check", "sprites.ctl"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");
}

TEST(Check, ProblemsAreReportedWithTheirLinesAndNothingIsWritten) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const std::string control = kHead + "TGA abc\nTGA abc\nSorce art/\nTGA gone\n";
    dir.writeText("sprites.ctl", control);
    const ChildResult result = runIn(dir, {"--check", "sprites.ctl"});
    // Exactly one diagnostic a problem, in line order, each with its statement's line.
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t end; (end = result.out.find('\n', start)) != std::string::npos;
             start = end + 1) {
            out.push_back(result.out.substr(start, end - start));
        }
        return out;
    }();
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_TRUE(lines[0].starts_with("sprites.ctl:5: warning: ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("sprites.ctl:6: warning: ")) << lines[1];
    EXPECT_NE(lines[1].find("did you mean \"Source\""), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("sprites.ctl:7: warning: ")) << lines[2];
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");
}

TEST(Check, UnreadableControlFileIsTheRunsMessage) {
    BakeDir dir;
    const ChildResult result = runIn(dir, {"--check", "nothere.ctl"});
    EXPECT_EQ(result.out,
              "fileOpen didn't find nothere.ctl in game dir. or blob.\n"
              "fileLoad failed to open nothere.ctl.\n"
              "Couldn't open control file, check path.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

}  // namespace
}  // namespace drivertest
