// Whole-file replacement of outputs: a temporary file beside the output, renamed onto it once
// complete. Owns the one pending temporary name that the signal handler removes, and removes
// the temporary files that killed runs left in an output's folder.
#include "filesys/replace_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "filesys/internal.hpp"
#include "filesys/testing.hpp"

namespace {

constexpr int MAX_LINK_HOPS = 40;  // as the kernel's own limit on symbolic links in a path
constexpr int NAME_ATTEMPTS = 100;
constexpr size_t COMPARE_CHUNK = size_t{64} << 10;

// The named temporary file being written, if any: one output is written at a time. The signal
// handler reads these two and nothing else.
std::atomic<int> pendingFolder{-1};
std::atomic<const char*> pendingName{nullptr};

bool forceNamedTemporary = false;
int failNextCloseWith = 0;

constexpr std::string_view TEMPORARY_PREFIX = ".spritebake-";
constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";
constexpr size_t TEMPORARY_HEX_DIGITS = 16;

// A descriptor closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

struct FolderListingCloser {
    void operator()(DIR* listing) const { closedir(listing); }
};
using FolderListing = std::unique_ptr<DIR, FolderListingCloser>;

int closeOutput(int fd) {
    const int closed = ::close(fd);
    if (failNextCloseWith != 0) {
        errno = failNextCloseWith;
        failNextCloseWith = 0;
        return -1;
    }
    return closed;
}

void removePendingAndDie(int signal) {
    const char* name = pendingName.load();
    if (name != nullptr) unlinkat(pendingFolder.load(), name, 0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Installed once, the first time a named temporary file exists; a signal the caller chose to
// ignore stays ignored.
void installCleanupHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removePendingAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

void setPending(int folder, const std::string* name) {
    pendingName.store(nullptr);
    pendingFolder.store(folder);
    if (name != nullptr) pendingName.store(name->c_str());
}

// An unpredictable name, so that nobody can place a file or link there in advance.
std::string randomTemporaryName() {
    std::array<uint8_t, 8> bytes{};
    if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        // No entropy source: the retry on an existing name still keeps the create exclusive.
        static uint64_t counter = 0;
        const uint64_t mixed = (static_cast<uint64_t>(getpid()) << 32) ^ ++counter ^
                               reinterpret_cast<uintptr_t>(&counter);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(mixed >> (8 * i));
    }
    std::string name = ".spritebake-";
    constexpr char HEX[] = "0123456789abcdef";
    for (uint8_t b : bytes) {
        name += HEX[b >> 4];
        name += HEX[b & 15];
    }
    return name + ".tmp";
}

// Exactly the names randomTemporaryName makes: nothing else in a folder is ever removed.
bool isTemporaryName(std::string_view name) {
    if (name.size() != TEMPORARY_PREFIX.size() + TEMPORARY_HEX_DIGITS + TEMPORARY_SUFFIX.size() ||
        !name.starts_with(TEMPORARY_PREFIX) || !name.ends_with(TEMPORARY_SUFFIX)) {
        return false;
    }
    const std::string_view digits = name.substr(TEMPORARY_PREFIX.size(), TEMPORARY_HEX_DIGITS);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

enum class LockOutcome { locked, heldElsewhere, unavailable };

// An open file description lock on the whole file, never waiting: unlike a process's record
// locks it is not dropped when the same process closes another descriptor of the file, and it
// holds across pid namespaces. A file system without locks gives `unavailable`.
LockOutcome lockWholeFile(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return LockOutcome::locked;
    return errno == EAGAIN || errno == EACCES ? LockOutcome::heldElsewhere
                                              : LockOutcome::unavailable;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` in `folder` still is the file open at `fd`.
bool nameIsFile(int folder, const char* name, int fd) {
    struct stat named;
    struct stat opened;
    return fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && fstat(fd, &opened) == 0 &&
           sameFile(named, opened);
}

// Removes one temporary file whose writer is gone: its lock can be taken. Opening never follows
// a link, never blocks on a FIFO and never takes a terminal; only a regular file is locked, and
// the name is unlinked only while it still names the locked file.
void removeIfAbandoned(int folder, const char* name) {
    constexpr int OPEN_FLAGS = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    short lockType = F_RDLCK;
    int fd = openat(folder, name, O_RDONLY | OPEN_FLAGS);
    if (fd < 0 && errno == EACCES) {
        // A write-only mode copied from the output it was to replace.
        fd = openat(folder, name, O_WRONLY | OPEN_FLAGS);
        lockType = F_WRLCK;
    }
    const Descriptor file(fd);
    struct stat st;
    if (file.get() < 0 || fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (lockWholeFile(file.get(), lockType) != LockOutcome::locked) return;
    if (nameIsFile(folder, name, file.get())) unlinkat(folder, name, 0);
}

// The names are gathered first: a folder changed while it is read may list names twice or not
// at all.
void removeAbandonedTemporaries(int folder) {
    const int listingFd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0) return;
    const FolderListing listing(fdopendir(listingFd));
    if (!listing) {
        ::close(listingFd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing.get())) {
        if (isTemporaryName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    for (const std::string& name : names) removeIfAbandoned(folder, name.c_str());
}

// Follows symbolic links to the path that is finally written; a dangling link gives its
// target's path, which is then created.
bool resolveLinks(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
        if (!filesys_detail::pathUsable(current.c_str())) return false;
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = current;
            return true;
        }
        std::vector<char> buffer(256);
        ssize_t length;
        for (;;) {
            length = readlink(current.c_str(), buffer.data(), buffer.size());
            if (length < 0) return false;
            if (static_cast<size_t>(length) < buffer.size()) break;
            buffer.resize(buffer.size() * 2);
        }
        std::string link(buffer.data(), static_cast<size_t>(length));
        if (link.empty()) {
            errno = ENOENT;
            return false;
        }
        if (link[0] == '/') {
            current = link;
        } else {
            const size_t slash = current.rfind('/');
            current =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
        }
    }
    errno = ELOOP;
    return false;
}

bool isUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

bool isNotWritable(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

ssize_t readRetrying(int fd, uint8_t* dst, size_t count, off_t offset, bool positioned) {
    ssize_t n;
    do {
        n = positioned ? pread(fd, dst, count, offset) : read(fd, dst, count);
    } while (n < 0 && errno == EINTR);
    return n;
}

}  // namespace

void replaceFileForceNamedTemporary(bool on) {
    forceNamedTemporary = on;
}

void replaceFileFailNextClose(int error) {
    failNextCloseWith = error;
}

ReplacingFile::~ReplacingFile() {
    abandon();
}

bool ReplacingFile::open(const std::string& path) {
    abandon();
    inPlace_ = false;
    regular_ = false;
    unnamed_ = false;
    renameError_ = 0;
    if (!resolveLinks(path, target_)) return false;
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash + 1);
    base_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    if (base_.empty() || base_ == "." || base_ == "..") {
        errno = EISDIR;
        return false;
    }

    struct stat st;
    const bool exists = stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    // A device or FIFO is the destination itself: nothing can be renamed onto it.
    if (exists && !S_ISREG(st.st_mode)) return openInPlace(false);
    // Replacing would work even so (the folder decides), but the user asked for it to stay.
    if (exists && faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return false;

    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) return false;
    removeAbandonedTemporaries(folder_);
    if (openTemporary(exists ? static_cast<int>(st.st_mode & 0777) : -1)) return true;
    if (isNotWritable(errno)) return openInPlace(true);
    closeAll();
    return false;
}

bool ReplacingFile::openTemporary(int keepMode) {
    // A new output's mode comes from the umask; a replaced one's bits are copied exactly.
    const mode_t createMode = keepMode < 0 ? 0666 : 0600;
    handle_ = -1;
    errno = EOPNOTSUPP;
    if (!forceNamedTemporary) {
        handle_ = openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, createMode);
    }
    unnamed_ = handle_ >= 0;
    // Locked before it has a name, so no other run ever sees it unlocked.
    if (unnamed_) lockWholeFile(handle_, F_WRLCK);
    if (handle_ < 0 && isUnsupported(errno)) {
        for (int attempt = 0; attempt < NAME_ATTEMPTS && handle_ < 0; ++attempt) {
            temporaryName_ = randomTemporaryName();
            installCleanupHandlers();
            setPending(folder_, &temporaryName_);
            handle_ = openat(folder_, temporaryName_.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
            if (handle_ < 0) {
                setPending(-1, nullptr);
                temporaryName_.clear();
                if (errno != EEXIST) break;
                continue;
            }
            // Between the create and the lock another run may have taken the new file for a
            // dead run's and removed it, or be about to: then it is given up for another name.
            if (lockWholeFile(handle_, F_WRLCK) == LockOutcome::heldElsewhere ||
                !nameIsFile(folder_, temporaryName_.c_str(), handle_)) {
                if (nameIsFile(folder_, temporaryName_.c_str(), handle_)) {
                    unlinkat(folder_, temporaryName_.c_str(), 0);
                }
                ::close(handle_);
                handle_ = -1;
                setPending(-1, nullptr);
                temporaryName_.clear();
            }
        }
    }
    if (handle_ < 0) return false;
    if (keepMode >= 0 && fchmod(handle_, static_cast<mode_t>(keepMode)) != 0) {
        const int error = errno;
        abandon();
        errno = error;
        return false;
    }
    regular_ = true;
    return true;
}

bool ReplacingFile::openInPlace(bool create) {
    closeAll();
    inPlace_ = true;
    if (create) {
        handle_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } else {
        // Not blocking on a FIFO with no reader (that fails instead), then blocking writes.
        handle_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (handle_ >= 0) {
            const int flags = fcntl(handle_, F_GETFL);
            if (flags == -1 || fcntl(handle_, F_SETFL, flags & ~O_NONBLOCK) == -1) closeAll();
        }
    }
    if (handle_ < 0) return false;
    struct stat st;
    regular_ = fstat(handle_, &st) == 0 && S_ISREG(st.st_mode);
    return true;
}

bool ReplacingFile::sameAsTarget() const {
    const int old = ::open(target_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (old < 0) return false;
    struct stat oldStat;
    struct stat newStat;
    bool same = fstat(old, &oldStat) == 0 && S_ISREG(oldStat.st_mode) &&
                fstat(handle_, &newStat) == 0 && oldStat.st_size == newStat.st_size;
    std::vector<uint8_t> a(same ? COMPARE_CHUNK : 0);
    std::vector<uint8_t> b(a.size());
    for (off_t offset = 0; same && offset < newStat.st_size;) {
        const size_t want = static_cast<size_t>(
            std::min<off_t>(static_cast<off_t>(COMPARE_CHUNK), newStat.st_size - offset));
        const ssize_t gotNew = readRetrying(handle_, a.data(), want, offset, true);
        const ssize_t gotOld = readRetrying(old, b.data(), want, 0, false);
        same = gotNew == static_cast<ssize_t>(want) && gotOld == gotNew &&
               std::equal(a.begin(), a.begin() + gotNew, b.begin());
        offset += static_cast<off_t>(want);
    }
    ::close(old);
    return same;
}

bool ReplacingFile::linkTemporary(std::string& linkName) {
    const std::string self = "/proc/self/fd/" + std::to_string(handle_);
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        linkName = randomTemporaryName();
        installCleanupHandlers();
        setPending(folder_, &linkName);
        if (linkat(AT_FDCWD, self.c_str(), folder_, linkName.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        // Without /proc, the descriptor itself can be linked by a privileged process.
        if (errno == ENOENT && linkat(handle_, "", folder_, linkName.c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
        setPending(-1, nullptr);
        if (errno != EEXIST) break;
    }
    linkName.clear();
    return false;
}

ReplaceResult ReplacingFile::commit(bool keepIfSame) {
    if (handle_ < 0) return ReplaceResult::failed;
    if (inPlace_) {
        const int closed = closeOutput(handle_);
        handle_ = -1;
        closeAll();
        return closed == 0 ? ReplaceResult::written : ReplaceResult::failed;
    }
    if (keepIfSame && sameAsTarget()) {
        abandon();
        return ReplaceResult::unchanged;
    }
    if (unnamed_ && !linkTemporary(temporaryName_)) {
        abandon();
        return ReplaceResult::failed;
    }
    // A second descriptor of the same open file keeps the lock held through the close and the
    // rename: a named, unlocked temporary file would look abandoned to another run.
    lockHolder_ = fcntl(handle_, F_DUPFD_CLOEXEC, 0);
    const int closed = closeOutput(handle_);
    handle_ = -1;
    if (closed != 0) {
        abandon();
        return ReplaceResult::failed;
    }
    if (renameat(folder_, temporaryName_.c_str(), folder_, base_.c_str()) != 0) {
        renameError_ = errno;
        abandon();
        return ReplaceResult::renameRefused;
    }
    setPending(-1, nullptr);
    temporaryName_.clear();
    closeAll();
    return ReplaceResult::written;
}

void ReplacingFile::abandon() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
    if (!temporaryName_.empty()) {
        unlinkat(folder_, temporaryName_.c_str(), 0);
        setPending(-1, nullptr);
        temporaryName_.clear();
    }
    closeAll();
}

void ReplacingFile::closeAll() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
    // Only after the temporary file's name is gone: its lock goes with this descriptor.
    if (lockHolder_ >= 0) ::close(lockHolder_);
    lockHolder_ = -1;
    if (folder_ >= 0) ::close(folder_);
    folder_ = -1;
}
