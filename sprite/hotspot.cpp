#include "sprite/hotspot.hpp"

#include <cstddef>
#include <cstring>
#include <limits>

#include "filesys/allocate.hpp"

namespace {

// -v without signed overflow: -INT32_MIN wraps to INT32_MIN, as the 32-bit negation does.
int32_t negate(int32_t v) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(v));
}

}  // namespace

void placeHotspot(SpriteRecord& record, int32_t method, int32_t /*sourceWidth*/,
                  int32_t /*sourceHeight*/, int32_t W, int32_t H, int32_t x, int32_t y) {
    record.hx = 0;
    record.hy = 0;
    switch (static_cast<uint32_t>(method)) {  // negative methods become large: no placement
        case HS_MIDDLE:
            record.hx = negate(W / 2);  // integer division truncates: a width of 7 gives -3
            record.hy = negate(H / 2);
            break;
        case HS_UPLEFT:
            break;
        case HS_UPRIGHT:
            record.hx = negate(W);
            break;
        case HS_DOWNLEFT:
            record.hy = negate(H);
            break;
        case HS_DOWNRIGHT:
            record.hx = negate(W);
            record.hy = negate(H);
            break;
        case HS_HOTXY:
            record.hx = x;
            record.hy = y;
            break;
        default:
            break;
    }
}

int32_t nextPowerOfTwo(int32_t n) {
    // Doubling in 32 unsigned bits: 2^31 compares as negative (so below any n above 2^30) and
    // its double is 0, which ends the loop.
    uint32_t p = 1;
    while (p != 0 && static_cast<int32_t>(p) < n) p <<= 1;
    return static_cast<int32_t>(p);
}

std::unique_ptr<uint8_t[]> padToPowerOfTwo(const uint8_t* pixels, int32_t w, int32_t h) {
    const int32_t W2 = nextPowerOfTwo(w);
    const int32_t H2 = nextPowerOfTwo(h);
    if (W2 == 0 || H2 == 0) return nullptr;
    const uint64_t bytes = static_cast<uint64_t>(W2) * static_cast<uint64_t>(H2) * 4;
    if (bytes > static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max())) return nullptr;
    std::unique_ptr<uint8_t[]> out = tryAllocate<uint8_t>(static_cast<size_t>(bytes));
    if (!out) return nullptr;
    std::memset(out.get(), 0, static_cast<size_t>(bytes));
    // The image takes the last h rows and the first w columns; a side below 1 copies nothing.
    if (w > 0 && h > 0) {
        const size_t srcStride = static_cast<size_t>(w) * 4;
        const size_t dstStride = static_cast<size_t>(W2) * 4;
        uint8_t* dst = out.get() + static_cast<size_t>(H2 - h) * dstStride;
        for (int32_t y = 0; y < h; ++y) {
            std::memcpy(dst + static_cast<size_t>(y) * dstStride,
                        pixels + static_cast<size_t>(y) * srcStride, srcStride);
        }
    }
    return out;
}
