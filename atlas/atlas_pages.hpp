// The atlas's page pixels: every region of a page copied to its place, its edge pixels
// repeated around it for the extrusion, transparent (0, 0, 0, 0) everywhere else.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "atlas/atlas_layout.hpp"

// Draws a w x h RGBA picture (rows top first) with its top-left at (x, y) of a page
// `pageWidth` pixels wide, and around it `extrude` rings of its nearest edge pixel (the corner
// pixels fill the corners). Nothing is drawn outside the page's `pageHeight` rows.
void drawExtruded(std::span<uint8_t> page, int32_t pageWidth, int32_t pageHeight, int32_t x,
                  int32_t y, std::span<const uint8_t> picture, int32_t w, int32_t h,
                  int32_t extrude);

// The RGBA bytes of page `page` of `layout` (its sides from the layout), each region drawn from
// `pixels` (indexed as the selection's framed entries). False when there is no memory.
bool composeAtlasPage(const AtlasLayout& layout, size_t page,
                      std::span<const std::vector<uint8_t>> pixels, int32_t extrude,
                      std::vector<uint8_t>& rgba);
