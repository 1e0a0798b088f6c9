// skipToMatch, seekToMatch and stringsEqualNoCaseN: the driver's keyword list, class patterns,
// the entry limits and their failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "exact_text.hpp"
#include "scanner/scanner.hpp"
#include "tests/support/test_support.hpp"

using namespace std::string_literals;

namespace {

// The statement loop's list, in its order, with advance set.
int32_t matchDriverList(TextSpan& span) {
    return skipToMatch(span, 1,
                       {"//", "Padding", "Dest", "Source", "InfoFile", "Hotspot", "HotXY", "TGA",
                        "PCX", "WriteOneFile", "BIN", "\n", "/A-Z", "/a-z", "/0-9"});
}

struct MatchCase {
    std::string text;
    int32_t index;
    int32_t offset;  // where the cursor ends
    int32_t lines;
};

TEST(SkipToMatch, DriverList) {
    const MatchCase cases[] = {
        {"  padding On", 1, 9, 0},
        {"PADDING", 1, 7, 0},
        {"hotxy 3 4", 6, 5, 0},  // "Hotspot" is tried first and fails at its fourth byte
        {"HOTSPOT Middle", 5, 7, 0},
        {"// note\r\n", 0, 2, 0},
        {"\r\nTGA", 11, 2, 1},
        {"Sprite1", 12, 0, 0},
        {"sprite1", 13, 0, 0},
        {"42", 14, 0, 0},
        {"/x", 13, 1, 0},
        {" \t \r", -1, 4, 0},
        {"De", 12, 0, 0},  // a keyword longer than the text left is not tried
        {"Destination", 2, 4, 0},
        {"TGAhero", 7, 3, 0},  // no word boundary after a keyword
        {"BINARY", 10, 3, 0},
        {"\xC9\x80\x7F Dest", 2, 8, 0},
        {"\0\0TGA"s, 7, 5, 0},
        {" ,;.-_\n", 11, 7, 1},
        {"", -1, 0, 0},
    };
    for (const MatchCase& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        EXPECT_EQ(matchDriverList(span), c.index) << c.text;
        EXPECT_EQ(text.offset(span), c.offset) << c.text;
        EXPECT_EQ(span.remaining, text.size() - c.offset) << c.text;
        EXPECT_EQ(scanLinesCrossed(), c.lines) << c.text;
    }
}

TEST(SkipToMatch, LineFeedsAreCountedOncePerPositionExamined) {
    ExactText text("a\n\nb\nc");
    TextSpan span = text.span();
    EXPECT_EQ(skipToMatch(span, 1, {"c"}), 0);
    EXPECT_EQ(scanLinesCrossed(), 3);
    // A walk that matches "\n" and steps over class matches counts each line end once.
    span = text.span();
    int32_t lines = 0;
    for (int32_t index; (index = matchDriverList(span)) >= 0;) {
        lines += scanLinesCrossed();
        if (index >= 12) {  // a class match stays on its byte
            ++span.cursor;
            --span.remaining;
        }
    }
    EXPECT_EQ(lines, 3);
}

TEST(SkipToMatch, CaseRulesAndAdvance) {
    struct Case {
        const char* text;
        std::initializer_list<const char*> entries;
        int32_t advance;
        int32_t index;
        int32_t offset;
    };
    const Case cases[] = {
        {"X", {"x"}, 1, -1, 1},       // one-byte literals are case-sensitive
        {"Q", {"/a-z"}, 1, -1, 1},    // so are classes
        {"  tga", {"TGA"}, 0, 0, 2},  // advance 0 leaves the cursor on the match
        {"TG", {"TGA", "/A-Z"}, 1, 1, 0},
        {"abc\n", {"\n"}, 1, 0, 4},
        {"ab/", {"/"}, 1, 0, 3},             // a lone slash is a literal
        {"a\xC9", {"/\x80-\x10"}, 1, 0, 1},  // class bounds are signed: 0xC9 is -55
        {"abc", {"/\x01-\xFF"}, 1, -1, 3},   // high end -1 lies below 1: not a class
    };
    for (const Case& c : cases) {
        ExactText text(c.text);
        TextSpan span = text.span();
        EXPECT_EQ(skipToMatch(span, c.advance, c.entries), c.index) << c.text;
        EXPECT_EQ(text.offset(span), c.offset) << c.text;
    }
}

// Each class holds its two end bytes and neither byte beside them: '@' and '[' around A-Z,
// '`' and '{' around a-z, '/' and ':' around 0-9.
TEST(SkipToMatch, ClassesEndExactlyAtTheirBounds) {
    struct Case {
        const char* entry;
        char byte;
        bool matches;
    };
    const Case cases[] = {
        {"/A-Z", '@', false}, {"/A-Z", 'A', true}, {"/A-Z", 'Z', true}, {"/A-Z", '[', false},
        {"/a-z", '`', false}, {"/a-z", 'a', true}, {"/a-z", 'z', true}, {"/a-z", '{', false},
        {"/0-9", '/', false}, {"/0-9", '0', true}, {"/0-9", '9', true}, {"/0-9", ':', false},
    };
    for (const Case& c : cases) {
        ExactText text(std::string(1, c.byte));
        TextSpan span = text.span();
        EXPECT_EQ(skipToMatch(span, 1, {c.entry}), c.matches ? 0 : -1) << c.entry << " " << c.byte;
        // A class match stays on its byte; a miss walks to the end.
        EXPECT_EQ(text.offset(span), c.matches ? 0 : 1) << c.entry << " " << c.byte;
    }
}

const std::string ENTRY_49(49, 'k');
const std::string ENTRY_50(50, 'k');

TEST(SkipToMatch, TakesEntriesOfUpTo49Characters) {
    ExactText text("..." + ENTRY_49);
    TextSpan span = text.span();
    EXPECT_EQ(skipToMatch(span, 1, {"zz", ENTRY_49.c_str()}), 1);
    EXPECT_EQ(span.remaining, 0);
}

TEST(SkipToMatch, AnEntryOf50CharactersEndsTheProcess) {
    testsupport::ChildResult r = testsupport::runInChild([] {
        ExactText text("abc");
        TextSpan span = text.span();
        skipToMatch(span, 1, {"a", ENTRY_50.c_str()});
        printf("returned\n");
    });
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, ENTRY_50 + " passed to skipToMatch is too large.\n");
}

// 36 entries; the last is given by the caller so that it can be long.
int32_t skipWith36(TextSpan& span, const char* last) {
    return skipToMatch(span, 1, {"e1",  "e2",  "e3",  "e4",  "e5",  "e6",  "e7",  "e8",  "e9",
                                 "e10", "e11", "e12", "e13", "e14", "e15", "e16", "e17", "e18",
                                 "e19", "e20", "e21", "e22", "e23", "e24", "e25", "e26", "e27",
                                 "e28", "e29", "e30", "e31", "e32", "e33", "e34", "e35", last});
}

TEST(SkipToMatch, A36thEntryFailsWithoutMoving) {
    testsupport::ChildResult r = testsupport::runInChild([] {
        ExactText text("x\ne1 e36");
        TextSpan span = text.span();
        char dst[8];
        scanText("\n\n", 2, dst, 8, 0);
        const int32_t result = skipWith36(span, "e36");
        printf("result %d offset %d remaining %d lines %d\n", result, text.offset(span),
               span.remaining, scanLinesCrossed());
    });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out,
              "More input strings in skip_to_match detected than allowed for.\n"
              "result 0 offset 0 remaining 8 lines 0\n");
}

TEST(SkipToMatch, ALong36thEntryIsFatalBeforeTheCountFails) {
    testsupport::ChildResult r = testsupport::runInChild([] {
        ExactText text("abc");
        TextSpan span = text.span();
        skipWith36(span, ENTRY_50.c_str());
    });
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, ENTRY_50 + " passed to skipToMatch is too large.\n");
}

TEST(SkipToMatch, Takes35Entries) {
    ExactText text("..zz");
    TextSpan span = text.span();
    EXPECT_EQ(skipToMatch(span, 1, {"e1",  "e2",  "e3",  "e4",  "e5",  "e6",  "e7",  "e8",  "e9",
                                    "e10", "e11", "e12", "e13", "e14", "e15", "e16", "e17", "e18",
                                    "e19", "e20", "e21", "e22", "e23", "e24", "e25", "e26", "e27",
                                    "e28", "e29", "e30", "e31", "e32", "e33", "e34", "zz"}),
              34);
    EXPECT_EQ(span.remaining, 0);
}

TEST(SeekToMatch, StopsOnTheMatchAndCountsLines) {
    ExactText text("\nx tga");
    TextSpan span = text.span();
    EXPECT_EQ(seekToMatch(span, {"TGA", "/0-9"}), 0);
    EXPECT_EQ(text.offset(span), 3);
    EXPECT_EQ(scanLinesCrossed(), 1);
    span = text.span();
    EXPECT_EQ(seekToMatch(span, {"PCX"}), -1);
    EXPECT_EQ(span.remaining, 0);
}

TEST(SeekToMatch, HasNoEntryLimits) {
    const std::string longEntry(300, 'q');
    ExactText text("..." + longEntry);
    TextSpan span = text.span();
    EXPECT_EQ(seekToMatch(span, {"a1",   "a2",
                                 "a3",   "a4",
                                 "a5",   "a6",
                                 "a7",   "a8",
                                 "a9",   "a10",
                                 "a11",  "a12",
                                 "a13",  "a14",
                                 "a15",  "a16",
                                 "a17",  "a18",
                                 "a19",  "a20",
                                 "a21",  "a22",
                                 "a23",  "a24",
                                 "a25",  "a26",
                                 "a27",  "a28",
                                 "a29",  "a30",
                                 "a31",  "a32",
                                 "a33",  "a34",
                                 "a35",  "a36",
                                 "/0-9", longEntry.c_str()}),
              37);
    EXPECT_EQ(text.offset(span), 3);
    ExactText digits("ab7");
    span = digits.span();
    EXPECT_EQ(
        seekToMatch(span, {"a1",  "a2",  "a3",  "a4",  "a5",  "a6",  "a7",  "a8",  "a9",  "a10",
                           "a11", "a12", "a13", "a14", "a15", "a16", "a17", "a18", "a19", "a20",
                           "a21", "a22", "a23", "a24", "a25", "a26", "a27", "a28", "a29", "a30",
                           "a31", "a32", "a33", "a34", "a35", "a36", "/0-9"}),
        36);
    EXPECT_EQ(digits.offset(span), 2);
}

TEST(StringsEqualNoCaseN, ComparesAPrefixIgnoringAsciiCase) {
    EXPECT_EQ(stringsEqualNoCaseN("TGA", "tga file", 3), 1);
    EXPECT_EQ(stringsEqualNoCaseN("TGA", "tg", 3), 0);
    EXPECT_EQ(stringsEqualNoCaseN("TGA", "tgx", 3), 0);
    EXPECT_EQ(stringsEqualNoCaseN(nullptr, nullptr, 3), 1);
    EXPECT_EQ(stringsEqualNoCaseN("TGA", nullptr, 3), 0);
    EXPECT_EQ(stringsEqualNoCaseN(nullptr, "TGA", 3), 0);
    // Only letters fold: '{' and '`' are not '[' and '@'.
    EXPECT_EQ(stringsEqualNoCaseN("[@", "{`", 2), 0);
    EXPECT_EQ(stringsEqualNoCaseN("\xC1", "\xE1", 1), 0);
    // b is read for n bytes only: this text has nothing after "tga".
    ExactText text("tga");
    EXPECT_EQ(stringsEqualNoCaseN("TGA", text.data(), 3), 1);
}

}  // namespace
