// The files written beside the output (manifest, C header, preview, dependency file) and
// --dump, end to end through the real executable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildResult;

const std::string kExamples = SPRITEBAKE_EXAMPLES_DIR;

// The bundled example copied into a scratch folder, as its binary control file expects.
class ExampleFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(kExamples + "/art", dir_.path() / "art", fs::copy_options::recursive);
        fs::copy_file(kExamples + "/sprites_bin.ctl", dir_.path() / "sprites_bin.ctl");
        fs::create_directory(dir_.path() / "out");
    }
    ChildResult run(const std::vector<std::string>& args) const {
        return testsupport::runSpritebake(args, dir_.path().string());
    }
    std::vector<uint8_t> read(const std::string& relative) const {
        return testsupport::readFile(dir_.file(relative));
    }
    testsupport::TempDir dir_;
};

// The committed outputs of the example were made by this command: a run must give them again,
// byte for byte (the game example and the header test depend on them).
TEST_F(ExampleFiles, GivesTheCommittedFilesAgain) {
    const ChildResult result =
        run({"--manifest", "out/sprites.json", "--emit-header", "out/sprites.h", "--preview",
             "out/sprites.png", "--depfile", "out/sprites.d", "sprites_bin.ctl"});
    EXPECT_EQ(result.out, "Hotspot XY mode enabled, x: 10 y: 43 \n");
    EXPECT_EQ(result.exitStatus, 0);
    for (const char* name : {"sprites.bin", "sprites.json", "sprites.h", "sprites.png"}) {
        EXPECT_EQ(read(std::string("out/") + name),
                  testsupport::readFile(kExamples + "/out/" + name))
            << name;
    }
    // Every file written is a target of the dependency file.
    const std::string depfile = testsupport::readText(dir_.file("out/sprites.d"));
    EXPECT_EQ(depfile.substr(0, depfile.find(':')),
              "out/sprites.bin out/sprites.json out/sprites.h out/sprites.png");
}

TEST_F(ExampleFiles, NothingBesideAFailedOutput) {
    testsupport::writeText(dir_.file("out/sprites.json"), "the previous manifest");
    fs::remove_all(dir_.path() / "out" / "sprites.bin");
    fs::create_directory(dir_.path() / "out" / "sprites.bin");  // the output cannot be written
    const ChildResult result = run({"-q", "--manifest", "out/sprites.json", "--emit-header",
                                    "out/sprites.h", "sprites_bin.ctl"});
    EXPECT_EQ(result.out, "Couldn't open out/sprites.bin to write single sprite file.\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(testsupport::readText(dir_.file("out/sprites.json")), "the previous manifest");
    EXPECT_FALSE(fs::exists(dir_.path() / "out" / "sprites.h"));
}

TEST_F(ExampleFiles, AFailedSideFileFailsTheRunButKeepsTheOutput) {
    struct Case {
        const char* option;
        const char* message;
    };
    const Case cases[] = {
        {"--manifest", "Couldn't open nodir/x to write the manifest.\n"},
        {"--emit-header", "Couldn't open nodir/x to write the C header.\n"},
        {"--preview", "Couldn't open nodir/x to write the preview.\n"},
        {"--depfile", "Couldn't open nodir/x to write the dependency file.\n"},
    };
    for (const Case& c : cases) {
        fs::remove(dir_.path() / "out" / "sprites.bin");
        const ChildResult result = run({"-q", c.option, "nodir/x", "sprites_bin.ctl"});
        EXPECT_EQ(result.out, c.message);
        EXPECT_EQ(result.exitStatus, 1) << c.option;
        EXPECT_EQ(read("out/sprites.bin"), testsupport::readFile(kExamples + "/out/sprites.bin"));
    }
}

TEST(Dump, ShowsATableAndWritesNothing) {
    BakeDir dir;
    testsupport::writeFile(dir.path("sheet.bin"),
                           testsupport::readFile(kExamples + "/out/sprites.bin"));
    const ChildResult result = testsupport::runSpritebake({"--dump", "sheet.bin"}, dir.path(""));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("index  hid         hid (signed)  method"));
    EXPECT_TRUE(result.out.ends_with(
        "16 sprites, binary table of 516 bytes, 86755 bytes after the table\n"));

    std::vector<uint8_t> cut = testsupport::readFile(kExamples + "/out/sprites.bin");
    cut.resize(100);
    testsupport::writeFile(dir.path("cut.bin"), cut);
    testsupport::writeFile(dir.path("negative.bin"), words({0x80000000u}));
    dir.writeText("bad.txt", "2 sprites\nhid x\n");
    struct Bad {
        const char* file;
        const char* err;
    };
    const Bad bad[] = {
        {"cut.bin", "spritebake: cut.bin: the file is cut short\n"},
        {"negative.bin", "spritebake: negative.bin: the sprite count is negative or too large\n"},
        {"missing.bin", "spritebake: missing.bin: cannot read the file\n"},
        {"art", "spritebake: art: cannot read the file\n"},
    };
    for (const Bad& b : bad) {
        const ChildResult failed = testsupport::runSpritebake({"--dump", b.file}, dir.path(""));
        EXPECT_EQ(failed.exitStatus, 1) << b.file;
        EXPECT_EQ(failed.out, "") << b.file;
        EXPECT_EQ(failed.err, b.err);
    }
    const ChildResult text = testsupport::runSpritebake({"--dump", "bad.txt"}, dir.path(""));
    EXPECT_EQ(text.exitStatus, 1);
    EXPECT_TRUE(text.err.starts_with("spritebake: bad.txt: ")) << text.err;
}

}  // namespace
}  // namespace drivertest
