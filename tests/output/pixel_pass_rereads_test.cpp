// The pixel pass reads every source as it is then, whatever the listing saw. A file changed
// between the two passes without a sign in its stamp must give its new pixels, or the
// changed-source line when its box moved, never the old box cut out of new bytes: rewritten at
// the same size with its modification time put back (as `cp -p` and `utimensat` do), or written
// through a shared mapping whose pages were already dirty (which changes no time at all).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "control/driver.hpp"
#include "filesys/file_access.hpp"
#include "output/output_files.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// What the hook writes over the source, and where.
std::string rewritePath;
std::vector<uint8_t> rewriteBytes;
uint8_t* sharedMapping = nullptr;  // the source mapped shared, when it is written through it

// Rewrites the file in place (same inode, same size) and puts its times back, or writes the new
// bytes through the mapping.
void rewriteKeepingTimes(int32_t, const std::string&) {
    if (sharedMapping != nullptr) {
        std::copy(rewriteBytes.begin(), rewriteBytes.end(), sharedMapping);
        return;
    }
    struct stat before {};
    if (stat(rewritePath.c_str(), &before) != 0) return;
    testsupport::writeFile(rewritePath, rewriteBytes);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    utimensat(AT_FDCWD, rewritePath.c_str(), times, 0);
}

// Runs `control` in a child whose pixel pass finds the source changed. Through a mapping, the
// child maps the source itself and writes to it once, so that its later write through the
// mapping meets no fault that would stamp the file with a new time.
testsupport::ChildResult runRewriting(const BakeDir& dir, const std::string& control, bool mapped) {
    const std::string folder = dir.path("");
    return testsupport::runInChild([&] {
        if (chdir(folder.c_str()) != 0) _exit(9);
        if (mapped) {
            const int fd = open(rewritePath.c_str(), O_RDWR);
            void* map =
                mmap(nullptr, rewriteBytes.size(), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            close(fd);
            if (map == MAP_FAILED) _exit(8);
            sharedMapping = static_cast<uint8_t*>(map);
            volatile uint8_t* first = sharedMapping;
            *first = static_cast<uint8_t>(*first ^ 0);
        }
        // Settled for longer than any file-system clock tick, so that nothing about the
        // file's age sends it down a full read on its own.
        usleep(2'200'000);
        fileSystemInit("", nullptr);
        setPixelPassHook(rewriteKeepingTimes);
        const ExitStatus status = runControlTextWithOutput(control, "sprites.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
}

TEST(PixelPass, ASourceChangedWithoutASignInItsStampIsReadAsItIsNow) {
    const Picture listed = boxPicture(20, 12, 3, 2, 9, 7);
    Picture sameBox = boxPicture(20, 12, 3, 2, 9, 7);
    for (Rgba& p : sameBox.pixels) {
        if (p.a != 0) p.g = static_cast<uint8_t>(p.g ^ 0x5A);  // new colours, the same box
    }
    // One visible pixel added outside the box: the box grows.
    Picture grown = listed;
    grown.at(19, 11) = Rgba{1, 2, 3, 255};

    struct Case {
        const char* what;
        const Picture& rewritten;
        std::string out;
        std::vector<uint8_t> block;
    };
    const Case cases[] = {
        {"same box, new pixels", sameBox, "", rgbaBlock(sameBox, 3, 2, 9, 7)},
        {"a pixel added outside the box", grown,
         "Warning, art/hero.tga changed since it was listed, writing blank pixels.\n",
         std::vector<uint8_t>(9 * 7 * 4, 0)},
    };
    for (const bool mapped : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (mapped ? ", through a shared mapping" : ""));
            BakeDir dir;
            dir.writeTga("art/hero.tga", listed);
            rewritePath = dir.path("art/hero.tga");
            rewriteBytes = tgaFile(c.rewritten);
            ASSERT_EQ(rewriteBytes.size(), tgaFile(listed).size());
            const testsupport::ChildResult result =
                runRewriting(dir, kHead + "BIN\nWriteOneFile s.bin\nTGA hero\n", mapped);
            EXPECT_EQ(result.exitStatus, 0);
            EXPECT_EQ(result.out, c.out);
            const std::vector<uint8_t> file = dir.read("out/s.bin");
            ASSERT_EQ(file.size(), 4 + 32 + c.block.size());
            EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), file.begin() + 36));
        }
    }
}

}  // namespace
}  // namespace drivertest
