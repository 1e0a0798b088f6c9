// UTF-8 repair and JSON string escaping on hostile bytes; every expected text is worked out by
// hand from RFC 3629 and RFC 8259.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "sidecar/json_text.hpp"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view FFFD = "\xEF\xBF\xBD";

struct RepairCase {
    const char* what;
    std::string_view in;
    std::string out;
};

const RepairCase kRepairCases[] = {
    {"empty", ""sv, ""},
    {"ascii and NUL kept", "a\0b"sv, std::string("a\0b", 3)},
    {"two-byte e-acute", "caf\xC3\xA9"sv, "caf\xC3\xA9"},
    {"three-byte euro", "\xE2\x82\xAC"sv, "\xE2\x82\xAC"},
    {"four-byte U+1F600", "\xF0\x9F\x98\x80"sv, "\xF0\x9F\x98\x80"},
    {"highest code point U+10FFFF", "\xF4\x8F\xBF\xBF"sv, "\xF4\x8F\xBF\xBF"},
    {"lone continuation", "a\x80z"sv, "a" + std::string(FFFD) + "z"},
    {"lone high byte", "\xFF"sv, std::string(FFFD)},
    {"latin-1 e-acute", "caf\xE9"sv, "caf" + std::string(FFFD)},
    {"overlong slash C0 AF", "\xC0\xAF"sv, std::string(FFFD) + std::string(FFFD)},
    {"overlong three-byte E0 80 AF", "\xE0\x80\xAF"sv,
     std::string(FFFD) + std::string(FFFD) + std::string(FFFD)},
    {"surrogate ED A0 80", "\xED\xA0\x80"sv,
     std::string(FFFD) + std::string(FFFD) + std::string(FFFD)},
    {"above U+10FFFF F4 90 80 80", "\xF4\x90\x80\x80"sv,
     std::string(FFFD) + std::string(FFFD) + std::string(FFFD) + std::string(FFFD)},
    {"F5 lead", "\xF5\x80"sv, std::string(FFFD) + std::string(FFFD)},
    // The lead and the one continuation read are replaced each; the A that broke it is kept.
    {"sequence cut by ASCII",
     "\xE2\x82"
     "A"sv,
     std::string(FFFD) + std::string(FFFD) + "A"},
    {"sequence cut by the end", "ok\xF0\x9F\x98"sv,
     "ok" + std::string(FFFD) + std::string(FFFD) + std::string(FFFD)},
    {"valid after invalid", "\xFF\xC3\xA9"sv, std::string(FFFD) + "\xC3\xA9"},
};

TEST(RepairUtf8, KeepsWellFormedSequencesAndReplacesEveryOtherByte) {
    for (const RepairCase& c : kRepairCases) {
        EXPECT_EQ(repairUtf8(c.in), c.out) << c.what;
    }
}

struct EscapeCase {
    const char* what;
    std::string_view in;
    std::string_view out;
};

constexpr EscapeCase kEscapeCases[] = {
    {"empty", ""sv, R"("")"sv},
    {"quote and backslash", "a\"b\\c"sv, R"("a\"b\\c")"sv},
    {"NUL", "\0"sv, R"("\u0000")"sv},
    {"line feed, tab, CR", "\n\t\r"sv, R"("\u000a\u0009\u000d")"sv},
    {"unit separator and DEL", "\x1F\x7F"sv, R"("\u001f\u007f")"sv},
    {"space and slash kept", " /*/"sv, R"(" /*/")"sv},
    {"UTF-8 kept as bytes", "\xC3\xA9"sv, "\"\xC3\xA9\""sv},
    {"trigraph kept", "?\?/"sv, "\"?\?/\""sv},
};

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    for (const EscapeCase& c : kEscapeCases) {
        EXPECT_EQ(jsonString(c.in), c.out) << c.what;
    }
}

}  // namespace
