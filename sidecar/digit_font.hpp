// A 3 x 5 bitmap font for the decimal digits, the preview's entry numbers. Row r of a glyph is
// bits 2..0 of rows[r], bit 2 the left column.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t DIGIT_GLYPH_WIDTH = 3;
constexpr int32_t DIGIT_GLYPH_HEIGHT = 5;

using DigitGlyph = std::array<uint8_t, DIGIT_GLYPH_HEIGHT>;

inline constexpr std::array<DigitGlyph, 10> DIGIT_GLYPHS = {{
    {0b111, 0b101, 0b101, 0b101, 0b111},  // 0
    {0b010, 0b110, 0b010, 0b010, 0b111},  // 1
    {0b111, 0b001, 0b111, 0b100, 0b111},  // 2
    {0b111, 0b001, 0b111, 0b001, 0b111},  // 3
    {0b101, 0b101, 0b111, 0b001, 0b001},  // 4
    {0b111, 0b100, 0b111, 0b001, 0b111},  // 5
    {0b111, 0b100, 0b111, 0b101, 0b111},  // 6
    {0b111, 0b001, 0b010, 0b010, 0b010},  // 7
    {0b111, 0b101, 0b111, 0b101, 0b111},  // 8
    {0b111, 0b101, 0b111, 0b001, 0b111},  // 9
}};

// Whether the glyph of `digit` has its pixel at column x, row y.
constexpr bool digitPixel(int32_t digit, int32_t x, int32_t y) {
    return ((DIGIT_GLYPHS[static_cast<size_t>(digit)][static_cast<size_t>(y)] >>
             (DIGIT_GLYPH_WIDTH - 1 - x)) &
            1) != 0;
}
