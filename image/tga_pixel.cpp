// The three per-pixel steps of the TGA reader (read, convert, store) and the tables that the
// fast decoders share with them, built from the very same arithmetic.
#include <cstring>

#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace {

// The single-precision factors the format's 5-bit and 6-bit channels are scaled by; full
// intensity becomes 254, not 255.
constexpr float SCALE5 = 8.2258f;
constexpr float SCALE6 = 4.0476f;

uint32_t premultiplyChannel(uint32_t c, uint32_t a) {
    // In this order, in double precision, truncated: the result may fall one below c * a / 255.
    return static_cast<uint32_t>((c / 255.0) * (a / 255.0) * 255.0);
}

uint32_t scale5(uint32_t level) {
    return static_cast<uint32_t>(static_cast<float>(level) * SCALE5);
}
uint32_t scale6(uint32_t level) {
    return static_cast<uint32_t>(static_cast<float>(level) * SCALE6);
}

// 5-5-5: the top bit (the attribute bit) is not used; always opaque.
uint32_t rule15(uint32_t value) {
    uint32_t red = scale5((value & 0x7C00) >> 10);
    uint32_t green = scale5((value & 0x03E0) >> 5);
    uint32_t blue = scale5(value & 0x001F);
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

uint32_t rule565(uint32_t value) {
    uint32_t red = scale5((value & 0xF800) >> 11);
    uint32_t green = scale6((value & 0x07E0) >> 5);
    uint32_t blue = scale5(value & 0x001F);
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

struct Tables {
    uint8_t premultiply[256 * 256];
    uint8_t levels5[32];
    uint8_t levels6[64];
    Tables() {
        for (uint32_t a = 0; a < 256; ++a) {
            for (uint32_t c = 0; c < 256; ++c) {
                premultiply[a * 256 + c] = static_cast<uint8_t>(premultiplyChannel(c, a));
            }
        }
        for (uint32_t i = 0; i < 32; ++i) levels5[i] = static_cast<uint8_t>(scale5(i));
        for (uint32_t i = 0; i < 64; ++i) levels6[i] = static_cast<uint8_t>(scale6(i));
    }
};

const Tables& tables() {
    static const Tables instance;
    return instance;
}

}  // namespace

const uint8_t* tgaPremultiplyTable() {
    return tables().premultiply;
}
const uint8_t* tgaLevels5() {
    return tables().levels5;
}
const uint8_t* tgaLevels6() {
    return tables().levels6;
}

uint32_t lookupTgaColour(const TgaColourMap& map, uint32_t value) {
    // Unsigned wrap-around sends values below firstIndex far past the end.
    uint32_t position = value - map.firstIndex;
    if (value < map.firstIndex || position >= map.length) return 0;
    const uint8_t* entry = map.entries + static_cast<size_t>(position) * map.bytesPerEntry;
    uint32_t result = 0;
    for (uint32_t k = 0; k < map.bytesPerEntry && k < 4; ++k)
        result |= uint32_t{entry[k]} << (8 * k);
    return result;
}

uint32_t readTgaPixel(TgaCursor& cursor, uint32_t bytesPerPixel, const TgaColourMap* map) {
    uint32_t value = 0;
    for (uint32_t k = 0; k < bytesPerPixel; ++k) {
        int byte = cursor.get();
        if (byte < 0) {
            value = 0;  // a pixel cut short by the end of the data reads as 0
        } else if (k < 4) {
            value |= static_cast<uint32_t>(byte) << (8 * k);
        }
    }
    return map != nullptr ? lookupTgaColour(*map, value) : value;
}

uint32_t convertTgaValue(uint32_t value, int32_t depth, int32_t alphaBits, uint32_t format,
                         bool blackAndWhite) {
    // First to blue in bits 0-7, green 8-15, red 16-23, alpha 24-31, the file's order.
    uint32_t v;
    if (depth <= 8) {
        uint32_t grey = value & 0xFF;
        v = 0xFF000000u | grey << 16 | grey << 8 | grey;
    } else if (depth <= 15) {
        v = rule15(value);
    } else if (depth == 16) {
        if (blackAndWhite) {
            uint32_t grey = value & 0xFF;
            uint32_t alpha = alphaBits != 0 ? (value >> 8) & 0xFF : 0xFF;
            v = alpha << 24 | grey << 16 | grey << 8 | grey;
        } else if (alphaBits == 1) {
            v = rule15(value);
        } else {
            v = rule565(value);
        }
    } else if (depth <= 24) {
        v = (value & 0x00FFFFFFu) | 0xFF000000u;
    } else {
        v = alphaBits == 0 ? (value & 0x00FFFFFFu) | 0xFF000000u : value;
    }
    uint32_t alpha = v >> 24;
    uint32_t red = premultiplyChannel((v >> 16) & 0xFF, alpha);
    uint32_t green = premultiplyChannel((v >> 8) & 0xFF, alpha);
    uint32_t blue = premultiplyChannel(v & 0xFF, alpha);
    uint32_t out = red | green << 8 | blue << 16 | alpha << 24;
    return format == 3 ? out & 0x00FFFFFFu : out;
}

uint32_t convertTgaPixel(uint32_t value, int32_t depth, int32_t alphaBits, uint32_t format) {
    return convertTgaValue(value, depth, alphaBits, format, false);
}

void storeTgaPixel(uint8_t* image, uint8_t descriptor, uint32_t index, uint32_t width,
                   uint32_t height, uint32_t value, uint32_t format) {
    if (width == 0 || index / width >= height) return;  // outside the image: nothing stored
    uint32_t column = index % width;
    uint32_t row = index / width;
    uint32_t x = (descriptor & 0x10) != 0 ? width - 1 - column : column;
    uint32_t y = (descriptor & 0x20) != 0 ? height - 1 - row : row;
    uint8_t* pixel = image + (static_cast<size_t>(y) * width + x) * format;
    for (uint32_t k = 0; k < format; ++k) {
        pixel[k] = k < 4 ? static_cast<uint8_t>(value >> (8 * k)) : 0;
    }
}
