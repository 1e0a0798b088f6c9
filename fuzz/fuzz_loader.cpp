// Reads arbitrary bytes with the loader: as an info file's text, and as a single sprite file
// whose kinds come from the input's first bytes (byte 0: how many kind bytes follow). Every
// entry of an accepted file is walked, looked up and checked against the bytes, and every byte
// of every block is touched.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "spritebake/spritebake.h"

namespace {

volatile uint32_t touchedSum = 0;  // keeps the reads of every block byte from being dropped

void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "fuzz_loader: %s\n", what);
        abort();
    }
}

// Walks an accepted file three ways (cursor, index, lookup) and checks they agree.
void walk(const sb_file& file, const uint8_t* data, size_t size) {
    check(file.count >= 0 && file.table_size <= size, "table outside the bytes");
    sb_cursor cursor;
    check(sb_cursor_init(&file, &cursor) == SB_OK, "cursor refused an accepted file");
    size_t next = file.table_size;
    uint32_t sum = 0;
    sb_sprite s;
    int32_t index = 0;
    for (; sb_cursor_next(&cursor, &s) == SB_OK; ++index) {
        check(s.index == index, "entries out of order");
        check(s.wd >= 0 && s.ht >= 0 && s.method >= 0 && s.method <= 5, "a field out of range");
        if (file.form != SB_FORM_INFO) {
            check(s.offset == next, "blocks not back to back");
            check(s.pixels == data + s.offset && s.length <= size - s.offset, "block outside");
            check(
                uint64_t(s.length) == uint64_t(s.wd) * uint64_t(s.ht) * uint64_t(s.bytes_per_pixel),
                "block length is not wd * ht * bytes per pixel");
            for (size_t i = 0; i < s.length; ++i) sum += s.pixels[i];
            next += s.length;
        }
        sb_sprite found;
        check(sb_find(&file, s.hid, &found) == SB_OK && found.index <= index, "lookup missed");
        if (index < 64) {  // each access walks from the first entry
            sb_sprite at;
            check(sb_sprite_at(&file, index, &at) == SB_OK && at.offset == s.offset &&
                      at.hid == s.hid,
                  "index access disagrees with the cursor");
        }
    }
    check(index == file.count, "the cursor stopped early");
    if (file.form != SB_FORM_INFO) check(next == size, "blocks do not end with the bytes");
    touchedSum = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sb_file file;
    if (sb_open_info(&file, data, size) == SB_OK) walk(file, data, size);
    if (size == 0) return 0;

    const size_t kindCount = data[0] < size - 1 ? data[0] : size - 1;
    const uint8_t* kinds = data + 1;
    const uint8_t* body = data + 1 + kindCount;
    const size_t bodySize = size - 1 - kindCount;

    // The kind bytes as they are (mostly unknown codes), as codes 0 / 1, and as letters.
    if (sb_open_single(&file, body, bodySize, kinds, kindCount) == SB_OK)
        walk(file, body, bodySize);
    std::vector<uint8_t> codes(kinds, kinds + kindCount);
    std::vector<char> letters(kindCount + 1, '\0');
    for (size_t i = 0; i < kindCount; ++i) {
        codes[i] &= 1;
        letters[i] = codes[i] != 0 ? 'T' : 'P';
    }
    if (sb_open_single(&file, body, bodySize, codes.data(), kindCount) == SB_OK) {
        walk(file, body, bodySize);
    }
    if (sb_open_single_letters(&file, body, bodySize, letters.data()) == SB_OK) {
        walk(file, body, bodySize);
    }
    return 0;
}
