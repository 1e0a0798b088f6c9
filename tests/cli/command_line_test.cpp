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
    EXPECT_EQ(got.depfile, want.depfile);
    EXPECT_EQ(got.manifest, want.manifest);
    EXPECT_EQ(got.emitHeader, want.emitHeader);
    EXPECT_EQ(got.headerPrefix, want.headerPrefix);
    EXPECT_EQ(got.preview, want.preview);
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
     with(control("a"), [](CommandLine& c) { c.depfile = "b.d"; }),
     ""},
    {"EmptyValueIsAValue",
     {"--depfile=", "a"},
     with(control("a"), [](CommandLine& c) { c.depfile = ""; }),
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
              c.manifest = "m.json";
              c.emitHeader = "h.h";
              c.preview = "p.png";
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
              c.emitHeader = "lvl.h";
              c.headerPrefix = "Level_1";
          }),
     ""},
    {"HeaderPrefixUnderscoreFirst",
     {"--header-prefix=_", "--emit-header=h", "a"},
     with(control("a"),
          [](CommandLine& c) {
              c.emitHeader = "h";
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
              c.depfile = "d";
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

// The help must describe every option the parser accepts, in its long form.
TEST(Help, NamesEveryOption) {
    const std::string_view help = helpText();
    EXPECT_TRUE(help.starts_with("Usage: spritebake [OPTION...] CONTROL_FILE\n"));
    for (const std::string_view name : knownLongOptions()) {
        EXPECT_NE(help.find("--" + std::string(name)), std::string_view::npos) << name;
    }
    for (const char* statement : {"Source", "Dest", "InfoFile", "WriteOneFile", "BIN", "Padding",
                                  "Hotspot", "HotXY", "TGA", "PCX", "//"}) {
        EXPECT_NE(help.find("\n  " + std::string(statement) + " "), std::string_view::npos)
            << statement;
    }
}

}  // namespace
