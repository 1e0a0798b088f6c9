// The command-line parser on its own: which record or which error each argument list gives,
// every expectation written out by hand from the GNU conventions the tool follows.
#include "cli/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string_view> args;
    CommandLine expected;  // compared when `error` is empty
    std::string error;
};

CommandLine control(const char* file) {
    CommandLine c;
    c.controlFile = file;
    return c;
}

template <typename Set>
CommandLine with(CommandLine c, Set set) {
    set(c);
    return c;
}

void expectSame(const CommandLine& got, const CommandLine& want) {
    EXPECT_EQ(got.controlFile, want.controlFile);
    EXPECT_EQ(got.folders, want.folders);
    EXPECT_EQ(got.help, want.help);
    EXPECT_EQ(got.version, want.version);
    EXPECT_EQ(got.quiet, want.quiet);
    EXPECT_EQ(got.strict, want.strict);
    EXPECT_EQ(got.check, want.check);
    EXPECT_EQ(got.ifChanged, want.ifChanged);
    EXPECT_EQ(got.sideFiles[SIDE_DEPFILE], want.sideFiles[SIDE_DEPFILE]);
    EXPECT_EQ(got.sideFiles[SIDE_MANIFEST], want.sideFiles[SIDE_MANIFEST]);
    EXPECT_EQ(got.sideFiles[SIDE_C_HEADER], want.sideFiles[SIDE_C_HEADER]);
    EXPECT_EQ(got.headerPrefix, want.headerPrefix);
    EXPECT_EQ(got.sideFiles[SIDE_PREVIEW], want.sideFiles[SIDE_PREVIEW]);
    EXPECT_EQ(got.dump, want.dump);
}

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, GivesTheRecordOrTheError) {
    const ParseCase& c = GetParam();
    const ParsedCommandLine parsed = parseCommandLine(c.args);
    EXPECT_EQ(parsed.error, c.error);
    if (c.error.empty()) expectSame(parsed.options, c.expected);
}

const ParseCase kCases[] = {
    {"ControlFileAlone", {"a.ctl"}, control("a.ctl"), ""},
    {"DashIsStandardInput", {"-"}, control("-"), ""},
    {"DoubleDashEndsOptions", {"--", "-q"}, control("-q"), ""},
    {"DashAfterDoubleDash", {"--", "-"}, control("-"), ""},
    {"OptionAfterTheControlFile",
     {"a.ctl", "-q"},
     with(control("a.ctl"), [](CommandLine& c) { c.quiet = true; }),
     ""},
    {"BundledFlags",
     {"-qh"},
     with(CommandLine{},
          [](CommandLine& c) {
              c.quiet = true;
              c.help = true;
          }),
     ""},
    {"FolderSeparate",
     {"-C", "d", "a"},
     with(control("a"), [](CommandLine& c) { c.folders = {"d"}; }),
     ""},
    {"FolderJoined",
     {"-Cd", "a"},
     with(control("a"), [](CommandLine& c) { c.folders = {"d"}; }),
     ""},
    {"FolderAfterABundledFlag",
     {"-qCsub/dir", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.quiet = true;
              c.folders = {"sub/dir"};
          }),
     ""},
    {"FolderLongForms",
     {"--directory=x", "--directory", "y", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.folders = {"x", "y"};
          }),
     ""},
    {"FolderValueThatLooksLikeAnOption",
     {"-C", "-q", "a"},
     with(control("a"), [](CommandLine& c) { c.folders = {"-q"}; }),
     ""},
    {"DepfileBothForms",
     {"--depfile=a.d", "--depfile", "b.d", "a"},
     with(control("a"), [](CommandLine& c) { c.sideFiles[SIDE_DEPFILE] = "b.d"; }),
     ""},
    {"EmptyValueIsAValue",
     {"--depfile=", "a"},
     with(control("a"), [](CommandLine& c) { c.sideFiles[SIDE_DEPFILE] = ""; }),
     ""},
    {"EveryRunFlag",
     {"--strict", "--quiet", "--if-changed", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.strict = true;
              c.quiet = true;
              c.ifChanged = true;
          }),
     ""},
    {"SidecarValues",
     {"--manifest", "m.json", "--emit-header=h.h", "--preview", "p.png", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.sideFiles[SIDE_MANIFEST] = "m.json";
              c.sideFiles[SIDE_C_HEADER] = "h.h";
              c.sideFiles[SIDE_PREVIEW] = "p.png";
          }),
     ""},
    {"CheckWithQuietAndStrict",
     {"--check", "-q", "--strict", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.check = true;
              c.quiet = true;
              c.strict = true;
          }),
     ""},
    {"DumpAlone",
     {"--dump", "out.bin"},
     with(CommandLine{}, [](CommandLine& c) { c.dump = "out.bin"; }),
     ""},
    {"DumpInAnotherFolder",
     {"-C", "x", "--dump=o"},
     with(CommandLine{},
          [](CommandLine& c) {
              c.folders = {"x"};
              c.dump = "o";
          }),
     ""},
    {"HeaderPrefix",
     {"--emit-header=lvl.h", "--header-prefix", "Level_1", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.sideFiles[SIDE_C_HEADER] = "lvl.h";
              c.headerPrefix = "Level_1";
          }),
     ""},
    {"HeaderPrefixUnderscoreFirst",
     {"--header-prefix=_", "--emit-header=h", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.sideFiles[SIDE_C_HEADER] = "h";
              c.headerPrefix = "_";
          }),
     ""},
    {"HelpNeedsNoControlFile",
     {"--help"},
     with(CommandLine{}, [](CommandLine& c) { c.help = true; }),
     ""},
    {"VersionBeatsConflicts",
     {"--version", "--check", "--depfile=d"},
     with(CommandLine{},
          [](CommandLine& c) {
              c.version = true;
              c.check = true;
              c.sideFiles[SIDE_DEPFILE] = "d";
          }),
     ""},

    {"UnknownLong", {"--frobnicate", "a"}, {}, "unrecognized option '--frobnicate'"},
    {"NoAbbreviations", {"--vers"}, {}, "unrecognized option '--vers'"},
    {"UnknownShort", {"-x", "a"}, {}, "invalid option -- 'x'"},
    {"UnknownInsideABundle", {"-qz", "a"}, {}, "invalid option -- 'z'"},
    {"UnknownBeforeHelp", {"--nope", "--help"}, {}, "unrecognized option '--nope'"},
    {"MissingLongValue", {"a", "--depfile"}, {}, "option '--depfile' requires an argument"},
    {"MissingShortValue", {"a", "-C"}, {}, "option requires an argument -- 'C'"},
    {"ValueForAFlag", {"--quiet=yes", "a"}, {}, "option '--quiet' doesn't allow an argument"},
    {"SecondControlFile",
     {"a.ctl", "b.ctl"},
     {},
     "a second control file 'b.ctl' (only one can be given)"},
    {"SecondControlFileAfterDoubleDash",
     {"a", "--", "-"},
     {},
     "a second control file '-' (only one can be given)"},
    {"OptionsWithoutControlFile", {"-q", "--strict"}, {}, "no control file given"},
    {"OnlyDoubleDash", {"--"}, {}, "no control file given"},
    {"CheckWithDepfile",
     {"--check", "--depfile=d", "a"},
     {},
     "--check cannot be combined with --depfile"},
    // With several, the first named is the first in the order --help lists them, --if-changed
    // after --depfile and --header-prefix after --emit-header.
    {"CheckWithSeveralNamesDepfile",
     {"--preview=p", "--if-changed", "--check", "--manifest=m", "--depfile=d", "a"},
     {},
     "--check cannot be combined with --depfile"},
    {"CheckWithSeveralNamesIfChanged",
     {"--preview=p", "--manifest=m", "--check", "--if-changed", "a"},
     {},
     "--check cannot be combined with --if-changed"},
    {"CheckWithSeveralNamesManifest",
     {"--preview=p", "--header-prefix=P", "--emit-header=h", "--check", "--manifest=m", "a"},
     {},
     "--check cannot be combined with --manifest"},
    {"CheckWithSeveralNamesHeader",
     {"--preview=p", "--header-prefix=P", "--check", "--emit-header=h", "a"},
     {},
     "--check cannot be combined with --emit-header"},
    {"CheckWithSeveralNamesHeaderPrefix",
     {"--preview=p", "--check", "--header-prefix=P", "a"},
     {},
     "--check cannot be combined with --header-prefix"},
    {"CheckWithIfChanged",
     {"--if-changed", "--check", "a"},
     {},
     "--check cannot be combined with --if-changed"},
    {"CheckWithManifest",
     {"--check", "--manifest=m", "a"},
     {},
     "--check cannot be combined with --manifest"},
    {"CheckWithHeader",
     {"--check", "--emit-header=h", "a"},
     {},
     "--check cannot be combined with --emit-header"},
    {"CheckWithPreview",
     {"--check", "--preview=p", "a"},
     {},
     "--check cannot be combined with --preview"},
    {"CheckWithHeaderPrefix",
     {"--check", "--header-prefix=P_", "a"},
     {},
     "--check cannot be combined with --header-prefix"},
    {"HeaderPrefixWithoutHeader",
     {"--header-prefix=P_", "a"},
     {},
     "--header-prefix requires --emit-header"},
    {"HeaderPrefixDigitFirst",
     {"--emit-header=h", "--header-prefix=1UP_", "a"},
     {},
     "invalid header prefix '1UP_' (ASCII letters, digits and '_', not starting with a digit)"},
    {"HeaderPrefixEmpty",
     {"--emit-header=h", "--header-prefix=", "a"},
     {},
     "invalid header prefix '' (ASCII letters, digits and '_', not starting with a digit)"},
    {"HeaderPrefixWithADash",
     {"--emit-header=h", "--header-prefix=MY-SET_", "a"},
     {},
     "invalid header prefix 'MY-SET_' (ASCII letters, digits and '_', not starting with a "
     "digit)"},
    {"HeaderPrefixHighByte",
     {"--emit-header=h", "--header-prefix=CAF\xc9_", "a"},
     {},
     "invalid header prefix 'CAF\xc9_' (ASCII letters, digits and '_', not starting with a "
     "digit)"},
    {"HeaderPrefixBeforeNoControlFile",
     {"--emit-header=h", "--header-prefix=a b"},
     {},
     "invalid header prefix 'a b' (ASCII letters, digits and '_', not starting with a digit)"},
    {"DumpWithHeaderPrefix",
     {"--dump=o", "--header-prefix=P_"},
     {},
     "--dump cannot be combined with --header-prefix"},
    {"DumpWithControlFile", {"--dump=o", "a"}, {}, "--dump cannot be combined with a control file"},
    {"DumpWithCheck", {"--dump=o", "--check"}, {}, "--dump cannot be combined with --check"},
    {"DumpWithQuiet", {"--dump=o", "-q"}, {}, "--dump cannot be combined with --quiet"},
    {"DumpWithDepfile",
     {"--dump=o", "--depfile=d"},
     {},
     "--dump cannot be combined with --depfile"},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, Parse, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) {
                             return std::string(info.param.name);
                         });

// The files beside the output come from one table: each row's option takes a path into that
// row's slot, and its help lines stand in --help in the table's order.
TEST(SideFileOptions, EachRowIsAnOptionAndItsHelp) {
    const std::vector<std::string> options = {"--depfile", "--manifest", "--emit-header",
                                              "--preview", "--atlas"};
    ASSERT_EQ(sideFileRows().size(), options.size());
    size_t helpAt = 0;
    for (size_t row = 0; row < options.size(); ++row) {
        const std::string arg = options[row] + "=path" + std::to_string(row);
        const std::vector<std::string_view> args = {arg, "a"};
        const ParsedCommandLine parsed = parseCommandLine(args);
        ASSERT_EQ(parsed.error, "") << arg;
        for (size_t other = 0; other < options.size(); ++other) {
            if (other == row) {
                EXPECT_EQ(parsed.options.sideFiles[other], "path" + std::to_string(row));
            } else {
                EXPECT_FALSE(parsed.options.sideFiles[other]) << arg;
            }
        }
        const size_t at = helpText().find("\n      " + options[row] + "=", helpAt);
        EXPECT_NE(at, std::string_view::npos) << options[row];
        helpAt = at;
    }
}

// The help must describe every option the parser accepts, in its long form.
TEST(Help, NamesEveryOption) {
    const std::string_view help = helpText();
    EXPECT_TRUE(help.starts_with("Usage: spritebake [OPTION...] CONTROL_FILE\n"));
    for (const std::string_view name : knownLongOptions()) {
        EXPECT_NE(help.find("--" + std::string(name)), std::string_view::npos) << name;
    }
    for (const char* statement : {"Source", "Dest", "InfoFile", "WriteOneFile", "BIN", "Padding",
                                  "Hotspot", "HotXY", "TGA", "PCX", "PNG", "//"}) {
        EXPECT_NE(help.find("\n  " + std::string(statement) + " "), std::string_view::npos)
            << statement;
    }
}

}  // namespace
