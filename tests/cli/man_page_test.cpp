// The manual page renders cleanly: groff with every warning on reports nothing. Skipped where
// groff is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli/command_line.hpp"
#include "tests/support/test_support.hpp"

namespace {

TEST(ManPage, RendersWithoutWarnings) {
    if (std::system("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "no groff";
    testsupport::TempDir dir;
    const std::string page = testsupport::sourceDir() + "/man/spritebake.1";
    const std::string command =
        "groff -man -ww -z '" + page + "' 2>'" + dir.file("warnings.txt") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testsupport::readText(dir.file("warnings.txt")), "");
}

TEST(ManPage, DocumentsEveryOption) {
    const std::string page = testsupport::readText(testsupport::sourceDir() + "/man/spritebake.1");
    for (const std::string_view name : knownLongOptions()) {
        // Hyphens are written "\\-" in roff source.
        std::string escaped = "\\-\\-";
        for (const char c : name) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(page.find(escaped), std::string::npos) << name;
    }
}

}  // namespace
