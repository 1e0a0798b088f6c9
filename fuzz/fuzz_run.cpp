// libFuzzer target for a whole run: any bytes as a control file, first through the lint (which
// must write nothing), then through the statement loop and the output stage, in a scratch
// folder that holds a small fixed set of sprites (TGA files of several types, PCX files, files
// that do not load, folders named like sprites) and two info files to read back. A run that reports
// success must have written an output that announces the number of sprites in its table.
//
// The process makes its scratch folder with mkdtemp and moves into it before the first input.
// The file layer's confinement keeps every path of a run inside it: absolute paths and paths
// that climb with ".." are not found and cannot be created. After each input everything the
// run created is removed and every fixed file the run overwrote is written back, so each input
// finds the same folder. The folder is removed when the process exits normally.
//
// Because of that move, LLVMFuzzerInitialize makes libFuzzer's own paths absolute (corpus
// folders, input files, the artifact prefix), so corpus entries and crash files still land
// where the caller asked, relative to the folder the fuzzer was started in.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "check/check.hpp"
#include "control/driver.hpp"
#include "output/output_files.hpp"
#include "control/driver_state.hpp"
#include "filesys/file_access.hpp"
#include "filesys/testing.hpp"
#include "image/tga.hpp"
#include "scanner/scanner.hpp"

namespace {

namespace fs = std::filesystem;

// The name the control file goes by in messages.
constexpr const char* CONTROL_NAME = "fuzz.ctl";

// More than any TGA file written here holds.
constexpr size_t TGA_FILE_LIMIT = 4096;

// The folders, "." first; the two named like sprites are sources that exist but are no files.
constexpr const char* FIXED_DIRS[] = {".", "art", "out", "art/dir.tga", "art/dir.pcx"};

struct FixedFile {
    std::string path;  // relative to the scratch folder
    std::vector<uint8_t> bytes;
};

struct DirCloser {
    void operator()(DIR* stream) const { closedir(stream); }
};

// A folder and the names that belong in it. Its stream stays open; rewinddir reads the
// folder afresh, so checking it after an input allocates nothing.
struct FixedDir {
    std::string path;
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> stream;
};

struct Scratch {
    std::string root;  // absolute, as mkdtemp made it
    int rootFd = -1;
    std::vector<FixedFile> files;
    std::vector<FixedDir> dirs;
    std::vector<uint8_t> buffer;      // reused by every comparison
    std::vector<std::string> strays;  // reused by every folder check
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

// ---- Plain file access relative to the scratch folder ----
// The harness opens files itself, outside the file layer, so its checks never depend on the
// code under test. Every path is relative: its own, or one the confined run has just written.

// Reads up to `limit` bytes of the file into the shared buffer; returns the count, or -1
// when it cannot be opened.
int64_t readHead(const std::string& path, size_t limit) {
    Scratch& s = scratch();
    const int fd = openat(s.rootFd, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    s.buffer.resize(limit);
    size_t got = 0;
    while (got < limit) {
        const ssize_t n = read(fd, s.buffer.data() + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    return static_cast<int64_t>(got);
}

bool writeWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd =
        openat(scratch().rootFd, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return close(fd) == 0 && done == bytes.size();
}

// Whether the file holds exactly `bytes`: one byte more is asked for, so a longer file shows.
bool holds(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int64_t got = readHead(path, bytes.size() + 1);
    return got == static_cast<int64_t>(bytes.size()) &&
           std::equal(bytes.begin(), bytes.end(), scratch().buffer.begin());
}

// ---- The fixed files ----

std::vector<uint8_t> textBytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// An 8-bit PCX file: the 128-byte header, `data` as the encoded scan lines, then the 12 marker
// and a 768-byte palette unless the file is to end with its data.
std::vector<uint8_t> pcxBytes(int width, int height, int bytesPerLine,
                              std::initializer_list<uint8_t> data, bool withPalette) {
    std::vector<uint8_t> file(128, 0);
    file[0] = 10;  // manufacturer
    file[1] = 5;   // version
    file[2] = 1;   // run-length encoding
    file[3] = 8;   // bits per pixel
    file[8] = static_cast<uint8_t>(width - 1);
    file[10] = static_cast<uint8_t>(height - 1);
    file[65] = 1;  // planes
    file[66] = static_cast<uint8_t>(bytesPerLine);
    file.insert(file.end(), data);
    if (withPalette) {
        file.push_back(12);
        for (int i = 0; i < 768; ++i) file.push_back(static_cast<uint8_t>(i * 7));
    }
    return file;
}

// Hand-built PCX files: a sprite with a transparent border (index 255) and literal bytes of
// 0xC0 and above, an odd width padded to an even BytesPerLine, data that ends too soon, a run
// that reaches past the image, a file too short for its header, and an empty file.
std::vector<FixedFile> pcxFiles() {
    std::vector<FixedFile> files;
    files.push_back({"art/boom.pcx",
                     pcxBytes(6, 5, 6, {0xC6, 0xFF,                                      // row 0
                                        0xC1, 0xFF, 0x01, 0xC2, 0x02, 0xC2, 0xFF,        // row 1
                                        0xC1, 0xFF, 0x03, 0xC1, 0xC5, 0x04, 0xC2, 0xFF,  // row 2
                                        0xC2, 0xFF, 0x05, 0xC3, 0xFF,                    // row 3
                                        0xC6, 0xFF},                                     // row 4
                              true)});
    files.push_back(
        {"art/odd.pcx", pcxBytes(3, 2, 4, {0x07, 0xC1, 0xFF, 0x09, 0x00, 0xC3, 0x08, 0x00}, true)});
    files.push_back({"art/short.pcx", pcxBytes(4, 4, 4, {0xC4, 0xFF, 0x01, 0x02}, false)});
    files.push_back({"art/run.pcx", pcxBytes(2, 2, 2, {0xC5, 0x07, 0x33}, true)});
    std::vector<uint8_t> junk = pcxBytes(4, 4, 4, {}, false);
    junk.resize(40);
    files.push_back({"art/junk.pcx", junk});
    files.push_back({"art/empty.pcx", {}});
    return files;
}

// A w x h picture whose visible pixels fill the box at (x, y) of size bw x bh with colours of
// their own, some of them partly transparent; pixels of `format` bytes, premultiplied.
std::vector<uint8_t> boxPixels(int w, int h, int x, int y, int bw, int bh, int format) {
    std::vector<uint8_t> pixels(static_cast<size_t>(w * h * format), 0);
    for (int row = y; row < y + bh; ++row) {
        for (int col = x; col < x + bw; ++col) {
            uint8_t* p = &pixels[static_cast<size_t>((row * w + col) * format)];
            const int alpha = format == 4 && (row + col) % 3 == 0 ? 128 : 255;
            p[0] = static_cast<uint8_t>((col * 40) % alpha);
            p[1] = static_cast<uint8_t>((row * 50) % alpha);
            p[2] = static_cast<uint8_t>((col * row * 9) % alpha);
            if (format == 4) p[3] = static_cast<uint8_t>(alpha);
        }
    }
    return pixels;
}

// TGA files made by the project's writers (32-bit raw and run-length, 24-bit raw and
// run-length, an all-transparent one), plus a picture cut off inside its pixel data, a file
// too short for a header, and an empty file.
bool addTgaFiles(std::vector<FixedFile>& files) {
    const std::vector<uint8_t> hero = boxPixels(7, 6, 2, 1, 4, 3, 4);
    const std::vector<uint8_t> gem = boxPixels(9, 4, 1, 0, 8, 2, 4);
    const std::vector<uint8_t> wall = boxPixels(5, 3, 0, 0, 5, 3, 3);
    const std::vector<uint8_t> ghost(4 * 4 * 4, 0);
    const std::vector<uint8_t> coin = boxPixels(3, 3, 1, 1, 1, 1, 3);
    const bool written = writeTgaRaw("art/hero.tga", 7, 6, hero.data(), 4) == 1 &&
                         writeTgaRle("art/gem.tga", 9, 4, gem.data(), 4) == 1 &&
                         writeTgaRaw("art/wall.tga", 5, 3, wall.data(), 3) == 1 &&
                         writeTgaRaw("art/ghost.tga", 4, 4, ghost.data(), 4) == 1 &&
                         writeTgaRle("coin.tga", 3, 3, coin.data(), 3) == 1;
    if (!written) return false;
    const size_t first = files.size();
    for (const char* path :
         {"art/hero.tga", "art/gem.tga", "art/wall.tga", "art/ghost.tga", "coin.tga"}) {
        const int64_t got = readHead(path, TGA_FILE_LIMIT);
        if (got < 0) return false;
        const std::vector<uint8_t>& buffer = scratch().buffer;
        files.push_back({path, {buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(got)}});
    }
    std::vector<uint8_t> cut = files[first].bytes;  // hero's header and the start of its pixels
    cut.resize(50);
    files.push_back({"art/cut.tga", cut});
    files.push_back({"art/junk.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0}});
    files.push_back({"art/empty.tga", {}});
    return true;
}

// Info files to read back: one as a run writes it, one with a bad count and a cut-off entry.
std::vector<FixedFile> infoFiles() {
    return {
        {"info.txt", textBytes("2 sprites\n"
                               "hid 1 hotspot method UpLeft padding 1  hx 0  hy 0  wd 4  ht 3\n"
                               "hid -7 hotspot method HotXY padding 0  hx -3  hy 9  wd 8  ht 2\n")},
        {"bad.txt", textBytes("-5 sprites\nhid 12 hotspot method Sideways padding")},
    };
}

// Lists `path` (a fixed file or folder) among the names of the folder that holds it.
void addName(std::vector<FixedDir>& dirs, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash);
    for (FixedDir& dir : dirs) {
        if (dir.path == parent) dir.names.push_back(path.substr(slash + 1));
    }
}

bool makeScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "spritebake_fuzz_run.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return false;
    Scratch& s = scratch();
    s.root = pattern;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch().root, ignored);
    });
    if (chdir(s.root.c_str()) != 0) return false;
    s.rootFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (s.rootFd < 0) return false;
    for (const char* path : FIXED_DIRS) {
        std::error_code error;
        fs::create_directories(path, error);
        if (error) return false;
    }

    std::vector<FixedFile> files = pcxFiles();
    for (FixedFile& file : infoFiles()) files.push_back(std::move(file));
    if (!addTgaFiles(files)) return false;
    for (const FixedFile& file : files) {
        if (!writeWhole(file.path, file.bytes)) return false;
    }
    s.files = std::move(files);

    for (const char* path : FIXED_DIRS) {
        FixedDir dir;
        dir.path = path;
        dir.stream.reset(opendir(path));
        if (!dir.stream) return false;
        s.dirs.push_back(std::move(dir));
    }
    for (const char* path : FIXED_DIRS) addName(s.dirs, path);
    for (const FixedFile& file : s.files) addName(s.dirs, file.path);
    return true;
}

// Removes whatever a run created and writes back every fixed file it changed or removed.
void restoreScratchFolder() {
    Scratch& s = scratch();
    for (FixedDir& dir : s.dirs) {
        s.strays.clear();
        rewinddir(dir.stream.get());
        while (const dirent* entry = readdir(dir.stream.get())) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (std::find(dir.names.begin(), dir.names.end(), name) == dir.names.end()) {
                s.strays.emplace_back(name);
            }
        }
        for (const std::string& name : s.strays) {
            // A run creates files only; anything else would be removed with its contents.
            if (unlinkat(dirfd(dir.stream.get()), name.c_str(), 0) != 0) {
                std::error_code ignored;
                fs::remove_all(s.root + "/" + dir.path + "/" + name, ignored);
            }
        }
    }
    for (const FixedFile& file : s.files) {
        if (!holds(file.path, file.bytes)) writeWhole(file.path, file.bytes);
    }
}

// Every process-wide setting back where a fresh process has it, with the file layer confined
// to the scratch folder. runControlTextWithOutput resets the driver state itself.
void resetProcessState() {
    fileSystemReset();
    fileSystemInit("", nullptr);
    fileSetConfinement(true);
    setScanUpperCase(0);
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

// A check run writes nothing: no folder gains an entry and every fixed file keeps its bytes.
void checkNothingWritten() {
    Scratch& s = scratch();
    for (FixedDir& dir : s.dirs) {
        rewinddir(dir.stream.get());
        while (const dirent* entry = readdir(dir.stream.get())) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (std::find(dir.names.begin(), dir.names.end(), name) == dir.names.end()) {
                fail("the check created", dir.path + "/" + std::string(name));
            }
        }
    }
    for (const FixedFile& file : s.files) {
        if (!holds(file.path, file.bytes)) fail("the check changed", file.path);
    }
}

// A complete output announces the sprites the table holds: "N sprites\n" for the info file
// and the text header, the count word for the binary header.
void checkOutput(ExitStatus status) {
    if (status != ExitStatus::done && status != ExitStatus::notWritten) {
        fail("unexpected exit status", std::to_string(static_cast<int>(status)));
    }
    if (status != ExitStatus::done) return;
    const DriverState& state = driverState();
    const bool single = state.writeOneFile != 0;
    const std::string path = single ? state.destDir + state.singleFileName : state.infoFileName;
    const std::vector<uint8_t>& bytes = scratch().buffer;
    std::vector<uint8_t> head;
    if (single && state.writeBinary != 0) {
        const uint32_t count = static_cast<uint32_t>(state.spriteCount);
        head = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    } else {
        head = textBytes(std::to_string(state.spriteCount) + " sprites\n");
    }
    const int64_t got = readHead(path, head.size());
    if (got != static_cast<int64_t>(head.size()) ||
        !std::equal(head.begin(), head.end(), bytes.begin())) {
        fail("output does not announce the sprite count", path);
    }
}

// ---- libFuzzer's paths ----

std::string madeAbsolute(const std::string& base, const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return base + "/" + path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    std::error_code error;
    const std::string base = fs::current_path(error).string();
    if (error) return 0;
    // The rewritten arguments must outlive libFuzzer's use of them: the whole process.
    static std::vector<std::string> store;
    static std::vector<char*> pointers;
    bool prefixGiven = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        if (i > 0 && !arg.empty() && arg[0] != '-') {
            arg = madeAbsolute(base, arg);  // a corpus folder or an input file
        } else {
            for (std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict="}) {
                if (arg.compare(0, flag.size(), flag) == 0) {
                    arg = std::string(flag) + madeAbsolute(base, arg.substr(flag.size()));
                    if (flag == "-artifact_prefix=") prefixGiven = true;
                }
            }
        }
        store.push_back(std::move(arg));
    }
    if (!prefixGiven) store.push_back("-artifact_prefix=" + base + "/");
    for (std::string& arg : store) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(store.size());
    *argv = pointers.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Made on the first input, not at start-up: with -jobs the parent process runs no input
    // and stays where it was started, writing its workers' logs there.
    static const bool ready = makeScratchFolder();
    if (!ready) fail("could not prepare the scratch folder", scratch().root);
    resetProcessState();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The lint reads the same text first and must leave the folder as it found it.
    const ExitStatus checked = runCheckText(text, CONTROL_NAME);
    if (checked != ExitStatus::done && checked != ExitStatus::problems) {
        fail("unexpected check status", std::to_string(static_cast<int>(checked)));
    }
    checkNothingWritten();
    resetProcessState();
    const ExitStatus status = runControlTextWithOutput(text, CONTROL_NAME);
    checkOutput(status);
    restoreScratchFolder();
    return 0;
}
