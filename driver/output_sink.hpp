// An output file written through the file layer in large gathered writes. Every write and the
// close are checked: the first failed or short write ends the output for good, and finish()
// then removes the incomplete file (only when it is a regular file) and reports it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class OutputSink {
  public:
    OutputSink() = default;
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;
    ~OutputSink();

    // Creates or truncates `path` with the file layer's `mode`. False when it cannot be created;
    // nothing is printed then, the caller reports it.
    bool open(const std::string& path, int32_t mode);

    // Each returns false once the output has failed; nothing more is written after that.
    bool append(std::span<const uint8_t> bytes);
    bool appendText(std::string_view text);
    bool appendRepeated(uint8_t byte, uint64_t count);

    // Sends everything gathered so far to the file.
    bool flush();

    // Flushes and closes. On a failure, here or earlier, removes the file when it is a regular
    // one and prints the error line. Returns true when the whole file was written.
    bool finish();

  private:
    bool writeNow(const uint8_t* bytes, uint64_t count);
    void closeHandle();
    void reportFailure();

    int32_t handle_ = -1;
    bool regular_ = false;
    bool failed_ = false;
    std::string path_;
    std::vector<uint8_t> pending_;
};
