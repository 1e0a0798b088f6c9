// Real PNG files from other encoders (the corpus folder's png/), each through the PNG road as a
// run takes it: the listing's box, the pixel pass's cropped pixels, and the decoded picture
// itself, checked against the results its manifest.json records. Every entry becomes its own
// test, registered when the binary starts; without the folder, PngCorpusFolder.Present skips.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "filesys/disk_read.hpp"
#include "image/png.hpp"
#include "source/sprite_loading.hpp"
#include "tests/support/json_lite.hpp"
#include "tests/support/sha256.hpp"
#include "tests/support/test_support.hpp"

namespace {

using testsupport::JsonValue;
using testsupport::sha256Hex;

std::filesystem::path pngCorpusDir() {
    return std::filesystem::path(testsupport::corpusDir()) / "png";
}

struct Manifest {
    bool present = false;
    std::string problem;
    JsonValue root;
};

const Manifest& manifest() {
    static const Manifest m = [] {
        Manifest result;
        const std::filesystem::path file = pngCorpusDir() / "manifest.json";
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) return result;
        result.present = true;
        std::string error;
        const JsonValue* files = nullptr;
        if (!testsupport::parseJson(testsupport::readText(file.string()), result.root, error)) {
            result.problem = "manifest.json does not parse: " + error;
        } else if ((files = result.root.find("files")) == nullptr ||
                   files->kind != JsonValue::Kind::Array) {
            result.problem = "manifest.json has no list \"files\"";
        }
        return result;
    }();
    return m;
}

std::string field(const JsonValue& entry, const char* name) {
    const JsonValue* v = entry.find(name);
    return v != nullptr ? v->asString().value_or("") : "";
}

int64_t cropSide(const JsonValue& entry, size_t i) {
    const JsonValue* crop = entry.find("crop");
    if (crop == nullptr || crop->kind != JsonValue::Kind::Array || crop->items.size() != 4) {
        return -1;
    }
    return crop->items[i].asInt().value_or(-1);
}

void checkEntry(const JsonValue& entry) {
    const std::string path = (pngCorpusDir() / field(entry, "file")).string();
    const std::string expected = field(entry, "expected");
    const std::vector<uint8_t> bytes = testsupport::readFile(path);
    ASSERT_EQ(sha256Hex(bytes), field(entry, "file_sha256")) << "the corpus file changed";

    CroppedSprite listed;
    const SpriteLoad box = loadSpriteBox(path, SOURCE_PNG, DiskEntry::regular, listed);
    CroppedSprite sprite;
    const SpriteLoad load = loadCroppedSprite(path, SOURCE_PNG, sprite);
    if (expected == "refused") {
        EXPECT_EQ(box, SpriteLoad::notLoaded);
        EXPECT_EQ(load, SpriteLoad::notLoaded);
        return;
    }
    ASSERT_EQ(box, SpriteLoad::loaded);
    ASSERT_EQ(load, SpriteLoad::loaded);
    const JsonValue* header = entry.find("header");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(sprite.width, header->find("width")->asInt().value_or(-1));
    EXPECT_EQ(sprite.height, header->find("height")->asInt().value_or(-1));
    for (const CroppedSprite* s : {&listed, &sprite}) {
        if (expected == "blank") {
            EXPECT_EQ(s->wd, 0);
            EXPECT_EQ(s->ht, 0);
            continue;
        }
        EXPECT_EQ(s->left, cropSide(entry, 0));
        EXPECT_EQ(s->top, cropSide(entry, 1));
        EXPECT_EQ(s->wd, cropSide(entry, 2));
        EXPECT_EQ(s->ht, cropSide(entry, 3));
    }
    if (expected == "crop") {
        ASSERT_NE(sprite.pixels, nullptr);
        const size_t croppedBytes =
            static_cast<size_t>(sprite.wd) * static_cast<size_t>(sprite.ht) * 4;
        EXPECT_EQ(sha256Hex({sprite.pixels, croppedBytes}), field(entry, "cropped_sha256"));
    }

    // The whole picture, before and after premultiplying.
    ReusedBuffer block;
    PngPicture picture;
    ASSERT_EQ(decodePng(bytes, block, picture), PngError::none);
    const size_t pictureBytes =
        static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
    EXPECT_EQ(sha256Hex({picture.rgba, pictureBytes}), field(entry, "straight_sha256"));
    premultiplyRgba(picture.rgba, pictureBytes / 4);
    EXPECT_EQ(sha256Hex({picture.rgba, pictureBytes}), field(entry, "image_sha256"));
}

class PngCorpusFile : public testing::Test {
  public:
    explicit PngCorpusFile(size_t index) : index_(index) {}
    void TestBody() override { checkEntry(manifest().root.find("files")->items[index_]); }

  private:
    size_t index_;
};

std::string testName(const std::string& file) {
    std::string name;
    for (char c : file) {
        const bool keep =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        name.push_back(keep ? c : '_');
    }
    return name;
}

bool registerCorpusFiles() {
    const Manifest& m = manifest();
    if (!m.present || !m.problem.empty()) return false;
    const std::vector<JsonValue>& files = m.root.find("files")->items;
    for (size_t i = 0; i < files.size(); ++i) {
        testing::RegisterTest("PngCorpusFile", testName(field(files[i], "file")).c_str(), nullptr,
                              nullptr, __FILE__, __LINE__,
                              [i]() -> testing::Test* { return new PngCorpusFile(i); });
    }
    return true;
}

[[maybe_unused]] const bool corpusRegistered = registerCorpusFiles();

TEST(PngCorpusFolder, Present) {
    if (!manifest().present) {
        GTEST_SKIP() << "no PNG corpus: " << pngCorpusDir().string()
                     << "/manifest.json is absent; the real-file checks did not run";
    }
    ASSERT_EQ(manifest().problem, "");
    EXPECT_FALSE(manifest().root.find("files")->items.empty()) << "the manifest lists no file";
}

}  // namespace
