// Whole-file loads of the control text, which may come through a pipe: a FIFO (a shell's
// `<(...)`) or standard input is read to its end, up to the layer's 2^31-byte limit.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "filesys/file_layer.hpp"
#include "filesys/internal.hpp"

namespace {

constexpr size_t FIRST_CHUNK = size_t{64} << 10;
constexpr size_t MAX_STREAM = INT32_MAX;  // 2^31 bytes or more are refused, never cut short

// Reads `fd` to its end. Returns the bytes in `block` and their count; 0 with the alloc line
// when the stream reaches the limit or memory runs out; -1 when a read fails.
int32_t readStream(int fd, const char* shownName, FileBlock& block) {
    std::vector<uint8_t> bytes;
    size_t have = 0;
    try {
        for (;;) {
            if (have == bytes.size()) {
                if (bytes.size() >= MAX_STREAM) {
                    std::printf("loadFile failed to alloc for %s, load skipped.\n", shownName);
                    return 0;
                }
                bytes.resize(std::min(MAX_STREAM, std::max(FIRST_CHUNK, bytes.size() * 2)));
            }
            ssize_t n = read(fd, bytes.data() + have, bytes.size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return -1;
            if (n == 0) break;
            have += static_cast<size_t>(n);
        }
        auto owned = filesys_detail::allocateBlock<uint8_t>(have);
        if (!owned) throw std::bad_alloc();
        if (have > 0) std::memcpy(owned.get(), bytes.data(), have);
        block.own(std::move(owned));
    } catch (const std::bad_alloc&) {
        std::printf("loadFile failed to alloc for %s, load skipped.\n", shownName);
        return 0;
    }
    return static_cast<int32_t>(have);
}

}  // namespace

int32_t fileLoadControl(const char* name, FileBlock& block) {
    block.reset();
    if (!filesys_detail::pathUsable(name)) return fileLoad(name, block);
    struct stat st;
    if (stat(name, &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        return fileLoad(name, block);  // missing (the archive may have it), regular, or a folder
    }
    if (!S_ISFIFO(st.st_mode)) return 0;  // a device or socket: never opened
    int fd;
    do {
        fd = open(name, O_RDONLY | O_NOCTTY | O_CLOEXEC);  // waits for a writer, as a pipe should
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    const int32_t result = readStream(fd, name, block);
    close(fd);
    return result;
}

int32_t fileLoadStandardInput(FileBlock& block) {
    block.reset();
    return readStream(STDIN_FILENO, "-", block);
}
