// Output files replaced whole. Every file a run writes goes through ReplacingFile: the bytes go
// to a temporary file in the output's own folder, which is renamed onto the output path only
// after the last write and the close succeeded. Until then the path keeps its previous content
// (or stays absent), so a run that fails or is killed never leaves a partial output and never
// destroys the previous one, and two runs writing one output at once each rename a complete file.
//
// The temporary file is unnamed where the file system allows it until it is given a name
// `.spritebake-` + 16 lower-case hex digits + `.tmp` just before the rename; elsewhere it has
// such a name from the start and is removed again on SIGINT, SIGTERM and SIGHUP. Its writer holds
// an open file description lock on it from its creation until it is renamed or removed, so a
// file of that form that another process can lock has no live writer: a SIGKILL can leave one,
// and opening any output in that folder removes it. A replaced output keeps its permission bits, a
// new one gets 0666 less the umask. A symbolic link is followed: its final target is replaced and
// the link stays. An output that exists and is not a regular file (a device, a FIFO) is written in
// place, and so is one whose folder allows no temporary file. Nothing is printed here; callers
// report failures.
#pragma once

#include <cstdint>
#include <string>

enum class ReplaceResult {
    written,        // the new bytes are at the path
    unchanged,      // keepIfSame: the path already held exactly these bytes and was left alone
    failed,         // a write, the close or the link failed: nothing was put at the path; the
                    // temporary file is gone
    renameRefused,  // the complete file could not be renamed onto the path (a mount point, a
                    // sticky folder): the previous output stays, the temporary file is gone and
                    // renameError() tells why
};

class ReplacingFile {
  public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();  // an output neither committed nor abandoned is abandoned

    // Prepares `path` for writing. False when it cannot be written: a missing folder, a folder
    // of that name, an existing file the user may not write, a FIFO with no reader.
    bool open(const std::string& path);

    // The descriptor to write to (file layer handle), -1 when not open.
    int32_t handle() const { return handle_; }

    // Whether the bytes go straight to the output path (no temporary file), and whether that
    // path was a regular file when it was opened (so that a failed write may remove it).
    bool inPlace() const { return inPlace_; }
    bool inPlaceRegular() const { return inPlace_ && regular_; }

    // Closes the file and puts it at the path. With keepIfSame, an existing regular output with
    // the same bytes is kept as it is (its modification time too) and the new file dropped.
    ReplaceResult commit(bool keepIfSame = false);

    // The errno of the refused rename after commit() gave renameRefused.
    int renameError() const { return renameError_; }

    // Drops what was written: the temporary file is removed and the previous output stays. An
    // output written in place is left as it is. Safe to call more than once.
    void abandon();

  private:
    bool openTemporary(int mode);
    bool openInPlace(bool create);
    bool sameAsTarget() const;
    bool linkTemporary(std::string& linkName);
    void closeAll();

    int handle_ = -1;
    int lockHolder_ = -1;  // keeps the temporary file's lock while handle_ is closed and renamed
    int folder_ = -1;      // the output's folder, resolved once
    int renameError_ = 0;
    bool inPlace_ = false;
    bool regular_ = false;
    bool unnamed_ = false;       // O_TMPFILE: no name until it is linked
    std::string target_;         // the output path after following symbolic links
    std::string base_;           // its last component, within folder_
    std::string temporaryName_;  // a named temporary file's name within folder_, when there is one
};
