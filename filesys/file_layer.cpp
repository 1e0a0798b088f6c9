// The file access layer by name: start-up, opening with the archive fallback,
// measuring, whole-file loads (with the preload table first), formatted writes and the fatal
// error. Owns the layer's initialised flag.
#include "filesys/file_access.hpp"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "filesys/blob_archive.hpp"
#include "console/console.hpp"
#include "filesys/internal.hpp"
#include "filesys/testing.hpp"

using filesys_detail::shown;

namespace {

bool initialised = false;

// Formats into `local` when the text fits, else into `big`; returns the text and its length
// in `length`, or null when the text cannot be formatted (or no memory for it).
const char* formatText(char (&local)[1000], std::unique_ptr<char[]>& big, size_t* length,
                       const char* format, va_list args) {
    local[0] = '\0';
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(local, sizeof local, format, args);
    const char* text = nullptr;
    if (n >= 0 && static_cast<size_t>(n) < sizeof local) {
        text = local;
    } else if (n >= 0) {
        big = filesys_detail::allocateBlock<char>(static_cast<size_t>(n) + 1);
        if (big && vsnprintf(big.get(), static_cast<size_t>(n) + 1, format, again) == n) {
            text = big.get();
        }
    }
    va_end(again);
    *length = text != nullptr ? static_cast<size_t>(n) : 0;
    return text;
}

// fileOpen once the path is known not to be a FIFO, socket or device.
int32_t openDiskOrArchive(const char* name, int32_t mode, int32_t permission) {
    int32_t h = fileOpenDisk(name, mode, permission);  // the disk first: it hides the archive
    if (h != -1) {
        filesys_detail::blobClearCurrentEntry();
        return h;
    }
    if (mode != FILE_MODE_READ) return -1;  // a failed create: the caller reports it
    h = filesys_detail::blobArchiveLookup(name);
    if (h == -1) {
        printMessage(MessageId::fileNotFound, "fileOpen didn't find %s in game dir. or blob.\n",
                     shown(name));
    }
    return h;
}

// fileLoad's steps after the preload table: open, measure, allocate or check the caller's
// buffer, read. Exactly one of `owned`, `reused` and `buffer` is used.
int32_t loadFromStore(const char* name, std::unique_ptr<uint8_t[]>* owned, uint8_t* buffer,
                      int32_t bufferSize, ReusedBuffer* reused = nullptr,
                      std::span<const uint8_t>* bytes = nullptr) {
    // A FIFO, socket or device on disk is never opened; it fails as a directory does (its
    // read fails), silently, and hides the archive as any file on disk does.
    if (filesys_detail::diskKind(name) == filesys_detail::DiskKind::special) {
        filesys_detail::blobClearCurrentEntry();
        return -1;
    }
    int32_t h = openDiskOrArchive(name, FILE_MODE_READ, 0);
    if (h == -1) {
        printMessage(MessageId::fileOpenFailed, "fileLoad failed to open %s.\n", shown(name));
        return 0;
    }
    int32_t size = 0;
    int32_t unpackedSize = 0;
    fileLength(name, h, &size, &unpackedSize);
    // fileLength measures an archive entry of size 0 with stat, as if it were a disk file; it
    // holds no bytes all the same, so nothing beyond the entry may be read.
    if (filesys_detail::blobLastOpenWasHit() && curBlobSize() == 0) size = 0;

    uint8_t* dst = buffer;
    if (size < 0) {  // 2^31 bytes or more: refused like a failed allocation
        printMessage(MessageId::loadAllocFailed, "loadFile failed to alloc for %s, load skipped.\n",
                     shown(name));
        fileClose(h);
        return 0;
    }
    if (owned != nullptr) {
        *owned = filesys_detail::allocateBlock<uint8_t>(static_cast<size_t>(size));
        if (!*owned) {
            printMessage(MessageId::loadAllocFailed,
                         "loadFile failed to alloc for %s, load skipped.\n", shown(name));
            fileClose(h);
            return 0;
        }
        dst = owned->get();
    } else if (reused != nullptr) {
        dst = reused->reserve(size > 0 ? static_cast<size_t>(size) : 1);
        if (dst == nullptr) {
            printMessage(MessageId::loadAllocFailed,
                         "loadFile failed to alloc for %s, load skipped.\n", shown(name));
            fileClose(h);
            return 0;
        }
    } else if (bufferSize < size) {
        printMessage(MessageId::loadBufferTooSmall,
                     "Buffer passed to fileLoad too small for %s, load skipped.\n", shown(name));
        fileClose(h);
        return 0;
    }
    int32_t got = 0;
    bool ok = filesys_detail::readFully(h, dst, size, &got);
    fileClose(h);
    if (bytes != nullptr && ok && got > 0) *bytes = {dst, static_cast<size_t>(got)};
    return ok ? got : -1;
}

}  // namespace

void fileSystemInit(const char* archiveName, PreloadEntry* preloadList) {
    if (initialised) return;
    // The entry-size consistency check is the static_assert beside BlobNode.
    filesys_detail::blobArchiveOpen(archiveName);
    // Filled while the layer is not yet initialised: the table's own loads never see it.
    filesys_detail::preloadFill(preloadList);
    initialised = true;
}

void fileSystemReset() {
    initialised = false;
    filesys_detail::blobArchiveReset();
    filesys_detail::preloadReset();
    fileSetConfinement(false);
}

int32_t fileOpen(const char* name, int32_t mode, int32_t permission) {
    if (mode == FILE_MODE_READ &&
        filesys_detail::diskKind(name) == filesys_detail::DiskKind::special) {
        filesys_detail::blobClearCurrentEntry();
        return -1;  // on disk, so the archive is not asked; never opened, so it cannot block
    }
    return openDiskOrArchive(name, mode, permission);
}

int32_t filePrintf(int32_t handle, const char* format, ...) {
    char local[1000];
    std::unique_ptr<char[]> big;
    size_t length = 0;
    va_list args;
    va_start(args, format);
    const char* text = formatText(local, big, &length, format, args);
    va_end(args);
    if (text == nullptr || length > static_cast<size_t>(INT32_MAX)) return -1;
    return fileWrite(handle, text, static_cast<int32_t>(length));
}

void fileLength(const char* name, int32_t /*handle: not consulted*/, int32_t* size,
                int32_t* unpackedSize) {
    int32_t s = 0;
    int32_t u = 0;
    if (curBlobSize() != 0) {
        s = curBlobSize();
        u = curBlobUnpackedSize();
    } else {
        int64_t bytes = filesys_detail::diskFileSize(name);
        if (bytes > INT32_MAX) {
            s = -1;
        } else if (bytes > 0) {
            s = static_cast<int32_t>(bytes);
        }
    }
    if (size != nullptr) *size = s;
    if (unpackedSize != nullptr) *unpackedSize = u;
}

int32_t fileLoad(const char* name, FileBlock& block) {
    block.reset();
    if (initialised) {
        if (const PreloadEntry* entry = filesys_detail::preloadFind(name)) {
            block.borrow(entry->data.get());  // the table's own block, shared
            return entry->size;
        }
    }
    std::unique_ptr<uint8_t[]> owned;
    int32_t result = loadFromStore(name, &owned, nullptr, 0);
    if (owned) block.own(std::move(owned));
    return result;
}

int32_t fileLoad(const char* name, ReusedBuffer& buffer, std::span<const uint8_t>& bytes) {
    bytes = {};
    if (initialised) {
        if (const PreloadEntry* entry = filesys_detail::preloadFind(name)) {
            if (entry->size > 0) bytes = {entry->data.get(), static_cast<size_t>(entry->size)};
            return entry->size;
        }
    }
    return loadFromStore(name, nullptr, nullptr, 0, &buffer, &bytes);
}

int32_t fileLoad(const char* name, uint8_t* buffer, int32_t bufferSize) {
    if (buffer == nullptr) bufferSize = 0;
    if (initialised) {
        if (const PreloadEntry* entry = filesys_detail::preloadFind(name)) {
            if (bufferSize < entry->size) {
                printMessage(
                    MessageId::preloadTooSmall,
                    "fileLoad fails on preloaded file %s because passed in buff too small.\n",
                    shown(name));
                return 0;
            }
            if (entry->size > 0) {
                std::copy(entry->data.get(), entry->data.get() + entry->size, buffer);
            }
            return entry->size;
        }
    }
    return loadFromStore(name, nullptr, buffer, bufferSize);
}

void fatalError(const char* format, ...) {
    char local[1000];
    std::unique_ptr<char[]> big;
    size_t length = 0;
    va_list args;
    va_start(args, format);
    const char* text = formatText(local, big, &length, format, args);
    va_end(args);
    if (text == nullptr) {  // no memory for a long text: print what fits
        text = local;
        length = strnlen(local, sizeof local - 1);
    }
    printMessage(MessageId::fatalError, "%.*s",
                 static_cast<int>(std::min<size_t>(length, INT32_MAX)), text);
    exit(-1);
}

namespace filesys_detail {

int32_t loadAllocating(const char* name, std::unique_ptr<uint8_t[]>& owned) {
    owned.reset();
    return loadFromStore(name, &owned, nullptr, 0);
}

}  // namespace filesys_detail
