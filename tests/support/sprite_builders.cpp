#include "tests/support/sprite_builders.hpp"

#include <cstdio>
#include <filesystem>

namespace drivertest {

namespace {

void put16(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    bytes[offset] = static_cast<uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

Picture boxPicture(int32_t w, int32_t h, int32_t x, int32_t y, int32_t bw, int32_t bh) {
    Picture picture(w, h);
    for (int32_t row = y; row < y + bh; ++row) {
        for (int32_t col = x; col < x + bw; ++col) {
            picture.at(col, row) =
                Rgba{static_cast<uint8_t>(10 + col), static_cast<uint8_t>(100 + row),
                     static_cast<uint8_t>(col * 3 + row), 255};
        }
    }
    return picture;
}

IndexPicture boxIndexPicture(int32_t w, int32_t h, int32_t x, int32_t y, int32_t bw, int32_t bh) {
    IndexPicture picture(w, h);
    for (int32_t row = y; row < y + bh; ++row) {
        for (int32_t col = x; col < x + bw; ++col) {
            picture.at(col, row) = static_cast<uint8_t>((col * 37 + row * 11) % 250);
        }
    }
    return picture;
}

std::vector<uint8_t> tgaFile(const Picture& picture) {
    std::vector<uint8_t> file(18, 0);
    file[2] = 2;  // uncompressed true-colour
    put16(file, 12, picture.width);
    put16(file, 14, picture.height);
    file[16] = 32;
    file[17] = 8;  // 8 alpha bits, bottom-left origin
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const Rgba& p = picture.at(x, y);
            file.insert(file.end(), {p.b, p.g, p.r, p.a});
        }
    }
    return file;
}

std::vector<uint8_t> pcxFile(const IndexPicture& picture, uint8_t marker) {
    std::vector<uint8_t> file(128, 0);
    file[0] = 10;  // manufacturer
    file[1] = 5;   // version
    file[2] = 1;   // run-length encoding
    file[3] = 8;   // bits per pixel
    put16(file, 8, picture.width - 1);
    put16(file, 10, picture.height - 1);
    file[65] = 1;  // planes
    put16(file, 66, picture.width);
    for (int32_t y = 0; y < picture.height; ++y) {
        int32_t x = 0;
        while (x < picture.width) {
            const uint8_t value = picture.indices[static_cast<size_t>(y * picture.width + x)];
            int32_t run = 1;
            while (x + run < picture.width && run < 63 &&
                   picture.indices[static_cast<size_t>(y * picture.width + x + run)] == value) {
                ++run;
            }
            if (run > 1 || value >= 0xC0) {
                file.push_back(static_cast<uint8_t>(0xC0 + run));
            }
            file.push_back(value);
            x += run;
        }
    }
    file.push_back(marker);
    for (int i = 0; i < 768; ++i) file.push_back(static_cast<uint8_t>(i / 3));
    return file;
}

std::vector<uint8_t> rgbaBlock(const Picture& picture, int32_t x, int32_t y, int32_t bw,
                               int32_t bh) {
    std::vector<uint8_t> block;
    for (int32_t row = y; row < y + bh; ++row) {
        for (int32_t col = x; col < x + bw; ++col) {
            const Rgba& p = picture.at(col, row);
            block.insert(block.end(), {p.r, p.g, p.b, p.a});
        }
    }
    return block;
}

std::vector<uint8_t> indexBlock(const IndexPicture& picture, int32_t x, int32_t y, int32_t bw,
                                int32_t bh) {
    std::vector<uint8_t> block;
    for (int32_t row = y; row < y + bh; ++row) {
        for (int32_t col = x; col < x + bw; ++col) {
            block.push_back(picture.indices[static_cast<size_t>(row * picture.width + col)]);
        }
    }
    return block;
}

std::vector<uint8_t> words(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : values) {
        bytes.insert(bytes.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                   static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)});
    }
    return bytes;
}

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string infoLine(uint32_t hid, const std::string& method, int32_t padding, int32_t hx,
                     int32_t hy, int32_t wd, int32_t ht) {
    return "hid " + std::to_string(static_cast<int32_t>(hid)) + " hotspot method " + method +
           " padding " + std::to_string(padding) + "  hx " + std::to_string(hx) + "  hy " +
           std::to_string(hy) + "  wd " + std::to_string(wd) + "  ht " + std::to_string(ht) + "\n";
}

BakeDir::BakeDir() {
    makeDir("art");
    makeDir("out");
    writeText("info.txt", "0 sprites\n");
}

void BakeDir::makeDir(const std::string& relative) const {
    std::filesystem::create_directories(dir_.path() / relative);
}

void BakeDir::writeTga(const std::string& relative, const Picture& picture) const {
    testsupport::writeFile(path(relative), tgaFile(picture));
}

void BakeDir::writePcx(const std::string& relative, const IndexPicture& picture,
                       uint8_t marker) const {
    testsupport::writeFile(path(relative), pcxFile(picture, marker));
}

void BakeDir::writeText(const std::string& relative, const std::string& text) const {
    testsupport::writeText(path(relative), text);
}

std::vector<uint8_t> BakeDir::read(const std::string& relative) const {
    return testsupport::readFile(path(relative));
}

std::string BakeDir::readText(const std::string& relative) const {
    return testsupport::readText(path(relative));
}

bool BakeDir::exists(const std::string& relative) const {
    return std::filesystem::exists(dir_.path() / relative);
}

void BakeDir::remove(const std::string& relative) const {
    std::filesystem::remove(dir_.path() / relative);
}

testsupport::ChildResult BakeDir::run(const std::string& control,
                                      testsupport::ChildLimits limits) const {
    writeText("sprites.ctl", control);
    return testsupport::runSpritebake({"sprites.ctl"}, dir_.path().string(), limits);
}

}  // namespace drivertest
