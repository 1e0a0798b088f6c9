// Builds single sprite files and info texts byte by byte from the layout: the count, eight
// little-endian words per entry or the info file's lines, then the pixel blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "spritebake/spritebake.h"

namespace loadertest {

using Bytes = std::vector<uint8_t>;

struct Entry {
    uint32_t hid = 0;
    int32_t method = 1;
    int32_t padding = 1;
    int32_t hx = 0;
    int32_t hy = 0;
    int32_t wd = 0;
    int32_t ht = 0;
    uint32_t reserved = 0;
};

inline void putWord(Bytes& bytes, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(word >> shift));
}

inline Bytes binaryTable(const std::vector<Entry>& entries) {
    Bytes bytes;
    putWord(bytes, uint32_t(entries.size()));
    for (const Entry& e : entries) {
        for (uint32_t word : {e.hid, uint32_t(e.method), uint32_t(e.padding), uint32_t(e.hx),
                              uint32_t(e.hy), uint32_t(e.wd), uint32_t(e.ht), e.reserved}) {
            putWord(bytes, word);
        }
    }
    return bytes;
}

inline std::string textLine(const Entry& e) {
    static const char* const names[] = {"Middle",   "UpLeft",    "UpRight",
                                        "DownLeft", "DownRight", "HotXY"};
    char line[200];
    std::snprintf(line, sizeof line,
                  "hid %d hotspot method %s padding %d  hx %d  hy %d  wd %d  ht %d\n",
                  int32_t(e.hid), names[e.method], e.padding, e.hx, e.hy, e.wd, e.ht);
    return line;
}

inline std::string textTable(const std::vector<Entry>& entries) {
    std::string text = std::to_string(entries.size()) + " sprites\n";
    for (const Entry& e : entries) text += textLine(e);
    return text;
}

inline Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// `length` bytes that differ from their neighbours, so a block read from a wrong offset shows.
inline Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(seed + i * 7);
    return bytes;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline sb_error openSingle(sb_file& file, const Bytes& bytes, const char* kinds) {
    return sb_open_single_letters(&file, bytes.data(), bytes.size(), kinds);
}

}  // namespace loadertest
