// The bundled example's generated header against its manifest: both were written by one run of
// the tool on examples/sprites_bin.ctl, so every record must agree field for field.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sprites.h"  // examples/out/sprites.h, as a game includes it
#include "tests/support/json_lite.hpp"
#include "tests/support/test_support.hpp"

namespace {

int64_t field(const testsupport::JsonValue& entry, const char* key) {
    const testsupport::JsonValue* value = entry.find(key);
    EXPECT_NE(value, nullptr) << key;
    return value != nullptr ? value->asInt().value_or(-1) : -1;
}

TEST(ExampleFiles, TheHeaderTableMatchesTheManifest) {
    const std::string text =
        testsupport::readText(std::string(SPRITEBAKE_EXAMPLES_DIR) + "/out/sprites.json");
    testsupport::JsonValue manifest;
    std::string error;
    ASSERT_TRUE(testsupport::parseJson(text, manifest, error)) << error;
    const testsupport::JsonValue* sprites = manifest.find("sprites");
    ASSERT_NE(sprites, nullptr);
    ASSERT_EQ(sprites->items.size(), static_cast<size_t>(SPRITES_COUNT));
    const std::string kinds = SPRITES_KINDS;
    for (size_t i = 0; i < sprites->items.size(); ++i) {
        const testsupport::JsonValue& entry = sprites->items[i];
        const spritebake_sprite_info& info = SPRITES_TABLE[i];
        const bool tga = entry.find("kind")->asString() == "tga";
        EXPECT_EQ(field(entry, "index"), static_cast<int64_t>(i));
        EXPECT_EQ(field(entry, "hid"), info.hid) << i;
        EXPECT_EQ(info.kind, tga ? 1u : 0u) << i;
        EXPECT_EQ(kinds[i], tga ? 'T' : 'P') << i;
        EXPECT_EQ(field(entry, "offset"), static_cast<int64_t>(info.offset)) << i;
        EXPECT_EQ(field(entry, "length"), static_cast<int64_t>(info.length)) << i;
        EXPECT_EQ(field(entry, "wd"), info.wd) << i;
        EXPECT_EQ(field(entry, "ht"), info.ht) << i;
        EXPECT_EQ(field(entry, "hx"), info.hx) << i;
        EXPECT_EQ(field(entry, "hy"), info.hy) << i;
        EXPECT_EQ(field(entry, "padding"), info.padding) << i;
    }
    // The constants name the entries by their listed names.
    EXPECT_EQ(sprites->items[SPRITES_SPRITE_HERO].find("name")->asString(), "hero");
    EXPECT_EQ(sprites->items[SPRITES_SPRITE_SWORD].find("name")->asString(), "sword");
    EXPECT_EQ(SPRITES_TABLE[SPRITES_SPRITE_SWORD].method, 5);
    // One fingerprint in both: the run's.
    const testsupport::JsonValue* fingerprint = manifest.find("fingerprint");
    ASSERT_NE(fingerprint, nullptr);
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%016llx",
                  static_cast<unsigned long long>(SPRITES_FINGERPRINT));
    EXPECT_EQ(fingerprint->asString(), hex);
}

}  // namespace
