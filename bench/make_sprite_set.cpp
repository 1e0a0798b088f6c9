// Generates a sprite set for timing the tool:
//   make_sprite_set OUT_DIR [COUNT] [SEED]
// writes COUNT sprites (default 2000) into OUT_DIR/art/ and two control files into OUT_DIR:
// info.ctl (text info file out/sprites.txt) and bin.ctl (binary single sprite file
// out/sprites.bin), both to be run from OUT_DIR. Sprites have sides from 16 to 512 (most from
// 32 to 256), odd and even, and a random transparent border around one antialiased shape; they
// are 32-bit raw, 32-bit run-length and 24-bit TGA files and 8-bit PCX files. The same seed
// gives the same files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "examples/pcx_writer.hpp"
#include "image/tga.hpp"

namespace {

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
    float unit() { return float(next() >> 40) / float(1 << 24); }
};

enum class Kind { TgaRaw32, TgaRle32, TgaRaw24, Pcx };

int32_t pickSide(Random& rng) {
    const int32_t band = rng.range(0, 9);
    if (band == 0) return rng.range(16, 31);
    if (band == 9) return rng.range(257, 512);
    return rng.range(32, 256);
}

Kind pickKind(Random& rng) {
    const int32_t k = rng.range(0, 19);
    if (k < 6) return Kind::TgaRaw32;
    if (k < 12) return Kind::TgaRle32;
    if (k < 15) return Kind::TgaRaw24;
    return Kind::Pcx;
}

struct Shape {
    int32_t kind;     // 0 ellipse, 1 rounded box, 2 diamond, 3 ring
    float cx, cy;     // centre
    float ax, ay;     // half sides
    float round;      // corner radius of the box
    float r, g, b;    // base colour, 0..255
    float alpha;      // 0..1
    int32_t texture;  // 0 smooth, 1 stripes, 2 noise
};

// Signed distance in pixels (approximate away from the edge, which is all the coverage needs).
float distance(const Shape& s, float x, float y) {
    const float dx = x - s.cx, dy = y - s.cy;
    const float m = std::min(s.ax, s.ay);
    switch (s.kind) {
        case 0:
            return (std::hypot(dx / s.ax, dy / s.ay) - 1.0f) * m;
        case 1: {
            const float qx = std::abs(dx) - (s.ax - s.round), qy = std::abs(dy) - (s.ay - s.round);
            return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) +
                   std::min(std::max(qx, qy), 0.0f) - s.round;
        }
        case 2:
            return (std::abs(dx) / s.ax + std::abs(dy) / s.ay - 1.0f) * m * 0.7f;
        default: {
            const float outer = (std::hypot(dx / s.ax, dy / s.ay) - 1.0f) * m;
            return std::max(outer, -(outer + m * 0.45f));
        }
    }
}

uint32_t hash2(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    return h ^ (h >> 15);
}

// Straight colour of the shape at a pixel.
void shade(const Shape& s, int32_t x, int32_t y, uint32_t seed, float out[3]) {
    const float light = 0.65f + 0.35f * (1.0f - (float(y) - s.cy + s.ay) / (2 * s.ay));
    float noise = 0;
    if (s.texture == 1 && ((x + y) / 6) % 2 == 0) noise = -30;
    if (s.texture == 2) noise = float(hash2(x, y, seed) & 31) - 16;
    const float c[3] = {s.r, s.g, s.b};
    for (int k = 0; k < 3; ++k) out[k] = std::clamp(c[k] * light + noise, 0.0f, 255.0f);
}

uint8_t byteOf(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

bool writeSprite(const std::string& path, Kind kind, int32_t w, int32_t h, const Shape& s,
                 uint32_t seed, const float background[3]) {
    if (kind == Kind::Pcx) {
        std::vector<uint8_t> idx(size_t(w) * size_t(h), PCX_TRANSPARENT);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                if (distance(s, float(x) + 0.5f, float(y) + 0.5f) > 0) continue;
                float c[3];
                shade(s, x, y, seed, c);
                idx[size_t(y) * size_t(w) + size_t(x)] =
                    nearestPaletteIndex(byteOf(c[0]), byteOf(c[1]), byteOf(c[2]));
            }
        }
        return writePcx8(path.c_str(), w, h, idx.data(), spritePalette());
    }
    const uint32_t format = kind == Kind::TgaRaw24 ? 3 : 4;
    std::vector<uint8_t> px(size_t(w) * size_t(h) * format, 0);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = &px[size_t(h - 1 - y) * size_t(w) * format];  // bottom row first
        for (int32_t x = 0; x < w; ++x) {
            const float d = distance(s, float(x) + 0.5f, float(y) + 0.5f);
            const float cover = std::clamp(0.5f - d, 0.0f, 1.0f) * s.alpha;
            uint8_t* p = row + size_t(x) * format;
            if (format == 3) {  // no alpha: the shape over an opaque background
                float c[3] = {0, 0, 0};
                if (cover > 0) shade(s, x, y, seed, c);
                for (int k = 0; k < 3; ++k)
                    p[k] = byteOf(background[k] + (c[k] - background[k]) * cover);
                continue;
            }
            if (cover <= 0) continue;
            float c[3];
            shade(s, x, y, seed, c);
            // The raw writer stores colours as given, so it gets straight colours; the
            // run-length writer divides by alpha, so it gets premultiplied ones.
            const float k = kind == Kind::TgaRle32 ? cover : 1.0f;
            const uint8_t a = byteOf(cover * 255);
            if (a == 0) continue;
            p[0] = byteOf(c[0] * k);
            p[1] = byteOf(c[1] * k);
            p[2] = byteOf(c[2] * k);
            p[3] = a;
        }
    }
    const int32_t ok = kind == Kind::TgaRle32
                           ? writeTgaRle(path.c_str(), uint32_t(w), uint32_t(h), px.data(), format)
                           : writeTgaRaw(path.c_str(), uint32_t(w), uint32_t(h), px.data(), format);
    return ok == 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("Usage: make_sprite_set OUT_DIR [COUNT] [SEED]\n");
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
    std::string list;  // the sprite statements, shared by both control files
    uint64_t bytes[4] = {}, files[4] = {};
    const char* hotspots[] = {"UpLeft", "Middle", "DownRight", "DownLeft", "UpRight"};
    for (long i = 0; i < count; ++i) {
        if (i % 500 == 0) {  // settings change now and then, as in a real sprite list
            list += "\nHotspot " + std::string(hotspots[(i / 500) % 5]) + "\n";
            list += (i / 500) % 2 == 0 ? "Padding On\n" : "Padding Off\n";
        }
        const int32_t w = pickSide(rng);
        const int32_t h = std::clamp(int32_t(float(w) * (0.6f + rng.unit())), 16, 512);
        const Kind kind = pickKind(rng);

        // A transparent border of up to a quarter of each side, the shape inside it.
        const int32_t left = rng.range(0, w / 4), right = rng.range(0, w / 4);
        const int32_t top = rng.range(0, h / 4), bottom = rng.range(0, h / 4);
        Shape s;
        s.kind = rng.range(0, 3);
        s.ax = float(w - left - right) / 2;
        s.ay = float(h - top - bottom) / 2;
        s.cx = float(left) + s.ax;
        s.cy = float(top) + s.ay;
        s.round = std::min(s.ax, s.ay) * rng.unit() * 0.5f;
        s.r = float(rng.range(30, 255));
        s.g = float(rng.range(30, 255));
        s.b = float(rng.range(30, 255));
        s.alpha = rng.range(0, 3) == 0 ? 0.6f + 0.4f * rng.unit() : 1.0f;
        s.texture = rng.range(0, 2);
        const float background[3] = {float(rng.range(0, 255)), float(rng.range(0, 255)),
                                     float(rng.range(0, 255))};

        char name[16];
        std::snprintf(name, sizeof name, "s%05ld", i);
        const bool pcx = kind == Kind::Pcx;
        const std::string path =
            (dir / "art" / (std::string(name) + (pcx ? ".pcx" : ".tga"))).string();
        if (!writeSprite(path, kind, w, h, s, uint32_t(i), background)) {
            std::printf("Cannot write %s\n", path.c_str());
            return 1;
        }
        bytes[int(kind)] += std::filesystem::file_size(path, ec);
        files[int(kind)] += 1;
        list += std::string(pcx ? "PCX " : "TGA ") + name + "\n";
    }

    const std::string head = "// Generated by make_sprite_set: " + std::to_string(count) +
                             " sprites. Run from this folder.\nSource ./art/\nDest out/\n";
    std::ofstream(dir / "info.ctl", std::ios::binary) << head << "InfoFile out/sprites.txt\n"
                                                      << list;
    std::ofstream(dir / "bin.ctl", std::ios::binary) << head << "WriteOneFile sprites.bin\nBIN\n"
                                                     << list;

    const char* kindNames[] = {"32-bit raw TGA", "32-bit run-length TGA", "24-bit raw TGA",
                               "8-bit PCX"};
    uint64_t total = 0;
    for (int k = 0; k < 4; ++k) {
        std::printf("%6llu %-22s %12llu bytes\n", (unsigned long long)files[k], kindNames[k],
                    (unsigned long long)bytes[k]);
        total += bytes[k];
    }
    std::printf("%6ld sprites %27llu bytes\n", count, (unsigned long long)total);
    return 0;
}
