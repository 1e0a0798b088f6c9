// Packing the atlas's regions into pages: pure, no OS calls, no printing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct PackRect { int32_t w = 0; int32_t h = 0; };  // a region's sides, extrusion included, >= 1
struct PackOptions { int32_t maxSize = 4096; int32_t padding = 2; bool powerOfTwo = false; };
struct PackPlace { int32_t page = 0; int32_t x = 0; int32_t y = 0; };  // region's top-left
struct PackPage { int32_t w = 0; int32_t h = 0; };
struct PackResult { std::vector<PackPlace> places; std::vector<PackPage> pages; };
enum class PackStatus : uint8_t { packed, tooLarge, outOfMemory };
PackStatus packRects(std::span<const PackRect> rects, const PackOptions& options,
                     PackResult& result, size_t& firstTooLarge);
