// The operating system's folder calls (opendir, readdir, fstatat), beside disk.cpp's file calls.
#include "filesys/folder_list.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "filesys/allocate.hpp"
#include "filesys/internal.hpp"

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { closedir(folder); }
};
using OpenFolder = std::unique_ptr<DIR, FolderCloser>;

FolderEntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FolderEntryKind::regular;
    if (S_ISDIR(mode)) return FolderEntryKind::folder;
    return FolderEntryKind::other;
}

// Looked up relative to the open folder, so a long path is never composed for it.
FolderEntry entryOf(int folderFd, const dirent& found) {
    FolderEntry entry;
    entry.name = found.d_name;
    unsigned char type = found.d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (fstatat(folderFd, found.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return entry;
        if (S_ISLNK(st.st_mode)) {
            type = DT_LNK;
        } else {
            entry.kind = kindOfMode(st.st_mode);
            return entry;
        }
    }
    switch (type) {
        case DT_REG:
            entry.kind = FolderEntryKind::regular;
            break;
        case DT_DIR:
            entry.kind = FolderEntryKind::folder;
            break;
        case DT_LNK:
            entry.linked = true;
            if (fstatat(folderFd, found.d_name, &st, 0) == 0) entry.kind = kindOfMode(st.st_mode);
            break;
        default:
            break;  // FIFO, socket, device
    }
    return entry;
}

bool isDotOrDotDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

FolderList listFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    const char* name = path.empty() ? "." : path.c_str();
    if (!filesys_detail::pathUsable(name)) return FolderList::unreadable;
    int fd;
    do {
        fd = open(name, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return FolderList::unreadable;
    const OpenFolder folder{fdopendir(fd)};
    if (!folder) {
        close(fd);
        return FolderList::unreadable;
    }
    const FolderList result = tryWithMemory(
        [&] {
            for (;;) {
                errno = 0;
                const dirent* found = readdir(folder.get());
                if (found == nullptr)
                    return errno == 0 ? FolderList::listed : FolderList::unreadable;
                if (isDotOrDotDot(found->d_name)) continue;
                entries.push_back(entryOf(fd, *found));
            }
        },
        FolderList::noMemory);
    // Nothing half-listed is handed on.
    if (result != FolderList::listed) entries.clear();
    return result;
}
