// A byte block kept from one use to the next: sprites are loaded one after another, and on
// these machines a fresh block per file costs more in page faults than the work on its bytes.
#include "filesys/file_layer.hpp"

#include <new>

uint8_t* ReusedBuffer::reserve(size_t count) {
    if (count <= capacity_) return bytes_.get();
    // Doubling from a floor, so a run of growing files reallocates only a few times: each new
    // block faults its pages in afresh. Pages never touched cost nothing, so the floor is
    // generous. The old bytes are not kept, the new ones not cleared.
    constexpr size_t kFloor = size_t{2} << 20;
    size_t grown = capacity_ < kFloor / 2 ? kFloor : capacity_ * 2;
    size_t wanted = count > grown ? count : grown;
    bytes_.reset();
    capacity_ = 0;
    try {
        bytes_ = std::make_unique_for_overwrite<uint8_t[]>(wanted);
    } catch (const std::bad_alloc&) {
        try {
            bytes_ = std::make_unique_for_overwrite<uint8_t[]>(count);
            wanted = count;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    capacity_ = wanted;
    return bytes_.get();
}

void ReusedBuffer::release() {
    bytes_.reset();
    capacity_ = 0;
}
