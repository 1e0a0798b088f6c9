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

#include "console/console.hpp"
#include "filesys/allocate.hpp"
#include "filesys/file_access.hpp"
#include "filesys/internal.hpp"

namespace {

constexpr size_t FIRST_CHUNK = size_t{64} << 10;
constexpr size_t LARGEST_CHUNK = size_t{32} << 20;
constexpr size_t MAX_STREAM = INT32_MAX;  // 2^31 bytes or more are refused, never cut short

ssize_t readRetrying(int fd, uint8_t* dst, size_t count) {
    ssize_t n;
    do {
        n = read(fd, dst, count);
    } while (n < 0 && errno == EINTR);
    return n;
}

// Reads `fd` to its end. Returns the bytes in `block` and their count; 0 with the alloc line
// when the stream passes the limit or memory runs out; -1 when a read fails. The bytes are read
// into chunks and joined once at the end: a growing block would copy itself at every step and
// hold two copies at once, so an endless stream would take half as much again past the limit.
int32_t readStream(int fd, const char* shownName, FileBlock& block) {
    std::vector<std::vector<uint8_t>> chunks;
    size_t have = 0;
    // What the read gives when an allocation failed on the way.
    constexpr int32_t NO_MEMORY = -2;
    const int32_t result = tryWithMemory(
        [&]() -> int32_t {
            for (;;) {
                if (chunks.empty() || chunks.back().size() == chunks.back().capacity()) {
                    if (have == MAX_STREAM) {
                        // Full: one byte more decides between a stream of exactly the limit and one
                        // past it.
                        uint8_t extra = 0;
                        const ssize_t n = readRetrying(fd, &extra, 1);
                        if (n < 0) return -1;
                        if (n == 0) break;
                        chunks.clear();
                        printMessage(MessageId::loadAllocFailed,
                                     "loadFile failed to alloc for %s, load skipped.\n", shownName);
                        return 0;
                    }
                    const size_t size =
                        std::min({MAX_STREAM - have, LARGEST_CHUNK, std::max(FIRST_CHUNK, have)});
                    chunks.emplace_back();
                    chunks.back().reserve(size);
                }
                std::vector<uint8_t>& chunk = chunks.back();
                const size_t room = chunk.capacity() - chunk.size();
                const size_t at = chunk.size();
                chunk.resize(chunk.capacity());
                const ssize_t n = readRetrying(fd, chunk.data() + at, room);
                chunk.resize(at + static_cast<size_t>(n > 0 ? n : 0));
                if (n < 0) return -1;
                if (n == 0) break;
                have += static_cast<size_t>(n);
            }
            auto owned = tryAllocate<uint8_t>(have);
            if (!owned) return NO_MEMORY;
            size_t at = 0;
            for (std::vector<uint8_t>& chunk : chunks) {
                if (!chunk.empty()) std::memcpy(owned.get() + at, chunk.data(), chunk.size());
                at += chunk.size();
                std::vector<uint8_t>().swap(chunk);  // each chunk's memory goes as it is copied
            }
            block.own(std::move(owned));
            return static_cast<int32_t>(have);
        },
        NO_MEMORY);
    if (result == NO_MEMORY) {
        printMessage(MessageId::loadAllocFailed, "loadFile failed to alloc for %s, load skipped.\n",
                     shownName);
        return 0;
    }
    return result;
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
