// Converters of stored true-colour TGA pixels to output values (red in the low byte, alpha in
// the high byte, colours premultiplied), shared by the row decoders and the cropping decoders.
// Each gives what convertTgaValue gives for the same bytes. Inside image/ only.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t opaqueFromBgr(uint32_t word) {
    // blue, green, red in bits 0-23 -> red, green, blue; alpha 255 keeps every colour as it is
    return (word & 0xFF) << 16 | (word & 0xFF00) | ((word >> 16) & 0xFF) | 0xFF000000u;
}

inline uint32_t loadWord(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

struct ConvBgra32 {
    static constexpr uint32_t BYTES = 4;
    const uint8_t* premultiply;
    uint32_t operator()(const uint8_t* p) const {
        uint32_t word = loadWord(p);
        if (word >= 0xFF000000u) return opaqueFromBgr(word);
        if (word < 0x01000000u) return 0;  // alpha 0 takes every colour to 0
        uint32_t alpha = word >> 24;
        const uint8_t* row = premultiply + alpha * 256;
        return row[p[2]] | uint32_t{row[p[1]]} << 8 | uint32_t{row[p[0]]} << 16 | alpha << 24;
    }
};

struct ConvBgrx32 {  // 32-bit without alpha bits: the stored alpha byte is ignored
    static constexpr uint32_t BYTES = 4;
    uint32_t operator()(const uint8_t* p) const { return opaqueFromBgr(loadWord(p)); }
};

struct ConvBgr24 {
    static constexpr uint32_t BYTES = 3;
    uint32_t operator()(const uint8_t* p) const {
        return p[2] | uint32_t{p[1]} << 8 | uint32_t{p[0]} << 16 | 0xFF000000u;
    }
};
