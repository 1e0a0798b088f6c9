// Image loading speed: loadTga on five TGA variants and loadPcx on an 8-bit PCX file, all
// 512 x 512 sprite-like pictures, and stb_image's stbi_load on the same TGA files for
// comparison; the PNG reader's listing box and whole decode on the same picture as an RGBA PNG
// file, next to stbi_load_from_memory. Throughput is counted in bytes of output pixels (4 a pixel for TGA, 1 for PCX).
// The files are made once in a temporary folder and read once before timing, so every load
// comes from the page cache.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "filesys/disk_read.hpp"
#include "filesys/file_access.hpp"
#include "image/pcx.hpp"
#include "image/png.hpp"
#include "image/tga.hpp"
#include "image/tga_sprite.hpp"
#include "sprite/crop.hpp"

#ifdef SPRITEBAKE_HAVE_STB
#include <stb_image.h>
#endif

namespace {

constexpr int kSide = 512;
using Bytes = std::vector<uint8_t>;

// Straight (not premultiplied) RGBA, row 0 the bottom row: a disc covering about three
// quarters of the square, an antialiased rim of alphas 1 to 254, a noisy opaque inside, and a
// fully transparent border.
struct Sprite {
    Bytes rgba;
    Bytes alphaClass;  // 0 transparent, 1 rim, 2 opaque
};

Sprite makeSprite() {
    Sprite s;
    s.rgba.resize(size_t{kSide} * kSide * 4);
    s.alphaClass.resize(size_t{kSide} * kSide);
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> noise(-12, 12);
    const double centre = (kSide - 1) / 2.0;
    const double radius = 250.0;
    const double rim = 3.0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            size_t i = size_t(y) * kSide + x;
            double d = std::hypot(x - centre, y - centre);
            double coverage = (radius - d) / rim;
            uint8_t* p = &s.rgba[i * 4];
            if (coverage <= 0) {
                p[0] = p[1] = p[2] = p[3] = 0;
                s.alphaClass[i] = 0;
                continue;
            }
            int alpha = coverage >= 1 ? 255 : 1 + static_cast<int>(coverage * 253);
            auto channel = [&](int base) {
                int v = base + noise(rng);
                return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            };
            p[0] = channel(60 + x * 150 / kSide);
            p[1] = channel(200 - y * 120 / kSide);
            p[2] = channel(90 + (x + y) * 60 / kSide);
            p[3] = static_cast<uint8_t>(alpha);
            s.alphaClass[i] = alpha == 255 ? 2 : 1;
        }
    }
    return s;
}

void putU16(Bytes& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

Bytes tgaHeader(uint8_t mapType, uint8_t imageType, int mapLength, uint8_t entrySize, uint8_t depth,
                uint8_t descriptor) {
    Bytes h = {0, mapType, imageType};
    putU16(h, 0);
    putU16(h, mapLength);
    h.push_back(entrySize);
    putU16(h, 0);
    putU16(h, 0);
    putU16(h, kSide);
    putU16(h, kSide);
    h.push_back(depth);
    h.push_back(descriptor);
    return h;
}

// 1-5-5-5 with the attribute bit set, one alpha bit: stb reads it as 5-5-5 colour.
Bytes tga16(const Sprite& s) {
    Bytes out = tgaHeader(0, 2, 0, 0, 16, 1);
    for (size_t i = 0; i < s.alphaClass.size(); ++i) {
        const uint8_t* p = &s.rgba[i * 4];
        uint32_t v = (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3) | 0x8000;
        putU16(out, static_cast<int>(v));
    }
    return out;
}

// The 256-entry palette of the indexed variants: index 0 transparent, 1-63 the rim's alphas,
// 64-255 a 8 x 6 x 4 colour cube.
int paletteIndex(const Sprite& s, size_t i) {
    const uint8_t* p = &s.rgba[i * 4];
    if (s.alphaClass[i] == 0) return 0;
    if (s.alphaClass[i] == 1) return 1 + p[3] * 62 / 255;
    return 64 + (p[0] * 8 / 256) * 24 + (p[1] * 6 / 256) * 4 + p[2] * 4 / 256;
}

void paletteColour(int index, uint8_t rgba[4]) {
    if (index == 0) {
        rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
    } else if (index < 64) {
        rgba[0] = 120;
        rgba[1] = 160;
        rgba[2] = 110;
        rgba[3] = static_cast<uint8_t>(index * 255 / 63);
    } else {
        int c = index - 64;
        rgba[0] = static_cast<uint8_t>((c / 24) * 255 / 7);
        rgba[1] = static_cast<uint8_t>((c / 4 % 6) * 255 / 5);
        rgba[2] = static_cast<uint8_t>((c % 4) * 255 / 3);
        rgba[3] = 255;
    }
}

// Colour-mapped, run-length, 8-bit indices, 32-bit entries with 8 alpha bits.
Bytes tgaIndexedRle(const Sprite& s) {
    Bytes out = tgaHeader(1, 9, 256, 32, 8, 8);
    for (int i = 0; i < 256; ++i) {
        uint8_t c[4];
        paletteColour(i, c);
        out.insert(out.end(), {c[2], c[1], c[0], c[3]});
    }
    for (int y = 0; y < kSide; ++y) {
        int x = 0;
        while (x < kSide) {
            size_t i = size_t(y) * kSide + x;
            int v = paletteIndex(s, i);
            int n = 1;
            while (x + n < kSide && n < 128 && paletteIndex(s, i + n) == v) ++n;
            if (n > 1) {
                out.push_back(static_cast<uint8_t>(0x80 | (n - 1)));
                out.push_back(static_cast<uint8_t>(v));
            } else {
                // A raw packet up to the next pair of equal indices.
                int m = 1;
                while (
                    x + m < kSide && m < 128 &&
                    !(x + m + 1 < kSide && paletteIndex(s, i + m) == paletteIndex(s, i + m + 1))) {
                    ++m;
                }
                out.push_back(static_cast<uint8_t>(m - 1));
                for (int k = 0; k < m; ++k)
                    out.push_back(static_cast<uint8_t>(paletteIndex(s, i + k)));
                n = m;
            }
            x += n;
        }
    }
    return out;
}

// 8-bit PCX, top row first, index 255 transparent as the sprite tool expects; runs of up to
// 63, and values of 0xC0 and above always as runs.
Bytes pcx8(const Sprite& s) {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    out[8] = (kSide - 1) & 0xFF;
    out[9] = (kSide - 1) >> 8;
    out[10] = (kSide - 1) & 0xFF;
    out[11] = (kSide - 1) >> 8;
    out[65] = 1;
    out[66] = kSide & 0xFF;
    out[67] = kSide >> 8;
    out[68] = 1;
    for (int row = 0; row < kSide; ++row) {
        int y = kSide - 1 - row;
        auto index = [&](int x) {
            int v = paletteIndex(s, size_t(y) * kSide + x);
            return v == 0 ? 255 : v;
        };
        int x = 0;
        while (x < kSide) {
            int v = index(x);
            int n = 1;
            while (x + n < kSide && n < 63 && index(x + n) == v) ++n;
            if (n > 1 || v >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | n));
            out.push_back(static_cast<uint8_t>(v));
            x += n;
        }
    }
    out.push_back(12);
    for (int i = 0; i < 256; ++i) {
        uint8_t c[4];
        paletteColour(i == 255 ? 0 : i, c);
        out.insert(out.end(), {c[0], c[1], c[2]});
    }
    return out;
}

struct Files {
    std::filesystem::path dir;
    std::string raw32, rle32, raw24, raw16, indexedRle8, pcx;

    Files() {
        dir = std::filesystem::temp_directory_path() /
              ("spritebake_bench_" + std::to_string(static_cast<unsigned long>(::getpid())));
        std::filesystem::create_directories(dir);
        Sprite s = makeSprite();
        raw32 = (dir / "raw32.tga").string();
        rle32 = (dir / "rle32.tga").string();
        raw24 = (dir / "raw24.tga").string();
        raw16 = (dir / "raw16.tga").string();
        indexedRle8 = (dir / "indexed_rle8.tga").string();
        pcx = (dir / "sprite8.pcx").string();
        check(writeTgaRaw(raw32.c_str(), kSide, kSide, s.rgba.data(), 4), raw32);
        // The run-length writer takes premultiplied pixels, as loadTga delivers them.
        int32_t w = 0, h = 0;
        auto premultiplied = loadTga(raw32.c_str(), &w, &h, 4);
        check(premultiplied != nullptr, raw32);
        check(writeTgaRle(rle32.c_str(), kSide, kSide, premultiplied.get(), 4), rle32);
        Bytes rgb;
        for (size_t i = 0; i < s.rgba.size(); i += 4) {
            rgb.insert(rgb.end(), {s.rgba[i], s.rgba[i + 1], s.rgba[i + 2]});
        }
        check(writeTgaRaw(raw24.c_str(), kSide, kSide, rgb.data(), 3), raw24);
        write(raw16, tga16(s));
        write(indexedRle8, tgaIndexedRle(s));
        write(pcx, pcx8(s));
        for (const std::string* p : {&raw32, &rle32, &raw24, &raw16, &indexedRle8, &pcx}) {
            std::vector<uint8_t> warm;
            check(readRegularFile(p->c_str(), warm) == FileRead::read, *p);
        }
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static void check(bool ok, const std::string& path) {
        if (!ok) {
            std::fprintf(stderr, "could not make %s\n", path.c_str());
            std::exit(1);
        }
    }
    static void write(const std::string& path, const Bytes& bytes) {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
        check(static_cast<bool>(f), path);
    }
};

const Files& files() {
    static const Files instance;
    return instance;
}

void loadTgaFile(benchmark::State& state, const std::string Files::*which) {
    const std::string& path = files().*which;
    int64_t bytes = 0;
    for (auto _ : state) {
        int32_t w = 0, h = 0;
        auto image = loadTga(path.c_str(), &w, &h, 4);
        if (!image) {
            state.SkipWithError("loadTga failed");
            return;
        }
        benchmark::DoNotOptimize(image.get());
        bytes += int64_t{w} * h * 4;
    }
    state.SetBytesProcessed(bytes);
}

void loadPcxFile(benchmark::State& state) {
    const std::string& path = files().pcx;
    int64_t bytes = 0;
    for (auto _ : state) {
        int32_t w = 0, h = 0;
        auto image = loadPcx(path.c_str(), &w, &h);
        if (!image) {
            state.SkipWithError("loadPcx failed");
            return;
        }
        benchmark::DoNotOptimize(image.get());
        bytes += int64_t{w} * h;
    }
    state.SetBytesProcessed(bytes);
}

// The sprite road on a file already in memory: today's decode and crop, the box alone from the
// file's bytes, and the box with the cropped pixels into reused blocks. Counted in bytes of
// the whole picture, as loadTga is.
enum class SpriteRoad { DecodeAndCrop, FastBox, FastCrop };

void spriteRoad(benchmark::State& state, const std::string Files::*which, SpriteRoad road) {
    Bytes file;
    Files::check(readRegularFile((files().*which).c_str(), file) == FileRead::read, files().*which);
    ReusedBuffer out;
    ReusedBuffer scratch;
    int64_t bytes = 0;
    for (auto _ : state) {
        int32_t w = 0, h = 0, wd = 0, ht = 0;
        if (road == SpriteRoad::DecodeAndCrop) {
            auto picture = decodeTga(file, &w, &h, 4);
            auto cropped = cropRgba(picture.get(), w, h, &wd, &ht);
            benchmark::DoNotOptimize(cropped.get());
        } else {
            TgaBox box;
            if (!findTgaBox(file, box)) {
                state.SkipWithError("no fast path for this file");
                return;
            }
            w = box.width;
            h = box.height;
            if (road == SpriteRoad::FastCrop && !box.blank) {
                const size_t size = size_t(box.right - box.left + 1) * (box.bottom - box.top + 1);
                uint8_t* block = out.reserve(size * 4);
                cropTgaFast(file, box, block, scratch);
                benchmark::DoNotOptimize(block);
            }
            benchmark::DoNotOptimize(box);
        }
        bytes += int64_t{w} * h * 4;
    }
    state.SetBytesProcessed(bytes);
}

// The sprite as an RGBA PNG file, top row first, every row Paeth-filtered, zlib level 6.
Bytes pngOf(const Sprite& s) {
    const size_t stride = size_t{kSide} * 4;
    Bytes scanlines;
    Bytes prior(stride, 0);
    for (int y = kSide - 1; y >= 0; --y) {
        const uint8_t* row = &s.rgba[size_t(y) * stride];
        scanlines.push_back(4);
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? row[i - 4] : 0;
            const int b = prior[i];
            const int c = i >= 4 ? prior[i - 4] : 0;
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            scanlines.push_back(static_cast<uint8_t>(row[i] - predictor));
        }
        prior.assign(row, row + stride);
    }
    uLongf size = compressBound(static_cast<uLong>(scanlines.size()));
    Bytes z(size);
    compress2(z.data(), &size, scanlines.data(), static_cast<uLong>(scanlines.size()), 6);
    z.resize(size);
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(data.size() >> shift));
        const size_t at = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        const uLong crc = crc32(0, out.data() + at, static_cast<uInt>(out.size() - at));
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(crc >> shift));
    };
    chunk("IHDR", {0, 0, kSide >> 8, kSide & 0xFF, 0, 0, kSide >> 8, kSide & 0xFF, 8, 6, 0, 0, 0});
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

const Bytes& pngFileBytes() {
    static const Bytes bytes = pngOf(makeSprite());
    return bytes;
}

// The PNG road on a file in memory: the listing's box from the rows, or the whole picture
// decoded into a reused block and its box found. Counted in bytes of the whole picture.
void pngRoad(benchmark::State& state, bool wholePicture) {
    const Bytes& file = pngFileBytes();
    ReusedBuffer block;
    int64_t bytes = 0;
    for (auto _ : state) {
        TgaBox box;
        PngError error = PngError::none;
        if (wholePicture) {
            PngPicture picture;
            error = decodePng(file, block, picture);
            box = findAlphaBox(picture.rgba, picture.width, picture.height);
        } else {
            error = findPngBox(file, block, box);
        }
        if (error != PngError::none) {
            state.SkipWithError("the PNG file did not decode");
            return;
        }
        benchmark::DoNotOptimize(box);
        bytes += int64_t{box.width} * box.height * 4;
    }
    state.SetBytesProcessed(bytes);
}

#ifdef SPRITEBAKE_HAVE_STB
void stbLoadPng(benchmark::State& state) {
    const Bytes& file = pngFileBytes();
    int64_t bytes = 0;
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        stbi_uc* image =
            stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 4);
        if (image == nullptr) {
            state.SkipWithError("stbi_load_from_memory failed");
            return;
        }
        benchmark::DoNotOptimize(image);
        stbi_image_free(image);
        bytes += int64_t{w} * h * 4;
    }
    state.SetBytesProcessed(bytes);
}
#endif

#ifdef SPRITEBAKE_HAVE_STB
void stbLoadFile(benchmark::State& state, const std::string Files::*which) {
    const std::string& path = files().*which;
    int64_t bytes = 0;
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        stbi_uc* image = stbi_load(path.c_str(), &w, &h, &channels, 4);
        if (image == nullptr) {
            state.SkipWithError("stbi_load failed");
            return;
        }
        benchmark::DoNotOptimize(image);
        stbi_image_free(image);
        bytes += int64_t{w} * h * 4;
    }
    state.SetBytesProcessed(bytes);
}
#endif

struct Variant {
    const char* name;
    const std::string Files::*path;
};

const Variant kVariants[] = {
    {"raw32", &Files::raw32},
    {"rle32", &Files::rle32},
    {"raw24", &Files::raw24},
    {"raw16", &Files::raw16},
    {"indexed_rle8", &Files::indexedRle8},
};

void registerAll() {
    for (const Variant& v : kVariants) {
        benchmark::RegisterBenchmark((std::string("loadTga/") + v.name).c_str(), loadTgaFile,
                                     v.path);
#ifdef SPRITEBAKE_HAVE_STB
        benchmark::RegisterBenchmark((std::string("stbi_load/") + v.name).c_str(), stbLoadFile,
                                     v.path);
#endif
    }
    benchmark::RegisterBenchmark("loadPcx/pcx8", loadPcxFile);
    benchmark::RegisterBenchmark("pngBox/rgba8", pngRoad, false);
    benchmark::RegisterBenchmark("pngDecode/rgba8", pngRoad, true);
#ifdef SPRITEBAKE_HAVE_STB
    benchmark::RegisterBenchmark("stbi_load_from_memory/png_rgba8", stbLoadPng);
#endif
    const Variant fastVariants[] = {kVariants[0], kVariants[1], kVariants[2]};
    for (const Variant& v : fastVariants) {
        const std::pair<const char*, SpriteRoad> roads[] = {
            {"decodeAndCrop/", SpriteRoad::DecodeAndCrop},
            {"fastBox/", SpriteRoad::FastBox},
            {"fastCrop/", SpriteRoad::FastCrop},
        };
        for (const auto& [prefix, road] : roads) {
            benchmark::RegisterBenchmark((std::string(prefix) + v.name).c_str(), spriteRoad, v.path,
                                         road);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    fileSystemInit(nullptr, nullptr);
#ifndef SPRITEBAKE_HAVE_STB
    std::printf(
        "stb_image was not found when this benchmark was built: the stbi_load peer is "
        "skipped.\n");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    files();  // made before the first timing
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
