#include "atlas/atlas_json.hpp"

#include <array>
#include <charconv>

#include "sidecar/fingerprint.hpp"
#include "sidecar/json_text.hpp"

namespace {

constexpr std::string_view APP = "spritebake";
constexpr std::string_view PIXEL_FORMAT = "RGBA8888";
constexpr std::array<char, 16> HEX_DIGITS = {'0', '1', '2', '3', '4', '5', '6', '7',
                                             '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

std::string number(int64_t value) {
    return std::to_string(value);
}

std::string point(std::string_view a, std::string_view b, const std::string& x,
                  const std::string& y) {
    std::string out = "{\"";
    out += a;
    out += "\": ";
    out += x;
    out += ", \"";
    out += b;
    out += "\": ";
    out += y;
    out += '}';
    return out;
}

std::string rect(int32_t x, int32_t y, int32_t w, int32_t h) {
    return "{\"x\": " + number(x) + ", \"y\": " + number(y) + ", \"w\": " + number(w) +
           ", \"h\": " + number(h) + "}";
}

std::string size(int32_t w, int32_t h) {
    return point("w", "h", number(w), number(h));
}

// The members every format gives a frame, after its name.
std::string frameMembers(const AtlasFrameRecord& frame) {
    const bool trimmed = frame.w < frame.sourceWidth || frame.h < frame.sourceHeight;
    const std::string pivot =
        point("x", "y", atlasPivotText(frame.pivotX, frame.sourceWidth),
              atlasPivotText(frame.pivotY, frame.sourceHeight));
    std::string out = "\"frame\": " + rect(frame.x, frame.y, frame.w, frame.h);
    out += ", \"rotated\": false, \"trimmed\": ";
    out += trimmed ? "true" : "false";
    out += ", \"spriteSourceSize\": " + rect(frame.cropLeft, frame.cropTop, frame.w, frame.h);
    out += ", \"sourceSize\": " + size(frame.sourceWidth, frame.sourceHeight);
    out += ", \"pivot\": " + pivot + ", \"anchor\": " + pivot;
    out += ", \"hid\": " + std::to_string(frame.hid);
    out += ", \"index\": " + std::to_string(frame.index);
    out += ", \"hotspot\": " + point("x", "y", number(frame.pivotX), number(frame.pivotY));
    if (atlasNameNeedsHex(frame.name)) out += ", \"name_hex\": \"" + hexBytes(frame.name) + '"';
    return out;
}

std::string hashFrame(const AtlasFrameRecord& frame) {
    return atlasNameText(frame.name) + ": {" + frameMembers(frame) + '}';
}

std::string arrayFrame(const AtlasFrameRecord& frame) {
    return "{\"filename\": " + atlasNameText(frame.name) + ", " + frameMembers(frame) + '}';
}

// The frames, one a line at `indent`, between `open` and `close`.
template <class Line>
std::string frameList(const std::vector<AtlasFrameRecord>& frames, std::string_view indent,
                      char open, char close, Line line) {
    std::string out(1, open);
    if (frames.empty()) return out + close;
    out += '\n';
    for (size_t i = 0; i < frames.size(); ++i) {
        out += indent;
        out += "  ";
        out += line(frames[i]);
        out += i + 1 < frames.size() ? ",\n" : "\n";
    }
    out += indent;
    out += close;
    return out;
}

std::string nameList(const std::vector<std::string>& names) {
    std::string out = "[";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += ", ";
        out += atlasNameText(names[i]);
    }
    return out + ']';
}

// The meta members that follow the page's own, each on its line at four blanks.
std::string sharedMeta(const AtlasMeta& meta) {
    std::string out = "    \"fingerprint\": " + jsonString(fingerprintText(meta.fingerprint)) + ",\n";
    if (meta.premultiplied) out += "    \"premultiplyAlpha\": true,\n";
    return out;
}

std::string pageText(AtlasFormat format, const std::vector<AtlasPageRecord>& pages, size_t index,
                     const AtlasMeta& meta) {
    const AtlasPageRecord& page = pages[index];
    std::string out = "{\n  \"frames\": ";
    out += format == AtlasFormat::jsonHash ? frameList(page.frames, "  ", '{', '}', hashFrame)
                                           : frameList(page.frames, "  ", '[', ']', arrayFrame);
    out += ",\n  \"meta\": {\n";
    out += "    \"app\": " + jsonString(APP) + ",\n";
    out += "    \"version\": " + jsonString(repairUtf8(meta.version)) + ",\n";
    out += "    \"image\": " + jsonString(repairUtf8(page.image)) + ",\n";
    out += "    \"format\": " + jsonString(PIXEL_FORMAT) + ",\n";
    out += "    \"size\": " + size(page.w, page.h) + ",\n";
    out += "    \"scale\": \"1\",\n";
    out += sharedMeta(meta);
    if (pages.size() > 1) {
        std::string others = "[";
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i == index) continue;
            if (others.size() > 1) others += ", ";
            others += jsonString(repairUtf8(pages[i].dataFile));
        }
        out += "    \"related_multi_packs\": " + others + "],\n";
    }
    out += "    \"blank\": " + nameList(meta.blank) + "\n";
    out += "  }\n}\n";
    return out;
}

std::string phaser3Text(const std::vector<AtlasPageRecord>& pages, const AtlasMeta& meta) {
    std::string out = "{\n  \"textures\": [";
    for (size_t i = 0; i < pages.size(); ++i) {
        const AtlasPageRecord& page = pages[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\n";
        out += "      \"image\": " + jsonString(repairUtf8(page.image)) + ",\n";
        out += "      \"format\": " + jsonString(PIXEL_FORMAT) + ",\n";
        out += "      \"size\": " + size(page.w, page.h) + ",\n";
        out += "      \"scale\": 1,\n";
        out += "      \"frames\": " + frameList(page.frames, "      ", '[', ']', arrayFrame) + "\n";
        out += "    }";
    }
    out += pages.empty() ? "],\n" : "\n  ],\n";
    out += "  \"meta\": {\n";
    out += "    \"app\": " + jsonString(APP) + ",\n";
    out += "    \"version\": " + jsonString(repairUtf8(meta.version)) + ",\n";
    out += sharedMeta(meta);
    out += "    \"blank\": " + nameList(meta.blank) + "\n";
    out += "  }\n}\n";
    return out;
}

}  // namespace

bool atlasNameNeedsHex(std::string_view name) {
    return repairUtf8(name) != name;
}

std::string atlasNameText(std::string_view name) {
    if (!atlasNameNeedsHex(name)) return jsonString(name);
    std::string out = "\"";
    for (const char c : name) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte >= 0x80) {
            out += "\\u00";
            out += HEX_DIGITS[byte >> 4];
            out += HEX_DIGITS[byte & 0x0F];
        } else {
            const std::string one = jsonString(std::string_view(&c, 1));
            out.append(one, 1, one.size() - 2);
        }
    }
    return out + '"';
}

std::string atlasNameKey(std::string_view name) {
    if (!atlasNameNeedsHex(name)) return std::string(name);
    // Each byte is the code point of its value.
    std::string key;
    for (const char c : name) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x80) {
            key += c;
        } else {
            key += static_cast<char>(0xC0 | byte >> 6);
            key += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return key;
}

std::string atlasPivotText(int32_t p, int32_t side) {
    const double value = static_cast<double>(p) / static_cast<double>(side);
    std::array<char, 32> text;
    const std::to_chars_result end = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), end.ptr);
}

std::vector<std::string> atlasDataTexts(AtlasFormat format, const std::vector<AtlasPageRecord>& pages,
                                        const AtlasMeta& meta) {
    if (format == AtlasFormat::phaser3) return {phaser3Text(pages, meta)};
    std::vector<std::string> texts;
    for (size_t i = 0; i < pages.size(); ++i) texts.push_back(pageText(format, pages, i, meta));
    return texts;
}
