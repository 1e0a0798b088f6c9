// --atlas end to end: the real executable on sprites built here, the data files compared byte
// for byte with texts written out by hand, the pages decoded (libspng) and compared pixel by
// pixel with the sources' own colours.
#include <gtest/gtest.h>

#include <spng.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/json_lite.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildResult;
using testsupport::namesIn;

const std::string kVersion = SPRITEBAKE_VERSION;

struct Page {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
    bool ok = false;
    Rgba at(int32_t x, int32_t y) const {
        const size_t i = (static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
};

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

Page decodePng(const std::vector<uint8_t>& bytes) {
    Page page;
    const std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
    spng_ihdr header{};
    size_t size = 0;
    if (spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()) != 0 ||
        spng_get_ihdr(ctx.get(), &header) != 0 ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size) != 0) {
        return page;
    }
    // The pages are 8-bit RGBA as stored, no conversion needed.
    if (header.bit_depth != 8 || header.color_type != SPNG_COLOR_TYPE_TRUECOLOR_ALPHA) return page;
    page.rgba.resize(size);
    page.ok = spng_decode_image(ctx.get(), page.rgba.data(), size, SPNG_FMT_RGBA8, 0) == 0;
    page.width = header.width;
    page.height = header.height;
    return page;
}

bool operator==(const Rgba& a, const Rgba& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// FNV-1a 64, written out again here: the fingerprint of the info file's bytes.
std::string fingerprintOf(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// The hid of each entry, as the info file's lines give it (a signed decimal).
std::vector<std::string> hidsOf(const std::string& info) {
    std::vector<std::string> hids;
    size_t at = 0;
    while ((at = info.find("hid ", at)) != std::string::npos) {
        const long long value = std::stoll(info.substr(at + 4));
        hids.push_back(std::to_string(static_cast<uint32_t>(static_cast<int32_t>(value))));
        at += 4;
    }
    return hids;
}

struct Place {
    int64_t x = -1;
    int64_t y = -1;
};

// Where the packer put each frame: read from the data file, since placing is the packer's
// choice; everything else is checked against hand-written text.
std::map<std::string, Place> framePlaces(const std::string& text) {
    testsupport::JsonValue root;
    std::string error;
    std::map<std::string, Place> places;
    if (!testsupport::parseJson(text, root, error)) {
        ADD_FAILURE() << error;
        return places;
    }
    const testsupport::JsonValue* frames = root.find("frames");
    if (frames == nullptr) return places;
    for (const testsupport::JsonMember& member : frames->members) {
        const testsupport::JsonValue* frame = member.value.find("frame");
        places[member.name] = {frame->find("x")->asInt().value_or(-1),
                               frame->find("y")->asInt().value_or(-1)};
    }
    return places;
}

std::string pageSize(const std::string& text) {
    const size_t at = text.find("\"size\": ");
    return text.substr(at, text.find('}', at) - at + 1);
}

// The sprites of most cases. a: a 5 x 4 picture whose visible 2 x 1 box at (1, 1) holds a
// translucent and an opaque pixel; b: 3 x 3, opaque, not trimmed; c: a PCX with one pixel of
// index 7 at (2, 1) of 3 x 2, entry 7 of its palette (70, 71, 72); e: blank; d: a's copy.
class AtlasRun : public ::testing::Test {
  protected:
    void SetUp() override { writeSources(dir_, false); }

    static Picture pictureA() {
        Picture a(5, 4);
        a.at(1, 1) = {200, 100, 50, 128};
        a.at(2, 1) = {10, 20, 30, 255};
        return a;
    }
    static Picture pictureB() {
        Picture b(3, 3);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 3; ++x) {
                b.at(x, y) = {static_cast<uint8_t>(x * 80), static_cast<uint8_t>(y * 80), 9, 255};
            }
        }
        return b;
    }
    static void writeSources(const BakeDir& dir, bool reversed) {
        const auto writeC = [&] {
            IndexPicture c(3, 2);
            c.at(2, 1) = 7;
            std::vector<uint8_t> pcx = pcxFile(c);
            const size_t palette = pcx.size() - 768;
            pcx[palette + 21] = 70;
            pcx[palette + 22] = 71;
            pcx[palette + 23] = 72;
            testsupport::writeFile(dir.path("art/c.pcx"), pcx);
        };
        const std::vector<std::function<void()>> steps = {
            [&] { dir.writeTga("art/a.tga", pictureA()); },
            [&] { dir.writeTga("art/b.tga", pictureB()); },
            writeC,
            [&] { dir.writeTga("art/e.tga", Picture(2, 2)); },
            [&] { dir.writeTga("art/d.tga", pictureA()); },
        };
        if (reversed) {
            for (auto step = steps.rbegin(); step != steps.rend(); ++step) (*step)();
        } else {
            for (const auto& step : steps) step();
        }
    }

    // Middle hotspots: a's is at (1 + 2/2, 1 + 1/2) = (2, 1); b's, padded to 4 x 4, at (2, 2);
    // c's (a PCX, never padded) at its pixel, (2, 1).
    static std::string control() {
        return kHead + "Hotspot Middle\nTGA a\nPadding On\nTGA b\nPCX c\nTGA e\nTGA b\nTGA d\n";
    }
    ChildResult run(std::vector<std::string> args) const {
        dir_.writeText("sprites.ctl", control());
        args.push_back("sprites.ctl");
        return testsupport::runSpritebake(args, dir_.path(""));
    }

    // The frames' members after their names, at the places given.
    std::string membersA(Place p) const {
        return "\"frame\": {\"x\": " + std::to_string(p.x) + ", \"y\": " + std::to_string(p.y) +
               ", \"w\": 2, \"h\": 1}, \"rotated\": false, \"trimmed\": true, "
               "\"spriteSourceSize\": {\"x\": 1, \"y\": 1, \"w\": 2, \"h\": 1}, "
               "\"sourceSize\": {\"w\": 5, \"h\": 4}, \"pivot\": {\"x\": 0.4, \"y\": 0.25}, "
               "\"anchor\": {\"x\": 0.4, \"y\": 0.25}, \"hid\": " + hids_[0] +
               ", \"index\": 0, \"hotspot\": {\"x\": 2, \"y\": 1}";
    }
    std::string membersB(Place p, int index = 1) const {
        return "\"frame\": {\"x\": " + std::to_string(p.x) + ", \"y\": " + std::to_string(p.y) +
               ", \"w\": 3, \"h\": 3}, \"rotated\": false, \"trimmed\": false, "
               "\"spriteSourceSize\": {\"x\": 0, \"y\": 0, \"w\": 3, \"h\": 3}, "
               "\"sourceSize\": {\"w\": 3, \"h\": 3}, \"pivot\": {\"x\": 0.6666666666666666, "
               "\"y\": 0.6666666666666666}, \"anchor\": {\"x\": 0.6666666666666666, "
               "\"y\": 0.6666666666666666}, \"hid\": " + hids_[1] +
               ", \"index\": " + std::to_string(index) + ", \"hotspot\": {\"x\": 2, \"y\": 2}";
    }
    std::string membersC(Place p) const {
        return "\"frame\": {\"x\": " + std::to_string(p.x) + ", \"y\": " + std::to_string(p.y) +
               ", \"w\": 1, \"h\": 1}, \"rotated\": false, \"trimmed\": true, "
               "\"spriteSourceSize\": {\"x\": 2, \"y\": 1, \"w\": 1, \"h\": 1}, "
               "\"sourceSize\": {\"w\": 3, \"h\": 2}, \"pivot\": {\"x\": 0.6666666666666666, "
               "\"y\": 0.5}, \"anchor\": {\"x\": 0.6666666666666666, \"y\": 0.5}, \"hid\": " +
               hids_[2] + ", \"index\": 2, \"hotspot\": {\"x\": 2, \"y\": 1}";
    }
    std::string membersD(Place p) const {
        std::string text = membersA(p);
        text.replace(text.find(hids_[0]), hids_[0].size(), hids_[5]);
        text.replace(text.find("\"index\": 0"), 10, "\"index\": 5");
        return text;
    }
    void readHids() { hids_ = hidsOf(dir_.readText("info.txt")); }

    std::string metaLines(const std::string& image, const std::string& size,
                          const std::string& extra = "") const {
        return "  \"meta\": {\n"
               "    \"app\": \"spritebake\",\n"
               "    \"version\": \"" + kVersion + "\",\n"
               "    \"image\": \"" + image + "\",\n"
               "    \"format\": \"RGBA8888\",\n"
               "    " + size + ",\n"
               "    \"scale\": \"1\",\n"
               "    \"fingerprint\": \"" + fingerprintOf(dir_.readText("info.txt")) + "\",\n" +
               extra +
               "    \"blank\": [\"e\"]\n"
               "  }\n"
               "}\n";
    }

    // Each frame's pixels on the page, as the sources hold them.
    void expectFramePixels(const Page& page, const std::map<std::string, Place>& places,
                           bool premultiplied) const {
        ASSERT_TRUE(page.ok);
        const Place a = places.at("a");
        const Rgba translucent = premultiplied ? Rgba{100, 50, 25, 128} : Rgba{200, 100, 50, 128};
        EXPECT_TRUE(page.at(a.x, a.y) == translucent);
        EXPECT_TRUE(page.at(a.x + 1, a.y) == (Rgba{10, 20, 30, 255}));
        const Place b = places.at("b");
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 3; ++x) {
                EXPECT_TRUE(page.at(b.x + x, b.y + y) == pictureB().at(x, y)) << x << "," << y;
            }
        }
        const Place c = places.at("c");
        EXPECT_TRUE(page.at(c.x, c.y) == (Rgba{70, 71, 72, 255}));
    }

    BakeDir dir_;
    std::vector<std::string> hids_;
};

TEST_F(AtlasRun, JsonHashHoldsEveryFrameOnce) {
    const ChildResult result = run({"--atlas=out/atlas.json"});
    EXPECT_EQ(result.out,
              "WARNING!  Sprite e is blank.\n"
              "Warning, sprite b is already in the atlas as entry 1; entry 4 left out.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(namesIn(dir_.path("out")), (std::vector<std::string>{"atlas.json", "atlas.png"}));
    readHids();
    const std::string text = dir_.readText("out/atlas.json");
    const std::map<std::string, Place> at = framePlaces(text);
    ASSERT_EQ(at.size(), 4u);
    // d holds a's pixels: it shares a's region.
    EXPECT_EQ(at.at("d").x, at.at("a").x);
    EXPECT_EQ(at.at("d").y, at.at("a").y);
    EXPECT_EQ(text, "{\n"
                    "  \"frames\": {\n"
                    "    \"a\": {" + membersA(at.at("a")) + "},\n"
                    "    \"b\": {" + membersB(at.at("b")) + "},\n"
                    "    \"c\": {" + membersC(at.at("c")) + "},\n"
                    "    \"d\": {" + membersD(at.at("d")) + "}\n"
                    "  },\n" +
                        metaLines("atlas.png", pageSize(text)));
    const Page page = decodePng(dir_.read("out/atlas.png"));
    EXPECT_EQ(pageSize(text), "\"size\": {\"w\": " + std::to_string(page.width) +
                                  ", \"h\": " + std::to_string(page.height) + "}");
    expectFramePixels(page, at, false);
}

TEST_F(AtlasRun, PremultipliedPagesSaySo) {
    const ChildResult result = run({"--atlas", "out/atlas.json", "--atlas-alpha=premultiplied"});
    EXPECT_EQ(result.exitStatus, 0);
    readHids();
    const std::string text = dir_.readText("out/atlas.json");
    const std::map<std::string, Place> at = framePlaces(text);
    EXPECT_NE(text.find("    \"fingerprint\": \"" + fingerprintOf(dir_.readText("info.txt")) +
                        "\",\n    \"premultiplyAlpha\": true,\n    \"blank\": [\"e\"]\n"),
              std::string::npos);
    expectFramePixels(decodePng(dir_.read("out/atlas.png")), at, true);
}

TEST_F(AtlasRun, WithoutAliasesEveryFrameHasItsOwnPixels) {
    ASSERT_EQ(run({"--atlas=out/atlas.json", "--atlas-no-alias"}).exitStatus, 0);
    const std::map<std::string, Place> at = framePlaces(dir_.readText("out/atlas.json"));
    EXPECT_FALSE(at.at("d").x == at.at("a").x && at.at("d").y == at.at("a").y);
    const Page page = decodePng(dir_.read("out/atlas.png"));
    std::map<std::string, Place> asD = at;
    asD["a"] = at.at("d");
    expectFramePixels(page, asD, false);
}

TEST_F(AtlasRun, OneDataFileAPageEachNamingTheOthers) {
    // b (3 x 3) and a (2 x 1) cannot share a 4 x 4 page with 2 pixels between them, nor can c.
    const ChildResult result = run({"--atlas=out/set.json", "--atlas-max-size=4", "--atlas-no-alias"});
    EXPECT_EQ(result.exitStatus, 0);
    const std::vector<std::string> names = namesIn(dir_.path("out"));
    size_t pages = 0;
    size_t frames = 0;
    for (size_t k = 0; fs::exists(dir_.path("out/set" + (k ? "-" + std::to_string(k) : "") + ".png")); ++k) {
        const std::string suffix = k ? "-" + std::to_string(k) : "";
        const std::string text = dir_.readText("out/set" + suffix + ".json");
        std::string others;
        for (size_t j = 0; j < 4; ++j) {
            if (j == k || !fs::exists(dir_.path("out/set" + (j ? "-" + std::to_string(j) : "") + ".json"))) continue;
            others += (others.empty() ? "" : ", ") + std::string("\"set") +
                      (j ? "-" + std::to_string(j) : "") + ".json\"";
        }
        EXPECT_NE(text.find("    \"image\": \"set" + suffix + ".png\",\n"), std::string::npos);
        EXPECT_NE(text.find("    \"related_multi_packs\": [" + others + "],\n    \"blank\""),
                  std::string::npos)
            << text;
        frames += framePlaces(text).size();
        ++pages;
    }
    EXPECT_GE(pages, 3u);
    EXPECT_EQ(frames, 4u);
    EXPECT_EQ(names.size(), 2 * pages);
}

TEST_F(AtlasRun, Phaser3AndJsonArrayOfOneSprite) {
    // A single sprite sits at the page's corner, on a page of its own sides.
    dir_.writeText("one.ctl", kHead + "Hotspot Middle\nPadding On\nTGA b\n");
    for (const char* format : {"json-array", "phaser3"}) {
        const ChildResult result = testsupport::runSpritebake(
            {"--atlas=out/one.json", std::string("--atlas-format=") + format, "one.ctl"},
            dir_.path(""));
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.exitStatus, 0);
        readHids();
        hids_.resize(2);
        hids_[1] = hids_[0];
        const std::string frame = "{\"filename\": \"b\", " + membersB({0, 0}, 0) + "}";
        const std::string fingerprint = fingerprintOf(dir_.readText("info.txt"));
        const std::string expected =
            std::string(format) == "phaser3"
                ? "{\n  \"textures\": [\n    {\n      \"image\": \"one.png\",\n"
                  "      \"format\": \"RGBA8888\",\n      \"size\": {\"w\": 3, \"h\": 3},\n"
                  "      \"scale\": 1,\n      \"frames\": [\n        " + frame + "\n      ]\n"
                  "    }\n  ],\n  \"meta\": {\n    \"app\": \"spritebake\",\n"
                  "    \"version\": \"" + kVersion + "\",\n    \"fingerprint\": \"" +
                      fingerprint + "\",\n    \"blank\": []\n  }\n}\n"
                : "{\n  \"frames\": [\n    " + frame + "\n  ],\n  \"meta\": {\n"
                  "    \"app\": \"spritebake\",\n    \"version\": \"" + kVersion + "\",\n"
                  "    \"image\": \"one.png\",\n    \"format\": \"RGBA8888\",\n"
                  "    \"size\": {\"w\": 3, \"h\": 3},\n    \"scale\": \"1\",\n"
                  "    \"fingerprint\": \"" + fingerprint + "\",\n    \"blank\": []\n  }\n}\n";
        EXPECT_EQ(dir_.readText("out/one.json"), expected) << format;
        const Page page = decodePng(dir_.read("out/one.png"));
        ASSERT_TRUE(page.ok);
        EXPECT_EQ(page.width, 3u);
        EXPECT_EQ(page.height, 3u);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 3; ++x) EXPECT_TRUE(page.at(x, y) == pictureB().at(x, y));
        }
    }
}

TEST_F(AtlasRun, ExtrusionRepeatsTheEdgesAroundTheFrame) {
    dir_.writeText("one.ctl", kHead + "TGA b\n");
    const ChildResult result = testsupport::runSpritebake(
        {"--atlas=out/x.json", "--atlas-extrude=2", "--atlas-padding=0", "one.ctl"},
        dir_.path(""));
    ASSERT_EQ(result.exitStatus, 0);
    const std::map<std::string, Place> at = framePlaces(dir_.readText("out/x.json"));
    EXPECT_EQ(at.at("b").x, 2);
    EXPECT_EQ(at.at("b").y, 2);
    const Page page = decodePng(dir_.read("out/x.png"));
    ASSERT_TRUE(page.ok);
    ASSERT_EQ(page.width, 7u);
    ASSERT_EQ(page.height, 7u);
    // Page pixel (x, y) repeats b's pixel (clamp(x - 2), clamp(y - 2)).
    const int32_t nearest[7] = {0, 0, 0, 1, 2, 2, 2};
    for (int32_t y = 0; y < 7; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
            EXPECT_TRUE(page.at(x, y) == pictureB().at(nearest[x], nearest[y])) << x << "," << y;
        }
    }
}

TEST_F(AtlasRun, ASpriteTooLargeForAPageWritesNoAtlas) {
    const ChildResult result = run({"--atlas=out/atlas.json", "--atlas-max-size=3", "--atlas-extrude=1"});
    EXPECT_EQ(result.out,
              "WARNING!  Sprite e is blank.\n"
              "Warning, sprite b is already in the atlas as entry 1; entry 4 left out.\n"
              "Sprite a (2x1) does not fit an atlas page of 3, out/atlas.json not written.\n"
              "Sprite b (3x3) does not fit an atlas page of 3, out/atlas.json not written.\n"
              "Sprite d (2x1) does not fit an atlas page of 3, out/atlas.json not written.\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(namesIn(dir_.path("out")), std::vector<std::string>{});
    EXPECT_EQ(dir_.readText("info.txt").substr(0, 10), "6 sprites\n");
    // Power-of-two pages of at most 5 are at most 4.
    const ChildResult pot = run({"--atlas=out/atlas.json", "--atlas-max-size=5", "--atlas-pot",
                                 "--atlas-extrude=1"});
    EXPECT_NE(pot.out.find("Sprite b (3x3) does not fit an atlas page of 4, out/atlas.json not "
                           "written.\n"),
              std::string::npos);
    EXPECT_EQ(pot.exitStatus, 1);
}

TEST_F(AtlasRun, TheDependencyFileNamesEveryPageAndDataFile) {
    const ChildResult result = run({"--atlas=out/s.json", "--atlas-max-size=4", "--atlas-no-alias",
                                    "--depfile=out/d.d"});
    ASSERT_EQ(result.exitStatus, 0);
    const std::string depfile = dir_.readText("out/d.d");
    std::string targets = "info.txt out/s.json out/s.png";
    std::string data;
    for (size_t k = 1; fs::exists(dir_.path("out/s-" + std::to_string(k) + ".png")); ++k) {
        targets += " out/s-" + std::to_string(k) + ".png";
        data += " out/s-" + std::to_string(k) + ".json";
    }
    EXPECT_EQ(depfile.substr(0, depfile.find(':')), targets + data);
}

TEST_F(AtlasRun, SameBytesWhateverOrderTheSourcesWereMadeIn) {
    BakeDir other;
    writeSources(other, true);
    other.writeText("sprites.ctl", control());
    const std::vector<std::string> args = {"--atlas=out/s.json", "--atlas-max-size=8",
                                           "--atlas-extrude=1", "sprites.ctl"};
    ASSERT_EQ(run({"--atlas=out/s.json", "--atlas-max-size=8", "--atlas-extrude=1"}).exitStatus, 0);
    ASSERT_EQ(testsupport::runSpritebake(args, other.path("")).exitStatus, 0);
    const std::vector<std::string> names = namesIn(dir_.path("out"));
    EXPECT_GT(names.size(), 2u);
    EXPECT_EQ(namesIn(other.path("out")), names);
    for (const std::string& name : names) {
        EXPECT_EQ(other.read("out/" + name), dir_.read("out/" + name)) << name;
    }
}

TEST_F(AtlasRun, ASingleSpriteFileRunKeepsItsOutput) {
    dir_.writeText("one.ctl", kHead + "WriteOneFile all.bin\nBIN\nTGA a\nTGA b\n");
    ASSERT_EQ(testsupport::runSpritebake({"one.ctl"}, dir_.path("")).exitStatus, 0);
    const std::vector<uint8_t> plain = dir_.read("out/all.bin");
    const ChildResult result =
        testsupport::runSpritebake({"--atlas=out/a.json", "one.ctl"}, dir_.path(""));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir_.read("out/all.bin"), plain);
    // The fingerprint is the binary table's: the count and eight words an entry.
    std::string table(reinterpret_cast<const char*>(plain.data()), 4 + 2 * 32);
    EXPECT_NE(dir_.readText("out/a.json").find("\"fingerprint\": \"" + fingerprintOf(table) + "\""),
              std::string::npos);
    EXPECT_EQ(framePlaces(dir_.readText("out/a.json")).size(), 2u);
}

TEST(AtlasCommandLine, RefusedCombinationsAndValues) {
    struct Case {
        std::vector<std::string> args;
        const char* problem;
    };
    const Case cases[] = {
        {{"--atlas-pot", "c"}, "--atlas-pot requires --atlas"},
        {{"--atlas-format=json-hash", "c"}, "--atlas-format requires --atlas"},
        {{"--atlas=a.json", "--atlas-format=xml", "c"},
         "invalid value 'xml' for --atlas-format (json-hash, json-array or phaser3)"},
        {{"--atlas=a.json", "--atlas-alpha=linear", "c"},
         "invalid value 'linear' for --atlas-alpha (straight or premultiplied)"},
        {{"--atlas=a.json", "--atlas-extrude=257", "c"},
         "invalid value '257' for --atlas-extrude (a whole number from 0 to 256)"},
        {{"--atlas=a.json", "--atlas-padding=-1", "c"},
         "invalid value '-1' for --atlas-padding (a whole number from 0 to 256)"},
        {{"--atlas=a.json", "--atlas-max-size=0", "c"},
         "invalid value '0' for --atlas-max-size (a whole number from 1 to 16384)"},
        {{"--atlas=a.json", "--atlas-max-size=16385", "c"},
         "invalid value '16385' for --atlas-max-size (a whole number from 1 to 16384)"},
        {{"--atlas=a.json", "--atlas-max-size=12x", "c"},
         "invalid value '12x' for --atlas-max-size (a whole number from 1 to 16384)"},
        {{"--atlas=a.json", "--atlas-pot=yes", "c"}, "option '--atlas-pot' doesn't allow an argument"},
        {{"--atlas=pages.png", "c"},
         "the atlas data file 'pages.png' would be its own first page (give it another "
         "extension than .png)"},
        {{"--check", "--atlas=a.json", "c"}, "--check cannot be combined with --atlas"},
        {{"--check", "--atlas-no-alias", "c"}, "--check cannot be combined with --atlas-no-alias"},
        {{"--dump=x", "--atlas-pot"}, "--dump cannot be combined with --atlas-pot"},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        const ChildResult result = testsupport::runSpritebake(c.args, dir.path().string());
        EXPECT_EQ(result.err, std::string("spritebake: ") + c.problem + "\nTry 'spritebake --help'.\n")
            << c.args[0];
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.exitStatus, 2);
    }
    EXPECT_EQ(testsupport::namesIn(dir.path().string()), std::vector<std::string>{});
}

}  // namespace
}  // namespace drivertest
