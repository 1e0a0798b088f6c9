// The generated header compiled by real compilers: a test program, written here by hand with
// the values it expects, includes it (twice, for the guard) and checks every constant and
// table field at run time, once as C99 with -pedantic and once as C++20. Skipped when the
// machine has no compiler.
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

    CHECK(SPRITE_HERO == 0);
    CHECK(SPRITE_HERO_2 == 1);
    CHECK(SPRITE___ == 2);
    CHECK(SPRITE____ == 3);
    CHECK(SPRITE_A_ == 4);
    CHECK(SPRITE____2 == 5);
    CHECK(SPRITE_ == 6);
    CHECK(SPRITE_9LIVES == 7);
    CHECK(SPRITE_HERO_2_2 == 8);
    CHECK(SPRITE_A_B == 9);
    CHECK(SPRITE_X__Y == 10);
    CHECK(SPRITEBAKE_SPRITE_COUNT == 11);
    CHECK(sizeof spritebake_sprites / sizeof spritebake_sprites[0] == 11);
    CHECK(strcmp(SPRITEBAKE_SPRITE_KINDS, "TTPTPTPTPTP") == 0);
    for (i = 0; i < SPRITEBAKE_SPRITE_COUNT; ++i) {
        const spritebake_sprite_info* s = &spritebake_sprites[i];
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
    return SPRITEBAKE_SPRITE_COUNT == 0 && SPRITEBAKE_SPRITE_KINDS[0] == 0 &&
                   spritebake_sprites[0].hid == 0u ? 0 : 1;
}
)";

struct Compiler {
    const char* what;
    std::string tool;
    const char* flags;
    const char* extension;
};

class HeaderCompiles : public ::testing::TestWithParam<int> {
  protected:
    // Writes the header and the program, compiles and runs them with each compiler.
    void compileAndRun(const SpriteView& view, const char* program) {
        const Compiler compilers[] = {
            {"C99", configuredTool(SPRITEBAKE_TEST_CC), "-std=c99 -Wall -Wextra -Werror -pedantic",
             ".c"},
            {"C++20", configuredTool(SPRITEBAKE_TEST_CXX), "-std=c++20 -Wall -Wextra -Werror",
             ".cpp"},
        };
        const Compiler& compiler = compilers[GetParam()];
        if (compiler.tool.empty()) GTEST_SKIP() << "no compiler for " << compiler.what;
        const std::optional<std::string> header = cHeaderBytes(view);
        ASSERT_TRUE(header.has_value());
        testsupport::writeText(dir_.file("sprites.h"), *header);
        const std::string source = dir_.file(std::string("game") + compiler.extension);
        testsupport::writeText(source, program);
        const std::string exe = dir_.file("game");
        const auto build = runCommand(compiler.tool + " " + compiler.flags + " -o " + quoted(exe) +
                                      " " + quoted(source));
        ASSERT_EQ(build.status, 0) << compiler.what << "\n" << build.out << "\n" << *header;
        const auto run = runCommand(quoted(exe));
        EXPECT_EQ(run.status, 0) << compiler.what << "\n" << run.out << "\n" << *header;
    }

    testsupport::TempDir dir_;
};

TEST_P(HeaderCompiles, HostileNamesGiveTheRightConstantsAndTable) {
    compileAndRun(hostileView(), kProgram);
}

TEST_P(HeaderCompiles, EmptyTable) {
    SpriteView view;
    compileAndRun(view, kEmptyProgram);
}

INSTANTIATE_TEST_SUITE_P(Languages, HeaderCompiles, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "C99" : "Cxx20"; });

TEST(CHeader, NamesNeverAppearOutsideIdentifiers) {
    const std::string header = cHeaderBytes(hostileView()).value_or("");
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

}  // namespace
