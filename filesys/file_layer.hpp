// The file layer: every file the program reads or writes by name goes through here, and the
// operating system's calls (open, read, write, lseek, close, stat, unlink) live in this folder
// alone. Reading by name looks on disk first, then in the blob archive named to fileSystemInit;
// fileLoad serves the files preloaded at start-up from memory.
//
// Failures print one line on standard output where they are found and return -1 (a handle) or
// 0 (a load). fatalError and the archive set-up end the process with exit status -1.
//
// Process-wide state, each in the one file that owns it: the initialised flag (file_layer.cpp),
// the preload table (preload.cpp), the archive's name and header and the current-entry values
// of the last archive hit (blob_archive.cpp), the confinement switch (disk.cpp). The OS calls
// live in disk.cpp, with the reads of part of an unchanged file in stamped_read.cpp, the
// replacing writes in replace_file.cpp and the reused blocks' mappings in reused_buffer.cpp;
// hash.cpp holds the name hash; blob_writer.cpp builds archives.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

// The bytes fileLoad hands back: a block the caller owns, or a view of a preloaded file's block,
// which the layer owns for the rest of the process.
class FileBlock {
  public:
    const uint8_t* data() const { return view_; }
    bool ownsBytes() const { return owned_ != nullptr; }
    void own(std::unique_ptr<uint8_t[]> bytes) {
        owned_ = std::move(bytes);
        view_ = owned_.get();
    }
    void borrow(const uint8_t* bytes) {
        owned_.reset();
        view_ = bytes;
    }
    void reset() { borrow(nullptr); }

  private:
    std::unique_ptr<uint8_t[]> owned_;
    const uint8_t* view_ = nullptr;
};

// A block of bytes reused from load to load: grown when a load needs more, never cleared. Its
// pages are all in place from the start (see reused_buffer.cpp).
class ReusedBuffer {
  public:
    ReusedBuffer() = default;
    ~ReusedBuffer() { release(); }
    ReusedBuffer(const ReusedBuffer&) = delete;
    ReusedBuffer& operator=(const ReusedBuffer&) = delete;
    // A block of at least `count` bytes (its earlier contents lost when it grows), or null
    // when there is no memory for it.
    uint8_t* reserve(size_t count);
    // Gives the memory back.
    void release();
    // Whether the last reserve found no memory: a load that failed can tell a lack of memory
    // from a bad file.
    bool lastReserveFailed() const { return lastReserveFailed_; }
    void clearFailure() { lastReserveFailed_ = false; }
    const uint8_t* data() const { return bytes_; }
    uint8_t* data() { return bytes_; }
    size_t capacity() const { return capacity_; }

  private:
    uint8_t* bytes_ = nullptr;  // mapped by reserve, unmapped by release
    size_t capacity_ = 0;
    bool lastReserveFailed_ = false;
};

// Whether `count` bytes could be had from the allocator now; nothing is kept, and no page is
// touched.
bool memoryAvailable(size_t count);

// One file to preload. The caller fills `name`; the layer fills the rest. The list ends with an
// entry whose name is the empty string, and must outlive the layer's use.
struct PreloadEntry {
    const char* name = nullptr;
    std::unique_ptr<uint8_t[]> data;  // null when the load failed
    uint32_t hash = 0;
    int32_t size = 0;  // 0 when the load failed
};

// The open mode that reads an existing file; every other mode creates or truncates for writing.
constexpr int32_t FILE_MODE_READ = 1;

// Only the first call has an effect. An empty or null archive name means no archive; a null
// list means no preloaded files. An archive that cannot be opened, or no memory for its
// header, ends the process. The header holds min(count, (file size - 4) / 16) entries; a
// negative count means none. A preload entry whose load gives less than 1 byte keeps null data
// and size 0 and still counts; the list also ends at a null name.
void fileSystemInit(const char* archiveName, PreloadEntry* preloadList);

// Forgets everything fileSystemInit set up, so the next call starts afresh. Tests and fuzz
// targets only.
void fileSystemReset();

// Disk first; for mode 1, the archive when the disk has no such file ("fileOpen didn't find
// %s in game dir. or blob.\n"). The permission is accepted and ignored. An archive hit is a new
// descriptor on the archive file positioned at the entry's first byte; entries whose size or
// offset word is 2^31 or more, or whose data reaches past the archive's end, never match.
// Mode 1 opens read-only; any other mode creates or truncates for writing (0666 before the
// umask); a failed create returns -1 silently.
int32_t fileOpen(const char* name, int32_t mode, int32_t permission = 0);
int32_t fileOpenDisk(const char* name, int32_t mode, int32_t permission = 0);
int32_t fileRead(int32_t handle, void* dst, int32_t count);
int32_t fileWrite(int32_t handle, const void* src, int32_t count);
int64_t fileSeek(int32_t handle, int32_t offset, int32_t origin);
int32_t fileClose(int32_t handle);

// Formats into a buffer that fits the text and writes it. Returns what the write returned
// (-1 on error), or -1 when the text could not be formatted.
int32_t filePrintf(int32_t handle, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Size of the file just opened: the archive entry's words after an archive hit, else stat's
// size (0 when stat fails). A file of 2^31 bytes or more gives -1.
void fileLength(const char* name, int32_t handle, int32_t* size, int32_t* unpackedSize);

// Whole-file load, allocating form: fills `block` (a preloaded file's block, or a new block the
// caller owns) and returns the bytes loaded; 0 on every failure that prints a message, and the
// read's own -1 when the read fails.
int32_t fileLoad(const char* name, FileBlock& block);

// Whole-file load, reusing form: as the allocating form, except that the bytes go into `buffer`
// (grown when needed) and `bytes` receives where they are: in `buffer`, or a preloaded file's
// block. `bytes` is empty unless the result is 1 or more.
int32_t fileLoad(const char* name, ReusedBuffer& buffer, std::span<const uint8_t>& bytes);

// Whole-file load into the caller's buffer of bufferSize bytes (bufferSize > 0). A null buffer
// counts as bufferSize 0, so any file or preloaded entry of 1 byte or more is "too small" for it
// (this form cannot hand back the table's block). Never reads more than bufferSize bytes.
int32_t fileLoad(const char* name, uint8_t* buffer, int32_t bufferSize);

// The control file's load: as fileLoad, except that a FIFO or pipe is read to its end (up to
// 2^31 - 1 bytes) and a device or socket is refused without being opened (0, nothing printed).
int32_t fileLoadControl(const char* name, FileBlock& block);

// Reads standard input to its end, whatever it is; messages name it "-".
int32_t fileLoadStandardInput(FileBlock& block);

// Prints the formatted text and ends the process with exit status -1.
[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Process set-up, first thing in a run ----

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, so no file opened later
// takes a standard stream's place.
void fileGuardStandardStreams();

// Ignores SIGPIPE and SIGXFSZ: writes that fail then report it (EPIPE, EFBIG) instead.
void fileIgnoreWriteSignals();

// Makes `path` the working folder, against which every relative path is resolved from then on.
// Returns 0, or the system's error number when the folder cannot be entered.
int32_t fileChangeFolder(const char* path);

// ---- Disk-only helpers for the parts that touch the disk directly ----

// Whether `path` names something on disk (stat succeeds). No archive, no message.
bool fileExistsOnDisk(const char* path);

// What `path` names on disk, from one stat (links followed). No archive, no message.
enum class DiskEntry : uint8_t { missing, regular, folder, other };
DiskEntry fileEntryOnDisk(const char* path);

// Whether `path` names a folder on disk (stat, links followed). No archive, no message.
bool fileIsFolderOnDisk(const char* path);

// Reads the whole regular file at `path` from disk into `bytes`, bypassing the archive and the
// preload table. Returns false when it is not a regular file (a folder, FIFO, socket or device
// is never opened) or cannot be opened; a read error part-way keeps the bytes read before it.
// Prints nothing.
bool fileReadDisk(const char* path, std::vector<uint8_t>& bytes);

// The same into a reused buffer: `bytes` receives the bytes read (inside `buffer`); empty when
// the result is false.
bool fileReadDisk(const char* path, ReusedBuffer& buffer, std::span<const uint8_t>& bytes);

// How much of a file a read takes: all of it, or at first only its head, and the rest only
// when `wantsRest(head)` says so.
struct ReadPlan {
    size_t head = SIZE_MAX;
    bool (*wantsRest)(std::span<const uint8_t> head) = nullptr;
};

// How a read into a reused buffer ended.
enum class FileRead : uint8_t {
    read,        // `bytes` holds what the plan read (a read error part-way keeps what came first)
    unreadable,  // not a regular file of at most 2^31 - 1 bytes, or it cannot be opened
    noMemory,    // no block for the bytes the plan reads
};

// The same for a path that fileEntryOnDisk has just found to be a regular file: that stat
// stands for the one before the open, and the open file is still checked (fstat). The buffer
// is grown only to what the plan reads: a head, and the whole file only when the rest is read.
FileRead fileReadFoundRegular(const char* path, ReusedBuffer& buffer,
                              std::span<const uint8_t>& bytes, ReadPlan plan = {});

// Whether the open handle is a regular file (fstat), so a failed output may be removed.
bool fileIsRegular(int32_t handle);

// Removes the file at `path`; returns the runtime's result (0, or -1).
int32_t fileRemove(const char* path);

// ---- Blob archive ----

constexpr int32_t SIZEOF_BLOB_NODE = 16;

// One header entry as kept in memory; the file holds the same four little-endian words.
struct BlobNode {
    uint32_t hash;
    uint32_t size;
    uint32_t unpackedSize;
    uint32_t offset;
};
static_assert(sizeof(BlobNode) == SIZEOF_BLOB_NODE, "a header entry is four 32-bit words");

uint32_t readU32LE(const uint8_t* bytes);

// The current-entry values: the size, unpackedSize and offset words of the entry that the last
// archive hit found (a matching entry sets them even when the archive then cannot be opened);
// 0 after a successful disk open in fileOpen and at start.
int32_t curBlobSize();
int32_t curBlobUnpackedSize();
int32_t curBlobOffset();

// Entries of the archive header in use (0 with no archive), and preloaded entries counted.
int32_t blobEntryCount();
int32_t preloadCount();

// Writes an archive holding `files` (name, bytes), each stored under hashName(name) as it will
// be asked for: the count, the entries (unpackedSize 0), then the bytes in the list's order.
// Returns true when the whole file was written; false (and no file left) otherwise, including
// an archive that would reach 2^31 bytes.
bool writeBlobArchive(const char* path,
                      const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files);

// ---- Confinement for the whole-run fuzz build ----
// When on, every path that is absolute or climbs with ".." is treated as not found, and creating
// such a file fails. Only the fuzz build switches it on.
void fileSetConfinement(bool on);
