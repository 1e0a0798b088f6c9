// An output file written through the file layer in large gathered writes and replaced whole:
// the bytes go to a temporary file that takes the output's place only once complete. Every
// write and the close are checked: the first failed or short write ends the output for good,
// and finish() then drops the temporary file (the previous output stays) and reports it. A
// complete file whose rename onto the path is refused is dropped too, and reported as such.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "filesys/replace_file.hpp"

class OutputSink {
  public:
    OutputSink() = default;
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;
    ~OutputSink();

    // Prepares `path` for writing. False when it cannot be written; nothing is printed then, the
    // caller reports it.
    bool open(const std::string& path);

    // Each returns false once the output has failed; nothing more is written after that.
    bool append(std::span<const uint8_t> bytes);
    bool appendText(std::string_view text);
    bool appendRepeated(uint8_t byte, uint64_t count);

    // Sends everything gathered so far to the file.
    bool flush();

    // Flushes, closes and puts the file at its path. On a failure, here or earlier, prints the
    // error line. With keepIfSame, an existing output holding the same bytes is left as it is
    // (unchanged() then tells). Returns true when the whole file is at the path.
    bool finish(bool keepIfSame = false);

    // Gives the output up without a line: a temporary file is removed and the previous output
    // stays; an output written in place is removed when it is a regular file (it is
    // incomplete). finish() then returns false and prints nothing.
    void abandon();
    bool unchanged() const { return unchanged_; }

  private:
    bool writeNow(const uint8_t* bytes, uint64_t count);
    void reportFailure();

    ReplacingFile file_;
    int32_t handle_ = -1;
    bool failed_ = false;
    bool abandoned_ = false;
    bool unchanged_ = false;
    std::string path_;
    std::vector<uint8_t> pending_;
};
