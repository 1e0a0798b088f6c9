/* The loader compiled as C99: known ids, a hand-built file in each header form, and a table of
   malformed files, each with its error code. */
#define SPRITEBAKE_IMPLEMENTATION
#include "spritebake/spritebake.h"

#include <stdio.h>
#include <string.h>

static int passed = 0;
static int failed = 0;

static void check(int ok, const char* what, int line) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("FAILED line %d: %s\n", line, what);
    }
}
#define CHECK(x) check((x) != 0, #x, __LINE__)

/* One 2 x 1 PCX entry (UpRight, hx -2) and one 1 x 1 TGA entry (DownLeft, hy -1). */
static const uint8_t binary_file[] = {
    2,    0,    0,    0,                                        /* count */
    0x0f, 0xb1, 0x0e, 0xb8, 2,    0,    0,    0,    1, 0, 0, 0, /* hid of "abc", UpRight, pad 1 */
    0xfe, 0xff, 0xff, 0xff, 0,    0,    0,    0,    2, 0, 0, 0,
    1,    0,    0,    0,                                        /* hx -2, hy 0, wd 2, ht 1 */
    0,    0,    0,    0,                                        /* reserved */
    9,    0,    0,    0,    3,    0,    0,    0,    0, 0, 0, 0, /* hid 9, DownLeft, pad 0 */
    0,    0,    0,    0,    0xff, 0xff, 0xff, 0xff, 1, 0, 0, 0,
    1,    0,    0,    0, /* hx 0, hy -1, wd 1, ht 1 */
    0,    0,    0,    0, /* reserved */
    '\n', 255,           /* the PCX block */
    1,    2,    3,    4  /* the TGA block */
};

static const char text_table[] =
    "2 sprites\n"
    "hid -1206996721 hotspot method UpRight padding 1  hx -2  hy 0  wd 2  ht 1\n"
    "hid 9 hotspot method DownLeft padding 0  hx 0  hy -1  wd 1  ht 1\n";

static void check_entries(const sb_file* file, size_t table_size) {
    sb_sprite s[2];
    CHECK(file->count == 2);
    CHECK(file->table_size == table_size);
    CHECK(sb_read_all(file, s, 2) == SB_OK);
    CHECK(s[0].hid == 3087970575u && s[0].method == SB_METHOD_UPRIGHT && s[0].padding == 1);
    CHECK(s[0].hx == -2 && s[0].hy == 0 && s[0].wd == 2 && s[0].ht == 1);
    CHECK(s[0].kind == SB_KIND_PCX && s[0].offset == table_size && s[0].length == 2);
    CHECK(s[0].pixels[0] == '\n' && s[0].pixels[1] == 255);
    CHECK(s[1].hid == 9 && s[1].method == SB_METHOD_DOWNLEFT && s[1].hy == -1);
    CHECK(s[1].kind == SB_KIND_TGA && s[1].bytes_per_pixel == 4 && s[1].length == 4);
    CHECK(s[1].offset == table_size + 2 && s[1].pixels[0] == 1 && s[1].pixels[3] == 4);
}

static void test_hash(void) {
    CHECK(sb_hash_name("abc", 3) == 3087970575u);
    CHECK(sb_hash_sprite_name("ABC") == 3087970575u);
    CHECK(sb_hash_sprite_name("brick") == 0xdb637d08u);
    CHECK(sb_hash_sprite_name("") == 455927809u);
    CHECK(sb_lookup2("ABC", 3, 123456u) == 3087970575u);
}

static void test_forms(void) {
    uint8_t text_file[256];
    const size_t table = sizeof text_table - 1;
    const uint8_t codes[2] = {SB_KIND_PCX, SB_KIND_TGA};
    sb_file file;
    sb_sprite s;

    CHECK(sb_open_single_letters(&file, binary_file, sizeof binary_file, "PT") == SB_OK);
    CHECK(file.form == SB_FORM_BINARY);
    check_entries(&file, 68);
    CHECK(sb_find(&file, 9, &s) == SB_OK && s.index == 1);
    CHECK(sb_find_name(&file, "aBc", &s) == SB_OK && s.index == 0);
    CHECK(sb_find(&file, 10, &s) == SB_ERR_NOT_FOUND);

    memcpy(text_file, text_table, table);
    memcpy(text_file + table, binary_file + 68, 6);
    CHECK(sb_open_single(&file, text_file, table + 6, codes, 2) == SB_OK);
    CHECK(file.form == SB_FORM_TEXT);
    check_entries(&file, table);

    CHECK(sb_open_info(&file, text_table, table) == SB_OK);
    CHECK(file.form == SB_FORM_INFO && file.count == 2);
    CHECK(sb_sprite_at(&file, 1, &s) == SB_OK && s.hid == 9 && s.pixels == NULL);
}

struct bad_case {
    size_t cut; /* bytes of binary_file kept, or 0 for the edit below */
    int word;   /* the 32-bit word to replace (-1: none) */
    uint32_t value;
    const char* kinds;
    sb_error expected;
};

static void test_malformed(void) {
    static const struct bad_case cases[] = {
        {3, -1, 0, "PT", SB_ERR_TRUNCATED},
        {67, -1, 0, "PT", SB_ERR_TRUNCATED},
        {73, -1, 0, "PT", SB_ERR_TRUNCATED},
        {0, 0, 0xffffffffu, "PT", SB_ERR_COUNT},
        {0, 0, 0x7fffffffu, "PT", SB_ERR_TRUNCATED},
        {0, 2, 6, "PT", SB_ERR_FIELD},                /* method 6 */
        {0, 6, 0x80000000u, "PT", SB_ERR_FIELD},      /* wd negative */
        {0, 14, 0x7fffffffu, "PT", SB_ERR_TRUNCATED}, /* wd huge */
        {0, -1, 0, "P", SB_ERR_KINDS},
        {0, -1, 0, "PTT", SB_ERR_KINDS},
        {0, -1, 0, "PQ", SB_ERR_KINDS},
        {0, -1, 0, "TT", SB_ERR_TRUNCATED}, /* 2 x 4 + 4 bytes wanted, 6 present */
        {0, -1, 0, "PP", SB_ERR_TRAILING},  /* 2 + 1 bytes wanted, 6 present */
    };
    size_t i;
    for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        uint8_t bytes[sizeof binary_file];
        size_t size = cases[i].cut != 0 ? cases[i].cut : sizeof binary_file;
        sb_file file;
        sb_error e;
        memcpy(bytes, binary_file, sizeof binary_file);
        if (cases[i].word >= 0) {
            uint8_t* w = bytes + 4 * cases[i].word;
            w[0] = (uint8_t)cases[i].value;
            w[1] = (uint8_t)(cases[i].value >> 8);
            w[2] = (uint8_t)(cases[i].value >> 16);
            w[3] = (uint8_t)(cases[i].value >> 24);
        }
        e = sb_open_single_letters(&file, bytes, size, cases[i].kinds);
        if (e != cases[i].expected) printf("case %u: %s\n", (unsigned)i, sb_error_string(e));
        CHECK(e == cases[i].expected);
        CHECK(file.count == 0 && file.data == NULL);
    }
}

int main(void) {
    test_hash();
    test_forms();
    test_malformed();
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
