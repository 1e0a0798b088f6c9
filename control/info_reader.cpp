#include "control/info_reader.hpp"

#include <array>
#include <cstdio>

#include "console/console.hpp"
#include "control/hotspot_names.hpp"
#include "filesys/allocate.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "scanner/scanner.hpp"

namespace {

constexpr int32_t WORD_SIZE = 80;
// The first word of an entry may follow line ends; the others are ended by a blank only.
constexpr uint32_t FIRST_WORD_FLAGS =
    SCAN_SKIP_EOL | SCAN_SKIP_BLANKS | SCAN_STOP_BLANK | SCAN_TERMINATE;                   // 8259
constexpr uint32_t NEXT_WORD_FLAGS = SCAN_SKIP_BLANKS | SCAN_STOP_BLANK | SCAN_TERMINATE;  // 67

SpriteSet spriteSet;

using Word = std::array<char, WORD_SIZE>;

void readEntry(TextSpan& span, Word& word, SpriteRecord& record) {
    scanField(span, word.data(), WORD_SIZE, FIRST_WORD_FLAGS);  // the label hid
    scanField(span, word.data(), WORD_SIZE, NEXT_WORD_FLAGS);
    record.hid = static_cast<uint32_t>(stringToInt(word.data()));
    scanField(span, word.data(), WORD_SIZE, NEXT_WORD_FLAGS);  // the label hotspot
    scanField(span, word.data(), WORD_SIZE, NEXT_WORD_FLAGS);  // the label method
    scanField(span, word.data(), WORD_SIZE, NEXT_WORD_FLAGS);
    record.hotspotMethod = hotspotMethodFromName(word.data());
    // scanInt goes to the next number wherever it is, so the labels between them are passed
    // over and negative offsets keep their sign.
    record.padding = scanInt(span);
    record.hx = scanInt(span);
    record.hy = scanInt(span);
    record.wd = scanInt(span);
    record.ht = scanInt(span);
}

// What the scans give an entry once the text has run out.
SpriteRecord missingEntry() {
    SpriteRecord record;
    record.hotspotMethod = hotspotMethodFromName("");
    return record;
}

bool allocateRecords(SpriteSet& set, int32_t count) {
    if (count < 0 || count > MAX_INFO_FILE_COUNT) return false;
    return tryWithMemory(
        [&] {
            set.records.assign(static_cast<size_t>(count), SpriteRecord{});
            return true;
        },
        false);
}

}  // namespace

SpriteSet* getSpriteHeader(const char* path) {
    FileBlock block;
    const int32_t loaded = fileLoad(path, block);
    if (loaded < 1 || block.data() == nullptr) {
        printMessage(MessageId::infoHeaderMissing,
                     "Warning!  Couldn't open sprite header %s for reading.\n", path);
        return nullptr;
    }
    freeSpriteSet(&spriteSet);
    TextSpan span{reinterpret_cast<const char*>(block.data()), loaded};
    const int32_t count = scanInt(span);
    if (!allocateRecords(spriteSet, count)) {
        printMessage(MessageId::infoHeaderAlloc,
                     "Couldn't memAlloc for sprite set %s in getSpriteHeader.\n", path);
        freeSpriteSet(&spriteSet);
        return nullptr;
    }
    spriteSet.count = count;
    skipLine(span);
    Word word{};
    for (SpriteRecord& record : spriteSet.records) {
        // Past the end of the text every scan comes back empty; skip the scanning.
        if (span.remaining <= 0) {
            record = missingEntry();
            continue;
        }
        readEntry(span, word, record);
    }
    return &spriteSet;
}

void freeSpriteSet(SpriteSet* set) {
    if (set == nullptr) return;
    set->records.clear();
    set->records.shrink_to_fit();
    set->count = 0;
}

const SpriteRecord* findSprite(const SpriteSet* set, const char* name) {
    if (set == nullptr || name == nullptr) return nullptr;
    const uint32_t hid = hashName(name);
    for (int32_t i = 0; i < set->count && i < static_cast<int32_t>(set->records.size()); ++i) {
        if (set->records[static_cast<size_t>(i)].hid == hid)
            return &set->records[static_cast<size_t>(i)];
    }
    return nullptr;
}
