// The loader's fingerprint: its hash against the published FNV-1a 64 test vectors, and the
// fingerprints of whole files against values worked out from their bytes with a separate
// implementation (Python, from the algorithm's description). Only the table counts: the pixel
// blocks never change it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "loader_bytes.hpp"
#include "spritebake/spritebake.h"
#include "tests/support/test_support.hpp"

using namespace loadertest;

namespace {

const std::string kExamples = SPRITEBAKE_EXAMPLES_DIR;

struct Vector {
    const char* bytes;
    size_t length;
    uint64_t hash;
};

constexpr Vector kVectors[] = {
    {"", 0, 0xcbf29ce484222325ull},           {"a", 1, 0xaf63dc4c8601ec8cull},
    {"b", 1, 0xaf63df4c8601f1a5ull},          {"c", 1, 0xaf63de4c8601eff2ull},
    {"fo", 2, 0x08985907b541d342ull},         {"foo", 3, 0xdcb27518fed9d577ull},
    {"foob", 4, 0xdd120e790c2512afull},       {"fooba", 5, 0xcac165afa2fef40aull},
    {"foobar", 6, 0x85944171f73967e8ull},     {"\xff", 1, 0xaf64724c8602eb6eull},
    {"\x80\0\xff", 3, 0x2e0ab71ae00ec416ull},
};

TEST(LoaderFingerprint, PublishedVectors) {
    for (const Vector& v : kVectors) EXPECT_EQ(sb_fnv1a64(v.bytes, v.length), v.hash) << v.bytes;
    EXPECT_EQ(sb_fnv1a64(nullptr, 5), 0xcbf29ce484222325ull);  // null is no bytes
}

const Entry kEntry{7, 1, 1, 0, 0, 2, 1, 0};  // a 2 x 1 TGA sprite
constexpr uint64_t TEXT_TABLE = 0xd3c61362a0099ac3ull;
constexpr uint64_t BINARY_TABLE = 0xfe293af3986afad0ull;

TEST(LoaderFingerprint, CoversTheTableAndNotThePixels) {
    const std::string text = textTable({kEntry});
    const Bytes textFile = concat({bytesOf(text), pattern(8, 1)});
    const Bytes otherPixels = concat({bytesOf(text), pattern(8, 99)});
    const Bytes binaryFile = concat({binaryTable({kEntry}), pattern(8, 1)});
    struct Case {
        const char* what;
        sb_error opened;
        uint64_t fingerprint;
    };
    sb_file files[4];
    const Case cases[] = {
        {"text", openSingle(files[0], textFile, "T"), TEXT_TABLE},
        {"other pixels", openSingle(files[1], otherPixels, "T"), TEXT_TABLE},
        {"binary", openSingle(files[2], binaryFile, "T"), BINARY_TABLE},
        {"info", sb_open_info(&files[3], text.data(), text.size()), TEXT_TABLE},
    };
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(cases[i].opened, SB_OK) << cases[i].what;
        uint64_t fingerprint = 0;
        EXPECT_EQ(sb_fingerprint(&files[i], &fingerprint), SB_OK) << cases[i].what;
        EXPECT_EQ(fingerprint, cases[i].fingerprint) << cases[i].what;
        EXPECT_EQ(sb_check_fingerprint(&files[i], cases[i].fingerprint), SB_OK) << cases[i].what;
    }
    // The table alone, read without kinds, is the same table.
    sb_file table;
    ASSERT_EQ(sb_open_table(&table, binaryFile.data(), binaryFile.size()), SB_OK);
    EXPECT_EQ(sb_check_fingerprint(&table, BINARY_TABLE), SB_OK);
}

TEST(LoaderFingerprint, AnotherTableIsANamedError) {
    Entry moved = kEntry;
    moved.hx = 1;
    const Bytes file = concat({binaryTable({moved}), pattern(8, 1)});
    sb_file opened;
    ASSERT_EQ(openSingle(opened, file, "T"), SB_OK);
    EXPECT_EQ(sb_check_fingerprint(&opened, BINARY_TABLE), SB_ERR_FINGERPRINT);
    EXPECT_EQ(sb_check_fingerprint(&opened, 0), SB_ERR_FINGERPRINT);
    EXPECT_STREQ(sb_error_string(SB_ERR_FINGERPRINT),
                 "the sprite table is not the one expected (fingerprint mismatch)");
    // Added last, so the codes before it keep their numbers.
    EXPECT_EQ(int(SB_ERR_RANGE), 9);
    EXPECT_EQ(int(SB_ERR_FINGERPRINT), 10);
}

TEST(LoaderFingerprint, NullArguments) {
    sb_file file;
    uint64_t fingerprint = 0;
    const Bytes bytes = binaryTable({});
    ASSERT_EQ(openSingle(file, bytes, ""), SB_OK);
    EXPECT_EQ(sb_fingerprint(nullptr, &fingerprint), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_fingerprint(&file, nullptr), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_check_fingerprint(nullptr, 0), SB_ERR_ARGUMENT);
}

TEST(LoaderFingerprint, TheBundledExample) {
    const Bytes binary = testsupport::readFile(kExamples + "/out/sprites.bin");
    sb_file file;
    ASSERT_EQ(openSingle(file, binary, "TTTTTTPPPPTTTTTT"), SB_OK);
    EXPECT_EQ(sb_check_fingerprint(&file, 0x9b448e9d0a9f1ebbull), SB_OK);

    const std::string text = testsupport::readText(kExamples + "/out/sprites.txt");
    sb_file info;
    ASSERT_EQ(sb_open_info(&info, text.data(), text.size()), SB_OK);
    EXPECT_EQ(sb_check_fingerprint(&info, 0x79cafe879c099d66ull), SB_OK);
}

}  // namespace
