// Whole-file replacement: both kinds of temporary file, what a failure or a kill leaves behind,
// keepIfSame, and outputs that cannot be replaced.
#include "filesys/replace_file.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/filesys/filesys_fixture.hpp"

namespace {

namespace fs = std::filesystem;
using testsupport::namesIn;

bool writeAll(const ReplacingFile& file, const std::string& text) {
    return fileWrite(file.handle(), text.data(), static_cast<int32_t>(text.size())) ==
           static_cast<int32_t>(text.size());
}

class ReplaceFile : public FileLayerTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        FileLayerTest::SetUp();
        replaceFileForceNamedTemporary(GetParam());
    }
    void TearDown() override {
        replaceFileForceNamedTemporary(false);
        FileLayerTest::TearDown();
    }
};

TEST_P(ReplaceFile, TheOldBytesStayUntilTheCommit) {
    testsupport::writeText("out.bin", "old");
    ReplacingFile file;
    ASSERT_TRUE(file.open("out.bin"));
    EXPECT_FALSE(file.inPlace());
    ASSERT_TRUE(writeAll(file, "new bytes"));
    EXPECT_EQ(testsupport::readText("out.bin"), "old");
    // A named temporary file is visible until the commit; an unnamed one never is.
    const size_t expectedNames = GetParam() ? 2 : 1;
    EXPECT_EQ(namesIn(".").size(), expectedNames);
    EXPECT_EQ(file.commit(), ReplaceResult::written);
    EXPECT_EQ(testsupport::readText("out.bin"), "new bytes");
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});
}

TEST_P(ReplaceFile, AbandonedOrDestroyedLeavesNothing) {
    testsupport::writeText("out.bin", "old");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.open("out.bin"));
        ASSERT_TRUE(writeAll(file, "partial"));
        file.abandon();
    }
    {
        ReplacingFile file;
        ASSERT_TRUE(file.open("new.bin"));
        ASSERT_TRUE(writeAll(file, "partial"));
    }
    EXPECT_EQ(testsupport::readText("out.bin"), "old");
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});
}

TEST_P(ReplaceFile, KeepIfSameLeavesAnEqualFileAlone) {
    testsupport::writeText("out.bin", "same");
    struct stat before;
    ASSERT_EQ(stat("out.bin", &before), 0);
    ReplacingFile file;
    ASSERT_TRUE(file.open("out.bin"));
    ASSERT_TRUE(writeAll(file, "same"));
    EXPECT_EQ(file.commit(true), ReplaceResult::unchanged);
    struct stat after;
    ASSERT_EQ(stat("out.bin", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});

    // One byte more, or one byte different: replaced.
    for (const char* text : {"same!", "sane"}) {
        ReplacingFile other;
        ASSERT_TRUE(other.open("out.bin"));
        ASSERT_TRUE(writeAll(other, text));
        EXPECT_EQ(other.commit(true), ReplaceResult::written);
        EXPECT_EQ(testsupport::readText("out.bin"), text);
    }
}

TEST_P(ReplaceFile, PathsThatCannotBeWritten) {
    fs::create_directory("folder");
    ReplacingFile file;
    EXPECT_FALSE(file.open("folder"));
    EXPECT_FALSE(file.open("missing/out.bin"));
    EXPECT_FALSE(file.open("folder/"));
    fs::create_symlink("loop", "loop");
    EXPECT_FALSE(file.open("loop"));
    // A device is written in place, never replaced.
    ASSERT_TRUE(file.open("/dev/null"));
    EXPECT_TRUE(file.inPlace());
    EXPECT_FALSE(file.inPlaceRegular());
    EXPECT_EQ(file.commit(), ReplaceResult::written);
}

TEST_P(ReplaceFile, ATerminatedRunLeavesNoTemporaryFile) {
    testsupport::writeText("out.bin", "old");
    const testsupport::ChildResult result = testsupport::runInChild([] {
        ReplacingFile file;
        if (!file.open("out.bin") || !writeAll(file, "partial")) _exit(3);
        raise(SIGTERM);
        _exit(4);
    });
    EXPECT_EQ(result.signal, SIGTERM);
    EXPECT_EQ(testsupport::readText("out.bin"), "old");
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});
}

INSTANTIATE_TEST_SUITE_P(Temporary, ReplaceFile, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Named" : "Unnamed");
                         });

TEST(SpecialFiles, AFifoArchiveHoldsNoEntriesAndNeverBlocks) {
    testsupport::TempDir dir;
    const std::string fifo = dir.file("archive.blob");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    const testsupport::ChildResult result = testsupport::runInChild([&] {
        alarm(10);  // a blocked open would end the child by SIGALRM
        fileSystemReset();
        fileSystemInit(fifo.c_str(), nullptr);
        FileBlock block;
        _exit(blobEntryCount() == 0 && fileLoad("archive.blob", block) <= 0 ? 0 : 1);
    });
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitStatus, 0);
}

}  // namespace
