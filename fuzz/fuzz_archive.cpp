// Opens arbitrary bytes as a blob archive and looks a few names up in it. Every load must stay
// within the archive's bytes, hand back exactly the bytes at the entry's offset, leave no
// descriptor open, and leak nothing across the layer's reset.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "filesys/blob_archive.hpp"
#include "filesys/file_access.hpp"
#include "filesys/testing.hpp"

namespace {

std::string scratchDir;
std::string archivePath;

// Names that no disk file shadows: they sit in a folder that does not exist.
const std::vector<std::string>& lookupNames() {
    static const std::vector<std::string> names = {
        "fuzzdata/a.txt",
        "FUZZDATA/HERO.TGA",
        "fuzzdata/empty",
        "fuzzdata/" + std::string(200, 'n') + ".bin",
    };
    return names;
}

void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "fuzz_archive: %s\n", what);
        abort();
    }
}

// After an archive hit, the loaded bytes are the archive's bytes at the current entry.
void checkLoaded(const uint8_t* loaded, int32_t count, const uint8_t* input, size_t size) {
    const int64_t offset = curBlobOffset();
    check(offset >= 0 && uint64_t(offset) + uint64_t(count) <= size, "load outside the archive");
    check(count == 0 || memcmp(loaded, input + offset, size_t(count)) == 0, "wrong bytes loaded");
}

void lookUp(const std::string& name, const uint8_t* input, size_t size) {
    FileBlock block;
    int32_t loaded = fileLoad(name.c_str(), block);
    check(loaded <= int32_t(size), "loaded more than the archive holds");
    if (loaded > 0) {
        check(block.ownsBytes() && block.data() != nullptr, "a load without its block");
        check(loaded == curBlobSize(), "load and entry size differ");
        checkLoaded(block.data(), loaded, input, size);
    }

    // A miss costs a few system calls per form; only a hit (or a matching entry whose data was
    // refused) is worth trying the other forms on.
    if (loaded == 0 && curBlobSize() == 0 && curBlobOffset() == 0) return;

    uint8_t small[16];
    int32_t copied = fileLoad(name.c_str(), small, sizeof small);
    check(copied <= int32_t(sizeof small), "read past the caller's buffer");
    if (copied > 0) checkLoaded(small, copied, input, size);

    int32_t h = fileOpen(name.c_str(), FILE_MODE_READ);
    if (h != -1) {
        int32_t length = 0;
        int32_t unpacked = 0;
        fileLength(name.c_str(), h, &length, &unpacked);
        check(length == curBlobSize() && length >= 0, "fileLength disagrees with the entry");
        uint8_t head[8];
        int32_t n = fileRead(h, head, std::min<int32_t>(length, int32_t(sizeof head)));
        check(n >= 0, "read from an archive hit failed");
        checkLoaded(head, n, input, size);
        check(fileClose(h) == 0, "close failed");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The scratch archive is rewritten for every input: a memory-backed folder keeps that cheap.
    const char* tmp = getenv("TMPDIR");
    std::string base = tmp != nullptr && tmp[0] != '\0'            ? tmp
                       : std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                   : "/tmp";
    std::string pattern = base + "/fuzz_archive-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        perror("mkdtemp");
        abort();
    }
    scratchDir = pattern;
    archivePath = pattern + "/archive.blob";
    atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(scratchDir, ignored);
    });
    // The layer reports misses on standard output; keep the fuzzer's console readable.
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t out = fileOpenDisk(archivePath.c_str(), 2);
    if (out == -1 || size > INT32_MAX) abort();
    if (fileWrite(out, data, int32_t(size)) != int32_t(size) || fileClose(out) != 0) abort();

    fileSystemReset();
    fileSystemInit(archivePath.c_str(), nullptr);
    check(
        int64_t(blobEntryCount()) * SIZEOF_BLOB_NODE + 4 <= int64_t(size) || blobEntryCount() == 0,
        "more entries than the file holds");
    for (const std::string& name : lookupNames()) lookUp(name, data, size);

    // No descriptor may stay open: the next one the system hands out is the first free one.
    static int32_t firstFree = -1;
    int32_t probe = fileOpenDisk(archivePath.c_str(), FILE_MODE_READ);
    if (firstFree == -1) firstFree = probe;
    check(probe == firstFree, "a descriptor was left open");
    fileClose(probe);
    fileSystemReset();
    return 0;
}
