// Reading part of a file that must be the very version seen before: the stamp that tells
// versions apart, and the read that checks it on the open file.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "filesys/file_layer.hpp"
#include "filesys/internal.hpp"

namespace {

constexpr int64_t NS_PER_SECOND = 1'000'000'000;

int64_t nanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * NS_PER_SECOND + t.tv_nsec;
}

// Reads until `count` bytes, the end of the file or an error; the bytes read.
size_t readAt(int fd, uint8_t* dst, size_t count, uint64_t offset) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(fd, dst + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

}  // namespace

FileStamp filesys_detail::stampOf(const struct stat& st) {
    FileStamp stamp;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.size = static_cast<int64_t>(st.st_size);
    stamp.modifiedNs = nanoseconds(st.st_mtim);
    stamp.changedNs = nanoseconds(st.st_ctim);
    return stamp;
}

int64_t fileClockNs() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

bool fileReadRangeIfSame(const char* path, const FileStamp& expected, uint64_t offset,
                         uint64_t length, ReusedBuffer& buffer, std::span<const uint8_t>& bytes) {
    bytes = {};
    // As for every read: a name that is no longer a regular file is never opened.
    if (filesys_detail::diskKind(path) != filesys_detail::DiskKind::regular) return false;
    if (expected.size < 0 || offset > static_cast<uint64_t>(expected.size)) return false;
    struct stat st;
    const int32_t fd = filesys_detail::openRegularFile(path, st);
    if (fd < 0) return false;
    if (filesys_detail::stampOf(st) != expected) {
        close(fd);
        return false;
    }
    const uint64_t wanted = std::min(length, static_cast<uint64_t>(expected.size) - offset);
    uint8_t* dst = buffer.reserve(wanted > 0 ? static_cast<size_t>(wanted) : 1);
    if (dst == nullptr) {
        close(fd);
        return false;
    }
    const size_t got = readAt(fd, dst, static_cast<size_t>(wanted), offset);
    close(fd);
    // A file cut short since its stamp was taken would have another size and time; a shorter
    // read is a read error.
    if (got != wanted) return false;
    bytes = {dst, got};
    return true;
}
