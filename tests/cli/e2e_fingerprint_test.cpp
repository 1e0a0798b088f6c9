// The fingerprint and the prefixed names of the files written beside the output, end to end:
// the fingerprint in the manifest and the header is FNV-1a 64 of the output's table bytes, here
// written out by hand for each form and hashed by a second FNV-1a written from its definition.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

using testsupport::ChildResult;

const Picture kAbc = boxPicture(24, 14, 3, 2, 20, 10);
const std::string kAbcLine =
    "hid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n";

std::string fnvText(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;  // 0xcbf29ce484222325
    for (const uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(hash));
    return text;
}

ChildResult runIn(const BakeDir& dir, const std::vector<std::string>& args) {
    return testsupport::runSpritebake(args, dir.path(""));
}

TEST(Fingerprint, TheTableOfEachFormInTheManifestAndTheHeader) {
    struct Case {
        const char* what;
        std::string control;
        std::vector<uint8_t> table;  // the output's bytes up to the first pixel byte
    };
    const Case cases[] = {
        {"info file", kHead + "TGA abc\n", bytesOf("1 sprites\n" + kAbcLine)},
        {"text single file", kHead + "WriteOneFile s.txt\nTGA abc\n",
         bytesOf("1 sprites\n" + kAbcLine)},
        {"binary single file", kHead + "WriteOneFile s.bin\nBIN\nTGA abc\n",
         words({1, 3087970575u, 1, 1, 0, 0, 20, 10, 0})},
        {"empty binary file", kHead + "WriteOneFile s.bin\nBIN\n", words({0})},
        {"empty info file", kHead, bytesOf("0 sprites\n")},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.writeTga("art/abc.tga", kAbc);
        dir.writeText("sprites.ctl", c.control);
        const ChildResult result =
            runIn(dir, {"--manifest", "m.json", "--emit-header", "h.h", "sprites.ctl"});
        ASSERT_EQ(result.exitStatus, 0) << c.what << result.out;
        const std::string fingerprint = fnvText(c.table);
        EXPECT_NE(dir.readText("m.json").find("\n  \"fingerprint\": \"" + fingerprint + "\",\n"),
                  std::string::npos)
            << c.what;
        EXPECT_NE(dir.readText("h.h").find("\n#define H_FINGERPRINT " + fingerprint + "ULL\n"),
                  std::string::npos)
            << c.what;
    }
}

TEST(HeaderNames, PrefixFromTheFileNameOrTheOption) {
    struct Case {
        std::vector<std::string> options;
        const char* header;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{"--emit-header", "out/level-2.h"},
         "out/level-2.h",
         {"#ifndef SPRITEBAKE_LEVEL_2_H\n", "#define SPRITEBAKE_LEVEL_2_H\n",
          "#define LEVEL_2_SPRITE_COUNT 0\n", "#define LEVEL_2_SPRITE_ABC 1\n",
          "#define LEVEL_2_COUNT 2\n", "#define LEVEL_2_KINDS \"TT\"\n",
          "static const spritebake_sprite_info LEVEL_2_TABLE[2] = {\n",
          "#endif /* SPRITEBAKE_LEVEL_2_H */\n"}},
        {{"--emit-header=4k.h"}, "4k.h", {"#ifndef SPRITEBAKE__4K_H\n", "#define _4K_COUNT 2\n"}},
        {{"--header-prefix=Game_", "--emit-header", "out/level-2.h"},
         "out/level-2.h",
         {"#ifndef SPRITEBAKE_Game_H\n", "#define Game_SPRITE_COUNT 0\n",
          "#define Game_SPRITE_ABC 1\n", "#define Game_COUNT 2\n",
          "static const spritebake_sprite_info Game_TABLE[2] = {\n"}},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.writeTga("art/abc.tga", kAbc);
        dir.writeTga("art/count.tga", kAbc);
        dir.writeText("sprites.ctl", kHead + "TGA count\nTGA abc\n");
        std::vector<std::string> args = c.options;
        args.push_back("sprites.ctl");
        const ChildResult result = runIn(dir, args);
        ASSERT_EQ(result.exitStatus, 0) << c.header << result.out;
        const std::string header = dir.readText(c.header);
        for (const std::string& line : c.lines) {
            EXPECT_NE(header.find(line), std::string::npos) << line << header;
        }
    }
}

TEST(HeaderNames, ABadPrefixIsACommandLineError) {
    struct Case {
        std::vector<std::string> args;
        const char* problem;
    };
    const Case cases[] = {
        {{"--emit-header=h.h", "--header-prefix=1UP_", "sprites.ctl"},
         "invalid header prefix '1UP_' (ASCII letters, digits and '_', not starting with a digit)"},
        {{"--header-prefix=GAME_", "sprites.ctl"}, "--header-prefix requires --emit-header"},
        {{"--check", "--header-prefix=GAME_", "sprites.ctl"},
         "--check cannot be combined with --header-prefix"},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.writeTga("art/abc.tga", kAbc);
        dir.writeText("sprites.ctl", kHead + "TGA abc\n");
        const ChildResult result = runIn(dir, c.args);
        EXPECT_EQ(result.exitStatus, 2) << c.problem;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "spritebake: " + std::string(c.problem) + "\nTry 'spritebake --help'.\n");
        EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");  // nothing ran
        EXPECT_FALSE(dir.exists("h.h"));
    }
}

}  // namespace
}  // namespace drivertest
