// The dependency file's text, written out by hand in the Makefile syntax that make, ninja and
// CMake read (`gcc -MP` style: a rule, then an empty rule per prerequisite).
#include "driver/depfile.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DepfileCase {
    const char* name;
    std::vector<std::string> targets;
    std::vector<std::string> prerequisites;
    std::optional<std::string> text;
};

class Depfile : public ::testing::TestWithParam<DepfileCase> {};

TEST_P(Depfile, IsWrittenExactly) {
    const DepfileCase& c = GetParam();
    EXPECT_EQ(depfileText(c.targets, c.prerequisites), c.text);
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
    {"DollarDoubled", {"o"}, {"a$b.tga"}, "o: \\\n a$$b.tga\n\na$$b.tga:\n"},
    {"BlankTabAndHashEscaped",
     {"my out.bin"},
     {"x#1.tga", "t\tb"},
     "my\\ out.bin: \\\n x\\#1.tga \\\n t\\\tb\n\nx\\#1.tga:\n\nt\\\tb:\n"},
    {"LineFeedInAPrerequisite", {"o"}, {"a\nb"}, std::nullopt},
    {"LineFeedInATarget", {"o\n"}, {"a"}, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Driver, Depfile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DepfileCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
