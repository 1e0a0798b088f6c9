#include "output/sprite_view_builder.hpp"

#include <algorithm>
#include <cstring>

#include "control/hotspot_names.hpp"
#include "output/output_files.hpp"
#include "sidecar/fingerprint.hpp"

namespace {

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
    // The writer's own table bytes: the first block starts after them, and they are what the
    // fingerprint covers.
    const std::string table = outputTableBytes(state);
    view.fingerprint = fnv1a64(table);
    uint64_t offset = table.size();
    for (size_t i = 0; i < count; ++i) {
        SpriteViewEntry entry = viewEntry(state.tables, i);
        if (view.form != OutputForm::Info) {
            const uint64_t length = static_cast<uint64_t>(std::max(entry.wd, 0)) *
                                    static_cast<uint64_t>(std::max(entry.ht, 0)) *
                                    static_cast<uint64_t>(spriteKind(entry.kind).bytesPerPixel);
            entry.block = BlockPlace{offset, length};
            offset += length;
        }
        view.sprites.push_back(std::move(entry));
    }
    return view;
}
