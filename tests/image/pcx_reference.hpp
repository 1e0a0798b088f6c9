// A plain, byte-at-a-time PCX decoder that follows the decoding rules literally, one stream
// position at a time. The unit tests and the fuzz target compare the fast decoder with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/pcx.hpp"

namespace pcxtest {

inline PcxDecode referenceDecodePcx(std::span<const uint8_t> file, int32_t width, int32_t height,
                                    std::vector<uint8_t>& out) {
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    out.assign(w * h, 0);
    const size_t bytesPerLine = file.size() >= 68 ? file[66] | file[67] << 8 : 0;
    const size_t stride = bytesPerLine > w ? bytesPerLine : w;
    const uint64_t total = static_cast<uint64_t>(stride) * h;  // stream bytes, padding included
    uint64_t p = 0;
    size_t pos = 128;
    auto put = [&](uint8_t value) {
        const uint64_t row = p / stride;
        const uint64_t col = p % stride;
        if (col < w) out[row * w + col] = value;
        ++p;
    };
    while (p < total) {
        if (pos >= file.size()) return PcxDecode::CutShort;
        const uint8_t code = file[pos++];
        if (code < 0xC0) {
            put(code);
            continue;
        }
        if (pos >= file.size()) return PcxDecode::CutShort;
        const uint8_t value = file[pos++];
        for (int i = 0; i < code - 0xC0; ++i) {
            if (p == total) return PcxDecode::RunPastEnd;
            put(value);
        }
    }
    return pos < file.size() && file[pos] == 12 ? PcxDecode::MarkerFound : PcxDecode::MarkerMissing;
}

}  // namespace pcxtest
