// Draws the bundled example sprites and writes them into a folder (default: art):
//   make_examples [ART_DIR]
// Characters, items, tiles and the frames of an explosion, each on a canvas with a transparent
// border, as 32-bit TGA (raw and run-length), 24-bit TGA (opaque tiles) and 8-bit PCX.
// Shapes are signed distance functions, so every edge is antialiased by its coverage.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "examples/pcx_writer.hpp"
#include "image/tga.hpp"

namespace {

// ---- Colours and shapes ----

struct Colour {  // straight (not premultiplied) red, green, blue, alpha in 0..1
    float r, g, b, a = 1.0f;
};

using Field = std::function<float(float x, float y)>;   // signed distance, < 0 inside
using Paint = std::function<Colour(float x, float y)>;  // colour at a point
Paint solid(Colour c) {
    return [c](float, float) { return c; };
}

Colour mix(Colour a, Colour b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Paint verticalGradient(float y0, Colour c0, float y1, Colour c1) {
    return [=](float, float y) { return mix(c0, c1, (y - y0) / (y1 - y0)); };
}

// A lit ball: brighter towards the upper left, darker at the rim.
Paint sphereShade(float cx, float cy, float radius, Colour base) {
    return [=](float x, float y) {
        const float nx = (x - cx) / radius, ny = (y - cy) / radius;
        const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
        const float light =
            std::clamp(0.45f + 0.75f * (-0.45f * nx - 0.55f * ny + 0.7f * nz), 0.3f, 1.25f);
        auto ch = [&](float c) { return std::min(1.0f, c * light); };
        return Colour{ch(base.r), ch(base.g), ch(base.b), base.a};
    };
}

Field circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Field ellipse(float cx, float cy, float rx, float ry) {
    return [=](float x, float y) {
        return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1.0f) * std::min(rx, ry);
    };
}

// An axis-aligned box from (x0, y0) to (x1, y1) with corners rounded by `round`.
Field box(float x0, float y0, float x1, float y1, float round = 0.0f) {
    return [=](float x, float y) {
        const float qx = std::abs(x - (x0 + x1) / 2) - ((x1 - x0) / 2 - round);
        const float qy = std::abs(y - (y0 + y1) / 2) - ((y1 - y0) / 2 - round);
        return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) +
               std::min(std::max(qx, qy), 0.0f) - round;
    };
}

// A line from a to b with round ends.
Field segment(float ax, float ay, float bx, float by, float r) {
    return [=](float x, float y) {
        const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
        const float t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
        return std::hypot(px - dx * t, py - dy * t) - r;
    };
}

struct Point {
    float x, y;
};

Field polygon(std::vector<Point> pts) {
    return [pts](float x, float y) {
        float d = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Point a = pts[j], b = pts[i];
            const float ex = b.x - a.x, ey = b.y - a.y, wx = x - a.x, wy = y - a.y;
            const float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * ex / ey) inside = !inside;
        }
        return inside ? -d : d;
    };
}

Field unite(Field a, Field b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Field subtract(Field a, Field b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Field intersect(Field a, Field b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

// ---- Canvas ----

struct Layer {
    Field shape;
    Paint paint;
    float outline = 0.0f;  // width of a dark rim drawn around the shape, under it
    Colour outlineColour{0.08f, 0.06f, 0.1f};
};

const Colour INK{0.08f, 0.06f, 0.1f};

// Premultiplied floats, row 0 at the top.
struct Canvas {
    int32_t width, height;
    std::vector<float> px;  // r, g, b, a per pixel
    Canvas(int32_t w, int32_t h) : width(w), height(h), px(size_t(w) * size_t(h) * 4, 0.0f) {}

    void blend(size_t i, Colour c, float coverage) {
        const float a = c.a * std::clamp(coverage, 0.0f, 1.0f);
        if (a <= 0.0f) return;
        px[i + 0] = c.r * a + px[i + 0] * (1 - a);
        px[i + 1] = c.g * a + px[i + 1] * (1 - a);
        px[i + 2] = c.b * a + px[i + 2] * (1 - a);
        px[i + 3] = a + px[i + 3] * (1 - a);
    }

    // Coverage of a pixel is how far its centre lies inside the edge, clamped to one pixel.
    void draw(const Layer& layer) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
                const float d = layer.shape(cx, cy);
                const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 4;
                if (layer.outline > 0) blend(i, layer.outlineColour, 0.5f - (d - layer.outline));
                blend(i, layer.paint(cx, cy), 0.5f - d);
            }
        }
    }

    void drawAll(std::initializer_list<Layer> layers) {
        for (const Layer& l : layers) draw(l);
    }
};

uint8_t toByte(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

// Bottom-row-first bytes of `format` 3 or 4, premultiplied or with straight colours.
std::vector<uint8_t> tgaPixels(const Canvas& c, uint32_t format, bool premultiplied) {
    std::vector<uint8_t> out(size_t(c.width) * size_t(c.height) * format);
    for (int32_t y = 0; y < c.height; ++y) {
        const int32_t row = c.height - 1 - y;  // TGA images run bottom row first
        for (int32_t x = 0; x < c.width; ++x) {
            const float* p = &c.px[(size_t(y) * size_t(c.width) + size_t(x)) * 4];
            uint8_t* o = &out[(size_t(row) * size_t(c.width) + size_t(x)) * format];
            const uint8_t alpha = toByte(p[3]);
            for (int k = 0; k < 3; ++k) {
                const float v = premultiplied || p[3] <= 0 ? p[k] : p[k] / p[3];
                o[k] = alpha == 0 && format == 4 ? 0 : toByte(v);
            }
            if (format == 4) o[3] = alpha;
        }
    }
    return out;
}

enum class Kind { TgaRaw32, TgaRle32, TgaRaw24, TgaRle24, Pcx };

// Palette indices with a 4 x 4 ordered dither, so shading survives the small palette; a pixel
// less than half covered is transparent.
std::vector<uint8_t> pcxIndices(const Canvas& c) {
    static constexpr int BAYER[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<uint8_t> out(size_t(c.width) * size_t(c.height), PCX_TRANSPARENT);
    for (int32_t y = 0; y < c.height; ++y) {
        for (int32_t x = 0; x < c.width; ++x) {
            const float* p = &c.px[(size_t(y) * size_t(c.width) + size_t(x)) * 4];
            if (p[3] < 0.5f) continue;
            const float bias = (float(BAYER[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
            auto ch = [&](int k) { return toByte(p[k] / p[3] + bias * 0.2f); };
            out[size_t(y) * size_t(c.width) + size_t(x)] = nearestPaletteIndex(ch(0), ch(1), ch(2));
        }
    }
    return out;
}

bool save(const std::string& dir, const char* name, const Canvas& c, Kind kind) {
    std::string path = dir + "/" + name + (kind == Kind::Pcx ? ".pcx" : ".tga");
    int32_t ok = 0;
    switch (kind) {
        case Kind::TgaRaw32:  // the raw writer stores colours as given: give them straight
            ok = writeTgaRaw(path.c_str(), uint32_t(c.width), uint32_t(c.height),
                             tgaPixels(c, 4, false).data(), 4);
            break;
        case Kind::TgaRle32:  // the run-length writer takes premultiplied colours
            ok = writeTgaRle(path.c_str(), uint32_t(c.width), uint32_t(c.height),
                             tgaPixels(c, 4, true).data(), 4);
            break;
        case Kind::TgaRaw24:
            ok = writeTgaRaw(path.c_str(), uint32_t(c.width), uint32_t(c.height),
                             tgaPixels(c, 3, true).data(), 3);
            break;
        case Kind::TgaRle24:
            ok = writeTgaRle(path.c_str(), uint32_t(c.width), uint32_t(c.height),
                             tgaPixels(c, 3, true).data(), 3);
            break;
        case Kind::Pcx:
            ok = writePcx8(path.c_str(), c.width, c.height, pcxIndices(c).data(), spritePalette())
                     ? 1
                     : 0;
            break;
    }
    if (!ok)
        std::printf("Could not write %s\n", path.c_str());
    else
        std::printf("%s (%d x %d)\n", path.c_str(), c.width, c.height);
    return ok != 0;
}

// ---- The sprites ----

Canvas hero() {
    Canvas c(45, 62);
    const Colour steel{0.72f, 0.74f, 0.8f}, skin{1.0f, 0.8f, 0.65f};
    c.drawAll({
        {segment(35, 40, 41, 14, 1.3f), verticalGradient(14, {0.95f, 0.95f, 1}, 40, steel), 1},
        {box(16, 44, 21, 56), solid({0.25f, 0.25f, 0.35f}), 1},
        {box(24, 44, 29, 56), solid({0.25f, 0.25f, 0.35f}), 1},
        {box(13, 53, 22, 58, 1.5f), solid({0.45f, 0.27f, 0.12f}), 1},
        {box(23, 53, 32, 58, 1.5f), solid({0.45f, 0.27f, 0.12f}), 1},
        {box(13, 28, 32, 47, 4),
         verticalGradient(28, {0.3f, 0.5f, 0.95f}, 47, {0.12f, 0.2f, 0.55f}), 1},
        {box(13, 40, 32, 43), solid({0.45f, 0.27f, 0.12f})},
        {box(21, 40, 24, 43), solid({1.0f, 0.85f, 0.2f})},
        {circle(22.5f, 20, 8), sphereShade(22.5f, 20, 8, skin), 1},
        {intersect(circle(22.5f, 19, 9.5f), box(10, 5, 35, 19)), sphereShade(22, 16, 10, steel), 1},
        {segment(22, 10, 15, 5, 2), solid({0.85f, 0.15f, 0.15f}), 1},
        {circle(26, 22, 1.3f), solid(INK)},
        {segment(31, 33, 36, 38, 2.4f), solid(skin), 1},
        {segment(32, 37, 38, 41, 1.1f), solid({0.95f, 0.75f, 0.2f}), 1},
        {circle(13, 37, 7.5f), sphereShade(13, 37, 7.5f, {0.8f, 0.12f, 0.12f}), 1},
        {unite(box(12, 31, 14, 43), box(7, 36, 19, 38)), solid({1.0f, 0.85f, 0.2f})},
    });
    return c;
}

Canvas sword() {
    Canvas c(21, 55);
    const Colour gold{0.95f, 0.75f, 0.2f};
    c.drawAll({
        {polygon({{10.5f, 3}, {13.5f, 8}, {13.5f, 36}, {7.5f, 36}, {7.5f, 8}}),
         [](float x, float) {
             return x < 10.5f ? Colour{0.95f, 0.96f, 1} : Colour{0.62f, 0.65f, 0.72f};
         },
         1},
        {segment(10.5f, 9, 10.5f, 34, 0.5f), solid({0.5f, 0.52f, 0.6f})},
        {box(3, 36, 18, 39, 1.5f), verticalGradient(36, gold, 39, {0.6f, 0.4f, 0.1f}), 1},
        {box(9, 39, 12, 48), solid({0.4f, 0.22f, 0.1f}), 1},
        {circle(10.5f, 50, 2.6f), sphereShade(10.5f, 50, 2.6f, gold), 1},
    });
    return c;
}

Canvas ghost() {
    Canvas c(40, 47);
    Field body = unite(circle(20, 19, 12), box(8, 19, 32, 38));
    for (int i = 0; i < 4; ++i) body = subtract(body, circle(8 + 3 + 6.0f * float(i), 40, 3.2f));
    const Colour sheet{0.92f, 0.95f, 1.0f, 0.78f};
    c.drawAll({
        {body,
         verticalGradient(8, sheet, 40, {0.7f, 0.78f, 0.95f, 0.6f}),
         1,
         {0.25f, 0.3f, 0.5f, 0.8f}},
        {ellipse(15.5f, 18, 2.2f, 3.2f), solid(INK)},
        {ellipse(24.5f, 18, 2.2f, 3.2f), solid(INK)},
        {ellipse(20, 27, 3, 2), solid({0.2f, 0.1f, 0.2f, 0.9f})},
    });
    return c;
}

Canvas slime() {
    Canvas c(49, 38);
    const Colour green{0.3f, 0.85f, 0.3f, 0.92f};
    c.drawAll({
        {intersect(ellipse(24, 26, 19, 15), box(0, 0, 49, 33)), sphereShade(22, 24, 19, green), 1},
        {ellipse(17, 18, 4, 2.2f), solid({1, 1, 1, 0.55f})},
        {circle(19, 24, 3.5f), solid({1, 1, 1}), 0.8f},
        {circle(30, 24, 3.5f), solid({1, 1, 1}), 0.8f},
        {circle(20, 24.5f, 1.7f), solid(INK)},
        {circle(31, 24.5f, 1.7f), solid(INK)},
    });
    return c;
}

Field star(float cx, float cy, float outer, float inner) {
    std::vector<Point> pts;
    for (int i = 0; i < 10; ++i) {
        const float angle = float(i) * 3.14159265f / 5 - 3.14159265f / 2;
        const float r = i % 2 == 0 ? outer : inner;
        pts.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    return polygon(pts);
}

Canvas coin() {
    Canvas c(31, 31);
    const Colour gold{1.0f, 0.78f, 0.15f};
    c.drawAll({
        {circle(15.5f, 15.5f, 11), sphereShade(15.5f, 15.5f, 11, gold), 1, {0.45f, 0.3f, 0.05f}},
        {subtract(circle(15.5f, 15.5f, 8.5f), circle(15.5f, 15.5f, 7.5f)),
         solid({0.75f, 0.5f, 0.05f})},
        {star(15.5f, 16, 6, 2.6f), solid({1.0f, 0.95f, 0.6f}), 0.6f, {0.75f, 0.5f, 0.05f}},
    });
    return c;
}

// A ragged radius: a few slow waves around the centre, so fire and smoke are not perfect discs.
float ragged(float angle, float phase) {
    return 1.0f + 0.10f * std::sin(5 * angle + phase) + 0.06f * std::sin(9 * angle - 2 * phase) +
           0.04f * std::sin(14 * angle + 3 * phase);
}

Canvas explosion(int frame) {
    static constexpr int32_t SIDES[5] = {33, 47, 61, 71, 75};
    const int32_t side = SIDES[frame];
    Canvas c(side, side);
    const float cx = float(side) / 2, cy = float(side) / 2 + 1;
    const float t = float(frame) / 4.0f;  // 0 .. 1 over the animation
    const float radius = float(side) * (0.3f + 0.08f * t);
    const float phase = 1.7f * float(frame);
    Field blast = [=](float x, float y) {
        const float angle = std::atan2(y - cy, x - cx);
        return std::hypot(x - cx, y - cy) - radius * ragged(angle, phase);
    };
    // Fire cools from white through yellow and orange to red and, later, to grey smoke.
    const Colour white{1, 1, 0.9f}, yellow{1, 0.85f, 0.2f}, orange{1, 0.45f, 0.05f},
        red{0.75f, 0.1f, 0.05f}, smoke{0.35f, 0.32f, 0.3f, 0.7f};
    Paint fire = [=](float x, float y) {
        const float r = std::hypot(x - cx, y - cy) / radius;
        Colour inner = mix(white, yellow, t * 1.5f);
        Colour outer = mix(red, smoke, t * 1.4f - 0.2f);
        Colour col = r < 0.5f ? mix(inner, orange, r * 2) : mix(orange, outer, (r - 0.5f) * 2);
        col.a *= 1.0f - 0.5f * t * t;
        return col;
    };
    c.draw(Layer{blast, fire});
    if (frame >= 3) {  // the fireball breaks up: holes of clear air
        Field holes = unite(circle(cx - radius * 0.3f, cy + radius * 0.2f, radius * 0.28f),
                            circle(cx + radius * 0.35f, cy - radius * 0.3f, radius * 0.22f));
        if (frame == 4) holes = unite(holes, circle(cx, cy, radius * 0.45f));
        for (int32_t y = 0; y < side; ++y) {
            for (int32_t x = 0; x < side; ++x) {
                const float cover =
                    std::clamp(0.5f - holes(float(x) + 0.5f, float(y) + 0.5f), 0.0f, 1.0f);
                float* p = &c.px[(size_t(y) * size_t(side) + size_t(x)) * 4];
                for (int k = 0; k < 4; ++k) p[k] *= 1 - cover;
            }
        }
    }
    for (int i = 0; i < 6 + frame; ++i) {  // sparks flying out
        const float angle = float(i) * 2.399f + float(frame) * 0.3f;
        const float dist =
            std::min(radius * (1.05f + 0.12f * float(frame)) * (0.9f + 0.1f * float(i % 3)),
                     float(side) / 2 - 4);  // sparks stay off the canvas edge
        const float sx = cx + dist * std::cos(angle), sy = cy + dist * std::sin(angle);
        c.draw(Layer{circle(sx, sy, 1.3f - 0.15f * float(frame)), solid(mix(yellow, orange, t))});
    }
    return c;
}

// Opaque tiles: a 24-bit TGA has no alpha, so these keep their whole square.
Canvas brick() {
    Canvas c(32, 32);
    c.draw(Layer{box(0, 0, 32, 32), solid({0.62f, 0.6f, 0.55f})});  // mortar
    for (int row = 0; row < 4; ++row) {
        for (int col = -1; col < 3; ++col) {
            const float x0 = float(col * 16 + (row % 2) * 8), y0 = float(row * 8);
            const unsigned h = unsigned(row * 7 + col * 13 + 29) * 2654435761u;
            const float tint = 0.85f + 0.15f * float((h >> 24) & 0xFF) / 255.0f;
            const Colour base{0.72f * tint, 0.28f * tint, 0.2f * tint};
            c.draw(Layer{box(x0 + 1, y0 + 1, x0 + 15, y0 + 7, 0.8f),
                         verticalGradient(y0 + 1, mix(base, {1, 0.7f, 0.6f}, 0.25f), y0 + 7,
                                          mix(base, {0, 0, 0}, 0.3f))});
        }
    }
    return c;
}

Canvas crate() {
    Canvas c(32, 32);
    const Colour wood{0.7f, 0.48f, 0.25f}, dark{0.35f, 0.22f, 0.1f};
    c.drawAll({
        {box(0, 0, 32, 32), solid(dark)},
        {box(2, 2, 30, 30), solid(wood)},
        {box(2, 9.5f, 30, 10.5f), solid(dark)},
        {box(2, 21.5f, 30, 22.5f), solid(dark)},
        {segment(4, 28, 28, 4, 2), solid({0.8f, 0.58f, 0.32f}), 0.8f, dark},
        {box(0, 0, 32, 3), solid({0.55f, 0.36f, 0.17f})},
        {box(0, 29, 32, 32), solid({0.55f, 0.36f, 0.17f})},
    });
    for (float x : {3.0f, 29.0f}) {
        for (float y : {1.5f, 30.5f}) c.draw(Layer{circle(x, y, 1), solid({0.8f, 0.8f, 0.85f})});
    }
    return c;
}

Canvas heart() {
    Canvas c(25, 23);
    Field shape = unite(unite(circle(8.5f, 8.5f, 5.5f), circle(16.5f, 8.5f, 5.5f)),
                        polygon({{3.3f, 10.5f}, {21.7f, 10.5f}, {12.5f, 20}}));
    c.drawAll({
        {shape, sphereShade(11, 9, 11, {0.95f, 0.15f, 0.2f}), 1},
        {ellipse(7.5f, 7, 2, 1.4f), solid({1, 0.85f, 0.85f})},
    });
    return c;
}

Canvas potion() {
    Canvas c(27, 35);
    const Colour glass{0.75f, 0.9f, 1.0f};
    Field flask = unite(circle(13.5f, 21, 9), box(10.5f, 6, 16.5f, 14));
    c.drawAll({
        {flask, solid(glass), 1},
        {intersect(circle(13.5f, 21, 7.8f), box(0, 18, 27, 35)),
         sphereShade(13.5f, 21, 7.8f, {0.65f, 0.2f, 0.8f})},
        {box(9.5f, 3, 17.5f, 7, 1), solid({0.6f, 0.4f, 0.2f}), 1},
        {ellipse(10, 17, 1.5f, 3), solid({1, 1, 1})},
    });
    return c;
}

Canvas gem() {
    Canvas c(33, 29);
    const Point top_l{9, 5}, top_r{24, 5}, left{4, 11}, right{29, 11}, tip{16.5f, 25};
    const Point mid_l{12, 11}, mid_r{21, 11};
    c.drawAll({
        {polygon({top_l, top_r, right, tip, left}), solid({0.1f, 0.45f, 0.75f}), 1},
        {polygon({top_l, top_r, mid_r, mid_l}), solid({0.55f, 0.9f, 1.0f})},
        {polygon({left, top_l, mid_l}), solid({0.3f, 0.75f, 0.95f})},
        {polygon({right, top_r, mid_r}), solid({0.15f, 0.55f, 0.85f})},
        {polygon({left, mid_l, tip}), solid({0.2f, 0.6f, 0.9f})},
        {polygon({mid_l, mid_r, tip}), solid({0.35f, 0.8f, 1.0f})},
        {polygon({mid_r, right, tip}), solid({0.05f, 0.35f, 0.65f})},
    });
    return c;
}

Canvas key() {
    Canvas c(37, 19);
    const Colour gold{1.0f, 0.8f, 0.2f};
    Field shape = unite(subtract(circle(9, 9.5f, 6), circle(9, 9.5f, 2.6f)),
                        unite(box(14, 8, 32, 11), unite(box(25, 11, 27, 15), box(29, 11, 31, 14))));
    c.draw(Layer{shape, verticalGradient(3, gold, 16, {0.7f, 0.45f, 0.05f}), 1});
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "art";
    struct Sprite {
        const char* name;
        Canvas canvas;
        Kind kind;
    };
    const Sprite sprites[] = {
        {"hero", hero(), Kind::TgaRaw32},
        {"sword", sword(), Kind::TgaRaw32},
        {"ghost", ghost(), Kind::TgaRaw32},
        {"slime", slime(), Kind::TgaRle32},
        {"coin", coin(), Kind::TgaRle32},
        {"explode1", explosion(0), Kind::TgaRle32},
        {"explode2", explosion(1), Kind::TgaRle32},
        {"explode3", explosion(2), Kind::TgaRle32},
        {"explode4", explosion(3), Kind::TgaRle32},
        {"explode5", explosion(4), Kind::TgaRle32},
        {"brick", brick(), Kind::TgaRaw24},
        {"crate", crate(), Kind::TgaRle24},
        {"heart", heart(), Kind::Pcx},
        {"potion", potion(), Kind::Pcx},
        {"gem", gem(), Kind::Pcx},
        {"key", key(), Kind::Pcx},
    };
    int failures = 0;
    for (const Sprite& s : sprites) failures += save(dir, s.name, s.canvas, s.kind) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
