#include "sidecar/manifest.hpp"

#include <cstdint>
#include <string_view>

#include "filesys/allocate.hpp"
#include "sidecar/fingerprint.hpp"
#include "sidecar/json_text.hpp"

namespace {

std::string_view formName(OutputForm form) {
    switch (form) {
        case OutputForm::Info:
            return "info";
        case OutputForm::SingleText:
            return "single-text";
        case OutputForm::SingleBinary:
            return "single-binary";
    }
    return "info";
}

// Appends `"key": ` and then the value, with the separator of a member that is not the first.
class ObjectLine {
  public:
    explicit ObjectLine(std::string& out) : out_(out) { out_ += '{'; }
    void text(std::string_view key, std::string_view bytes) {
        member(key);
        out_ += jsonString(repairUtf8(bytes));
    }
    void number(std::string_view key, int64_t value) {
        member(key);
        out_ += std::to_string(value);
    }
    void unsignedNumber(std::string_view key, uint64_t value) {
        member(key);
        out_ += std::to_string(value);
    }
    void null(std::string_view key) {
        member(key);
        out_ += "null";
    }
    void close() { out_ += '}'; }

  private:
    void member(std::string_view key) {
        if (!first_) out_ += ", ";
        first_ = false;
        out_ += jsonString(key);
        out_ += ": ";
    }

    std::string& out_;
    bool first_ = true;
};

void appendEntry(std::string& out, size_t index, const SpriteViewEntry& entry) {
    ObjectLine line(out);
    line.unsignedNumber("index", index);
    line.text("name", entry.name);
    // Plain hex digits need no escaping or repair.
    line.text("name_hex", hexBytes(entry.name));
    line.unsignedNumber("hid", entry.hid);
    line.number("hid_signed", static_cast<int32_t>(entry.hid));
    line.text("kind", spriteKind(entry.kind).manifestName);
    line.text("source", entry.source);
    line.number("source_width", entry.sourceWidth);
    line.number("source_height", entry.sourceHeight);
    line.number("crop_left", entry.cropLeft);
    line.number("crop_top", entry.cropTop);
    line.number("wd", entry.wd);
    line.number("ht", entry.ht);
    line.text("method", entry.methodName);
    line.number("padding", entry.padding);
    line.number("hx", entry.hx);
    line.number("hy", entry.hy);
    line.number("bytes_per_pixel", spriteKind(entry.kind).bytesPerPixel);
    // A PNG sprite is stored as a TGA sprite: "kind" says how, this what its file was.
    line.text("file_format", spriteKind(entry.kind).fileFormat);
    if (entry.block) {
        line.unsignedNumber("offset", entry.block->offset);
        line.unsignedNumber("length", entry.block->length);
    } else {
        line.null("offset");
        line.null("length");
    }
    line.close();
}

std::string buildManifest(const SpriteView& view) {
    std::string out = "{\n";
    out += "  \"format\": \"spritebake-manifest\",\n";
    out += "  \"version\": 1,\n";
    out += "  \"output\": " + jsonString(repairUtf8(view.outputPath)) + ",\n";
    out += "  \"form\": " + jsonString(formName(view.form)) + ",\n";
    out += "  \"fingerprint\": " + jsonString(fingerprintText(view.fingerprint)) + ",\n";
    if (view.sprites.empty()) {
        out += "  \"sprites\": []\n}\n";
        return out;
    }
    out += "  \"sprites\": [\n";
    for (size_t i = 0; i < view.sprites.size(); ++i) {
        out += "    ";
        appendEntry(out, i, view.sprites[i]);
        out += i + 1 < view.sprites.size() ? ",\n" : "\n";
    }
    out += "  ]\n}\n";
    return out;
}

}  // namespace

std::optional<std::string> manifestBytes(const SpriteView& view) {
    return tryWithMemory([&]() -> std::optional<std::string> { return buildManifest(view); },
                         std::nullopt);
}
