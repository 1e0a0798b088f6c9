// Small builders for the driver's tests: sprite pictures with known visible pixels, the TGA
// and PCX files that hold them, the bytes a single sprite file must hold for them, and a
// scratch folder in which to run the real executable on a control file.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/test_support.hpp"

namespace drivertest {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// An upright RGBA picture, rows top first; an all-zero pixel is transparent.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgba> pixels;
    Picture(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w * h)) {}
    Rgba& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * width + x)]; }
    const Rgba& at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y * width + x)];
    }
};

// A w x h picture whose visible pixels fill the box at (x, y) of size bw x bh, each opaque
// with a colour of its own, so that any mix-up of rows or columns shows.
Picture boxPicture(int32_t w, int32_t h, int32_t x, int32_t y, int32_t bw, int32_t bh);

// An upright picture of palette indices, rows top first; 255 is transparent.
struct IndexPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> indices;
    IndexPicture(int32_t w, int32_t h)
        : width(w), height(h), indices(static_cast<size_t>(w * h), 255) {}
    uint8_t& at(int32_t x, int32_t y) { return indices[static_cast<size_t>(y * width + x)]; }
};

// The same for indices; the box holds values from 0 up, some of them 0xC0 or above.
IndexPicture boxIndexPicture(int32_t w, int32_t h, int32_t x, int32_t y, int32_t bw, int32_t bh);

// A raw 32-bit TGA file (8 alpha bits, bottom-left origin): an 18-byte header and the pixels
// as blue, green, red, alpha, bottom row first.
std::vector<uint8_t> tgaFile(const Picture& picture);

// An 8-bit PCX file: a 128-byte header, run-length-encoded rows, `marker` and a 768-byte
// palette.
std::vector<uint8_t> pcxFile(const IndexPicture& picture, uint8_t marker = 12);

// The pixel block of the box at (x, y), bw x bh: red, green, blue, alpha, rows top first.
std::vector<uint8_t> rgbaBlock(const Picture& picture, int32_t x, int32_t y, int32_t bw,
                               int32_t bh);
std::vector<uint8_t> indexBlock(const IndexPicture& picture, int32_t x, int32_t y, int32_t bw,
                                int32_t bh);

// Little-endian 32-bit words.
std::vector<uint8_t> words(std::initializer_list<uint32_t> values);

std::vector<uint8_t> bytesOf(const std::string& text);
std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts);

// One line of the info file, spelled out here as a reader of the file expects it.
std::string infoLine(uint32_t hid, const std::string& method, int32_t padding, int32_t hx,
                     int32_t hy, int32_t wd, int32_t ht);

// A scratch folder with the subfolders art/ and out/, and an info.txt that reads 0 sprites, so
// that an InfoFile info.txt statement reads it back without a message.
class BakeDir {
  public:
    BakeDir();
    std::string path(const std::string& relative) const { return dir_.file(relative); }
    void makeDir(const std::string& relative) const;
    void writeTga(const std::string& relative, const Picture& picture) const;
    void writePcx(const std::string& relative, const IndexPicture& picture,
                  uint8_t marker = 12) const;
    void writeText(const std::string& relative, const std::string& text) const;
    std::vector<uint8_t> read(const std::string& relative) const;
    std::string readText(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    void remove(const std::string& relative) const;

    // Writes `control` to sprites.ctl and runs spritebake sprites.ctl in the folder.
    testsupport::ChildResult run(const std::string& control,
                                 testsupport::ChildLimits limits = {}) const;

  private:
    testsupport::TempDir dir_;
};

// The usual head of a control file: sources in art/, output in out/, info file info.txt.
inline const std::string kHead = "Source art/\nDest out/\nInfoFile info.txt\n";

}  // namespace drivertest
