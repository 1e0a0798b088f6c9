// Whole-file replacement: both kinds of temporary file, what a failure or a kill leaves behind,
// keepIfSame, outputs that cannot be replaced, and the removal of temporary files that dead
// writers left.
#include "filesys/replace_file.hpp"
#include "filesys/testing.hpp"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "tests/filesys/filesys_fixture.hpp"

namespace {

namespace fs = std::filesystem;
using testsupport::namesIn;

bool writeAll(const ReplacingFile& file, const std::string& text) {
    return fileWrite(file.handle(), text.data(), static_cast<int32_t>(text.size())) ==
           static_cast<int32_t>(text.size());
}

constexpr uid_t NOBODY = 65534;
constexpr int CANNOT_DROP_ROOT = 77;

// Runs `check` in a child process as a user who is not root (nobody when the test runs as
// root); its result is the child's exit status, CANNOT_DROP_ROOT when root cannot be left.
testsupport::ChildResult runUnprivileged(const std::function<int()>& check) {
    return testsupport::runInChild([&] {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) {
            _exit(CANNOT_DROP_ROOT);
        }
        _exit(check());
    });
}

// A child process that keeps what `body` sets up (a lock, a file being written) until the test
// kills it: body calls its argument once it holds, which never returns.
class HoldingChild {
  public:
    explicit HoldingChild(const std::function<void(const std::function<void()>&)>& body) {
        int ready[2];
        if (pipe(ready) != 0) return;
        fflush(stdout);
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            body([&] {
                const char yes = 'y';
                [[maybe_unused]] ssize_t sent = write(ready[1], &yes, 1);
                for (;;) pause();
            });
            _exit(1);
        }
        close(ready[1]);
        char answer = 'n';
        holding_ = pid_ > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
        close(ready[0]);
    }
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;
    ~HoldingChild() { release(); }

    bool holding() const { return holding_; }

    // Kills the child: whatever it held is left as a killed process leaves it.
    void release() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

// An open file description lock, as the writer takes it on its temporary file.
bool lockForWriting(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0;
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

    // One byte more, one byte different, or a beginning of the old bytes: replaced.
    for (const char* text : {"same!", "sane", "sam", ""}) {
        testsupport::writeText("out.bin", "same");
        ReplacingFile other;
        ASSERT_TRUE(other.open("out.bin"));
        ASSERT_TRUE(writeAll(other, text));
        EXPECT_EQ(other.commit(true), ReplaceResult::written) << '"' << text << '"';
        EXPECT_EQ(testsupport::readText("out.bin"), text);
        EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});
    }
}

TEST_P(ReplaceFile, AFailedCloseIsAFailedWrite) {
    testsupport::writeText("out.bin", "old");
    ReplacingFile file;
    ASSERT_TRUE(file.open("out.bin"));
    ASSERT_TRUE(writeAll(file, "new bytes"));
    replaceFileFailNextClose(EIO);
    EXPECT_EQ(file.commit(), ReplaceResult::failed);
    EXPECT_EQ(testsupport::readText("out.bin"), "old");
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.bin"});

    // Written in place: nothing to rename, the close alone decides.
    ASSERT_TRUE(file.open("/dev/null"));
    ASSERT_TRUE(file.inPlace());
    ASSERT_TRUE(writeAll(file, "new bytes"));
    replaceFileFailNextClose(EIO);
    EXPECT_EQ(file.commit(), ReplaceResult::failed);
}

// The complete file cannot take the output's name: the refusal is told apart from a failed
// write, and the folder now at the path and the output's folder hold only what they held.
TEST_P(ReplaceFile, ARefusedRenameKeepsWhatIsAtThePath) {
    testsupport::writeText("out.bin", "old");
    ReplacingFile file;
    ASSERT_TRUE(file.open("out.bin"));
    ASSERT_TRUE(writeAll(file, "new bytes"));
    fs::rename("out.bin", "moved.bin");
    fs::create_directory("out.bin");
    testsupport::writeText("out.bin/inside", "kept");
    EXPECT_EQ(file.commit(), ReplaceResult::renameRefused);
    EXPECT_EQ(file.renameError(), EISDIR);
    EXPECT_EQ(namesIn("."), (std::vector<std::string>{"moved.bin", "out.bin"}));
    EXPECT_EQ(namesIn("out.bin"), std::vector<std::string>{"inside"});
    EXPECT_EQ(testsupport::readText("moved.bin"), "old");
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

// A sticky folder lets only a file's owner replace it, even one that anybody may write.
TEST_P(ReplaceFile, AStickyFolderRefusesTheRename) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to own a file nobody may write";
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    fs::create_directory("sticky");
    ASSERT_EQ(chmod("sticky", 01777), 0);
    testsupport::writeText("sticky/out.bin", "old");
    ASSERT_EQ(chmod("sticky/out.bin", 0666), 0);
    const testsupport::ChildResult result = runUnprivileged([] {
        ReplacingFile file;
        if (!file.open("sticky/out.bin") || !writeAll(file, "new bytes")) return 1;
        if (file.commit() != ReplaceResult::renameRefused) return 2;
        return file.renameError() == EPERM ? 0 : 3;
    });
    if (result.exitStatus == CANNOT_DROP_ROOT) GTEST_SKIP() << "cannot run as user 65534 here";
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(testsupport::readText("sticky/out.bin"), "old");
    EXPECT_EQ(namesIn("sticky"), std::vector<std::string>{"out.bin"});
}

INSTANTIATE_TEST_SUITE_P(Temporary, ReplaceFile, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Named" : "Unnamed");
                         });

// The folder would let the file be replaced; its mode asks for it to stay.
TEST_F(FileLayerTest, AReadOnlyOutputIsRefusedToAUserWhoIsNotRoot) {
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    fs::create_directory("shared");
    ASSERT_EQ(chmod("shared", 0777), 0);
    testsupport::writeText("shared/out.bin", "old");
    ASSERT_EQ(chmod("shared/out.bin", 0444), 0);
    const testsupport::ChildResult result = runUnprivileged([] {
        ReplacingFile file;
        if (file.open("shared/out.bin")) return 1;
        return errno == EACCES ? 0 : 2;
    });
    if (result.exitStatus == CANNOT_DROP_ROOT) GTEST_SKIP() << "cannot run as user 65534 here";
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(testsupport::readText("shared/out.bin"), "old");
    EXPECT_EQ(namesIn("shared"), std::vector<std::string>{"out.bin"});
}

class AbandonedTemporaries : public FileLayerTest {
  protected:
    void TearDown() override {
        replaceFileForceNamedTemporary(false);
        FileLayerTest::TearDown();
    }
};

// Opening an output removes, at once, every temporary file of the writer's exact form that no
// live writer holds, in this process or another; nothing else in the folder.
TEST_F(AbandonedTemporaries, OnlyUnheldOnesOfTheExactFormAreRemoved) {
    const std::string stale = ".spritebake-0123456789abcdef.tmp";
    const std::string locked = ".spritebake-fedcba9876543210.tmp";
    testsupport::writeText(stale, "left by a killed run");
    testsupport::writeText(locked, "held by a live writer");
    const std::vector<std::string> otherForms = {
        ".spritebake-0123456789ABCDEF.tmp",  ".spritebake-0123456789abcde.tmp",
        ".spritebake-0123456789abcdef0.tmp", ".spritebake-0123456789abcdeg.tmp",
        ".spritebake-0123456789abcdef.tmp~", ".spritebake-0123456789abcdef.TMP",
        "spritebake-0123456789abcdef.tmp",   "x.spritebake-0123456789abcdef.tmp",
    };
    for (const std::string& name : otherForms) testsupport::writeText(name, "not a temporary");
    // Of the form, but not regular files: a folder, a link to a file, a FIFO.
    fs::create_directory(".spritebake-1111111111111111.tmp");
    testsupport::writeText("target", "a link's target");
    fs::create_symlink("target", ".spritebake-2222222222222222.tmp");
    ASSERT_EQ(mkfifo(".spritebake-3333333333333333.tmp", 0666), 0);

    HoldingChild lockHolder([&](const std::function<void()>& held) {
        int fd = -1;
        if (lockForWriting(locked, fd)) held();
    });
    ASSERT_TRUE(lockHolder.holding());
    std::vector<std::string> expected = namesIn(".");
    expected.erase(std::find(expected.begin(), expected.end(), stale));
    ReplacingFile file;
    ASSERT_TRUE(file.open("out.bin"));
    EXPECT_EQ(namesIn("."), expected);
    file.abandon();

    // Named temporary files being written, by another process and by this one, stay.
    replaceFileForceNamedTemporary(true);
    HoldingChild writer([](const std::function<void()>& held) {
        ReplacingFile theirs;
        if (theirs.open("theirs.bin") && writeAll(theirs, "being written")) held();
    });
    ASSERT_TRUE(writer.holding());
    ReplacingFile mine;
    ASSERT_TRUE(mine.open("mine.bin"));
    ASSERT_TRUE(writeAll(mine, "being written here"));
    replaceFileForceNamedTemporary(false);
    expected = namesIn(".");
    ASSERT_EQ(expected.size(), otherForms.size() + 7);
    ASSERT_TRUE(file.open("out.bin"));
    EXPECT_EQ(namesIn("."), expected);
    file.abandon();
    EXPECT_EQ(mine.commit(), ReplaceResult::written);
    EXPECT_EQ(testsupport::readText("mine.bin"), "being written here");

    // Once their writers are gone, their files are abandoned too.
    lockHolder.release();
    writer.release();
    ASSERT_TRUE(file.open("out.bin"));
    file.abandon();
    expected = otherForms;
    for (const char* name : {".spritebake-1111111111111111.tmp", ".spritebake-2222222222222222.tmp",
                             ".spritebake-3333333333333333.tmp", "target", "mine.bin"}) {
        expected.emplace_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn("."), expected);
    EXPECT_EQ(testsupport::readText("target"), "a link's target");
}

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
