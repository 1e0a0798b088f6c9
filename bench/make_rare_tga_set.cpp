// Generates a set of the rarer TGA layouts for timing the tool on them:
//   make_rare_tga_set OUT_DIR [COUNT] [SEED]
// writes COUNT TGA files (default 2000) into OUT_DIR/art/ and two control files into OUT_DIR,
// info.ctl and bin.ctl, as make_sprite_set does. The files are the layouts the common sprite
// sets lack: colour-mapped 8-bit with 24-bit and 32-bit maps, grey 8-bit, grey 16-bit with
// alpha, 15-bit and 16-bit true colour (5-5-5 and 5-6-5), each raw and run-length, sides 32
// to 256, one shape on a transparent (or, without alpha, plain) background. The bytes are built
// here from the format's description; the same seed gives the same files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// splitmix64: small, fast and the same on every platform.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int32_t range(int32_t lo, int32_t hi) {  // lo..hi inclusive
        return lo + int32_t(next() % uint64_t(hi - lo + 1));
    }
};

// A stored layout: image type (raw; run-length adds 8), bits a pixel, colour-map entry bits
// (0: no map) and alpha bits.
struct Layout {
    const char* name;
    uint8_t type;
    uint8_t depth;
    uint8_t entryBits;
    uint8_t alphaBits;
};

constexpr Layout LAYOUTS[] = {
    {"8-bit, 24-bit map", 1, 8, 24, 0}, {"8-bit, 32-bit map", 1, 8, 32, 8},
    {"grey 8-bit", 3, 8, 0, 0},         {"grey 16-bit alpha", 3, 16, 0, 8},
    {"15-bit 5-5-5", 2, 15, 0, 0},      {"16-bit 5-6-5", 2, 16, 0, 0},
};
constexpr int32_t LAYOUT_COUNT = int32_t(sizeof LAYOUTS / sizeof LAYOUTS[0]);

void putU16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// The stored bytes of one pixel: `inside` the shape, with shade `level` (0..255) and colour
// index `index` (1..255; index 0 is the background).
void storedPixel(const Layout& l, bool inside, uint32_t level, uint32_t index, uint8_t* p) {
    if (l.entryBits != 0) {
        p[0] = uint8_t(inside ? index : 0);
        return;
    }
    if (l.type == 3) {
        p[0] = uint8_t(inside ? level : 0);
        if (l.depth == 16) p[1] = inside ? 255 : 0;  // alpha
        return;
    }
    const uint32_t r = inside ? level : 20, g = inside ? 255 - level : 40, b = inside ? 128 : 60;
    const uint32_t v = l.depth == 15 ? (r >> 3) << 10 | (g >> 3) << 5 | b >> 3
                                     : (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Run-length packets of one row of `count` pixels of `size` bytes: runs of 2 or more equal
// pixels become run packets, the rest raw packets, none longer than 128 pixels.
void encodeRow(const uint8_t* row, uint32_t count, uint32_t size, Bytes& out) {
    uint32_t i = 0;
    auto same = [&](uint32_t a, uint32_t b) {
        return std::memcmp(row + a * size, row + b * size, size) == 0;
    };
    while (i < count) {
        uint32_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), row + i * size, row + (i + 1) * size);
            i += run;
            continue;
        }
        uint32_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        out.push_back(uint8_t(raw - 1));
        out.insert(out.end(), row + i * size, row + (i + raw) * size);
        i += raw;
    }
}

Bytes makeFile(const Layout& l, bool runLength, uint32_t w, uint32_t h, Random& rng) {
    Bytes out;
    out.push_back(0);                         // no image ID
    out.push_back(l.entryBits != 0 ? 1 : 0);  // colour-map type
    out.push_back(uint8_t(l.type + (runLength ? 8 : 0)));
    putU16(out, 0);                           // first entry
    putU16(out, l.entryBits != 0 ? 256 : 0);  // map length
    out.push_back(l.entryBits);
    putU16(out, 0);  // x origin
    putU16(out, 0);  // y origin
    putU16(out, w);
    putU16(out, h);
    out.push_back(l.depth);
    out.push_back(l.alphaBits);  // bottom-left origin
    if (l.entryBits != 0) {
        const uint32_t entryBytes = l.entryBits / 8u;
        for (uint32_t i = 0; i < 256; ++i) {
            out.push_back(uint8_t(i * 7));  // blue, green, red
            out.push_back(uint8_t(255 - i));
            out.push_back(uint8_t(i * 3 + 40));
            if (entryBytes == 4) out.push_back(i == 0 ? 0 : 255);  // entry 0 transparent
        }
    }
    // An ellipse inside a random border, a horizontal gradient with a little noise: runs long
    // enough for the run-length packets to matter, short enough not to be one colour.
    const float left = float(rng.range(0, int32_t(w / 4))),
                right = float(rng.range(0, int32_t(w / 4)));
    const float top = float(rng.range(0, int32_t(h / 4))),
                bottom = float(rng.range(0, int32_t(h / 4)));
    const float ax = (float(w) - left - right) / 2, ay = (float(h) - top - bottom) / 2;
    const float cx = left + ax, cy = top + ay;
    const uint32_t size = l.depth <= 8 ? 1 : 2;
    Bytes row(size_t(w) * size);
    for (uint32_t fileRow = 0; fileRow < h; ++fileRow) {
        const float y = float(h - 1 - fileRow) + 0.5f;  // bottom row first
        for (uint32_t x = 0; x < w; ++x) {
            const float dx = (float(x) + 0.5f - cx) / ax, dy = (y - cy) / ay;
            const bool inside = dx * dx + dy * dy <= 1.0f;
            const uint32_t noise = (rng.next() & 7) == 0 ? 1 : 0;
            const uint32_t level = std::min<uint32_t>(255, x * 255 / w + noise * 8);
            const uint32_t index = 1 + (x * 254 / w + noise) % 255;
            storedPixel(l, inside, level, index, &row[size_t(x) * size]);
        }
        if (runLength) {
            encodeRow(row.data(), w, size, out);
        } else {
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("Usage: make_rare_tga_set OUT_DIR [COUNT] [SEED]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const long count = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 2000;
    const uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240611;
    if (count < 1 || count > 10000) {
        std::printf("COUNT must be 1 to 10000 (the tool's sprite table holds 10000)\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir / "art", ec);
    std::filesystem::create_directories(dir / "out", ec);
    if (ec) {
        std::printf("Cannot create %s\n", (dir / "art").string().c_str());
        return 1;
    }

    Random rng{seed};
    std::string list;
    uint64_t bytes[LAYOUT_COUNT][2] = {}, files[LAYOUT_COUNT][2] = {};
    for (long i = 0; i < count; ++i) {
        const uint32_t w = uint32_t(rng.range(32, 256));
        const uint32_t h = uint32_t(rng.range(32, 256));
        const int32_t k = rng.range(0, LAYOUT_COUNT - 1);
        const bool runLength = rng.range(0, 1) == 1;
        const Bytes file = makeFile(LAYOUTS[k], runLength, w, h, rng);
        char name[16];
        std::snprintf(name, sizeof name, "r%05ld", i);
        const std::filesystem::path path = dir / "art" / (std::string(name) + ".tga");
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        if (!f) {
            std::printf("Cannot write %s\n", path.string().c_str());
            return 1;
        }
        bytes[k][runLength] += file.size();
        files[k][runLength] += 1;
        list += std::string("TGA ") + name + "\n";
    }

    const std::string head = "// Generated by make_rare_tga_set: " + std::to_string(count) +
                             " sprites. Run from this folder.\nSource ./art/\nDest out/\n";
    std::ofstream(dir / "info.ctl", std::ios::binary) << head << "InfoFile out/sprites.txt\n"
                                                      << list;
    std::ofstream(dir / "bin.ctl", std::ios::binary) << head << "WriteOneFile sprites.bin\nBIN\n"
                                                     << list;
    for (int32_t k = 0; k < LAYOUT_COUNT; ++k) {
        for (int r = 0; r < 2; ++r) {
            std::printf("%6llu %-20s %-10s %12llu bytes\n", (unsigned long long)files[k][r],
                        LAYOUTS[k].name, r ? "run-length" : "raw", (unsigned long long)bytes[k][r]);
        }
    }
    return 0;
}
