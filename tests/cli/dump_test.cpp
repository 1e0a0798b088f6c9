// --dump's table: the bundled example's files read back against the numbers docs/example.md gives
// for them, and headers that do not parse.
#include <gtest/gtest.h>

#include <string>

#include "cli/dump.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

std::string dumpOf(const std::vector<uint8_t>& bytes, std::string* error = nullptr) {
    std::string reason;
    std::string text = dumpText(bytes, reason);
    if (error != nullptr) *error = reason;
    return text;
}

// The first lines and the summary, worked out from docs/example.md's hexdump of the example.
TEST(Dump, TheExampleBinaryFile) {
    const std::vector<uint8_t> bytes =
        testsupport::readFile(std::string(SPRITEBAKE_EXAMPLES_DIR) + "/out/sprites.bin");
    ASSERT_EQ(bytes.size(), 87271u);
    const std::string text = dumpOf(bytes);
    EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
              "index  hid         hid (signed)  method    padding  hx   hy   wd  ht\n"
              "    0  0xdb637d08    -614236920  UpLeft          1    0    0  32  32\n");
    EXPECT_NE(text.find("\n    2  0x1aa806f2     447219442  DownLeft        0    0  -57  40  57\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n   15  0x70c90be9    1892223977  HotXY           0   -8  -41  17  52\n"),
              std::string::npos);
    EXPECT_TRUE(
        text.ends_with("16 sprites, binary table of 516 bytes, 86755 bytes after the table\n"));
}

TEST(Dump, AnInfoFileHasNothingAfterItsTable) {
    const std::string info = "2 sprites\n" + infoLine(0x80000000u, "HotXY", 0, -8, -41, 17, 52) +
                             infoLine(7, "Middle", 1, 0, 0, 0, 0);
    const std::string text = dumpOf(bytesOf(info));
    EXPECT_NE(text.find("0x80000000   -2147483648  HotXY"), std::string::npos);
    EXPECT_TRUE(text.ends_with("2 sprites, text table of " + std::to_string(info.size()) +
                               " bytes, 0 bytes after the table\n"));
}

TEST(Dump, HeadersThatDoNotParse) {
    const std::vector<std::vector<uint8_t>> bad = {
        {},                                            // nothing at all
        words({0xffffffffu}),                          // a negative count
        words({2, 1, 1, 1, 0, 0, 6, 4, 0}),            // two entries announced, one present
        words({1, 1, 9, 1, 0, 0, 6, 4, 0}),            // method 9
        bytesOf("1 sprites\nhid 5 hotspot method\n"),  // a line cut short
        bytesOf("3 sprites\n"),                        // lines missing
    };
    for (const std::vector<uint8_t>& bytes : bad) {
        std::string error;
        EXPECT_EQ(dumpOf(bytes, &error), "") << bytes.size();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace drivertest
