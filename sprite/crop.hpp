// Bounding-box cropping: cuts an image down to the smallest rectangle that holds all of its
// visible pixels. RGBA images are 4 bytes a pixel (a pixel is empty when all four bytes are
// zero); index images are 1 byte a pixel (empty when it equals the transparent index).
// The source is only read. The result is a new, tightly packed, top-row-first image owned by
// the caller, or null (sizes 0 x 0) for a blank image, a failed allocation or a side below 1.
//
// Process-wide state: cropTop, cropBottom, cropLeft, cropRight (crop.cpp). After a crop,
// cropLeft and cropTop give the rectangle's top-left corner in the upright source picture.
#pragma once

#include <cstdint>
#include <memory>

extern int32_t cropTop;
extern int32_t cropBottom;
extern int32_t cropLeft;
extern int32_t cropRight;

// `pixels` is bottom row first (as the TGA reader delivers it); the result is turned upright.
std::unique_ptr<uint8_t[]> cropRgba(const uint8_t* pixels, int32_t width, int32_t height,
                                    int32_t* outWidth, int32_t* outHeight);

// `pixels` is top row first; rows keep their order.
std::unique_ptr<uint8_t[]> cropIndexed(const uint8_t* pixels, int32_t width, int32_t height,
                                       int32_t* outWidth, int32_t* outHeight, uint8_t transparent);

// cropIndexed's rectangle alone, nothing copied: sets the four integers as cropIndexed does and
// returns false for a blank image (or a side below 1).
bool findCropIndexed(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent);

// 1 when every pixel of the row or column is empty, else 0.
int32_t rowIsEmptyRgba(const uint8_t* pixels, int32_t width, int32_t row);
int32_t columnIsEmptyRgba(const uint8_t* pixels, int32_t width, int32_t height, int32_t column);
int32_t rowIsEmptyIndexed(const uint8_t* pixels, int32_t width, int32_t row, uint8_t transparent);
int32_t columnIsEmptyIndexed(const uint8_t* pixels, int32_t width, int32_t height, int32_t column,
                             uint8_t transparent);
