// The dependency file read back by the real build tools: GNU make including it, and ninja
// reading it either into its log (`deps = gcc`) or from disk at each start. A missing source
// keeps the output out of date until it appears; an existing source that changes makes the
// output again; unchanged sources leave it up to date. Skipped where make or ninja is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/sprite_builders.hpp"
#include "tests/support/test_support.hpp"

namespace fs = std::filesystem;
using namespace drivertest;

namespace {

// The set: a single sprite file whose name holds a blank, and sources whose names need the
// escapes of `#` and `$`; art/gone.tga is listed but not there yet.
const std::string kControl = kHead +
                             "WriteOneFile my sprites.bin\n"
                             "TGA abc\nTGA gone\nTGA a#b\nTGA co$t\n";
const std::string kOutput = "out/my sprites.bin";

enum class Tool { make, ninjaDepsLog, ninjaDepfile };

struct ToolCase {
    const char* name;
    Tool tool;
};

bool haveCommand(const char* command) {
    return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command in `folder`; its exit status, or -1 when it did not exit.
int runShell(const std::string& folder, const std::string& command) {
    const int status = std::system(("cd '" + folder + "' && " + command).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class BuildTool : public ::testing::TestWithParam<ToolCase> {
  protected:
    void SetUp() override {
        const char* command = GetParam().tool == Tool::make ? "make" : "ninja";
        if (!haveCommand(command)) GTEST_SKIP() << command << " is not installed";
        dir_.writeTga("art/abc.tga", boxPicture(24, 14, 3, 2, 20, 10));
        dir_.writeTga("art/a#b.tga", boxPicture(4, 4, 1, 1, 2, 2));
        dir_.writeTga("art/co$t.tga", boxPicture(5, 3, 0, 0, 5, 3));
        dir_.writeText("sprites.ctl", kControl);
        const std::string tool = testsupport::spritebakePath();
        switch (GetParam().tool) {
            case Tool::make:
                dir_.writeText("Makefile", "out/my\\ sprites.bin: sprites.ctl\n\t'" + tool +
                                               "' -q --depfile=run.d sprites.ctl\n"
                                               "-include run.d\n");
                break;
            case Tool::ninjaDepsLog:
            case Tool::ninjaDepfile:
                dir_.writeText("build.ninja",
                               "rule bake\n  command = '" + tool +
                                   "' -q --depfile=run.d sprites.ctl\n  depfile = run.d\n" +
                                   (GetParam().tool == Tool::ninjaDepsLog ? "  deps = gcc\n" : "") +
                                   "build out/my$ sprites.bin: bake sprites.ctl\n");
                break;
        }
    }

    // Builds; true when the build succeeded.
    bool build() const {
        const bool isMake = GetParam().tool == Tool::make;
        return runShell(dir_.path(""), isMake ? "make -s >/dev/null" : "ninja >/dev/null") == 0;
    }

    // Whether the tool would run the rule again.
    bool outOfDate() const {
        if (GetParam().tool == Tool::make) {
            return runShell(dir_.path(""), "make -q >/dev/null 2>&1") != 0;
        }
        return runShell(dir_.path(""), "ninja -n | grep -q 'no work to do'") != 0;
    }

    // Times without a race: sources two hours old, what the run wrote one hour old. A source
    // "touched" afterwards is half an hour old, newer than the output yet in the past.
    void settleTimes() const {
        const auto now = fs::file_time_type::clock::now();
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir_.path(""))) {
            if (!entry.is_regular_file()) continue;
            const std::string name = entry.path().filename().string();
            if (name.rfind(".ninja", 0) == 0) continue;  // ninja's own log
            const bool written = name == "my sprites.bin" || name == "run.d";
            fs::last_write_time(entry.path(), now - std::chrono::hours(written ? 1 : 2));
        }
    }

    void touch(const std::string& relative) const {
        fs::last_write_time(dir_.path(relative),
                            fs::file_time_type::clock::now() - std::chrono::minutes(30));
    }

    BakeDir dir_;
};

TEST_P(BuildTool, MakesTheOutputAgainWhenASourceAppearsOrChanges) {
    ASSERT_TRUE(build());
    ASSERT_TRUE(dir_.exists(kOutput));
    settleTimes();
    // Until the missing source appears, every build runs the tool again.
    EXPECT_TRUE(outOfDate());
    ASSERT_TRUE(build());
    settleTimes();
    EXPECT_TRUE(outOfDate());

    dir_.writeTga("art/gone.tga", boxPicture(2, 2, 0, 0, 2, 2));
    touch("art/gone.tga");
    EXPECT_TRUE(outOfDate());
    ASSERT_TRUE(build());
    settleTimes();
    EXPECT_FALSE(outOfDate());

    // Each source is read back under its own name: a blank, `#` and `$` escaped.
    for (const char* source : {"art/a#b.tga", "art/co$t.tga", "art/abc.tga", "sprites.ctl"}) {
        touch(source);
        EXPECT_TRUE(outOfDate()) << source;
        ASSERT_TRUE(build()) << source;
        settleTimes();
        EXPECT_FALSE(outOfDate()) << source;
    }
}

const ToolCase kTools[] = {
    {"Make", Tool::make},
    {"NinjaDepsLog", Tool::ninjaDepsLog},
    {"NinjaDepfile", Tool::ninjaDepfile},
};

INSTANTIATE_TEST_SUITE_P(Depfile, BuildTool, ::testing::ValuesIn(kTools),
                         [](const ::testing::TestParamInfo<ToolCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
