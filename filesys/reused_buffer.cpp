// A byte block kept from one use to the next: sprites are loaded one after another, and on
// these machines a fresh block per file costs more in page faults than the work on its bytes.
// For the same reason the block is mapped with every page already in place: one call fills
// them all, where touching them one by one takes a fault each, which costs more than reading
// the page's bytes from the cache.
#include <sys/mman.h>

#include <memory>

#include "filesys/reused_buffer.hpp"
#include "filesys/allocate.hpp"

namespace {

uint8_t* mapPopulated(size_t count) {
    void* block = mmap(nullptr, count, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return block == MAP_FAILED ? nullptr : static_cast<uint8_t*>(block);
}

}  // namespace

uint8_t* ReusedBuffer::reserve(size_t count) {
    lastReserveFailed_ = false;
    if (count <= capacity_ && bytes_ != nullptr) return bytes_;
    // Exactly what is asked for above a small floor: every page of the block is resident, so a
    // block larger than the bytes it will hold would cost memory for nothing. Sprites of rising
    // sizes map anew only at each new largest one. The old bytes are not kept.
    constexpr size_t FLOOR = size_t{256} << 10;
    size_t size = count > FLOOR ? count : FLOOR;
    release();
    bytes_ = mapPopulated(size);
    if (bytes_ == nullptr && size > count && count > 0) {  // no room for the floor: just enough
        size = count;
        bytes_ = mapPopulated(size);
    }
    if (bytes_ == nullptr) {
        lastReserveFailed_ = true;
        return nullptr;
    }
    capacity_ = size;
    return bytes_;
}

bool memoryAvailable(size_t count) {
    // Asked of the allocator, as the picture itself would be, and given back untouched: it fails
    // exactly where that allocation would, and a block the allocator has at hand costs no call
    // to the system.
    const auto block = tryAllocate<uint8_t>(count > 0 ? count : 1);
    // The block escapes into an empty assembly statement, so the compiler cannot drop the
    // allocation as unused.
    asm volatile("" : : "r"(block.get()) : "memory");
    return block != nullptr;
}

void ReusedBuffer::release() {
    if (bytes_ != nullptr) munmap(bytes_, capacity_);
    bytes_ = nullptr;
    capacity_ = 0;
}
