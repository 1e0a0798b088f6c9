// The Sprites statement end to end: the real executable on scratch trees of sprite files, with
// its standard output, exit status and info file (and, where they matter, the dependency file,
// the C header and --check's lines) compared exactly. The expected names, their order and
// every hotspot are worked out by hand from the statement's rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "filesys/hash.hpp"
#include "sidecar/png_encode.hpp"
#include "tests/support/sprite_builders.hpp"

namespace fs = std::filesystem;

namespace drivertest {
namespace {

// The info line of a sprite named `name` of wd x ht under the settings in force.
std::string line(const std::string& name, const std::string& method, int32_t padding, int32_t hx,
                 int32_t hy, int32_t wd, int32_t ht) {
    return infoLine(hashName(name.c_str()), method, padding, hx, hy, wd, ht);
}

// With padding off and DownRight, the hotspot is the cropped sides, negated, whatever the kind.
std::string downRight(const std::string& name, int32_t wd, int32_t ht) {
    return line(name, "DownRight", 0, -wd, -ht, wd, ht);
}

std::string upLeft(const std::string& name, int32_t wd, int32_t ht) {
    return line(name, "UpLeft", 1, 0, 0, wd, ht);
}

// art/walk: digits and letter case, a link to a file, a sub-folder, and every entry a pattern
// passes over: hidden files and folders, a FIFO, a link back up the tree, a text file.
void writeWalkTree(const BakeDir& dir) {
    dir.makeDir("art/walk/sub");
    dir.makeDir("art/walk/.cache");
    dir.writeTga("art/walk/f1.tga", boxPicture(4, 4, 0, 0, 1, 1));
    dir.writeTga("art/walk/f2.tga", boxPicture(4, 4, 1, 1, 2, 1));
    dir.writeTga("art/walk/F10.tga", boxPicture(4, 4, 0, 0, 3, 2));
    dir.writeTga("art/walk/upper.TGA", boxPicture(5, 5, 0, 0, 5, 5));
    dir.writePcx("art/walk/sub/9.pcx", boxIndexPicture(6, 6, 0, 0, 2, 3));
    dir.writePcx("art/walk/sub/10.pcx", boxIndexPicture(6, 6, 1, 1, 4, 4));
    dir.writeTga("art/walk/.hidden.tga", boxPicture(4, 4, 0, 0, 4, 4));
    dir.writeTga("art/walk/.cache/x.tga", boxPicture(3, 3, 0, 0, 1, 2));
    dir.writeText("art/walk/notes.txt", "not a sprite");
    fs::create_symlink("f2.tga", dir.path("art/walk/link.tga"));
    fs::create_directory_symlink("..", dir.path("art/walk/loop"));
    ASSERT_EQ(mkfifo(dir.path("art/walk/fifo.tga").c_str(), 0600), 0);
}

TEST(SpritesStatement, ListsATreeInNaturalOrderUnderTheSettingsInForce) {
    BakeDir dir;
    writeWalkTree(dir);
    const testsupport::ChildResult result =
        dir.run(kHead +
                "Padding Off\nHotspot DownRight\n"
                "Sprites walk/**/\n"
                "Sprites walk/loop/walk/f1.tga\n"  // a literal path through the linked folder
                "Sprites walk/.cache/\n");         // a hidden folder, named
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"),
              "9 sprites\n" + downRight("walk/f1", 1, 1) + downRight("walk/f2", 2, 1) +
                  downRight("walk/F10", 3, 2) + downRight("walk/link", 2, 1) +
                  downRight("walk/sub/9", 2, 3) + downRight("walk/sub/10", 4, 4) +
                  downRight("walk/upper", 5, 5) + downRight("walk/loop/walk/f1", 1, 1) +
                  downRight("walk/.cache/x", 1, 2));
}

TEST(SpritesStatement, HeaderNamesFromPathsAndLeadingDigits) {
    BakeDir dir;
    writeWalkTree(dir);
    // Names of digits alone, then names that hold a folder.
    dir.writeText("sprites.ctl",
                  "Source art/walk/sub/\nDest out/\nInfoFile info.txt\n"
                  "Sprites *\nSource art/walk/\nSprites f?.tga\n"
                  "Sprites sub/1?.pcx\n");
    const testsupport::ChildResult run =
        testsupport::runSpritebake({"--emit-header", "out/s.h", "sprites.ctl"}, dir.path(""));
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.exitStatus, 0);
    const std::string header = dir.readText("out/s.h");
    EXPECT_NE(
        header.find("#define S_SPRITE_9 0\n#define S_SPRITE_10 1\n"
                    "#define S_SPRITE_F1 2\n#define S_SPRITE_F2 3\n#define S_SPRITE_SUB_10 4\n\n"),
        std::string::npos)
        << header;
}

// The pixel pass reads each file again from the path the pattern found, extension in its own
// letter case.
TEST(SpritesStatement, TheSingleFileHoldsThePixelsOfEachFileFound) {
    BakeDir dir;
    dir.makeDir("art/walk");
    const IndexPicture first = boxIndexPicture(4, 4, 0, 0, 1, 2);
    const Picture second = boxPicture(4, 4, 1, 1, 2, 1);
    dir.writePcx("art/walk/a.pcx", first);
    dir.writeTga("art/walk/b.TGA", second);
    const testsupport::ChildResult result =
        dir.run(kHead + "WriteOneFile sheet.txt\nSprites walk/\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.txt"),
              concat({bytesOf("2 sprites\n" + upLeft("walk/a", 1, 2) + upLeft("walk/b", 2, 1)),
                      indexBlock(first, 0, 0, 1, 2), rgbaBlock(second, 1, 1, 2, 1)}));
}

struct MessageCase {
    const char* name;
    std::string control;
    std::string out;
    std::string info;
};

class SpritesMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(SpritesMessages, PrintsAndWritesExactly) {
    const MessageCase& c = GetParam();
    BakeDir dir;
    for (const std::string& folder :
         std::vector<std::string>{"walk", "pair", "case", std::string(70, 'd')}) {
        dir.makeDir("art/" + folder);
    }
    dir.writeTga("art/walk/f1.tga", boxPicture(4, 4, 0, 0, 1, 1));
    dir.writeTga("art/pair/a.tga", boxPicture(4, 4, 0, 0, 2, 2));
    dir.writePcx("art/pair/a.pcx", boxIndexPicture(4, 4, 0, 0, 3, 3));
    dir.writeTga("art/case/A.tga", boxPicture(4, 4, 0, 0, 1, 3));
    dir.writeTga("art/case/a.tga", boxPicture(4, 4, 0, 0, 3, 1));
    dir.writeTga("art/" + std::string(70, 'd') + "/abcdefghij.tga", boxPicture(2, 2, 0, 0, 2, 2));
    const testsupport::ChildResult result = dir.run(c.control);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), c.info);
}

const std::string kLongFolder(70, 'd');
const std::string kLongName = kLongFolder + "/abcdefghij";  // 81 characters, stored as 78

const MessageCase kMessageCases[] = {
    {"NoMatch", kHead + "Sprites walk/*.png\n", "Warning, no sprite file matches walk/*.png.\n",
     "0 sprites\n"},
    {"DotDotIsRefused", kHead + "Sprites ../art/walk/\n",
     "Warning, no sprite file matches ../art/walk/.\n", "0 sprites\n"},
    {"EmptyPattern", kHead + "Sprites\n", "Warning, no sprite file matches .\n", "0 sprites\n"},
    {"PatternOnTheNextLineIsNoPattern", kHead + "Sprites\nwalk/\n",
     "Warning, no sprite file matches .\nUnexpected input, walk/, found on line 5.\n",
     "0 sprites\n"},
    {"BeforeSource", "Dest out/\nInfoFile info.txt\nSprites walk/*.tga\n",
     "Sprite walk/*.tga requested before src directory specified.\n", "0 sprites\n"},
    {"BeforeDest", "Source art/\nInfoFile info.txt\nSprites walk/*.tga\n",
     "Sprite walk/*.tga requested before dest directory specified.\n", "0 sprites\n"},
    {"KeywordInAnyCaseAndAsAWordsBeginning", kHead + "SPRITES walk/f*\nSpriteswalk/f1.tga\n", "",
     "2 sprites\n" + upLeft("walk/f1", 1, 1) + upLeft("walk/f1", 1, 1)},
    {"OneNameFromTwoKindsIsListedTwice", kHead + "Sprites pair/\n", "",
     "2 sprites\n" + upLeft("pair/a", 3, 3) + upLeft("pair/a", 2, 2)},
    {"CaseOnlyNamesCollideAsUsual", kHead + "Sprites case/\n",
     "Warning, sprites case/A and case/a have the same hid " +
         std::to_string(static_cast<int32_t>(hashName("case/a"))) +
         "; the game cannot tell them apart.\n",
     "2 sprites\n" + upLeft("case/A", 1, 3) + upLeft("case/a", 3, 1)},
    {"ALongNameIsCut", kHead + "Sprites " + kLongFolder + "/\n",
     "Truncating name " + kLongName + " as it is longer than 80.\n",
     "1 sprites\n" + upLeft(kLongName.substr(0, 78), 2, 2)},
};

INSTANTIATE_TEST_SUITE_P(Sprites, SpritesMessages, ::testing::ValuesIn(kMessageCases),
                         [](const ::testing::TestParamInfo<MessageCase>& info) {
                             return std::string(info.param.name);
                         });

// The table fills up part-way through a pattern: the files left out get one line each.
TEST(SpritesStatement, AFullTableSkipsEachFileLeftOut) {
    BakeDir dir;
    dir.writeTga("art/box.tga", boxPicture(3, 3, 0, 0, 3, 3));
    dir.makeDir("art/walk");
    for (const char* name : {"a", "b", "c"}) {
        dir.writeTga(std::string("art/walk/") + name + ".tga", boxPicture(2, 2, 0, 0, 1, 1));
    }
    std::string control = kHead;
    std::string info = "10000 sprites\n";
    for (int i = 0; i < 9998; ++i) {
        control += "TGA box\n";
        info += upLeft("box", 3, 3);
    }
    control += "Sprites walk/\nSprites walk/?.tga\n";
    info += upLeft("walk/a", 1, 1) + upLeft("walk/b", 1, 1);
    const testsupport::ChildResult result = dir.run(control);
    const std::string full = " skipped, the sprite table is full (10000 sprites).\n";
    EXPECT_EQ(result.out, "Sprite walk/c" + full + "Sprite walk/a" + full + "Sprite walk/b" + full +
                              "Sprite walk/c" + full);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), info);
}

TEST(SpritesStatement, DepfileListsTheFilesAndTheFoldersListed) {
    BakeDir dir;
    dir.makeDir("art/walk");
    dir.writeTga("art/walk/a.tga", boxPicture(2, 2, 0, 0, 1, 1));
    dir.writeTga("art/walk/b.tga", boxPicture(2, 2, 0, 0, 1, 1));
    dir.writeText("sprites.ctl", kHead + "Sprites walk/*.tga\nSprites **/b.tga\n");
    const testsupport::ChildResult result =
        testsupport::runSpritebake({"--depfile", "deps.d", "sprites.ctl"}, dir.path(""));
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    // The control file, then each statement's folders and files; each once, and the info file
    // read back is a target.
    EXPECT_EQ(dir.readText("deps.d"),
              "info.txt: \\\n sprites.ctl \\\n art/walk \\\n art/walk/a.tga \\\n"
              " art/walk/b.tga \\\n art\n"
              "\nsprites.ctl:\n\nart/walk:\n\nart/walk/a.tga:\n\nart/walk/b.tga:\n\nart:\n");
}

bool haveMake() {
    return std::system("command -v make >/dev/null 2>&1") == 0;
}

int runShell(const std::string& folder, const std::string& command) {
    const int status = std::system(("cd '" + folder + "' && " + command).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// make reads the dependency file back: a file added to a folder the pattern listed changes the
// folder's time, so the output is made again.
TEST(SpritesStatement, MakeRunsAgainWhenAFileAppearsInAListedFolder) {
    if (!haveMake()) GTEST_SKIP() << "make is not installed";
    BakeDir dir;
    dir.makeDir("art/walk");
    dir.writeTga("art/walk/a.tga", boxPicture(2, 2, 0, 0, 1, 1));
    dir.writeText("sprites.ctl", kHead + "Sprites walk/\n");
    dir.remove("info.txt");  // made by the first build, so that it is older than nothing read
    dir.writeText("Makefile", "info.txt: sprites.ctl\n\t'" + testsupport::spritebakePath() +
                                  "' -q --depfile=run.d sprites.ctl\n-include run.d\n");
    ASSERT_EQ(runShell(dir.path(""), "make -s >/dev/null"), 0);
    // Times without a race: everything read two hours old, what the run wrote one hour old.
    const auto now = fs::file_time_type::clock::now();
    for (const char* read : {"sprites.ctl", "art", "art/walk", "art/walk/a.tga"}) {
        fs::last_write_time(dir.path(read), now - std::chrono::hours(2));
    }
    for (const char* written : {"info.txt", "run.d"}) {
        fs::last_write_time(dir.path(written), now - std::chrono::hours(1));
    }
    EXPECT_EQ(runShell(dir.path(""), "make -q >/dev/null 2>&1"), 0);
    dir.writeTga("art/walk/b.tga", boxPicture(2, 2, 0, 0, 1, 1));
    fs::last_write_time(dir.path("art/walk/b.tga"), now - std::chrono::hours(2));
    fs::last_write_time(dir.path("art/walk"), now - std::chrono::minutes(30));
    EXPECT_NE(runShell(dir.path(""), "make -q >/dev/null 2>&1"), 0);
    ASSERT_EQ(runShell(dir.path(""), "make -s >/dev/null"), 0);
    EXPECT_EQ(dir.readText("info.txt"),
              "2 sprites\n" + upLeft("walk/a", 1, 1) + upLeft("walk/b", 1, 1));
}

TEST(SpritesStatement, CheckReportsPatternsAndTheFilesTheyList) {
    BakeDir dir;
    dir.makeDir("art/walk");
    dir.writeTga("art/walk/a.tga", boxPicture(2, 2, 0, 0, 1, 1));
    dir.writeTga("art/walk/blank.tga", Picture(3, 3));
    dir.writeText("sprites.ctl", kHead +
                                     "Sprites walk/*.png\n"
                                     "Sprits walk/\n"
                                     "Sprites walk/\n"
                                     "Sprites ../x/\n"
                                     "Sprites\n");
    const testsupport::ChildResult result =
        testsupport::runSpritebake({"--check", "sprites.ctl"}, dir.path(""));
    EXPECT_EQ(result.out,
              "sprites.ctl:4: warning: no sprite file under Source \"art/\" matches "
              "\"walk/*.png\"\n"
              "sprites.ctl:5: warning: unexpected input \"Sprits walk/\"; did you mean "
              "\"Sprites\"?\n"
              "sprites.ctl:6: warning: sprite \"walk/blank\" is blank (no visible pixel); it is "
              "kept as 0 x 0\n"
              "sprites.ctl:7: warning: Sprites pattern \"../x/\" leaves Source (\"..\") or "
              "names nothing; it matches nothing\n"
              "sprites.ctl:8: warning: Sprites has no pattern on its line; it matches nothing\n");
    EXPECT_EQ(result.exitStatus, 3);

    dir.writeText("sprites.ctl", "Dest out/\nInfoFile info.txt\nSprites walk/\n");
    const testsupport::ChildResult early =
        testsupport::runSpritebake({"--check", "sprites.ctl"}, dir.path(""));
    EXPECT_EQ(early.out,
              "sprites.ctl:3: warning: Sprites \"walk/\" skipped: no Source folder is set\n");
    EXPECT_EQ(early.exitStatus, 3);
}

// An opaque RGB picture of w x h as PNG bytes, from the project's own writer.
std::vector<uint8_t> pngFile(uint32_t w, uint32_t h) {
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3, 0x80);
    std::vector<uint8_t> png;
    EXPECT_TRUE(encodePng(
        w, h, PngPixels::rgb, 6, [&](uint32_t) { return row.data(); }, png));
    return png;
}

TEST(SpritesStatement, PngFilesInAnyLetterCaseAreLoadedFromTheirOwnPath) {
    BakeDir dir;
    dir.makeDir("art/walk");
    testsupport::writeFile(dir.path("art/walk/0001.PNG"), pngFile(3, 2));
    testsupport::writeFile(dir.path("art/walk/0002.png"), pngFile(2, 5));
    dir.writeTga("art/walk/0003.tga", boxPicture(4, 4, 0, 0, 1, 1));
    const testsupport::ChildResult result = dir.run(kHead + "Sprites walk/\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), "3 sprites\n" + upLeft("walk/0001", 3, 2) +
                                            upLeft("walk/0002", 2, 5) + upLeft("walk/0003", 1, 1));
}

}  // namespace
}  // namespace drivertest
