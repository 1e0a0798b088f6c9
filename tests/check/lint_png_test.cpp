// What the lint says about the PNG statement: its misspellings, the word that begins with it,
// the file listed under the wrong kind's extension, and a file that is not a PNG picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "check/check.hpp"
#include "console/console.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

struct PngLintCase {
    const char* name;
    std::string control;
    std::string out;
};

void PrintTo(const PngLintCase& c, std::ostream* os) {
    *os << c.name;
}

std::string warn(int line, const std::string& text) {
    return "c.ctl:" + std::to_string(line) + ": warning: " + text + "\n";
}

class PngFindings : public ::testing::TestWithParam<PngLintCase> {};

TEST_P(PngFindings, ReportedAtTheStatementsLine) {
    const PngLintCase& c = GetParam();
    BakeDir dir;
    const Picture box = boxPicture(8, 7, 2, 1, 6, 4);
    dir.writeTga("art/box.tga", box);
    dir.writeText("art/bad.png", "this is no picture");
    // A TGA file under the PNG extension: a picture, but not a PNG one.
    dir.writeTga("art/tga.png", box);
    dir.writeText("art/only.png", "only a .png of this name");
    const testsupport::ChildResult result = testsupport::runInChild([&] {
        if (chdir(dir.path("").c_str()) != 0) _exit(120);
        setupConsole();
        const ExitStatus status = runCheckText(c.control, "c.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.out.empty() ? 0 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Png, PngFindings,
    ::testing::Values(
        PngLintCase{"Misspelt", kHead + "PMG box\n",
                    warn(4, "unexpected input \"PMG box\"; did you mean \"PNG\"?")},
        PngLintCase{"WordThatBeginsWithIt", kHead + "PNGbox\n",
                    warn(4,
                         "\"PNGbox\" is read as the keyword PNG followed by \"box\"; write PNG "
                         "and its value apart") +
                        warn(4,
                             "\"art/box.png\" does not exist, but \"art/box.tga\" does; list it "
                             "with TGA")},
        PngLintCase{"TgaListedAsPng", kHead + "\nPNG box\n",
                    warn(5,
                         "\"art/box.png\" does not exist, but \"art/box.tga\" does; list it with "
                         "TGA")},
        PngLintCase{"PngListedAsTgaOrPcx", kHead + "TGA only\nPCX only\n",
                    warn(4,
                         "\"art/only.tga\" does not exist, but \"art/only.png\" does; list it "
                         "with PNG") +
                        warn(5,
                             "\"art/only.pcx\" does not exist, but \"art/only.png\" does; list "
                             "it with PNG")},
        PngLintCase{"NameWithExtension", kHead + "PNG box.png\n",
                    warn(4, "sprite name \"box.png\" has an extension; PNG adds \".png\" itself") +
                        warn(4, "sprite source \"art/box.png.png\" does not exist")},
        PngLintCase{"NoNameAtTheEnd", kHead + "PNG", warn(4, "PNG has no sprite name")},
        PngLintCase{"NotAPicture", kHead + "PNG bad\n",
                    warn(4, "\"art/bad.png\" does not load as a PNG picture")},
        PngLintCase{"AnotherKindsPicture", kHead + "PNG tga\n",
                    warn(4, "\"art/tga.png\" does not load as a PNG picture")}));

}  // namespace
}  // namespace drivertest
