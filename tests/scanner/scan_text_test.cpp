// scanText and its companions: every flag word in use, the single stop bits, the skip-only
// words, the cut at dstSize - 1, line counting, skipLine and the upper-case switch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "exact_text.hpp"
#include "scanner/scanner.hpp"

using namespace std::string_literals;

namespace {

constexpr char UNTOUCHED = '#';

struct ScanCase {
    const char* what;
    std::string text;
    uint32_t flags;
    int32_t dstSize;
    int32_t consumed;
    const char* stored;  // null: the destination is left untouched
    int32_t lines;
};

// Runs scanText over an exact-size copy of the case's text into an exact-size destination
// prefilled with UNTOUCHED, and checks the result, the stored text and the line count.
void checkScan(const ScanCase& c) {
    SCOPED_TRACE(c.what);
    ExactText text(c.text);
    std::vector<char> dst(static_cast<size_t>(c.dstSize), UNTOUCHED);
    EXPECT_EQ(scanText(text.data(), text.size(), dst.data(), c.dstSize, c.flags), c.consumed);
    EXPECT_EQ(scanLinesCrossed(), c.lines);
    if (c.stored == nullptr) {
        EXPECT_EQ(std::string(dst.begin(), dst.end()), std::string(dst.size(), UNTOUCHED));
    } else if (c.flags & SCAN_TERMINATE) {
        ASSERT_NE(std::memchr(dst.data(), '\0', dst.size()), nullptr);
        EXPECT_EQ(std::string(dst.data()), c.stored);
    } else {
        const size_t n = std::strlen(c.stored);
        EXPECT_EQ(std::string(dst.data(), n), c.stored);
    }
}

// One row per flag word the tool and its readers pass.
const ScanCase WORDS_IN_USE[] = {
    {"32 copies up to the line end", "comment\r\nNext", 32, 64, 7, "comment", 0},
    {"33 keeps inner and trailing blanks", "  a b\t\r\nx", 33, 64, 6, "  a b\t", 0},
    {"35 reads one word", "On\r\nNext", 35, 64, 2, "On", 0},
    {"64 skips blanks only", "\t  ../dir", 64, 64, 3, nullptr, 0},
    {"97 skips, then the rest of the line", "  my file.bin\r\n", 97, 64, 13, "my file.bin", 0},
    {"99 skips, then one word", "   Middle\r\n", 99, 64, 9, "Middle", 0},
    {"512 runs to the next letter", " =\r\n\r\n  Off", 512, 64, 8, " =\r\n\r\n  ", 2},
    {"2339 reads a number token", "12x4,5", 2339, 256, 4, "12x4", 0},
    {"8259 skips line ends too", "\r\n \thid 5", 8259, 64, 7, "hid", 1},
    {"67 copies a line end into the word", "  abc\ndef ghi", 67, 64, 9, "abc\ndef", 1},
    {"5 reads a number", "-3.25x", 5, 16, 5, "-3.25", 0},
    {"8 copies up to a quote", "ab\ncd\"ef", 8, 64, 5, "ab\ncd", 1},
    {"9 copies up to a quote as a string", "name\"rest", 9, 64, 4, "name", 0},
    {"105 skips, then up to a quote", "  hello world\"x", 105, 100, 13, "hello world", 0},
};

TEST(ScanText, FlagWordsInUse) {
    for (const ScanCase& c : WORDS_IN_USE) checkScan(c);
}

const ScanCase STOP_BITS[] = {
    {"brace {", "ab{c", 0x11, 16, 2, "ab", 0},
    {"brace }", "ab}c", 0x11, 16, 2, "ab", 0},
    {"colon", "key:val", 0x81, 16, 3, "key", 0},
    {"comma", "1,2", 0x101, 16, 1, "1", 0},
    {"NUL byte", "ab\0cd"s, 0x401, 16, 2, "ab", 0},
    {"one slash is enough", "../x", 0x801, 16, 2, "..", 0},
    {"underscore", "a_b", 0x1001, 16, 1, "a", 0},
    {"letter, bytes from 128 up are none", "\xC9\xFFt", 0x201, 16, 2, "\xC9\xFF", 0},
    {"quote", "x\"", 0x09, 16, 1, "x", 0},
    {"no stop bit copies line ends", "a\nb\nc", 0x01, 16, 5, "a\nb\nc", 2},
};

TEST(ScanText, EachStopBit) {
    for (const ScanCase& c : STOP_BITS) checkScan(c);
}

// The letter stop and the number copy end exactly at the bounds of A-Z, a-z and 0-9: the bytes
// just outside ('@', '[', '`', '{', '/', ':') are copied past, or stop a number.
const ScanCase CLASS_BOUNDS[] = {
    {"letter stop passes @ and [", "@[Z", 0x201, 16, 2, "@[", 0},
    {"letter stop passes ` and {", "`{a", 0x201, 16, 2, "`{", 0},
    {"A is a letter", "A", 0x201, 16, 0, "", 0},
    {"Z is a letter", "Z", 0x201, 16, 0, "", 0},
    {"a is a letter", "a", 0x201, 16, 0, "", 0},
    {"z is a letter", "z", 0x201, 16, 0, "", 0},
    {"a number takes 0 and 9", "09-.x", 0x05, 16, 4, "09-.", 0},
    {"a number stops at /", "1/2", 0x05, 16, 1, "1", 0},
    {"a number stops at :", "1:2", 0x05, 16, 1, "1", 0},
};

TEST(ScanText, ClassBounds) {
    for (const ScanCase& c : CLASS_BOUNDS) checkScan(c);
}

const ScanCase SKIP_AND_CUT[] = {
    {"0x2000 skips line ends only", "\r\n\n X", 0x2000, 16, 3, nullptr, 2},
    {"0x2040 skips both", " \r\n\tX", 0x2040, 16, 4, nullptr, 1},
    {"64 at the end of the text falls into the copy", "   ", 64, 16, 3, nullptr, 0},
    // The skip looks at dstSize bytes at most; the copy that follows has no stop rule and
    // keeps dstSize - 1 of the bytes it consumed.
    {"64 on a blank run of dstSize", "      xy", 64, 4, 8, "  x", 0},
    {"35 cuts a long word", "abcdefghijkl rest", 35, 10, 10, "abcdefghi", 0},
    {"35 with dstSize 1 consumes a byte it cannot keep", "abc", 35, 1, 1, "", 0},
    {"35 on a blank consumes nothing", " x", 35, 16, 0, "", 0},
    {"35 stops before a lone line feed", "On\nNext", 35, 16, 2, "On", 0},
    {"33 to the very end of the text", "abc", 33, 16, 3, "abc", 0},
    {"8259 running out while skipping", "  \r\n", 8259, 16, 4, "", 1},
    {"5 ends at the end of the text", "123", 5, 4, 3, "123", 0},
    {"5 stops in time", "12 ", 5, 3, 2, "12", 0},
};

TEST(ScanText, SkipPhaseAndCut) {
    for (const ScanCase& c : SKIP_AND_CUT) checkScan(c);
}

TEST(ScanText, NumberWithoutEndInTheDestinationIsMinusOne) {
    for (std::string_view s : {"123456", "1234"}) {
        ExactText text(s);
        char dst[4];
        EXPECT_EQ(scanText(text.data(), text.size(), dst, 4, SCAN_NUMBER | SCAN_TERMINATE), -1)
            << s;
    }
}

TEST(ScanText, EmptyTextConsumesNothingForEveryWord) {
    for (uint32_t flags : {32u, 33u, 35u, 64u, 97u, 99u, 512u, 2339u, 8259u, 67u, 5u, 8u, 9u, 105u,
                           0x2000u, 0x2040u}) {
        char dst[8] = "xxxxxxx";
        EXPECT_EQ(scanText(nullptr, 0, dst, 8, flags), 0) << flags;
        if (flags & SCAN_TERMINATE) {
            EXPECT_STREQ(dst, "") << flags;
        }
    }
}

TEST(ScanText, EveryScanResetsTheLineCount) {
    ExactText text("\n\n\nx");
    char dst[16];
    scanText(text.data(), text.size(), dst, 16, 512);
    EXPECT_EQ(scanLinesCrossed(), 3);
    scanText(text.data(), 0, dst, 16, 512);
    EXPECT_EQ(scanLinesCrossed(), 0);
}

TEST(ScanField, AdvancesTheSpanByTheResult) {
    ExactText text("   Middle\r\n");
    TextSpan span = text.span();
    char dst[32];
    EXPECT_EQ(scanField(span, dst, 32, 99), 9);
    EXPECT_EQ(text.offset(span), 9);
    EXPECT_EQ(span.remaining, 2);
    EXPECT_EQ(*span.cursor, '\r');
}

class UpperCaseSwitch : public ::testing::Test {
  protected:
    void TearDown() override { setScanUpperCase(0); }
};

TEST_F(UpperCaseSwitch, AppliesToTerminatedFieldsOnlyWhenExactlyOne) {
    ExactText text("hero_1 x");
    char dst[16];
    setScanUpperCase(1);
    scanText(text.data(), text.size(), dst, 16, 35);
    EXPECT_STREQ(dst, "HERO_1");
    std::memset(dst, 0, sizeof dst);
    scanText(text.data(), text.size(), dst, 16, 34);  // no terminator: left as read
    EXPECT_EQ(std::string(dst, 6), "hero_1");
    setScanUpperCase(2);
    scanText(text.data(), text.size(), dst, 16, 35);
    EXPECT_STREQ(dst, "hero_1");
}

TEST(StringToUpper, FoldsAsciiLettersOnly) {
    char text[] = "az{`@[AZ\xe1\xff";
    stringToUpper(text);
    EXPECT_STREQ(text, "AZ{`@[AZ\xe1\xff");
    char withNul[] = {'a', '\0', 'b', 'c'};
    stringToUpperN(withNul, 3);
    EXPECT_EQ(std::string(withNul, 4), "A\0Bc"s);
}

struct SkipLineCase {
    std::string text;
    int32_t offset;  // where the cursor ends
};

TEST(SkipLine, ConsumesTheLineAndOneLineEnd) {
    const SkipLineCase cases[] = {
        {"comment\r\nNext", 9},
        {"comment\nNext", 8},
        {"comment", 7},
        {"a\rb", 2},
        {"\n\nX", 1},
        {"", 0},
        {std::string(1500, 'c') + "\n", 1000},  // the scratch holds 1000 bytes
    };
    for (const SkipLineCase& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        char dst[8];
        scanText("\n\n", 2, dst, 8, 0);  // a count that skipLine must reset
        skipLine(span);
        EXPECT_EQ(text.offset(span), c.offset) << c.text.substr(0, 20);
        EXPECT_EQ(span.remaining, text.size() - c.offset);
        EXPECT_EQ(scanLinesCrossed(), 0);
    }
}

}  // namespace
