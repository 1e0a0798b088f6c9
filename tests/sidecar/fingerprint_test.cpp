// The output's fingerprint hash against the published FNV-1a 64 test vectors, and its text form.
#include "sidecar/fingerprint.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

struct Vector {
    std::string_view bytes;
    uint64_t hash;
};

// From the FNV reference test suite; the high-byte ones were worked out with a separate
// implementation (Python, from the algorithm's description), since a signed char must not
// change them.
constexpr Vector kVectors[] = {
    {""sv, 0xcbf29ce484222325ull},           {"a"sv, 0xaf63dc4c8601ec8cull},
    {"b"sv, 0xaf63df4c8601f1a5ull},          {"c"sv, 0xaf63de4c8601eff2ull},
    {"fo"sv, 0x08985907b541d342ull},         {"foo"sv, 0xdcb27518fed9d577ull},
    {"foob"sv, 0xdd120e790c2512afull},       {"fooba"sv, 0xcac165afa2fef40aull},
    {"foobar"sv, 0x85944171f73967e8ull},     {"\xff"sv, 0xaf64724c8602eb6eull},
    {"\x80\0\xff"sv, 0x2e0ab71ae00ec416ull},
};

TEST(Fingerprint, PublishedVectors) {
    for (const Vector& v : kVectors) {
        EXPECT_EQ(fnv1a64(v.bytes), v.hash) << v.bytes;
        const std::vector<uint8_t> bytes(v.bytes.begin(), v.bytes.end());
        EXPECT_EQ(fnv1a64(std::span<const uint8_t>(bytes)), v.hash) << v.bytes;
    }
}

TEST(Fingerprint, TextIsSixteenLowerCaseDigits) {
    EXPECT_EQ(fingerprintText(0), "0x0000000000000000");
    EXPECT_EQ(fingerprintText(0xab), "0x00000000000000ab");
    EXPECT_EQ(fingerprintText(0x85944171f73967e8ull), "0x85944171f73967e8");
    EXPECT_EQ(fingerprintText(0xffffffffffffffffull), "0xffffffffffffffff");
}

}  // namespace
