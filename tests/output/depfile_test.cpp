// The dependency file's text, written out by hand in the Makefile syntax that make, ninja and
// CMake read (`gcc -MP` style: a rule, then an empty rule per prerequisite), and the paths it
// refuses because GNU make or ninja would read them back as something else.
#include "output/depfile.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

struct DepfileCase {
    const char* name;
    std::vector<std::string> targets;
    std::vector<std::string> prerequisites;
    std::string text;
};

class Depfile : public ::testing::TestWithParam<DepfileCase> {};

TEST_P(Depfile, IsWrittenExactly) {
    const DepfileCase& c = GetParam();
    const DepfileText rule = depfileText(c.targets, c.prerequisites);
    EXPECT_FALSE(rule.refused.has_value());
    EXPECT_EQ(rule.text, c.text);
}

const DepfileCase kCases[] = {
    {"NoPrerequisites", {"out.txt"}, {}, "out.txt:\n"},
    {"OneRuleAndEmptyRules",
     {"out/sprites.txt"},
     {"sprites.ctl", "art/a.tga"},
     "out/sprites.txt: \\\n sprites.ctl \\\n art/a.tga\n\nsprites.ctl:\n\nart/a.tga:\n"},
    {"SeveralTargets", {"out.bin", "out.json"}, {"c"}, "out.bin out.json: \\\n c\n\nc:\n"},
    {"RepeatsKeepTheFirst",
     {"o"},
     {"a.tga", "b.pcx", "a.tga", "b.pcx"},
     "o: \\\n a.tga \\\n b.pcx\n\na.tga:\n\nb.pcx:\n"},
    {"ATargetIsNoPrerequisite", {"out.txt"}, {"c", "out.txt"}, "out.txt: \\\n c\n\nc:\n"},
    {"DollarDoubled", {"o$"}, {"a$b.tga"}, "o$$: \\\n a$$b.tga\n\na$$b.tga:\n"},
    {"BlankAndHashEscaped",
     {"my out.bin"},
     {"x#1.tga", " lead"},
     "my\\ out.bin: \\\n x\\#1.tga \\\n \\ lead\n\nx\\#1.tga:\n\n\\ lead:\n"},
    // Bytes both readers take as they are.
    {"PlainBytes",
     {"o"},
     {"a!+,-_.@{}]~(x.tga", "\xC3\xA9\xFF.tga", "x(1)y", "a\\b\\\\c", "100%.tga"},
     "o: \\\n a!+,-_.@{}]~(x.tga \\\n \xC3\xA9\xFF.tga \\\n x(1)y \\\n a\\b\\\\c \\\n 100%.tga\n"
     "\na!+,-_.@{}]~(x.tga:\n\n\xC3\xA9\xFF.tga:\n\nx(1)y:\n\na\\b\\\\c:\n\n100%.tga:\n"},
};

INSTANTIATE_TEST_SUITE_P(Driver, Depfile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DepfileCase>& info) {
                             return std::string(info.param.name);
                         });

struct RefusedCase {
    const char* name;
    std::vector<std::string> targets;
    std::vector<std::string> prerequisites;
    std::string path;  // the path named in the refusal
    char byte;
};

class DepfileRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(DepfileRefuses, ThePathMakeOrNinjaWouldMisread) {
    const RefusedCase& c = GetParam();
    const DepfileText rule = depfileText(c.targets, c.prerequisites);
    ASSERT_TRUE(rule.refused.has_value());
    EXPECT_EQ(rule.refused->path, c.path);
    EXPECT_EQ(rule.refused->byte, c.byte);
    EXPECT_EQ(rule.text, "");
}

const RefusedCase kRefused[] = {
    {"LineFeedInAPrerequisite", {"o"}, {"ok", "a\nb"}, "a\nb", '\n'},
    {"LineFeedInATarget", {"o\n"}, {"a"}, "o\n", '\n'},
    {"CarriageReturn", {"o"}, {"a\rb"}, "a\rb", '\r'},
    {"Tab", {"o"}, {"t\tb"}, "t\tb", '\t'},
    {"ControlByte", {"o"}, {"a\x01"}, "a\x01", '\x01'},
    {"Delete", {"o"}, {"a\x7F"}, "a\x7F", '\x7F'},
    {"Colon", {"o"}, {"c:/art/a.tga"}, "c:/art/a.tga", ':'},
    {"Semicolon", {"o;"}, {"a"}, "o;", ';'},
    {"Bar", {"o"}, {"a|b"}, "a|b", '|'},
    {"Equals", {"o"}, {"a=b"}, "a=b", '='},
    {"Ampersand", {"o&"}, {"a"}, "o&", '&'},
    {"DoubleQuote", {"o"}, {"\"a\""}, "\"a\"", '"'},
    {"Quote", {"o"}, {"it's"}, "it's", '\''},
    {"Star", {"o"}, {"a*"}, "a*", '*'},
    {"QuestionMark", {"o"}, {"a?"}, "a?", '?'},
    {"Less", {"o"}, {"a<b"}, "a<b", '<'},
    {"Greater", {"o"}, {"a>b"}, "a>b", '>'},
    {"Caret", {"o"}, {"a^b"}, "a^b", '^'},
    {"Backtick", {"o"}, {"a`b"}, "a`b", '`'},
    {"OpeningBracket", {"o"}, {"a[1]"}, "a[1]", '['},
    {"TrailingBackslash", {"o"}, {"a\\"}, "a\\", '\\'},
    {"BackslashBeforeBlank", {"o"}, {"a\\ b"}, "a\\ b", '\\'},
    {"BackslashBeforeHash", {"o"}, {"a\\#b"}, "a\\#b", '\\'},
    {"BackslashBeforeDollar", {"o"}, {"a\\$b"}, "a\\$b", '\\'},
    {"TrailingBlank", {"o"}, {"a "}, "a ", ' '},
    {"PercentInATarget", {"o%.bin"}, {"a"}, "o%.bin", '%'},
    {"LeadingTilde", {"o"}, {"~/a.tga"}, "~/a.tga", '~'},
    {"ArchiveMember", {"lib(a)"}, {"a"}, "lib(a)", '('},
    // Targets are looked at first, then prerequisites in their order, each from its start.
    {"FirstTargetThenPrerequisites", {"o", "t|"}, {"a;", "b|"}, "t|", '|'},
    {"FirstRefusedByteOfThePath", {"o"}, {"ok", "x|y:z", "a;"}, "x|y:z", '|'},
};

INSTANTIATE_TEST_SUITE_P(Driver, DepfileRefuses, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
