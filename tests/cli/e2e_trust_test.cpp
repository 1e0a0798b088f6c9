// The output a game depends on is never lost, mixed or silently wrong: runs that are killed,
// write to odd places, share an output, or meet files that are not regular, end to end.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "filesys/hash.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildLimits;
using testsupport::ChildResult;
using testsupport::ChildStdout;
using testsupport::namesIn;

const Picture kBox = boxPicture(8, 7, 2, 1, 6, 4);  // 6 x 4 visible
const std::vector<uint8_t> kBoxPixels = rgbaBlock(kBox, 2, 1, 6, 4);
const std::string kSheetControl = kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\n";
const std::vector<uint8_t> kSheet =
    concat({words({1, hashName("box"), 1, 1, 0, 0, 6, 4, 0}), kBoxPixels});

// A single state letter from /proc/PID/stat: 'Z' once the process has exited.
char processState(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? 'Z' : text[close + 2];
}

// The size of the file behind the process's descriptor whose link names the output's folder as
// an unnamed temporary file ("FOLDER/#INODE (deleted)") or a named one; -1 while there is none.
int64_t temporaryOutputSize(int pid, const std::string& folder) {
    std::error_code ec;
    const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : fs::directory_iterator(fds, ec)) {
        const std::string link = fs::read_symlink(entry.path(), ec).string();
        if (ec) continue;
        const bool unnamed = link.rfind(folder + "/#", 0) == 0 && link.ends_with(" (deleted)");
        const bool named = link.rfind(folder + "/.spritebake-", 0) == 0;
        if (!unnamed && !named) continue;
        struct stat st;
        if (stat(entry.path().c_str(), &st) == 0) return st.st_size;
    }
    return -1;
}

TEST(Trust, AKilledRunLeavesThePreviousOutputAndNothingElse) {
    BakeDir dir;
    // One large picture listed many times: a pixel pass long enough to be caught while writing.
    dir.writeTga("art/big.tga", boxPicture(256, 256, 0, 0, 256, 256));
    std::string control = kHead + "BIN\nWriteOneFile sheet.bin\n";
    for (int i = 0; i < 400; ++i) control += "TGA big\n";
    dir.writeText("sprites.ctl", control);
    const std::vector<uint8_t> previous = bytesOf("the previous good output");
    testsupport::writeFile(dir.path("out/sheet.bin"), previous);
    const std::string folder = fs::canonical(dir.path("out")).string();

    testsupport::RunningChild child = testsupport::startSpritebake({"sprites.ctl"}, dir.path(""));
    bool caught = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!caught && std::chrono::steady_clock::now() < deadline &&
           processState(child.pid) != 'Z') {
        // Killed only once the temporary file holds pixels: the run is inside its pixel pass.
        if (temporaryOutputSize(child.pid, folder) > (int64_t{1} << 20)) {
            kill(child.pid, SIGKILL);
            caught = true;
        }
    }
    const ChildResult result = testsupport::finishChild(child);
    ASSERT_TRUE(caught) << "the run ended before its pixel pass could be caught";
    EXPECT_EQ(result.signal, SIGKILL);
    EXPECT_EQ(dir.read("out/sheet.bin"), previous);
    EXPECT_EQ(namesIn(dir.path("out")), std::vector<std::string>{"sheet.bin"});
}

TEST(Trust, ClosedOrBrokenStandardOutputStillGivesTheWholeFile) {
    // Messages during both passes: a missing sprite, a HotXY echo and a PCX warning.
    const std::string control = kHead +
                                "BIN\nWriteOneFile sheet.bin\nTGA box\nTGA gone\nHotXY 1 2\n"
                                "PCX warn\nTGA box\n";
    const IndexPicture warn = boxIndexPicture(4, 4, 1, 1, 2, 2);
    std::vector<uint8_t> expected;
    for (ChildStdout mode : {ChildStdout::captured, ChildStdout::closed, ChildStdout::brokenPipe}) {
        BakeDir dir;
        dir.writeTga("art/box.tga", kBox);
        dir.writePcx("art/warn.pcx", warn, 10);
        ChildLimits limits;
        limits.stdoutMode = mode;
        const ChildResult result = dir.run(control, limits);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.signal, 0);
        if (mode == ChildStdout::captured) {
            EXPECT_EQ(result.out,
                      "Couldn't open sprite source art/gone.tga, skipping.\n"
                      "Hotspot XY mode enabled, x: 1 y: 2 \n"
                      "Warning, byte after frame buffer not 12.\n"
                      "Warning, byte after frame buffer not 12.\n");
            expected = dir.read("out/sheet.bin");
            ASSERT_EQ(expected.size(), 4u + 3 * 32 + 2 * kBoxPixels.size() + 4);
        } else {
            EXPECT_EQ(dir.read("out/sheet.bin"), expected);
            EXPECT_EQ(namesIn(dir.path("out")), std::vector<std::string>{"sheet.bin"});
        }
    }
}

TEST(Trust, ASymbolicLinkKeepsItsPlaceAndItsTargetIsReplaced) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    dir.makeDir("store");
    dir.writeText("store/real.bin", "old");
    fs::create_symlink("../store/real.bin", dir.path("out/sheet.bin"));
    // A dangling link: its target is created.
    fs::create_symlink("../store/new.bin", dir.path("out/other.bin"));
    const ChildResult result = dir.run(kSheetControl + "WriteOneFile other.bin\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(fs::is_symlink(dir.path("out/other.bin")));
    EXPECT_EQ(dir.read("store/new.bin"), kSheet);

    const ChildResult again = dir.run(kSheetControl);
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_TRUE(fs::is_symlink(dir.path("out/sheet.bin")));
    EXPECT_EQ(dir.read("store/real.bin"), kSheet);
    EXPECT_EQ(namesIn(dir.path("store")), (std::vector<std::string>{"new.bin", "real.bin"}));
}

TEST(Trust, AHardLinkKeepsTheOldBytesAndTheModeIsKept) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    dir.writeText("out/sheet.bin", "old");
    fs::create_hard_link(dir.path("out/sheet.bin"), dir.path("keep.bin"));
    ASSERT_EQ(chmod(dir.path("out/sheet.bin").c_str(), 0640), 0);
    const ChildResult result = dir.run(kSheetControl);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"), kSheet);
    EXPECT_EQ(dir.readText("keep.bin"), "old");
    struct stat st;
    ASSERT_EQ(stat(dir.path("out/sheet.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new output's mode comes from the umask.
    const mode_t mask = umask(0);
    umask(mask);
    dir.remove("out/sheet.bin");
    EXPECT_EQ(dir.run(kSheetControl).exitStatus, 0);
    ASSERT_EQ(stat(dir.path("out/sheet.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
}

// Makes `relative` a file that is not regular: a FIFO, a link to /dev/zero, a socket, or (the
// reference) a folder.
enum class Special { fifo, devZero, socket, folder };

void makeSpecial(const BakeDir& dir, const std::string& relative, Special kind) {
    const std::string path = dir.path(relative);
    switch (kind) {
        case Special::fifo:
            ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
            break;
        case Special::devZero:
            fs::create_symlink("/dev/zero", path);
            break;
        case Special::socket: {
            const int s = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.size(), sizeof address.sun_path);
            std::copy(path.begin(), path.end(), address.sun_path);
            ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            close(s);  // the socket file stays
            break;
        }
        case Special::folder:
            dir.makeDir(relative);
            break;
    }
}

ChildResult runWithSpecial(const std::string& relative, Special kind, const std::string& control,
                           std::vector<uint8_t>* output) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    makeSpecial(dir, relative, kind);
    const auto start = std::chrono::steady_clock::now();
    ChildResult result = dir.run(control);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10))
        << relative << " made the run wait";
    if (output != nullptr)
        *output = dir.exists("out/sheet.bin") ? dir.read("out/sheet.bin") : std::vector<uint8_t>{};
    return result;
}

TEST(Trust, FilesThatAreNotRegularBehaveAsFolders) {
    struct Case {
        const char* relative;
        std::string control;
    };
    const Case cases[] = {
        {"art/odd.tga", kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\nTGA odd\nTGA box\n"},
        {"art/odd.pcx", kHead + "BIN\nWriteOneFile sheet.bin\nPCX odd\nTGA box\n"},
        {"old.txt",
         "Source art/\nDest out/\nInfoFile old.txt\nBIN\nWriteOneFile sheet.bin\nTGA box\n"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> reference;
        const ChildResult folder =
            runWithSpecial(c.relative, Special::folder, c.control, &reference);
        EXPECT_EQ(folder.exitStatus, 0) << c.relative;
        for (Special kind : {Special::fifo, Special::devZero, Special::socket}) {
            std::vector<uint8_t> output;
            const ChildResult result = runWithSpecial(c.relative, kind, c.control, &output);
            EXPECT_EQ(result.out, folder.out) << c.relative << " kind " << static_cast<int>(kind);
            EXPECT_EQ(result.exitStatus, folder.exitStatus) << c.relative;
            EXPECT_EQ(output, reference) << c.relative;
        }
    }
}

TEST(Trust, AFifoAsTheOutput) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    makeSpecial(dir, "out/sheet.bin", Special::fifo);
    // No reader: it cannot be opened, and the run does not wait for one.
    const ChildResult alone = dir.run(kSheetControl);
    EXPECT_EQ(alone.out, "Couldn't open out/sheet.bin to write single sprite file.\n");
    EXPECT_EQ(alone.exitStatus, 1);

    // With a reader, the output arrives whole through it.
    std::vector<uint8_t> received;
    std::thread reader([&] {
        const int fd = open(dir.path("out/sheet.bin").c_str(), O_RDONLY);
        uint8_t buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
            received.insert(received.end(), buffer, buffer + n);
        }
        close(fd);
    });
    // The reader must be waiting in its open before the run looks for one.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const ChildResult result = dir.run(kSheetControl);
    reader.join();
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(received, kSheet);
}

TEST(Trust, TheControlFileMayBeAPipeButNotADevice) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    makeSpecial(dir, "pipe.ctl", Special::fifo);
    std::thread writer([&] {
        std::ofstream out(dir.path("pipe.ctl"), std::ios::binary);
        out << kSheetControl;
    });
    const ChildResult piped = testsupport::runSpritebake({"pipe.ctl"}, dir.path(""));
    writer.join();
    EXPECT_EQ(piped.out, "");
    EXPECT_EQ(piped.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"), kSheet);

    for (const char* device : {"/dev/zero", "/dev/null"}) {
        const ChildResult result = testsupport::runSpritebake({device}, dir.path(""));
        EXPECT_EQ(result.out,
                  "Couldn't open control file, check path.\n"
                  "Couldn't open  to write the info file.  Info file not written, press key to "
                  "continue.\n")
            << device;
        EXPECT_EQ(result.exitStatus, 1) << device;
    }
}

TEST(Trust, IdCollisionsAreReported) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    for (const char* name : {"enemy_138347", "enemy_144425", "Hero", "HERO", "empty"}) {
        dir.writeTga("art/" + std::string(name) + ".tga", kBox);
    }
    dir.writeTga("art/empty.tga", Picture(4, 4));
    dir.writeTga("art/EMPTY.tga", Picture(3, 3));
    // A file named like a colliding sprite that does not load is never compared.
    dir.writeText("art/HEro.tga", "not a picture");
    // hid 56926405 for both (worked out from the hash by hand for this report).
    const ChildResult result =
        dir.run(kHead +
                "TGA enemy_138347\nTGA enemy_138347\nTGA HEro\nTGA Hero\n"
                "TGA enemy_144425\nTGA HERO\nTGA box\nTGA empty\nTGA EMPTY\n");
    const std::string hero = std::to_string(static_cast<int32_t>(hashName("hero")));
    const std::string empty = std::to_string(static_cast<int32_t>(hashName("empty")));
    EXPECT_EQ(result.out,
              "Warning, couldn't load art/HEro.tga, skipping.\n"
              "Warning, sprites enemy_138347 and enemy_144425 have the same hid 56926405; the "
              "game cannot tell them apart.\n"
              "Warning, sprites Hero and HERO have the same hid " +
                  hero +
                  "; the game cannot tell them apart.\n"
                  "WARNING!  Sprite empty is blank.\n"
                  "WARNING!  Sprite EMPTY is blank.\n"
                  "Warning, sprites empty and EMPTY have the same hid " +
                  empty + "; the game cannot tell them apart.\n");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(Trust, TwoRunsOnOneOutputLeaveOneWholeFile) {
    BakeDir dir;
    dir.writeTga("art/big.tga", boxPicture(128, 128, 0, 0, 128, 128));
    dir.writeTga("art/box.tga", kBox);
    std::string large = kHead + "BIN\nWriteOneFile sheet.bin\n";
    for (int i = 0; i < 200; ++i) large += "TGA big\n";
    dir.writeText("large.ctl", large);
    dir.writeText("small.ctl", kSheetControl);
    ASSERT_EQ(testsupport::runSpritebake({"large.ctl"}, dir.path("")).exitStatus, 0);
    const std::vector<uint8_t> largeBytes = dir.read("out/sheet.bin");
    for (int round = 0; round < 3; ++round) {
        testsupport::RunningChild a = testsupport::startSpritebake({"large.ctl"}, dir.path(""));
        testsupport::RunningChild b = testsupport::startSpritebake({"small.ctl"}, dir.path(""));
        EXPECT_EQ(testsupport::finishChild(a).exitStatus, 0);
        EXPECT_EQ(testsupport::finishChild(b).exitStatus, 0);
        const std::vector<uint8_t> final = dir.read("out/sheet.bin");
        EXPECT_TRUE(final == largeBytes || final == kSheet)
            << "a mixture of " << final.size() << " bytes";
        EXPECT_EQ(namesIn(dir.path("out")), std::vector<std::string>{"sheet.bin"});
    }
}

// strace stops a run at its rename to kill it there, hold it there or have the rename refused.
const std::string STRACE = "/usr/bin/strace";

bool straceCanTrace() {
    if (access(STRACE.c_str(), X_OK) != 0) return false;
    return testsupport::runProgram(STRACE, {"-qq", "-o", "/dev/null", "/bin/true"}, "/")
               .exitStatus == 0;
}

std::vector<std::string> underStrace(const std::string& injection,
                                     const std::vector<std::string>& args) {
    // The leak checker of a sanitizer build cannot run under a tracer.
    std::vector<std::string> all = {"-qq",
                                    "-o",
                                    "/dev/null",
                                    "-E",
                                    "LSAN_OPTIONS=detect_leaks=0",
                                    "-e",
                                    "inject=rename,renameat,renameat2:" + injection,
                                    "--",
                                    testsupport::spritebakePath()};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

// The form of the writer's temporary file names: ".spritebake-" + 16 lower-case hex + ".tmp".
bool isTemporaryName(const std::string& name) {
    if (name.size() != 32 || name.rfind(".spritebake-", 0) != 0 || !name.ends_with(".tmp")) {
        return false;
    }
    return std::all_of(name.begin() + 12, name.end() - 4,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

TEST(Trust, AKillAtTheRenameLeavesATemporaryFileUntilTheNextRunInItsFolder) {
    if (!straceCanTrace()) GTEST_SKIP() << "strace is not installed or cannot trace here";
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    dir.writeText("sprites.ctl", kSheetControl);
    dir.writeText("out/sheet.bin", "the previous good output");
    const ChildResult killed =
        testsupport::runProgram(STRACE, underStrace("signal=KILL", {"sprites.ctl"}), dir.path(""));
    EXPECT_TRUE(killed.signal == SIGKILL || killed.exitStatus == 128 + SIGKILL);
    const std::vector<std::string> left = namesIn(dir.path("out"));
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(isTemporaryName(left[0])) << left[0];
    EXPECT_EQ(dir.read("out/" + left[0]), kSheet);  // the whole new output
    EXPECT_EQ(left[1], "sheet.bin");
    EXPECT_EQ(dir.readText("out/sheet.bin"), "the previous good output");

    // The next run writing into that folder removes it, whichever file it writes there.
    const ChildResult next = dir.run(kHead + "BIN\nWriteOneFile other.bin\nTGA box\n");
    EXPECT_EQ(next.out, "");
    EXPECT_EQ(next.exitStatus, 0);
    EXPECT_EQ(namesIn(dir.path("out")), (std::vector<std::string>{"other.bin", "sheet.bin"}));
}

// A run held at its rename (its temporary file then has a name) while another run writes into
// the same folder: the other run must leave that file alone, or the first one's rename fails.
TEST(Trust, ARunNeverRemovesTheTemporaryFileOfALiveRun) {
    if (!straceCanTrace()) GTEST_SKIP() << "strace is not installed or cannot trace here";
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    dir.writeText("sprites.ctl", kSheetControl);
    dir.writeText("other.ctl", kHead + "BIN\nWriteOneFile other.bin\nTGA box\n");
    testsupport::RunningChild held = testsupport::startProgram(
        STRACE, underStrace("delay_enter=3000000", {"sprites.ctl"}), dir.path(""));
    bool named = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!named && std::chrono::steady_clock::now() < deadline) {
        const std::vector<std::string> names = namesIn(dir.path("out"));
        named = std::any_of(names.begin(), names.end(), isTemporaryName);
        if (!named) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const ChildResult other = testsupport::runSpritebake({"other.ctl"}, dir.path(""));
    const ChildResult first = testsupport::finishChild(held);
    ASSERT_TRUE(named) << "the held run never named its temporary file";
    EXPECT_EQ(other.exitStatus, 0);
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"), kSheet);
    EXPECT_EQ(namesIn(dir.path("out")), (std::vector<std::string>{"other.bin", "sheet.bin"}));
}

struct RefusedRenameCase {
    const char* name;
    std::string injection;
    std::vector<std::string> args;
    std::string out;
    bool outputReplaced;
};

class RefusedRename : public ::testing::TestWithParam<RefusedRenameCase> {};

// Every byte was written, only the rename was refused (a mount point, a sticky folder): the
// line says so, the previous file stays and nothing else is left in the folder.
TEST_P(RefusedRename, KeepsThePreviousFileAndExitsWithOne) {
    if (!straceCanTrace()) GTEST_SKIP() << "strace is not installed or cannot trace here";
    const RefusedRenameCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    dir.writeText("sprites.ctl", kSheetControl);
    dir.writeText("out/sheet.bin", "the previous output");
    dir.writeText("out/sheet.json", "the previous manifest");
    const ChildResult result =
        testsupport::runProgram(STRACE, underStrace(c.injection, c.args), dir.path(""));
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, 1);
    if (c.outputReplaced) {
        EXPECT_EQ(dir.read("out/sheet.bin"), kSheet);
    } else {
        EXPECT_EQ(dir.readText("out/sheet.bin"), "the previous output");
    }
    EXPECT_EQ(dir.readText("out/sheet.json"), "the previous manifest");
    EXPECT_EQ(namesIn(dir.path("out")), (std::vector<std::string>{"sheet.bin", "sheet.json"}));
}

const RefusedRenameCase kRefusedRenameCases[] = {
    {"TheOutput",
     "error=EBUSY:when=1",
     {"sprites.ctl"},
     "Couldn't replace out/sheet.bin (Device or resource busy), previous output kept.\n",
     false},
    // The output was renamed first; the manifest's rename is the second.
    {"AFileBesideIt",
     "error=EPERM:when=2",
     {"--manifest=out/sheet.json", "sprites.ctl"},
     "Couldn't replace out/sheet.json (Operation not permitted), previous output kept.\n",
     true},
};

INSTANTIATE_TEST_SUITE_P(Trust, RefusedRename, ::testing::ValuesIn(kRefusedRenameCases),
                         [](const ::testing::TestParamInfo<RefusedRenameCase>& info) {
                             return std::string(info.param.name);
                         });

// --if-changed: a new output that is the beginning of the old one is a different file.
TEST(Trust, IfChangedReplacesALongerOutputThatBeginsWithTheNewBytes) {
    for (const char* control :
         {"BIN\nWriteOneFile sheet.bin\nTGA box\n", "WriteOneFile sheet.bin\nTGA box\n"}) {
        BakeDir dir;
        dir.writeTga("art/box.tga", kBox);
        dir.writeText("sprites.ctl", kHead + control);
        ASSERT_EQ(testsupport::runSpritebake({"sprites.ctl"}, dir.path("")).exitStatus, 0);
        const std::vector<uint8_t> fresh = dir.read("out/sheet.bin");
        std::vector<uint8_t> longer = fresh;
        longer.push_back('!');
        testsupport::writeFile(dir.path("out/sheet.bin"), longer);
        const ChildResult result =
            testsupport::runSpritebake({"--if-changed", "sprites.ctl"}, dir.path(""));
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(dir.read("out/sheet.bin"), fresh);
    }
}

}  // namespace
}  // namespace drivertest
