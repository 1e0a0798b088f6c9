// Real TGA and PCX files from other encoders, checked against the results recorded in the
// corpus folder's manifest.json: whether each loads, its sides, the SHA-256 of the decoded
// buffer, the crop rectangle and the SHA-256 of the cropped image, and the reader's warnings.
// Every manifest entry becomes its own test, registered when the binary starts; without the
// folder or its manifest, CorpusFolder.Present says so and skips.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/pcx.hpp"
#include "image/tga.hpp"
#include "sprite/crop.hpp"
#include "tests/support/json_lite.hpp"
#include "tests/support/sha256.hpp"
#include "tests/support/test_support.hpp"

namespace {

using testsupport::JsonValue;
using testsupport::sha256Hex;

struct Manifest {
    bool present = false;  // folder and manifest.json exist
    std::string problem;   // why the manifest could not be used, when it could not
    JsonValue root;
};

const Manifest& manifest() {
    static const Manifest m = [] {
        Manifest result;
        const std::filesystem::path file =
            std::filesystem::path(testsupport::corpusDir()) / "manifest.json";
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

std::optional<int64_t> number(const JsonValue* object, const char* name) {
    const JsonValue* v = object != nullptr ? object->find(name) : nullptr;
    return v != nullptr ? v->asInt() : std::nullopt;
}

// The lines the readers themselves print, with the path in place of %s; the sprite
// pipeline's lines in the list are not the readers' business.
std::string expectedReaderOutput(const JsonValue& entry, const std::string& path) {
    static const std::vector<std::string> readerLines = {
        "Warning, byte after frame buffer not 12.\n",
        "Warning, PCX file %s is cut short.\n",
        "Couldn't open PCX file %s for reading.\n",
    };
    std::string out;
    const JsonValue* warnings = entry.find("warnings");
    if (warnings == nullptr) return out;
    for (const JsonValue& w : warnings->items) {
        const std::string line = w.asString().value_or("");
        if (std::find(readerLines.begin(), readerLines.end(), line) == readerLines.end()) continue;
        const size_t mark = line.find("%s");
        out +=
            mark == std::string::npos ? line : line.substr(0, mark) + path + line.substr(mark + 2);
    }
    return out;
}

void checkEntry(const JsonValue& entry) {
    const std::string name = field(entry, "file");
    const std::string kind = field(entry, "kind");
    const std::string path = (std::filesystem::path(testsupport::corpusDir()) / name).string();
    ASSERT_TRUE(kind == "tga" || kind == "pcx") << "unknown kind " << kind;

    const std::vector<uint8_t> fileBytes = testsupport::readFile(path);
    ASSERT_EQ(sha256Hex(fileBytes), field(entry, "file_sha256")) << "the corpus file changed";

    int32_t width = -7;  // -7: not stored
    int32_t height = -7;
    testing::internal::CaptureStdout();
    std::unique_ptr<uint8_t[]> image = kind == "tga" ? loadTga(path.c_str(), &width, &height, 4)
                                                     : loadPcx(path.c_str(), &width, &height);
    const std::string out = testing::internal::GetCapturedStdout();
    const size_t pixelBytes = kind == "tga" ? 4 : 1;

    const bool loads =
        entry.find("loads") != nullptr && entry.find("loads")->asBool().value_or(false);
    EXPECT_EQ(image != nullptr, loads);
    EXPECT_EQ(out, expectedReaderOutput(entry, path));
    EXPECT_EQ(width, number(&entry, "width").value_or(-7));
    EXPECT_EQ(height, number(&entry, "height").value_or(-7));
    if (!loads || image == nullptr || width < 1 || height < 1) return;

    const size_t decodedBytes =
        static_cast<size_t>(width) * static_cast<size_t>(height) * pixelBytes;
    EXPECT_EQ(static_cast<int64_t>(decodedBytes), number(&entry, "decoded_bytes").value_or(-1));
    EXPECT_EQ(sha256Hex({image.get(), decodedBytes}), field(entry, "decoded_sha256"));

    int32_t cropWidth = -7;
    int32_t cropHeight = -7;
    std::unique_ptr<uint8_t[]> cropped =
        kind == "tga" ? cropRgba(image.get(), width, height, &cropWidth, &cropHeight)
                      : cropIndexed(image.get(), width, height, &cropWidth, &cropHeight, 255);
    const JsonValue* crop = entry.find("crop");
    ASSERT_NE(crop, nullptr) << "no crop in the manifest";
    EXPECT_EQ(cropLeft, number(crop, "left").value_or(-1));
    EXPECT_EQ(cropTop, number(crop, "top").value_or(-1));
    EXPECT_EQ(cropWidth, number(crop, "width").value_or(-1));
    EXPECT_EQ(cropHeight, number(crop, "height").value_or(-1));
    const bool blank =
        entry.find("blank") != nullptr && entry.find("blank")->asBool().value_or(false);
    EXPECT_EQ(cropped == nullptr, blank);
    if (cropped != nullptr && cropWidth > 0 && cropHeight > 0) {
        const size_t croppedBytes =
            static_cast<size_t>(cropWidth) * static_cast<size_t>(cropHeight) * pixelBytes;
        EXPECT_EQ(sha256Hex({cropped.get(), croppedBytes}), field(entry, "cropped_sha256"));
    }
}

class CorpusFile : public testing::Test {
  public:
    explicit CorpusFile(size_t index) : index_(index) {}
    void TestBody() override { checkEntry(manifest().root.find("files")->items[index_]); }

  private:
    size_t index_;
};

// Test names may hold letters, digits and underscores only.
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
        // googletest takes ownership of the fixture the factory returns.
        testing::RegisterTest("CorpusFile", testName(field(files[i], "file")).c_str(), nullptr,
                              nullptr, __FILE__, __LINE__,
                              [i]() -> testing::Test* { return new CorpusFile(i); });
    }
    return true;
}

[[maybe_unused]] const bool corpusRegistered = registerCorpusFiles();

TEST(CorpusFolder, Present) {
    if (!manifest().present) {
        GTEST_SKIP() << "no corpus: " << testsupport::corpusDir()
                     << "/manifest.json is absent; the real-file checks did not run";
    }
    ASSERT_EQ(manifest().problem, "");
    EXPECT_FALSE(manifest().root.find("files")->items.empty()) << "the manifest lists no file";
}

// The two helpers the corpus checks rest on.

TEST(CorpusSupport, Sha256KnownVectors) {
    auto digest = [](const std::string& text) {
        return sha256Hex({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    };
    EXPECT_EQ(digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(
        digest("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopq"
               "klmnopqrlmnopqrsmnopqrstnopqrstu"),
        "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(digest(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // Lengths around the one-block and two-block padding boundaries.
    EXPECT_EQ(digest(std::string(55, 'a')),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(digest(std::string(56, 'a')),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(digest(std::string(64, 'a')),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST(CorpusSupport, JsonReader) {
    JsonValue v;
    std::string error;
    ASSERT_TRUE(testsupport::parseJson(
        R"( {"a": [1, -2.5e1, true, false, null], "s": "x\"\\\/\n\u00e9\ud83d\ude00", "o": {}} )",
        v, error))
        << error;
    const JsonValue* a = v.find("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->items.size(), 5u);
    EXPECT_EQ(a->items[0].asInt(), 1);
    EXPECT_EQ(a->items[1].number, -25.0);
    EXPECT_EQ(a->items[1].asInt(), -25);
    EXPECT_EQ(a->items[2].asBool(), true);
    EXPECT_EQ(a->items[3].asBool(), false);
    EXPECT_TRUE(a->items[4].isNull());
    EXPECT_EQ(v.find("s")->asString(), "x\"\\/\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(v.find("o")->kind, JsonValue::Kind::Object);
    EXPECT_EQ(v.find("missing"), nullptr);
    EXPECT_EQ(JsonValue{}.find("a"), nullptr);

    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "01", "1.", "\"\\x\"", "\"\\ud800\"",
                            "tru", "[1] 2", "\"a\nb\"", "-", "1e"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(testsupport::parseJson(bad, v, error));
        EXPECT_FALSE(error.empty());
    }
    std::string deep(200, '[');
    EXPECT_FALSE(testsupport::parseJson(deep + std::string(200, ']'), v, error));
}

}  // namespace
