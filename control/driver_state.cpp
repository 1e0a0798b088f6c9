#include "control/driver_state.hpp"

#include <algorithm>
#include <cstdarg>

namespace {

// Calls `each` on every parallel table.
template <class Each>
void forEachTable(SpriteTables& tables, Each each) {
    each(tables.spriteTable);
    each(tables.spriteNames);
    each(tables.spriteSource);
    each(tables.spritePath);
    each(tables.spriteGeometry);
}

// The tables' room is taken once for the whole run, but an entry is built only when a sprite
// claims it: filling all MAX_SPRITES entries up front touches every page of them, which costs
// a short run more than its sprites do.
void allocateTables(DriverState& state) {
    forEachTable(state.tables, [](auto& table) { table.reserve(MAX_SPRITES); });
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

void claimSpriteSlot(SpriteTables& tables, int32_t slot) {
    const size_t wanted = static_cast<size_t>(slot) + 1;
    if (tables.spriteTable.size() >= wanted) return;
    // Zero-filled entries, as a fresh table holds.
    forEachTable(tables, [wanted](auto& table) { table.resize(wanted); });
}

void resetDriverState() {
    DriverState& state = driverState();
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

    // Emptied, not released: the next run claims its entries afresh from the same room.
    forEachTable(state.tables, [](auto& table) { table.clear(); });
    state.tables.entriesByHid.clear();
}

void runMessage(const DriverState& state, MessageId id, const char* format, ...) {
    if (state.lint != nullptr) return;
    va_list args;
    va_start(args, format);
    printMessageList(id, format, args);
    va_end(args);
}
