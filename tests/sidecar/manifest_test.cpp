// The manifest read back by a real JSON parser (Python's json module, strict UTF-8): Python
// parses the file and prints it again in its own canonical form, which is compared with text
// worked out by hand. Skipped when no python3 exists.
#include <gtest/gtest.h>

#include <string>

#include "sidecar/manifest.hpp"
#include "tests/sidecar/run_command.hpp"
#include "tests/support/test_support.hpp"

namespace {

using sidecartest::configuredTool;
using sidecartest::quoted;
using sidecartest::runCommand;

// Fails on invalid UTF-8 (strict decoding) and on a repeated key; prints the document with
// ASCII escapes, keys in file order.
constexpr const char* kReadBack = R"(import json, sys
def pairs(items):
    keys = [k for k, _ in items]
    if len(keys) != len(set(keys)):
        raise ValueError("repeated key")
    return dict(items)
with open(sys.argv[1], encoding="utf-8", errors="strict") as f:
    doc = json.load(f, object_pairs_hook=pairs)
print(json.dumps(doc, ensure_ascii=True))
)";

class ManifestReadBack : public ::testing::Test {
  protected:
    void SetUp() override {
        python_ = configuredTool(SPRITEBAKE_TEST_PYTHON);
        if (python_.empty()) GTEST_SKIP() << "no python3";
        testsupport::writeText(dir_.file("read_back.py"), kReadBack);
    }

    // What Python prints for the manifest of `view`, without the final line feed.
    std::string readBack(const SpriteView& view) {
        const std::optional<std::string> bytes = manifestBytes(view);
        EXPECT_TRUE(bytes.has_value());
        testsupport::writeText(dir_.file("m.json"), bytes.value_or(""));
        const auto result = runCommand(python_ + " " + quoted(dir_.file("read_back.py")) + " " +
                                       quoted(dir_.file("m.json")));
        EXPECT_EQ(result.status, 0) << result.out;
        std::string out = result.out;
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }

    std::string python_;
    testsupport::TempDir dir_;
};

SpriteViewEntry hero() {
    SpriteViewEntry e;
    e.name = "hero";
    e.hid = 0xdb637d08u;
    e.kind = SOURCE_TGA;
    e.source = "art/hero.tga";
    e.sourceWidth = 48;
    e.sourceHeight = 64;
    e.cropLeft = 4;
    e.cropTop = 7;
    e.wd = 40;
    e.ht = 57;
    e.method = HS_DOWNLEFT;
    e.methodName = "DownLeft";
    e.padding = 0;
    e.hx = 0;
    e.hy = -57;
    return e;
}

// Every byte class a name may hold: a quote, a backslash, a control byte, a stray high byte
// and a well-formed two-byte sequence.
SpriteViewEntry hostile() {
    SpriteViewEntry e;
    e.name = "b\"\\\x01\xFF\xC3\xA9";
    e.hid = 0x80000000u;
    e.kind = SOURCE_PCX;
    e.source = "art/\xE9\n.pcx";
    e.sourceWidth = 7;
    e.sourceHeight = 5;
    e.cropLeft = 0;
    e.cropTop = 2;
    e.wd = 7;
    e.ht = 3;
    e.method = HS_MIDDLE;
    e.methodName = "Middle";
    e.padding = 1;
    e.hx = -3;
    e.hy = -1;
    return e;
}

// A PNG sprite: stored as a TGA sprite is, with its own file format.
SpriteViewEntry coin() {
    SpriteViewEntry e;
    e.name = "coin";
    e.hid = 7;
    e.kind = SOURCE_PNG;
    e.source = "art/coin.png";
    e.sourceWidth = 3;
    e.sourceHeight = 2;
    e.cropLeft = 1;
    e.cropTop = 0;
    e.wd = 2;
    e.ht = 2;
    e.method = HS_UPLEFT;
    e.methodName = "UpLeft";
    e.padding = 1;
    e.hx = 0;
    e.hy = 0;
    return e;
}

TEST_F(ManifestReadBack, SingleBinaryFileWithHostileBytes) {
    SpriteView view;
    view.outputPath = "out/sprites.bin";
    view.form = OutputForm::SingleBinary;
    view.sprites = {hero(), hostile(), coin()};
    view.sprites[0].block = BlockPlace{516, 9120};
    view.sprites[1].block = BlockPlace{9636, 21};
    view.sprites[2].block = BlockPlace{9657, 16};
    view.fingerprint = 0x85944171f73967e8ull;
    EXPECT_EQ(
        readBack(view),
        R"({"format": "spritebake-manifest", "version": 1, "output": "out/sprites.bin", )"
        R"("form": "single-binary", "fingerprint": "0x85944171f73967e8", "sprites": [)"
        R"({"index": 0, "name": "hero", "name_hex": "6865726f", "hid": 3680730376, )"
        R"("hid_signed": -614236920, "kind": "tga", "source": "art/hero.tga", "source_width": 48, )"
        R"("source_height": 64, "crop_left": 4, "crop_top": 7, "wd": 40, "ht": 57, )"
        R"("method": "DownLeft", "padding": 0, "hx": 0, "hy": -57, "bytes_per_pixel": 4, )"
        R"("file_format": "tga", "offset": 516, "length": 9120}, )"
        R"({"index": 1, "name": "b\"\\\u0001\ufffd\u00e9", "name_hex": "62225c01ffc3a9", )"
        R"("hid": 2147483648, "hid_signed": -2147483648, "kind": "pcx", )"
        R"("source": "art/\ufffd\n.pcx", "source_width": 7, "source_height": 5, )"
        R"("crop_left": 0, "crop_top": 2, "wd": 7, "ht": 3, "method": "Middle", "padding": 1, )"
        R"("hx": -3, "hy": -1, "bytes_per_pixel": 1, "file_format": "pcx", "offset": 9636, )"
        R"("length": 21}, )"
        R"({"index": 2, "name": "coin", "name_hex": "636f696e", "hid": 7, "hid_signed": 7, )"
        R"("kind": "tga", "source": "art/coin.png", "source_width": 3, "source_height": 2, )"
        R"("crop_left": 1, "crop_top": 0, "wd": 2, "ht": 2, "method": "UpLeft", "padding": 1, )"
        R"("hx": 0, "hy": 0, "bytes_per_pixel": 4, "file_format": "png", "offset": 9657, )"
        R"("length": 16}]})");
}

TEST_F(ManifestReadBack, InfoFileHasNullOffsetAndLength) {
    SpriteView view;
    view.outputPath = "out/\x80info.txt";
    view.form = OutputForm::Info;
    SpriteViewEntry e = hero();
    e.hid = 0xFFFFFFFFu;
    view.sprites = {e};
    const std::string out = readBack(view);
    EXPECT_NE(out.find(R"("output": "out/\ufffdinfo.txt", "form": "info", )"
                       R"("fingerprint": "0x0000000000000000")"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(R"("hid": 4294967295, "hid_signed": -1,)"), std::string::npos) << out;
    EXPECT_NE(out.find(R"("bytes_per_pixel": 4, "file_format": "tga", "offset": null, )"
                       R"("length": null}]})"),
              std::string::npos)
        << out;
}

TEST_F(ManifestReadBack, EmptyTableAndTextForm) {
    SpriteView view;
    view.outputPath = "x.spr";
    view.form = OutputForm::SingleText;
    EXPECT_EQ(readBack(view),
              R"({"format": "spritebake-manifest", "version": 1, "output": "x.spr", )"
              R"("form": "single-text", "fingerprint": "0x0000000000000000", "sprites": []})");
}

TEST(ManifestBytes, EmptyTableLayout) {
    SpriteView view;
    view.outputPath = "a.txt";
    view.fingerprint = 0x00ff00000000000aull;
    EXPECT_EQ(manifestBytes(view),
              "{\n  \"format\": \"spritebake-manifest\",\n  \"version\": 1,\n"
              "  \"output\": \"a.txt\",\n  \"form\": \"info\",\n"
              "  \"fingerprint\": \"0x00ff00000000000a\",\n  \"sprites\": []\n}\n");
}

}  // namespace
