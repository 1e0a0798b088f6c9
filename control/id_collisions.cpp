// Id collisions: two different stored names with one hid cannot be told apart by the game, so
// the tool says so when the second one enters the table.
#include <cstdio>
#include <cstring>

#include "control/statements.hpp"

void registerSpriteId(DriverState& state, int32_t slot) {
    SpriteTables& tables = state.tables;
    const uint32_t hid = tables.spriteTable[slot].hid;
    std::vector<int32_t>& holders = tables.entriesByHid[hid];
    const char* name = tables.spriteNames[slot].data();
    // Holders keeps the first entry of each distinct name with this hid, in table order. An
    // entry of the same name is that sprite listed again; the first entry of another name is the
    // one reported, however often either name was listed.
    bool listedBefore = false;
    const char* firstOther = nullptr;
    for (int32_t other : holders) {
        const char* otherName = tables.spriteNames[other].data();
        if (std::strcmp(otherName, name) == 0) {
            listedBefore = true;
        } else if (firstOther == nullptr) {
            firstOther = otherName;
        }
    }
    if (firstOther != nullptr) {
        runMessage(state,
                   "Warning, sprites %s and %s have the same hid %d; the game cannot tell them "
                   "apart.\n",
                   firstOther, name, static_cast<int32_t>(hid));
    }
    if (!listedBefore) holders.push_back(slot);
}
