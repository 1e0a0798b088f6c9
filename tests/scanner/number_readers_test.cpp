// scanInt, stringToInt, scanFloat, stringToFloat and the unsigned readers.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "exact_text.hpp"
#include "scanner/scanner.hpp"

namespace {

struct IntCase {
    std::string text;
    std::vector<int32_t> values;  // the results of successive scanInt calls
    int32_t offset;               // where the cursor ends after them
};

TEST(ScanInt, ReadsSuccessiveTokens) {
    const IntCase cases[] = {
        {"  12 -7\r\n", {12, -7}, 7},
        {"\r\n  5", {5}, 5},
        {"abc", {0}, 3},
        {"- x", {0}, 1},
        {"12x4", {124}, 4},  // letters and "." do not end a token
        {"3.5", {35}, 3},
        {"12,34", {12, 34}, 5},
        {"10/20", {10, 20}, 5},
        {"x--7", {7}, 4},
        {"12\n34", {12, 34}, 5},
        {"42", {42, 0}, 2},
        // The 256th byte of a long token is consumed but falls outside the stored token.
        {std::string(255, '0') + "97", {0, 7}, 257},
    };
    for (const IntCase& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        for (int32_t expected : c.values) EXPECT_EQ(scanInt(span), expected) << c.text;
        EXPECT_EQ(text.offset(span), c.offset) << c.text;
        EXPECT_EQ(scanLinesCrossed(), 0) << c.text;
    }
}

TEST(StringToInt, WrapsAroundIn32Bits) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"-12", -12},
        {"42", 42},
        {"--7", 7},
        {"1a2", 12},
        {"abc", 0},
        {"", 0},
        {"4294967296", 0},
        {"4294967295", -1},
        {"2147483648", std::numeric_limits<int32_t>::min()},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"99999999999", 1215752191},
    };
    for (const auto& c : cases) EXPECT_EQ(stringToInt(c.text), c.value) << c.text;
}

TEST(StringToFloat, BuildsTheValueDigitByDigit) {
    EXPECT_FLOAT_EQ(stringToFloat("3.25"), 3.25f);
    EXPECT_FLOAT_EQ(stringToFloat("-1.5"), -1.5f);
    EXPECT_FLOAT_EQ(stringToFloat("--2"), 2.0f);
    EXPECT_FLOAT_EQ(stringToFloat(".5"), 0.5f);
    EXPECT_FLOAT_EQ(stringToFloat("1.2.5"), 1.25f);
    EXPECT_FLOAT_EQ(stringToFloat("1x2"), 12.0f);
    EXPECT_EQ(stringToFloat(""), 0.0f);
}

// Only 0 to 9 are digits: '/' and ':', the bytes beside them, add nothing to the value.
TEST(StringToNumber, DigitsEndExactlyAtZeroAndNine) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"/", 0}, {"0/9", 9}, {":", 0}, {"9:0", 90}, {"/:5", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stringToInt(c.text), c.value) << c.text;
        EXPECT_EQ(stringToFloat(c.text), static_cast<float>(c.value)) << c.text;
    }
}

struct FloatCase {
    std::string text;
    bool stored;  // whether scanFloat writes its value
    float value;
    int32_t offset;
};

TEST(ScanFloat, ReadsATokenThatEndsWithinItsBuffer) {
    const FloatCase cases[] = {
        {"x = 2.5;", true, 2.5f, 7},
        {"-.5 ", true, -0.5f, 3},
        {"999999999999999 ", true, stringToFloat("999999999999999"), 15},
        {"abc", false, 0, 3},
        // The buffer is as long as the text left, so a token that ends the text fills it.
        {"  2.5", false, 0, 2},
        {"12345678901234567 ", false, 0, 0},
    };
    for (const FloatCase& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        float value = -99.0f;
        EXPECT_EQ(scanFloat(span, &value), 1);
        EXPECT_FLOAT_EQ(value, c.stored ? c.value : -99.0f) << c.text;
        EXPECT_EQ(text.offset(span), c.offset) << c.text;
    }
}

// The float truncated toward zero, then wrapped to the reader's width.
TEST(ScanUnsigned, TruncatesAndWraps) {
    const struct {
        const char* text;
        uint64_t u8, u16, u32;
    } cases[] = {
        {"300 ", 44, 300, 300},
        {"-1 ", 255, 65535, 4294967295u},
        {"-3.9 ", 253, 65533, 4294967293u},
        {"2.99 ", 2, 2, 2},
        {"70000 ", 112, 4464, 70000},
        {"65536.5 ", 0, 0, 65536},
        {"-65537 ", 255, 65535, 4294901759u},
        {"none", 0, 0, 0},  // no number: 0
    };
    for (const auto& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        uint8_t u8 = 7;
        EXPECT_EQ(scanU8(span, &u8), 1);
        EXPECT_EQ(u8, c.u8) << c.text;
        span = text.span();
        uint16_t u16 = 7;
        EXPECT_EQ(scanU16(span, &u16), 1);
        EXPECT_EQ(u16, c.u16) << c.text;
        span = text.span();
        uint32_t u32 = 7;
        EXPECT_EQ(scanU32(span, &u32), 1);
        EXPECT_EQ(u32, c.u32) << c.text;
    }
}

}  // namespace
