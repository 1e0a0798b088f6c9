#include "driver/sprite_view_builder.hpp"

#include <algorithm>
#include <cstring>

#include "driver/hotspot_names.hpp"
#include "driver/output_files.hpp"

namespace {

constexpr uint64_t BINARY_COUNT_BYTES = 4;
constexpr uint64_t BINARY_ENTRY_BYTES = 32;

// The text header is the info file's text: the count line, then one line an entry.
uint64_t textTableBytes(const DriverState& state) {
    uint64_t bytes = std::to_string(state.spriteCount).size() + std::strlen(" sprites\n");
    for (int32_t i = 0; i < state.spriteCount; ++i) {
        bytes += spriteLine(state.tables.spriteTable[static_cast<size_t>(i)]).size();
    }
    return bytes;
}

SpriteViewEntry viewEntry(const SpriteTables& tables, size_t i) {
    const SpriteRecord& record = tables.spriteTable[i];
    const SpriteGeometry& geometry = tables.spriteGeometry[i];
    const SpriteName& name = tables.spriteNames[i];
    SpriteViewEntry entry;
    entry.name.assign(name.data(), strnlen(name.data(), name.size()));
    entry.hid = record.hid;
    entry.kind = tables.spriteSource[i];
    entry.source = tables.spritePath[i];
    entry.sourceWidth = geometry.sourceWidth;
    entry.sourceHeight = geometry.sourceHeight;
    entry.cropLeft = geometry.cropLeft;
    entry.cropTop = geometry.cropTop;
    entry.wd = record.wd;
    entry.ht = record.ht;
    entry.method = record.hotspotMethod;
    if (record.hotspotMethod >= 0 &&
        record.hotspotMethod < static_cast<int32_t>(hotspotMethodNames.size())) {
        entry.methodName = hotspotMethodNames[static_cast<size_t>(record.hotspotMethod)];
    }
    entry.padding = record.padding;
    entry.hx = record.hx;
    entry.hy = record.hy;
    return entry;
}

}  // namespace

SpriteView buildSpriteView(const DriverState& state) {
    SpriteView view;
    if (state.writeOneFile == 0) {
        view.outputPath = state.infoFileName;
        view.form = OutputForm::Info;
    } else {
        view.outputPath = state.destDir + state.singleFileName;
        view.form = state.writeBinary != 0 ? OutputForm::SingleBinary : OutputForm::SingleText;
    }
    const auto count = static_cast<size_t>(std::max(state.spriteCount, 0));
    view.sprites.reserve(count);
    uint64_t offset = view.form == OutputForm::SingleBinary
                          ? BINARY_COUNT_BYTES + BINARY_ENTRY_BYTES * count
                          : textTableBytes(state);
    for (size_t i = 0; i < count; ++i) {
        SpriteViewEntry entry = viewEntry(state.tables, i);
        if (view.form != OutputForm::Info) {
            const uint64_t length = static_cast<uint64_t>(std::max(entry.wd, 0)) *
                                    static_cast<uint64_t>(std::max(entry.ht, 0)) *
                                    static_cast<uint64_t>(viewBytesPerPixel(entry.kind));
            entry.block = BlockPlace{offset, length};
            offset += length;
        }
        view.sprites.push_back(std::move(entry));
    }
    return view;
}
