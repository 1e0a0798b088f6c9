// Builds PCX file images byte by byte for the tests: a 128-byte header of an 8-bit,
// single-plane, run-length file with the given edges, then whatever pixel data follows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace pcxtest {

class PcxBuilder {
  public:
    PcxBuilder(int16_t xmin, int16_t ymin, int16_t xmax, int16_t ymax) : bytes_(128, 0) {
        bytes_[0] = 10;  // manufacturer
        bytes_[1] = 5;   // version
        bytes_[2] = 1;   // run-length encoding
        bytes_[3] = 8;   // bits per pixel
        put16(4, static_cast<uint16_t>(xmin));
        put16(6, static_cast<uint16_t>(ymin));
        put16(8, static_cast<uint16_t>(xmax));
        put16(10, static_cast<uint16_t>(ymax));
        bytes_[65] = 1;  // planes
        put16(66, static_cast<uint16_t>(xmax - xmin + 1));
    }

    // Width x height with the top-left corner at 0, 0.
    static PcxBuilder sized(int width, int height) {
        return PcxBuilder(0, 0, static_cast<int16_t>(width - 1), static_cast<int16_t>(height - 1));
    }

    PcxBuilder& bytesPerLine(uint16_t value) {
        put16(66, value);
        return *this;
    }
    // Appended one byte at a time: g++ 12 at -O3 misreads a range insert into this vector as an
    // out-of-bounds copy (a false -Warray-bounds).
    PcxBuilder& data(std::initializer_list<uint8_t> codes) {
        for (uint8_t code : codes) bytes_.push_back(code);
        return *this;
    }
    PcxBuilder& data(const std::vector<uint8_t>& codes) {
        for (uint8_t code : codes) bytes_.push_back(code);
        return *this;
    }
    // The palette marker and a 768-byte palette.
    PcxBuilder& palette(uint8_t marker = 12) {
        bytes_.push_back(marker);
        for (int i = 0; i < 768; ++i) bytes_.push_back(static_cast<uint8_t>(i / 3));
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    void put16(size_t offset, uint16_t value) {
        bytes_[offset] = static_cast<uint8_t>(value);
        bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace pcxtest
