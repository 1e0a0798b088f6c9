// The operating system's file calls (open, read, write, lseek, close, stat, fstat, unlink): the
// one place in the program that makes them. Owns the confinement switch.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <span>
#include <vector>

#include "filesys/allocate.hpp"
#include "filesys/disk_read.hpp"
#include "filesys/file_access.hpp"
#include "filesys/internal.hpp"
#include "filesys/testing.hpp"

namespace {

bool confined = false;

// Largest size the layer's signed 32-bit counts can hold.
constexpr int64_t MAX_LAYER_SIZE = INT32_MAX;

// With confinement on: an absolute path, or one with a ".." component, is out of bounds.
bool outOfBounds(const char* path) {
    if (!confined) return false;
    if (path[0] == '/') return true;
    const char* part = path;
    for (;;) {
        const char* end = strchr(part, '/');
        size_t length = end != nullptr ? static_cast<size_t>(end - part) : strlen(part);
        if (length == 2 && part[0] == '.' && part[1] == '.') return true;
        if (end == nullptr) return false;
        part = end + 1;
    }
}

}  // namespace

// Whether `path` may be used at all; sets errno as a missing file would when it may not.
bool filesys_detail::pathUsable(const char* path) {
    if (path == nullptr) {
        errno = EFAULT;
        return false;
    }
    if (outOfBounds(path)) {
        errno = ENOENT;
        return false;
    }
    return true;
}

namespace {

bool usable(const char* path) {
    return filesys_detail::pathUsable(path);
}

}  // namespace

void fileSetConfinement(bool on) {
    confined = on;
}

int32_t fileOpenDisk(const char* name, int32_t mode, int32_t /*permission: not consulted*/) {
    if (!usable(name)) return -1;
    int fd;
    do {
        if (mode == FILE_MODE_READ) {
            // Never blocks: a FIFO that slipped in after the caller's stat opens at once and is
            // refused below; no terminal becomes the controlling one.
            fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } else {
            fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        }
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (mode == FILE_MODE_READ &&
        filesys_detail::handleKind(fd) == filesys_detail::DiskKind::special) {
        close(fd);
        errno = ENOENT;
        return -1;
    }
    return fd;
}

int32_t fileRead(int32_t handle, void* dst, int32_t count) {
    if (count < 0) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n;
    do {
        n = read(handle, dst, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    return static_cast<int32_t>(n);
}

int32_t fileWrite(int32_t handle, const void* src, int32_t count) {
    if (count < 0) {
        errno = EINVAL;
        return -1;
    }
    const auto* bytes = static_cast<const uint8_t*>(src);
    int32_t done = 0;
    while (done < count) {
        ssize_t n = write(handle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) return -1;  // no progress: treat as a failed write
        done += static_cast<int32_t>(n);
    }
    return done;
}

int64_t fileSeek(int32_t handle, int32_t offset, int32_t origin) {
    static constexpr int ORIGINS[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) {
        errno = EINVAL;
        return -1;
    }
    return lseek(handle, offset, ORIGINS[origin]);
}

int32_t fileClose(int32_t handle) {
    return close(handle);
}

bool fileExistsOnDisk(const char* path) {
    if (!usable(path)) return false;
    struct stat st;
    return stat(path, &st) == 0;
}

DiskEntry fileEntryOnDisk(const char* path) {
    switch (filesys_detail::diskKind(path)) {
        case filesys_detail::DiskKind::missing: return DiskEntry::missing;
        case filesys_detail::DiskKind::regular: return DiskEntry::regular;
        case filesys_detail::DiskKind::directory: return DiskEntry::folder;
        case filesys_detail::DiskKind::special: break;
    }
    return DiskEntry::other;
}

bool fileIsFolderOnDisk(const char* path) {
    return usable(path) && filesys_detail::diskKind(path) == filesys_detail::DiskKind::directory;
}

namespace {

// A descriptor closed when the read is done, whichever way it ends.
struct OpenFile {
    explicit OpenFile(int32_t opened) : fd(opened) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (fd >= 0) close(fd);
    }
    const int32_t fd;
};

// The blocks a read can fill. `grow` makes the block hold at least `count` bytes (false when
// there is no memory for them); `keeps` says whether growing to `count` keeps the bytes
// already read.
struct ReusedBlock {
    ReusedBuffer& buffer;
    bool grow(size_t count) { return buffer.reserve(count > 0 ? count : 1) != nullptr; }
    bool keeps(size_t count) const { return buffer.capacity() >= count; }
    uint8_t* data() { return buffer.data(); }
};

struct VectorBlock {
    std::vector<uint8_t>& bytes;
    bool grow(size_t count) {
        return tryWithMemory(
            [&] {
                bytes.resize(count);
                return true;
            },
            false);
    }
    bool keeps(size_t /*count: a vector keeps its bytes as it grows*/) const { return true; }
    uint8_t* data() { return bytes.data(); }
};

// The one road of readRegularFile; `count` receives the bytes read into the block.
template <class Block>
FileRead readPlanned(const char* path, const ReadOptions& options, Block& block, size_t& count) {
    count = 0;
    // Only a regular file is opened: a FIFO would block and a device may never end.
    if (!options.foundRegular &&
        filesys_detail::diskKind(path) != filesys_detail::DiskKind::regular) {
        return FileRead::unreadable;
    }
    if (!usable(path)) return FileRead::unreadable;
    struct stat st;
    const OpenFile file{filesys_detail::openRegularFile(path, st)};
    if (file.fd < 0) return FileRead::unreadable;
    const auto size = static_cast<size_t>(st.st_size);  // at most 2^31 - 1: checked on open
    const ReadPlan& plan = options.plan;
    const size_t head = std::min(plan.head, size);
    // The block holds what is read: the head alone while the rest may not be wanted.
    if (!block.grow(head)) return FileRead::noMemory;
    int32_t got = 0;
    filesys_detail::readFully(file.fd, block.data(), static_cast<int32_t>(head), &got);
    if (static_cast<size_t>(got) == head && head < size &&
        (plan.wantsRest == nullptr || plan.wantsRest({block.data(), static_cast<size_t>(got)}))) {
        const bool kept = block.keeps(size);
        if (!block.grow(size)) return FileRead::noMemory;
        if (!kept) {
            // A larger block lost the head: it is read again with the rest, from the cache.
            got = 0;
            if (lseek(file.fd, 0, SEEK_SET) != 0) return FileRead::unreadable;
        }
        int32_t more = 0;
        filesys_detail::readFully(file.fd, block.data() + got, static_cast<int32_t>(size) - got,
                                  &more);
        got += more;
    }
    count = static_cast<size_t>(got);
    return FileRead::read;
}

}  // namespace

FileRead readRegularFile(const char* path, ReusedBuffer& buffer, std::span<const uint8_t>& bytes,
                         ReadOptions options) {
    bytes = {};
    ReusedBlock block{buffer};
    size_t count = 0;
    const FileRead result = readPlanned(path, options, block, count);
    if (result == FileRead::read) bytes = {buffer.data(), count};
    return result;
}

FileRead readRegularFile(const char* path, std::vector<uint8_t>& bytes, ReadOptions options) {
    bytes.clear();
    VectorBlock block{bytes};
    size_t count = 0;
    const FileRead result = readPlanned(path, options, block, count);
    if (result == FileRead::read) {
        bytes.resize(count);  // a read error part-way keeps the bytes before it
    } else {
        bytes.clear();
        if (result == FileRead::noMemory) bytes.shrink_to_fit();
    }
    return result;
}

bool fileIsRegular(int32_t handle) {
    struct stat st;
    return fstat(handle, &st) == 0 && S_ISREG(st.st_mode);
}

int32_t fileRemove(const char* path) {
    if (!usable(path)) return -1;
    return unlink(path);
}

namespace filesys_detail {

namespace {

DiskKind kindOf(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return DiskKind::regular;
    if (S_ISDIR(st.st_mode)) return DiskKind::directory;
    return DiskKind::special;
}

}  // namespace

DiskKind diskKind(const char* path) {
    if (!usable(path)) return DiskKind::missing;
    struct stat st;
    if (stat(path, &st) != 0) return DiskKind::missing;
    return kindOf(st);
}

int32_t openRegularFile(const char* path, struct stat& st) {
    int fd;
    do {
        fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    // Checked again on the open file: the name may have been replaced since the stat.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MAX_LAYER_SIZE) {
        close(fd);
        return -1;
    }
    return fd;
}

DiskKind handleKind(int32_t handle) {
    struct stat st;
    if (fstat(handle, &st) != 0) return DiskKind::missing;
    return kindOf(st);
}

int64_t diskFileSize(const char* path) {
    if (!usable(path)) return -1;
    struct stat st;
    if (stat(path, &st) != 0) return -1;
    return st.st_size;
}

int64_t diskHandleSize(int32_t handle) {
    struct stat st;
    if (fstat(handle, &st) != 0) return -1;
    return st.st_size;
}

bool readFully(int32_t handle, uint8_t* dst, int32_t count, int32_t* got) {
    int32_t done = 0;
    bool ok = true;
    while (done < count) {
        int32_t n = fileRead(handle, dst + done, count - done);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        done += n;
    }
    *got = done;
    return ok;
}

}  // namespace filesys_detail
