// Shared set-up for the file layer's tests: a fresh scratch folder as the working directory,
// the layer's one-time state reset before and after each test, and stdout capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "filesys/blob_archive.hpp"
#include "filesys/disk_read.hpp"
#include "filesys/file_access.hpp"
#include "filesys/testing.hpp"
#include "tests/support/test_support.hpp"

class FileLayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fileSystemReset();
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override {
        std::filesystem::current_path(oldCwd_);
        fileSystemReset();
    }

    // Everything `body` prints on standard output.
    static std::string captured(const std::function<void()>& body) {
        ::testing::internal::CaptureStdout();
        body();
        return ::testing::internal::GetCapturedStdout();
    }

    static std::vector<uint8_t> bytesOf(const std::string& text) {
        return {text.begin(), text.end()};
    }

    std::string path(const std::string& name) const { return dir_.file(name); }

    testsupport::TempDir dir_;

  private:
    std::filesystem::path oldCwd_;
};

// A little-endian archive image built by hand, so that tests can write any words at all.
class ArchiveImage {
  public:
    void u32(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(value >> shift));
    }
    void entry(uint32_t hash, uint32_t size, uint32_t unpackedSize, uint32_t offset) {
        u32(hash);
        u32(size);
        u32(unpackedSize);
        u32(offset);
    }
    // Pads with zeros up to `offset`, then appends `data`.
    void dataAt(size_t offset, const std::vector<uint8_t>& data) {
        if (bytes.size() < offset) bytes.resize(offset, 0);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    std::vector<uint8_t> bytes;
};

// `count` bytes of a recognisable pattern starting at `first`.
inline std::vector<uint8_t> pattern(size_t count, uint8_t first = 0) {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) out[i] = uint8_t(first + i * 7);
    return out;
}
