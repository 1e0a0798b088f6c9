// A block of bytes kept from one load to the next, and the memory probe that asks whether a
// block could be had at all.
#pragma once

#include <cstddef>
#include <cstdint>

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
