// A byte block kept from one use to the next: sprites are loaded one after another, and on
// these machines a fresh block per file costs more in page faults than the work on its bytes.
// For the same reason the block is mapped with every page already in place: one call fills
// them all, where touching them one by one takes a fault each, which costs more than reading
// the page's bytes from the cache.
#include <sys/mman.h>

#include "filesys/file_layer.hpp"

namespace {

uint8_t* mapPopulated(size_t count) {
    void* block = mmap(nullptr, count, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return block == MAP_FAILED ? nullptr : static_cast<uint8_t*>(block);
}

}  // namespace

uint8_t* ReusedBuffer::reserve(size_t count) {
    if (count <= capacity_ && bytes_ != nullptr) return bytes_;
    // Doubling from a floor, so a run of growing files maps anew only a few times. The old
    // bytes are not kept.
    constexpr size_t kFloor = size_t{256} << 10;
    const size_t grown = capacity_ < kFloor / 2 ? kFloor : capacity_ * 2;
    const size_t wanted = count > grown ? count : grown;
    release();
    size_t size = wanted;
    bytes_ = mapPopulated(size);
    if (bytes_ == nullptr && wanted > count && count > 0) {  // no room to grow: just enough
        size = count;
        bytes_ = mapPopulated(size);
    }
    if (bytes_ == nullptr) return nullptr;
    capacity_ = size;
    return bytes_;
}

void ReusedBuffer::release() {
    if (bytes_ != nullptr) munmap(bytes_, capacity_);
    bytes_ = nullptr;
    capacity_ = 0;
}
