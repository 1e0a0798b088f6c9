// Sprite fast paths for the common TGA files: uncompressed or run-length true colour (types 2
// and 10) at 24 or 32 bits without a colour map. The box of the visible pixels comes straight
// from the file's bytes, with no picture built; the cropped pixels are decoded for the box
// alone. Both give exactly what loading the file with decodeTga and cropping it gives; every
// other file has no fast path here and takes that road.
#pragma once

#include <cstdint>
#include <span>

#include "filesys/reused_buffer.hpp"

// A picture's visible rectangle, inclusive, in the upright picture (row 0 the top row).
struct TgaBox {
    int32_t width = 0;  // the picture's sides
    int32_t height = 0;
    bool blank = true;  // no visible pixel: the four sides below mean nothing
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

// Whether the file has a fast path (its header passes every check of the reader).
bool tgaHasFastPath(std::span<const uint8_t> file);

// Whether findTgaBox needs more of a file than its head: false only for a fast-path file
// without alpha (24-bit, or 32-bit with alpha bits 0), whose box is the whole picture whatever
// its data holds.
bool tgaBoxNeedsPixels(std::span<const uint8_t> head);

// Finds the box of a file with a fast path; false, touching nothing, for any other file.
bool findTgaBox(std::span<const uint8_t> file, TgaBox& box);

// Writes the pixels inside `box` (as findTgaBox found it for this file, not blank) into `out`,
// top row first, 4 bytes a pixel, colours premultiplied: box width x height x 4 bytes.
// `scratch` holds a run-length file's decoded picture. False when the file has no fast path,
// the box is blank or not inside the picture, or there is no memory for the scratch.
bool cropTgaFast(std::span<const uint8_t> file, const TgaBox& box, uint8_t* out,
                 ReusedBuffer& scratch);
