// The file access API: every file the program reads or writes by name goes through the file
// layer, and the operating system's calls (open, read, write, lseek, close, stat, unlink) live
// in this folder alone. Reading by name looks on disk first, then in the blob archive named to
// fileSystemInit; fileLoad serves the files preloaded at start-up from memory.
//
// The layer's other headers, by what a caller needs: disk_read.hpp (what a path names on disk,
// and reading a regular file whole without the archive), blob_archive.hpp, process_setup.hpp,
// reused_buffer.hpp, and testing.hpp for the seams of tests and fuzz targets.
//
// Failures print one line on standard output where they are found and return -1 (a handle) or
// 0 (a load). fatalError and the archive set-up end the process with exit status -1.
//
// Process-wide state, each in the one file that owns it: the initialised flag (file_layer.cpp),
// the preload table (preload.cpp), the archive's name and header and the current-entry values
// of the last archive hit (blob_archive.cpp), the confinement switch (disk.cpp). The OS calls
// live in disk.cpp, with the control text's pipe reads in stream_load.cpp, the process set-up
// in process_setup.cpp, the replacing writes in replace_file.cpp and the reused blocks'
// mappings in reused_buffer.cpp; hash.cpp holds the name hash; blob_writer.cpp builds archives.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "filesys/reused_buffer.hpp"

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

// Preloaded entries counted by fileSystemInit, failed ones included.
int32_t preloadCount();

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

// Whether the open handle is a regular file (fstat), so a failed output may be removed.
bool fileIsRegular(int32_t handle);

// Removes the file at `path`; returns the runtime's result (0, or -1).
int32_t fileRemove(const char* path);
