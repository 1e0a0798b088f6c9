// The generated header compiled by real compilers: a test program, written here by hand with
// the values it expects, includes it (twice, for the guard) and checks every constant and
// table field at run time, once as C99 with -pedantic and once as C++20; so does a program that
// includes the headers of two runs. Skipped when the machine has no compiler. Then the header's
// exact bytes for a small table, and the prefix rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "sidecar/c_header.hpp"
#include "tests/sidecar/run_command.hpp"
#include "tests/support/test_support.hpp"

namespace {

using sidecartest::configuredTool;
using sidecartest::quoted;
using sidecartest::runCommand;

SpriteViewEntry entry(std::string name, uint32_t hid, int32_t kind, int32_t wd, int32_t ht,
                      int32_t hx, int32_t hy, int32_t method, int32_t padding) {
    SpriteViewEntry e;
    e.name = std::move(name);
    e.hid = hid;
    e.kind = kind;
    e.wd = wd;
    e.ht = ht;
    e.hx = hx;
    e.hy = hy;
    e.method = method;
    e.padding = padding;
    return e;
}

// Names chosen to break a careless generator: duplicates, comment ends and starts, a trigraph
// that would be a backslash, a backslash that would continue a line, high bytes, an empty name,
// a digit first, a line feed, and a name that mangles to an already-suffixed identifier.
SpriteView hostileView() {
    SpriteView view;
    view.outputPath = "out/*/sprites.bin";
    view.form = OutputForm::SingleBinary;
    view.sprites = {
        entry("hero", 0xdb637d08u, SOURCE_TGA, 40, 57, 0, -57, 3, 0),
        entry("HERO", 0xdb637d08u, SOURCE_TGA, 1, 1, 0, 0, 1, 1),
        entry("*/", 0x00000001u, SOURCE_PCX, 7, 3, -3, -1, 0, 1),
        entry("?\?/", 0xffffffffu, SOURCE_TGA, 0, 0, INT32_MIN, INT32_MAX, 5, 1),
        entry("a\\", 0x80000000u, SOURCE_PCX, 2, 2, -2, 0, 2, 0),
        entry("\xFF\xFE", 2u, SOURCE_TGA, 3, 4, -3, -4, 4, 1),
        entry("", 3u, SOURCE_PCX, 5, 6, 0, -6, 3, 0),
        entry("9lives", 4u, SOURCE_TGA, 8, 8, -4, -4, 0, 1),
        entry("hero_2", 5u, SOURCE_PCX, 9, 1, 0, 0, 1, 0),
        entry("a\nb", 6u, SOURCE_TGA, 1, 2, 0, 0, 1, 0),
        entry("x/*y", 7u, SOURCE_PCX, 2, 1, 0, 0, 1, 0),
    };
    // Blocks in order after a binary header of 4 + 11 x 32 = 356 bytes; one offset is moved past
    // 4 GiB to show that 64-bit values survive.
    uint64_t offset = 356;
    for (SpriteViewEntry& e : view.sprites) {
        const uint64_t length = uint64_t(e.wd) * uint64_t(e.ht) * (e.kind == SOURCE_TGA ? 4 : 1);
        e.block = BlockPlace{offset, length};
        offset += length;
    }
    view.sprites[10].block->offset = 5000000000ull;
    view.fingerprint = 0xfedcba9876543210ull;  // past INT64_MAX: only an unsigned literal holds it
    return view;
}

// The same source compiles as C99 and as C++20. Expected values are written out by hand.
constexpr const char* kProgram = R"(#include "sprites.h"
#include "sprites.h"
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(c) do { if (!(c)) { printf("failed: %s\n", #c); ++failures; } } while (0)

int main(void) {
    static const uint32_t hid[11] = {0xdb637d08u, 0xdb637d08u, 1u, 0xffffffffu, 0x80000000u,
                                     2u, 3u, 4u, 5u, 6u, 7u};
    static const uint32_t kind[11] = {1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    static const uint64_t offset[11] = {356u, 9476u, 9480u, 9501u, 9501u, 9505u, 9553u,
                                        9583u, 9839u, 9848u, 5000000000u};
    static const uint64_t length[11] = {9120u, 4u, 21u, 0u, 4u, 48u, 30u, 256u, 9u, 8u, 2u};
    static const int32_t wd[11] = {40, 1, 7, 0, 2, 3, 5, 8, 9, 1, 2};
    static const int32_t ht[11] = {57, 1, 3, 0, 2, 4, 6, 8, 1, 2, 1};
    static const int32_t hx[11] = {0, 0, -3, INT32_MIN, -2, -3, 0, -4, 0, 0, 0};
    static const int32_t hy[11] = {-57, 0, -1, INT32_MAX, 0, -4, -6, -4, 0, 0, 0};
    static const int32_t method[11] = {3, 1, 0, 5, 2, 4, 3, 0, 1, 1, 1};
    static const int32_t padding[11] = {0, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0};
    int i;

    CHECK(SPRITES_SPRITE_HERO == 0);
    CHECK(SPRITES_SPRITE_HERO_2 == 1);
    CHECK(SPRITES_SPRITE___ == 2);
    CHECK(SPRITES_SPRITE____ == 3);
    CHECK(SPRITES_SPRITE_A_ == 4);
    CHECK(SPRITES_SPRITE____2 == 5);
    CHECK(SPRITES_SPRITE_ == 6);
    CHECK(SPRITES_SPRITE_9LIVES == 7);
    CHECK(SPRITES_SPRITE_HERO_2_2 == 8);
    CHECK(SPRITES_SPRITE_A_B == 9);
    CHECK(SPRITES_SPRITE_X__Y == 10);
    CHECK(SPRITES_COUNT == 11);
    CHECK(sizeof SPRITES_TABLE / sizeof SPRITES_TABLE[0] == 11);
    CHECK(strcmp(SPRITES_KINDS, "TTPTPTPTPTP") == 0);
    CHECK(SPRITES_FINGERPRINT == 0xfedcba9876543210u);
    CHECK(SPRITES_FINGERPRINT > 0);
    for (i = 0; i < SPRITES_COUNT; ++i) {
        const spritebake_sprite_info* s = &SPRITES_TABLE[i];
        CHECK(s->hid == hid[i]);
        CHECK(s->kind == kind[i]);
        CHECK(s->offset == offset[i]);
        CHECK(s->length == length[i]);
        CHECK(s->wd == wd[i]);
        CHECK(s->ht == ht[i]);
        CHECK(s->hx == hx[i]);
        CHECK(s->hy == hy[i]);
        CHECK(s->method == method[i]);
        CHECK(s->padding == padding[i]);
    }
    return failures == 0 ? 0 : 1;
}
)";

constexpr const char* kEmptyProgram = R"(#include "sprites.h"
int main(void) {
    return SPRITES_COUNT == 0 && SPRITES_KINDS[0] == 0 && SPRITES_TABLE[0].hid == 0u &&
                   SPRITES_FINGERPRINT == 0xcbf29ce484222325u ? 0 : 1;
}
)";

// Two runs' headers in one file, each included twice, in either order. The first run's sprites
// are named like the header's other names, to show that they cannot take them.
SpriteView firstRun() {
    SpriteView view;
    view.sprites = {
        entry("count", 10u, SOURCE_TGA, 1, 1, 0, 0, 1, 1),
        entry("kinds", 11u, SOURCE_PCX, 2, 1, 0, 0, 1, 1),
        entry("fingerprint", 12u, SOURCE_TGA, 3, 1, 0, 0, 1, 1),
        entry("table", 13u, SOURCE_PCX, 4, 1, 0, 0, 1, 1),
        entry("hero", 14u, SOURCE_TGA, 5, 1, 0, 0, 1, 1),
    };
    view.fingerprint = 0x0123456789abcdefull;
    return view;
}

SpriteView secondRun() {
    SpriteView view;
    view.sprites = {
        entry("hero", 20u, SOURCE_PCX, 6, 2, 0, 0, 0, 0),
        entry("ghost", 21u, SOURCE_TGA, 7, 2, 0, 0, 0, 0),
    };
    view.fingerprint = 0xffffffffffffffffull;
    return view;
}

constexpr const char* kTwoHeadersProgram = R"(#include "level1.h"
#include "level2.h"
#include "level1.h"
#include "level2.h"
#include <string.h>

int main(void) {
    int failures = 0;
    failures += LEVEL1_SPRITE_COUNT != 0;
    failures += LEVEL1_SPRITE_KINDS != 1;
    failures += LEVEL1_SPRITE_FINGERPRINT != 2;
    failures += LEVEL1_SPRITE_TABLE != 3;
    failures += LEVEL1_SPRITE_HERO != 4;
    failures += LEVEL1_COUNT != 5;
    failures += strcmp(LEVEL1_KINDS, "TPTPT") != 0;
    failures += LEVEL1_FINGERPRINT != 0x0123456789abcdefu;
    failures += sizeof LEVEL1_TABLE / sizeof LEVEL1_TABLE[0] != 5;
    failures += LEVEL1_TABLE[LEVEL1_SPRITE_HERO].hid != 14u;
    failures += LEVEL1_TABLE[LEVEL1_SPRITE_HERO].wd != 5;
    failures += LEVEL2_SPRITE_HERO != 0;
    failures += LEVEL2_SPRITE_GHOST != 1;
    failures += LEVEL2_COUNT != 2;
    failures += strcmp(LEVEL2_KINDS, "PT") != 0;
    failures += LEVEL2_FINGERPRINT != 0xffffffffffffffffu;
    failures += sizeof LEVEL2_TABLE / sizeof LEVEL2_TABLE[0] != 2;
    failures += LEVEL2_TABLE[LEVEL2_SPRITE_HERO].hid != 20u;
    failures += LEVEL2_TABLE[LEVEL2_SPRITE_HERO].kind != 0u;
    failures += LEVEL2_TABLE[LEVEL2_SPRITE_GHOST].wd != 7;
    return failures;
}
)";

struct HeaderFile {
    const char* name;
    SpriteView view;
    const char* prefix;
};

struct Compiler {
    const char* what;
    std::string tool;
    const char* flags;
    const char* extension;
};

class HeaderCompiles : public ::testing::TestWithParam<int> {
  protected:
    // Writes the headers and the program, compiles and runs them with each compiler.
    void compileAndRun(const std::vector<HeaderFile>& headers, const char* program) {
        const Compiler compilers[] = {
            {"C99", configuredTool(SPRITEBAKE_TEST_CC), "-std=c99 -Wall -Wextra -Werror -pedantic",
             ".c"},
            {"C++20", configuredTool(SPRITEBAKE_TEST_CXX), "-std=c++20 -Wall -Wextra -Werror",
             ".cpp"},
        };
        const Compiler& compiler = compilers[GetParam()];
        if (compiler.tool.empty()) GTEST_SKIP() << "no compiler for " << compiler.what;
        std::string texts;
        for (const HeaderFile& file : headers) {
            const std::optional<std::string> header = cHeaderBytes(file.view, file.prefix);
            ASSERT_TRUE(header.has_value());
            testsupport::writeText(dir_.file(file.name), *header);
            texts += *header;
        }
        const std::string source = dir_.file(std::string("game") + compiler.extension);
        testsupport::writeText(source, program);
        const std::string exe = dir_.file("game");
        const auto build = runCommand(compiler.tool + " " + compiler.flags + " -o " + quoted(exe) +
                                      " " + quoted(source));
        ASSERT_EQ(build.status, 0) << compiler.what << "\n" << build.out << "\n" << texts;
        const auto run = runCommand(quoted(exe));
        EXPECT_EQ(run.status, 0) << compiler.what << "\n" << run.out << "\n" << texts;
    }

    testsupport::TempDir dir_;
};

TEST_P(HeaderCompiles, HostileNamesGiveTheRightConstantsAndTable) {
    compileAndRun({{"sprites.h", hostileView(), "SPRITES_"}}, kProgram);
}

TEST_P(HeaderCompiles, EmptyTable) {
    SpriteView view;
    view.fingerprint = 0xcbf29ce484222325ull;
    compileAndRun({{"sprites.h", view, "SPRITES_"}}, kEmptyProgram);
}

TEST_P(HeaderCompiles, TwoRunsInOneFile) {
    compileAndRun({{"level1.h", firstRun(), "LEVEL1_"}, {"level2.h", secondRun(), "LEVEL2_"}},
                  kTwoHeadersProgram);
}

INSTANTIATE_TEST_SUITE_P(Languages, HeaderCompiles, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "C99" : "Cxx20"; });

TEST(CHeader, NamesNeverAppearOutsideIdentifiers) {
    const std::string header = cHeaderBytes(hostileView(), "SPRITES_").value_or("");
    // Only identifiers carry names, and they hold letters, digits and '_' alone.
    for (const char* fragment : {"?\?/", "\\", "\xFF", "9lives", "x/*y", "hero", "a\nb"}) {
        EXPECT_EQ(header.find(fragment), std::string::npos) << fragment;
    }
    // The kinds literal is the one string; <stdint.h> the one include; no pragma.
    EXPECT_EQ(std::count(header.begin(), header.end(), '"'), 2);
    EXPECT_EQ(header.find("#include"), header.rfind("#include"));
    EXPECT_NE(header.find("#include <stdint.h>\n"), std::string::npos);
    EXPECT_EQ(header.find("#pragma"), std::string::npos);
}

// Every byte of a small header, written out by hand.
TEST(CHeader, ExactBytes) {
    SpriteView view;
    view.form = OutputForm::SingleBinary;
    view.fingerprint = 0x00000000000000abull;
    view.sprites = {
        entry("hero", 0x1aa806f2u, SOURCE_TGA, 2, 2, 0, -2, 3, 0),
        entry("gem", 0xca82fd36u, SOURCE_PCX, 3, 1, -1, 0, 0, 0),
    };
    view.sprites[0].block = BlockPlace{68, 16};
    view.sprites[1].block = BlockPlace{84, 3};
    const std::string expected =
        "/* Generated by spritebake: the sprites of one run, in table order. Do not edit. */\n"
        "#ifndef SPRITEBAKE_GAME_H\n"
        "#define SPRITEBAKE_GAME_H\n"
        "\n"
        "#include <stdint.h>\n"
        "\n"
        "#define GAME_SPRITE_HERO 0\n"
        "#define GAME_SPRITE_GEM 1\n"
        "\n"
        "#define GAME_COUNT 2\n"
        "#define GAME_KINDS \"TP\"\n"
        "#define GAME_FINGERPRINT 0x00000000000000abULL\n"
        "\n"
        "/* kind: 0 PCX (1 byte a pixel), 1 TGA (4 bytes a pixel). offset, length: the pixel\n"
        "   block in the single sprite file, 0 and 0 for an info file. method: 0 Middle, "
        "1 UpLeft,\n"
        "   2 UpRight, 3 DownLeft, 4 DownRight, 5 HotXY. */\n"
        "#ifndef SPRITEBAKE_RECORD_TYPE_DEFINED\n"
        "#define SPRITEBAKE_RECORD_TYPE_DEFINED\n"
        "typedef struct spritebake_sprite_info {\n"
        "    uint32_t hid;\n"
        "    uint32_t kind;\n"
        "    uint64_t offset;\n"
        "    uint64_t length;\n"
        "    int32_t wd;\n"
        "    int32_t ht;\n"
        "    int32_t hx;\n"
        "    int32_t hy;\n"
        "    int32_t method;\n"
        "    int32_t padding;\n"
        "} spritebake_sprite_info;\n"
        "#endif\n"
        "\n"
        "static const spritebake_sprite_info GAME_TABLE[2] = {\n"
        "    {0x1aa806f2u, 1u, 68u, 16u, 2, 2, 0, -2, 3, 0},\n"
        "    {0xca82fd36u, 0u, 84u, 3u, 3, 1, -1, 0, 0, 0}\n"
        "};\n"
        "\n"
        "#endif /* SPRITEBAKE_GAME_H */\n";
    EXPECT_EQ(cHeaderBytes(view, "GAME_").value_or(""), expected);
}

// The guard drops one trailing '_' only; a prefix without one is used as it is.
TEST(CHeader, GuardAndNamesFollowThePrefix) {
    struct Case {
        const char* prefix;
        const char* guard;
        const char* count;
    };
    const Case cases[] = {
        {"SPRITES_", "#ifndef SPRITEBAKE_SPRITES_H\n", "#define SPRITES_COUNT 0\n"},
        {"lvl", "#ifndef SPRITEBAKE_lvl_H\n", "#define lvlCOUNT 0\n"},
        {"A__", "#ifndef SPRITEBAKE_A__H\n", "#define A__COUNT 0\n"},
        {"_", "#ifndef SPRITEBAKE__H\n", "#define _COUNT 0\n"},
    };
    for (const Case& c : cases) {
        const std::string header = cHeaderBytes(SpriteView{}, c.prefix).value_or("");
        EXPECT_NE(header.find(c.guard), std::string::npos) << c.prefix;
        EXPECT_NE(header.find(c.count), std::string::npos) << c.prefix;
    }
}

TEST(HeaderPrefix, DefaultFromTheFileName) {
    struct Case {
        const char* path;
        const char* prefix;
    };
    const Case cases[] = {
        {"sprites.h", "SPRITES_"},
        {"out/sprites.h", "SPRITES_"},
        {"out/Level-1.hpp", "LEVEL_1_"},
        {"a.b/2d.h", "_2D_"},
        {"gen/sprites.gen.h", "SPRITES_GEN_"},
        {"noext", "NOEXT_"},
        {"dir/.h", "_H_"},
        {"caf\xc3\xa9.h", "CAF___"},
        {"out/", "SPRITES_"},
        {"", "SPRITES_"},
    };
    for (const Case& c : cases) EXPECT_EQ(defaultHeaderPrefix(c.path), c.prefix) << c.path;
}

TEST(HeaderPrefix, WhatIsACIdentifierPrefix) {
    for (const char* good : {"A", "_", "SPRITES_", "lvl2_", "x9", "__a"}) {
        EXPECT_TRUE(isHeaderPrefix(good)) << good;
    }
    for (const char* bad : {"", "1UP", "9_", "A-B", "A B", "A.", "caf\xc3\xa9", "A\n", "$A"}) {
        EXPECT_FALSE(isHeaderPrefix(bad)) << bad;
    }
}

}  // namespace
