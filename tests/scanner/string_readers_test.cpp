// The string readers and comparisons.
#include <gtest/gtest.h>

#include <string>

#include "exact_text.hpp"
#include "scanner/scanner.hpp"
#include "tests/support/test_support.hpp"

namespace {

TEST(StringsEqualNoCase, IgnoresAsciiCaseOnly) {
    EXPECT_EQ(stringsEqualNoCase("On", "ON"), 1);
    EXPECT_EQ(stringsEqualNoCase("True", "tRUE"), 1);
    EXPECT_EQ(stringsEqualNoCase("", ""), 1);
    EXPECT_EQ(stringsEqualNoCase("On", "Onx"), 0);
    EXPECT_EQ(stringsEqualNoCase("Off", "Of"), 0);
    EXPECT_EQ(stringsEqualNoCase("[", "{"), 0);
    EXPECT_EQ(stringsEqualNoCase(nullptr, nullptr), 1);
    EXPECT_EQ(stringsEqualNoCase("On", nullptr), 0);
    EXPECT_EQ(stringsEqualNoCase(nullptr, "On"), 0);
}

TEST(SkipToMatchList, MatchesEveryEntryAsACaseBlindLiteral) {
    const char* const entries[] = {"tga", "x", "\n", ""};
    ExactText text("abXtga\nq tg");
    TextSpan span = text.span();
    EXPECT_EQ(skipToMatchList(span, entries), 1);  // single bytes ignore case here
    EXPECT_EQ(text.offset(span), 3);
    EXPECT_EQ(skipToMatchList(span, entries), 0);
    EXPECT_EQ(text.offset(span), 6);
    EXPECT_EQ(skipToMatchList(span, entries), 2);
    EXPECT_EQ(scanLinesCrossed(), 1);
    EXPECT_EQ(skipToMatchList(span, entries), -1);  // "tg" is shorter than "tga"
    EXPECT_EQ(span.remaining, 0);
    EXPECT_EQ(scanLinesCrossed(), 0);
}

TEST(SkipPast, MovesPastTheWord) {
    ExactText text("foo bar baz7!");
    TextSpan span = text.span();
    EXPECT_EQ(skipPast(span, "BAR"), 1);
    EXPECT_EQ(text.offset(span), 7);
    EXPECT_EQ(skipPast(span, "/0-9"), 1);  // a class matches one byte
    EXPECT_EQ(text.offset(span), 12);
    EXPECT_EQ(skipPast(span, "bar"), 0);
    EXPECT_EQ(span.remaining, 0);
}

TEST(SkipLineEnd, MovesPastTheFirstLineEnd) {
    const struct {
        const char* text;
        int32_t offset;
    } cases[] = {{"ab\r\ncd", 4}, {"ab\ncd", 3}, {"ab\rcd", 5}, {"ab", 2}, {"\r\n", 2}};
    for (const auto& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        EXPECT_EQ(skipLineEnd(span), 1);
        EXPECT_EQ(text.offset(span), c.offset) << c.text;
    }
}

TEST(SkipWhiteSpace, CountsLineFeedsWithoutTouchingTheScanCount) {
    ExactText text(" \t\r\n\n x");
    TextSpan span = text.span();
    char dst[8];
    scanText("\n", 1, dst, 8, 0);
    EXPECT_EQ(skipWhiteSpace(span), 2);
    EXPECT_EQ(text.offset(span), 6);
    EXPECT_EQ(scanLinesCrossed(), 1);
    ExactText blanks("  \n");
    span = blanks.span();
    EXPECT_EQ(skipWhiteSpace(span), 1);
    EXPECT_EQ(span.remaining, 0);
}

struct QuotedCase {
    std::string text;
    int32_t result;
    std::string value;  // what dst holds when the result is 1
    int32_t offset;
    std::string out;  // what the reader prints
};

TEST(ScanQuotedString, ReadsBetweenQuotesOnOneLine) {
    const QuotedCase cases[] = {
        {"name \"  hello world\" rest", 1, "hello world", 20, ""},
        {"abc\n\"x\"", 0, "", 3, ""},
        {"abc", 0, "", 3, ""},
        {"\"abc\ndef\"", 1, "abc", 4, "Missing closing double quote in string definition"},
        {"\"abc", 1, "abc", 4, "Missing closing double quote in string definition"},
        {"\"" + std::string(120, 'w') + "\"", 1, std::string(99, 'w'), 101,
         "Missing closing double quote in string definition"},
    };
    for (const QuotedCase& c : cases) {
        testsupport::ChildResult r = testsupport::runInChild([&c] {
            ExactText text(c.text);
            TextSpan span = text.span();
            char dst[100] = "";
            const int32_t result = scanQuotedString(dst, span);
            printf("|%d|%s|%d", result, dst, text.offset(span));
        });
        EXPECT_EQ(r.out, c.out + "|" + std::to_string(c.result) + "|" + c.value + "|" +
                             std::to_string(c.offset))
            << c.text;
    }
}

TEST(ScanQuoted, CopiesTheFirstQuotedTextAndCountsBothParts) {
    ExactText text("a\nb \"c\nd\" tail");
    TextSpan span = text.span();
    char dst[16];
    scanQuoted(span, dst, 16);
    EXPECT_STREQ(dst, "c\nd");
    EXPECT_EQ(text.offset(span), 9);
    EXPECT_EQ(scanLinesCrossed(), 2);
    ExactText open("x\"abc");
    span = open.span();
    scanQuoted(span, dst, 16);
    EXPECT_STREQ(dst, "abc");
    EXPECT_EQ(span.remaining, 0);
}

TEST(FindNoCase, FindsTheNeedleAnywhere) {
    const std::string hay = "fooBARbaz";
    EXPECT_EQ(findNoCase("bar", hay.c_str(), 3, 9), 1);
    EXPECT_EQ(findNoCase("BAZ", hay.c_str(), 3, 9), 1);
    EXPECT_EQ(findNoCase("FOO", hay.c_str(), 3, 9), 1);
    EXPECT_EQ(findNoCase("bax", hay.c_str(), 3, 9), 0);
    EXPECT_EQ(findNoCase("", hay.c_str(), 0, 9), 0);
    EXPECT_EQ(findNoCase("fooBARbazz", hay.c_str(), 10, 9), 0);
    EXPECT_EQ(findNoCase("[", "{", 1, 1), 0);
}

TEST(ContainsNoCase, LooksForTheShorterInTheLonger) {
    EXPECT_EQ(containsNoCase("abc", "xxABCxx"), 1);
    EXPECT_EQ(containsNoCase("xxABCxx", "abc"), 1);
    EXPECT_EQ(containsNoCase("abd", "xxABCxx"), 0);
    EXPECT_EQ(containsNoCase(nullptr, nullptr), 1);
    EXPECT_EQ(containsNoCase("abc", nullptr), 0);
}

}  // namespace
