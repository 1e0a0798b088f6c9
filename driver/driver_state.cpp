#include "driver/driver_state.hpp"

#include <algorithm>

namespace {

void allocateTables(DriverState& state) {
    SpriteTables& tables = state.tables;
    tables.spriteTable.resize(MAX_SPRITES);
    tables.spriteNames.resize(MAX_SPRITES);
    tables.spriteSource.resize(MAX_SPRITES);
    tables.spritePath.resize(MAX_SPRITES);
    tables.spriteGeometry.resize(MAX_SPRITES);
    state.scratch.resize(FIELD_BUFFER_SIZE);
    state.value.resize(FIELD_BUFFER_SIZE);
}

}  // namespace

DriverState& driverState() {
    static DriverState state = [] {
        DriverState fresh;
        allocateTables(fresh);
        return fresh;
    }();
    return state;
}

void resetDriverState() {
    DriverState& state = driverState();
    // Entries past spriteCount were never written, except the slot a skipped sprite may have
    // half filled; clearing only those keeps a reset cheap for the fuzz target.
    const size_t used = std::min<size_t>(static_cast<size_t>(std::max(state.spriteCount, 0)) + 1,
                                         state.tables.spriteTable.size());
    state.span = TextSpan{};
    state.lineNumber = 1;
    state.spriteCount = 0;
    state.padding = 1;
    state.hotspotMethod = HS_UPLEFT;
    state.hotX = 0;
    state.hotY = 0;
    state.srcDir.clear();
    state.destDir.clear();
    state.infoFileName.clear();
    state.singleFileName.clear();
    state.writeOneFile = 0;
    state.writeBinary = 0;
    state.filesRead.clear();
    state.lint = nullptr;
    std::fill(state.scratch.begin(), state.scratch.end(), '\0');
    std::fill(state.value.begin(), state.value.end(), '\0');

    SpriteTables& tables = state.tables;
    std::fill_n(tables.spriteTable.begin(), used, SpriteRecord{});
    std::fill_n(tables.spriteNames.begin(), used, SpriteName{});
    std::fill_n(tables.spriteSource.begin(), used, 0);
    for (size_t i = 0; i < used; ++i) tables.spritePath[i].clear();
    std::fill_n(tables.spriteGeometry.begin(), used, SpriteGeometry{});
    tables.entriesByHid.clear();
}
