// The atlas's data files, byte for byte, each worked out by hand from the formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "atlas/atlas_json.hpp"

namespace {

AtlasFrameRecord frame(std::string name, int32_t x, int32_t y) {
    AtlasFrameRecord f;
    f.name = std::move(name);
    f.hid = 7;
    f.index = 2;
    f.x = x;
    f.y = y;
    f.w = 3;
    f.h = 2;
    f.cropLeft = 1;
    f.cropTop = 4;
    f.sourceWidth = 5;
    f.sourceHeight = 8;
    f.pivotX = 2;  // 2/5 and 6/8
    f.pivotY = 6;
    return f;
}

AtlasMeta meta() {
    AtlasMeta m;
    m.version = "1.0";
    m.fingerprint = 0x0123456789abcdefull;
    return m;
}

AtlasPageRecord page(std::string image, std::string data, std::vector<AtlasFrameRecord> frames) {
    return AtlasPageRecord{std::move(image), std::move(data), 16, 8, std::move(frames)};
}

// The members of frame("...", 0, 0) after its name.
const std::string kMembers =
    "\"frame\": {\"x\": 0, \"y\": 0, \"w\": 3, \"h\": 2}, \"rotated\": false, \"trimmed\": true, "
    "\"spriteSourceSize\": {\"x\": 1, \"y\": 4, \"w\": 3, \"h\": 2}, \"sourceSize\": {\"w\": 5, "
    "\"h\": 8}, \"pivot\": {\"x\": 0.4, \"y\": 0.75}, \"anchor\": {\"x\": 0.4, \"y\": 0.75}, "
    "\"hid\": 7, \"index\": 2, \"hotspot\": {\"x\": 2, \"y\": 6}";

TEST(AtlasJson, HashOnePage) {
    AtlasMeta m = meta();
    m.blank = {"empty", "gone"};
    const std::vector<std::string> texts =
        atlasDataTexts(AtlasFormat::jsonHash, {page("atlas.png", "atlas.json", {frame("hero", 0, 0)})}, m);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0],
              "{\n"
              "  \"frames\": {\n"
              "    \"hero\": {" + kMembers + "}\n"
              "  },\n"
              "  \"meta\": {\n"
              "    \"app\": \"spritebake\",\n"
              "    \"version\": \"1.0\",\n"
              "    \"image\": \"atlas.png\",\n"
              "    \"format\": \"RGBA8888\",\n"
              "    \"size\": {\"w\": 16, \"h\": 8},\n"
              "    \"scale\": \"1\",\n"
              "    \"fingerprint\": \"0x0123456789abcdef\",\n"
              "    \"blank\": [\"empty\", \"gone\"]\n"
              "  }\n"
              "}\n");
}

TEST(AtlasJson, HashSeveralPagesNameEachOther) {
    AtlasMeta m = meta();
    m.premultiplied = true;
    AtlasFrameRecord wide = frame("w", 4, 1);
    wide.w = 5;  // as wide as its picture, and as tall: not trimmed
    wide.h = 8;
    wide.cropLeft = 0;
    wide.cropTop = 0;
    const std::vector<std::string> texts = atlasDataTexts(
        AtlasFormat::jsonHash,
        {page("a.png", "a.json", {}), page("a-1.png", "a-1.json", {wide}),
         page("a-2.png", "a-2.json", {})},
        m);
    ASSERT_EQ(texts.size(), 3u);
    const auto metaOf = [](const std::string& image, const std::string& others) {
        return "  \"meta\": {\n"
               "    \"app\": \"spritebake\",\n"
               "    \"version\": \"1.0\",\n"
               "    \"image\": \"" + image + "\",\n"
               "    \"format\": \"RGBA8888\",\n"
               "    \"size\": {\"w\": 16, \"h\": 8},\n"
               "    \"scale\": \"1\",\n"
               "    \"fingerprint\": \"0x0123456789abcdef\",\n"
               "    \"premultiplyAlpha\": true,\n"
               "    \"related_multi_packs\": [" + others + "],\n"
               "    \"blank\": []\n"
               "  }\n"
               "}\n";
    };
    EXPECT_EQ(texts[0], "{\n  \"frames\": {},\n" + metaOf("a.png", "\"a-1.json\", \"a-2.json\""));
    EXPECT_EQ(texts[1],
              "{\n  \"frames\": {\n"
              "    \"w\": {\"frame\": {\"x\": 4, \"y\": 1, \"w\": 5, \"h\": 8}, \"rotated\": false, "
              "\"trimmed\": false, \"spriteSourceSize\": {\"x\": 0, \"y\": 0, \"w\": 5, \"h\": 8}, "
              "\"sourceSize\": {\"w\": 5, \"h\": 8}, \"pivot\": {\"x\": 0.4, \"y\": 0.75}, "
              "\"anchor\": {\"x\": 0.4, \"y\": 0.75}, \"hid\": 7, \"index\": 2, "
              "\"hotspot\": {\"x\": 2, \"y\": 6}}\n"
              "  },\n" +
                  metaOf("a-1.png", "\"a.json\", \"a-2.json\""));
    EXPECT_EQ(texts[2], "{\n  \"frames\": {},\n" + metaOf("a-2.png", "\"a.json\", \"a-1.json\""));
}

TEST(AtlasJson, ArrayNamesEachFrame) {
    const std::vector<std::string> texts = atlasDataTexts(
        AtlasFormat::jsonArray, {page("s.png", "s.txt", {frame("a", 0, 0), frame("b", 0, 0)})},
        meta());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0],
              "{\n"
              "  \"frames\": [\n"
              "    {\"filename\": \"a\", " + kMembers + "},\n"
              "    {\"filename\": \"b\", " + kMembers + "}\n"
              "  ],\n"
              "  \"meta\": {\n"
              "    \"app\": \"spritebake\",\n"
              "    \"version\": \"1.0\",\n"
              "    \"image\": \"s.png\",\n"
              "    \"format\": \"RGBA8888\",\n"
              "    \"size\": {\"w\": 16, \"h\": 8},\n"
              "    \"scale\": \"1\",\n"
              "    \"fingerprint\": \"0x0123456789abcdef\",\n"
              "    \"blank\": []\n"
              "  }\n"
              "}\n");
}

TEST(AtlasJson, Phaser3HasOneTextureAPage) {
    AtlasMeta m = meta();
    m.blank = {"nothing"};
    m.premultiplied = true;
    const std::vector<std::string> texts = atlasDataTexts(
        AtlasFormat::phaser3,
        {page("m.png", "m.json", {frame("a", 0, 0)}), page("m-1.png", "m-1.json", {})}, m);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0],
              "{\n"
              "  \"textures\": [\n"
              "    {\n"
              "      \"image\": \"m.png\",\n"
              "      \"format\": \"RGBA8888\",\n"
              "      \"size\": {\"w\": 16, \"h\": 8},\n"
              "      \"scale\": 1,\n"
              "      \"frames\": [\n"
              "        {\"filename\": \"a\", " + kMembers + "}\n"
              "      ]\n"
              "    },\n"
              "    {\n"
              "      \"image\": \"m-1.png\",\n"
              "      \"format\": \"RGBA8888\",\n"
              "      \"size\": {\"w\": 16, \"h\": 8},\n"
              "      \"scale\": 1,\n"
              "      \"frames\": []\n"
              "    }\n"
              "  ],\n"
              "  \"meta\": {\n"
              "    \"app\": \"spritebake\",\n"
              "    \"version\": \"1.0\",\n"
              "    \"fingerprint\": \"0x0123456789abcdef\",\n"
              "    \"premultiplyAlpha\": true,\n"
              "    \"blank\": [\"nothing\"]\n"
              "  }\n"
              "}\n");
}

TEST(AtlasJson, NamesThatAreNotUtf8AreWrittenByteByByteWithTheirHex) {
    struct Case {
        std::string name;
        std::string text;
        bool hex;
    };
    const Case cases[] = {
        {"plain", "\"plain\"", false},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\"", false},                   // valid UTF-8 kept
        {"a\"b\\c\x01", "\"a\\\"b\\\\c\\u0001\"", false},            // JSON's escapes
        {"caf\xE9", "\"caf\\u00e9\"", true},                          // Latin-1 byte
        {"\xC3\xA9\xFF\"", "\"\\u00c3\\u00a9\\u00ff\\\"\"", true},   // every high byte alike
    };
    for (const Case& c : cases) {
        EXPECT_EQ(atlasNameText(c.name), c.text) << c.text;
        if (!c.hex) {
            EXPECT_EQ(atlasNameKey(c.name), c.name);
        }
        EXPECT_EQ(atlasNameNeedsHex(c.name), c.hex) << c.text;
    }
    // What a reader decodes: U+00E9 for the byte E9, whose UTF-8 is C3 A9.
    EXPECT_EQ(atlasNameKey("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(atlasNameKey("\xFF\x80"), "\xC3\xBF\xC2\x80");
    AtlasFrameRecord f = frame("caf\xE9", 0, 0);
    const std::string text = atlasDataTexts(AtlasFormat::jsonHash, {page("p.png", "p.json", {f})},
                                            meta())[0];
    EXPECT_NE(text.find("    \"caf\\u00e9\": {" + kMembers + ", \"name_hex\": \"636166e9\"}\n"),
              std::string::npos)
        << text;
}

TEST(AtlasJson, PivotsAreTheShortestDecimalOfTheNearestDouble) {
    struct Case {
        int32_t p;
        int32_t side;
        const char* text;
    };
    const Case cases[] = {
        {0, 7, "0"},
        {1, 2, "0.5"},
        {1, 3, "0.3333333333333333"},
        {2, 3, "0.6666666666666666"},
        {1, 10, "0.1"},
        {3, 10, "0.3"},
        {8, 4, "2"},                   // beyond the frame
        {-3, 4, "-0.75"},              // before it
        {-1, 3, "-0.3333333333333333"},
        {1, 40000, "2.5e-05"},
        {1, 65535, "1.5259021896696422e-05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(atlasPivotText(c.p, c.side), c.text) << c.p << "/" << c.side;
        // Read back and scaled, it gives the pixel again.
        const double back = std::strtod(c.text, nullptr);
        EXPECT_EQ(std::lround(back * c.side), c.p);
    }
}

}  // namespace
