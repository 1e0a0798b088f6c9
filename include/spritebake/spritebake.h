/* spritebake.h: reads what spritebake writes, for a game. One file, C99 and C++.

   Declarations are always here. In exactly one C or C++ file of the game write
       #define SPRITEBAKE_IMPLEMENTATION
       #include "spritebake/spritebake.h"
   to compile the implementation there. Names that begin with sb_p_ or SB_P_ are its own.

   What it reads
   - An info file: "N sprites\n", then N lines, each exactly
       "hid %d hotspot method %s padding %d  hx %d  hy %d  wd %d  ht %d\n"
     (note the two spaces before hx, hy, wd and ht), the method one of Middle, UpLeft, UpRight,
     DownLeft, DownRight, HotXY (0..5, any letter case). hid is printed as a signed decimal and
     stands for its 32-bit pattern. The text ends right after the last line feed.
   - A single sprite file: a header, then one pixel block per entry, in entry order, with nothing
     between and nothing after. The header is either the info file's text (the first block starts
     right after the last line feed) or binary: a little-endian int32 count, then 8 little-endian
     32-bit words per entry: hid, method, padding, hx, hy, wd, ht, reserved. A header is text when
     the bytes begin with an optional '-', decimal digits and " sprites"; any other is binary (a
     binary count whose bytes begin so announces over 500 million entries, 16 GiB of table).
     A block holds wd * ht * 4 bytes for a TGA entry (red, green, blue, alpha, colours multiplied
     by alpha, top row first) and wd * ht bytes for a PCX entry (palette indices, 255
     transparent; no palette is stored). A blank entry (0 x 0) has an empty block.
     The file does not record which entries are TGA and which PCX: the caller gives the kinds, as
     an array of SB_KIND_PCX / SB_KIND_TGA codes or as a string of 'P' / 'T' letters.

   What it checks, and reports with an sb_error (it never prints, aborts or asserts on input)
   - every count, size and offset against the bytes given, in 64-bit arithmetic: it never reads
     outside [data, data + size), whatever the bytes say;
   - a count below 0 (SB_ERR_COUNT); a table or block that the bytes end inside (SB_ERR_TRUNCATED);
     bytes after the last block or info line (SB_ERR_TRAILING; spritebake never writes any);
   - text that is not the lines above (SB_ERR_SYNTAX), numbers that do not fit 32 bits included;
   - a method outside 0..5, a negative wd or ht (SB_ERR_FIELD);
   - as many kinds as entries, each a known code or letter (SB_ERR_KINDS).
   What it trusts
   - padding, hx, hy, reserved and the pixel values: reported as they are;
   - the caller's buffers: the file's bytes and the kinds stay unchanged and alive while an
     sb_file that points into them is used (a changed buffer can give wrong entries, never a read
     outside it).

   Whether a file and a generated header are of one run
   - sb_check_fingerprint compares the file's table (sb_fingerprint: FNV-1a 64 of its bytes up to
     the first pixel byte) with the header's PREFIX_FINGERPRINT and gives SB_ERR_FINGERPRINT when
     they differ: the header's indices would name entries of another table.

   No allocation and no global state: an sb_file and its cursors point into the caller's bytes;
   entries are re-read from the bytes on each access (an sb_cursor walks them in O(1) per entry,
   sb_sprite_at and sb_find walk from the first).

   Loading one sprite by name:
       sb_file file;
       sb_sprite hero;
       if (sb_open_single_letters(&file, bytes, byte_count, "TTTP") != SB_OK) return 0;
       if (sb_check_fingerprint(&file, SPRITES_FINGERPRINT) != SB_OK) return 0;  (sprites.h)
       if (sb_find_name(&file, "hero", &hero) != SB_OK) return 0;
       upload_rgba(hero.pixels, hero.wd, hero.ht);   (hero.length == wd * ht * 4)
       draw_at(x + hero.hx, y + hero.hy);            (the top-left corner from the hotspot)
   or, to see why a file was refused:
       sb_error e = sb_open_single(&file, bytes, byte_count, kinds, kind_count);
       if (e != SB_OK) fprintf(stderr, "sprites: %s\n", sb_error_string(e));
*/
#ifndef SPRITEBAKE_H
#define SPRITEBAKE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* spritebake stores at most this many bytes of a sprite's name; the hid hashes those. */
#define SB_NAME_MAX 78

typedef enum sb_error {
    SB_OK = 0,
    SB_ERR_ARGUMENT,  /* a required pointer is null */
    SB_ERR_TRUNCATED, /* the bytes end inside the header or a pixel block */
    SB_ERR_COUNT,     /* the sprite count is negative or does not fit 32 bits */
    SB_ERR_SYNTAX,    /* the text is not the info file's lines */
    SB_ERR_FIELD,     /* an entry's method is outside 0..5, or its wd or ht negative */
    SB_ERR_KINDS,     /* not one kind per entry, or an unknown kind */
    SB_ERR_TRAILING,  /* bytes follow the last pixel block (or the last info line) */
    SB_ERR_NOT_FOUND, /* no entry has that hid */
    SB_ERR_RANGE,     /* an index past the last entry, a cursor at its end, an array too small */
    SB_ERR_FINGERPRINT /* the table is not the one whose fingerprint was given */
} sb_error;

/* The kind codes are spritebake's own; its generated C header uses the same values. */
typedef enum sb_kind { SB_KIND_NONE = -1, SB_KIND_PCX = 0, SB_KIND_TGA = 1 } sb_kind;

typedef enum sb_method {
    SB_METHOD_MIDDLE = 0,
    SB_METHOD_UPLEFT = 1,
    SB_METHOD_UPRIGHT = 2,
    SB_METHOD_DOWNLEFT = 3,
    SB_METHOD_DOWNRIGHT = 4,
    SB_METHOD_HOTXY = 5
} sb_method;

typedef enum sb_form {
    SB_FORM_INFO = 0,  /* an info file: entries without pixels */
    SB_FORM_TEXT = 1,  /* a single sprite file with a text header */
    SB_FORM_BINARY = 2 /* a single sprite file with a binary header */
} sb_form;

/* An opened file. Read its fields; fill it only through sb_open_*. */
typedef struct sb_file {
    const uint8_t* data; /* the caller's bytes */
    size_t size;
    const uint8_t* kinds; /* the caller's kinds (codes or letters), null for an info file */
    int kinds_are_letters;
    sb_form form;
    int32_t count;      /* number of entries */
    size_t entries_pos; /* where the first entry's header starts */
    size_t table_size;  /* bytes of the header; the first pixel block starts here */
} sb_file;

/* One entry: its header fields and where its pixels are. */
typedef struct sb_sprite {
    int32_t index;           /* position in the table, from 0 */
    uint32_t hid;            /* the hash of the sprite's stored name, sb_hash_name */
    int32_t method;          /* an sb_method */
    int32_t padding;         /* 1 when the game should pad a TGA sprite to power-of-two sides */
    int32_t hx, hy;          /* the top-left corner's position relative to the hotspot, y down */
    int32_t wd, ht;          /* the cropped size in pixels */
    uint32_t reserved;       /* the binary header's eighth word; 0 for text */
    int32_t kind;            /* an sb_kind; SB_KIND_NONE in an info file */
    int32_t bytes_per_pixel; /* 4 (TGA), 1 (PCX) or 0 (info file) */
    size_t offset;           /* the block's first byte, from the start of the file */
    size_t length;           /* the block's bytes: wd * ht * bytes_per_pixel */
    const uint8_t* pixels;   /* data + offset, or null in an info file */
} sb_sprite;

/* Walks a file's entries in order. Fill it with sb_cursor_init. */
typedef struct sb_cursor {
    const sb_file* file;
    int32_t index;    /* the next entry's index */
    size_t table_pos; /* where the next entry's header starts */
    size_t block_pos; /* where its pixel block starts */
} sb_cursor;

/* A fixed English text for `error`; "unknown error" for a value outside the enum. */
const char* sb_error_string(sb_error error);

/* Bob Jenkins' lookup2 hash of `length` bytes (null hashes as no bytes), from `initval`. */
uint32_t sb_lookup2(const void* bytes, size_t length, uint32_t initval);

/* The hid spritebake gives the stored name `name` of `length` bytes: lookup2 with initial value
   123456 of the bytes with ASCII a-z upper-cased (bytes of 128 and above kept as they are).
   Pass the name as stored, at most SB_NAME_MAX bytes; a null name hashes as the empty one. */
uint32_t sb_hash_name(const char* name, size_t length);

/* The hid of a sprite listed in the control file as the NUL-terminated `name`: its first
   SB_NAME_MAX bytes hashed as sb_hash_name does, since that is what spritebake stores. */
uint32_t sb_hash_sprite_name(const char* name);

/* FNV-1a 64 of `length` bytes (null hashes as no bytes): offset basis 0xcbf29ce484222325,
   prime 0x100000001b3. */
uint64_t sb_fnv1a64(const void* bytes, size_t length);

/* The fingerprint of an opened file: sb_fnv1a64 of its table bytes, from the first byte to the
   last before the first pixel block (the whole text of an info file). spritebake writes the same
   value into the manifest ("fingerprint") and the C header (PREFIX_FINGERPRINT) it makes beside
   the file. */
sb_error sb_fingerprint(const sb_file* file, uint64_t* fingerprint);

/* SB_OK when the file's fingerprint is `expected`, SB_ERR_FINGERPRINT when it is not: the file
   and the header that gave `expected` are not of one run, and the header's indices and table do
   not describe the file. */
sb_error sb_check_fingerprint(const sb_file* file, uint64_t expected);

/* Parses an info file's `size` bytes of text (`text` may be null when size is 0). On failure `file`
 * is left empty (count 0). */
sb_error sb_open_info(sb_file* file, const void* text, size_t size);

/* Parses a single sprite file of `size` bytes, text or binary header, with one kind code per
   entry (`kinds` may be null when kind_count is 0). Checks that the blocks fill the bytes after
   the header exactly. On failure `file` is left empty (count 0). */
sb_error sb_open_single(sb_file* file, const void* data, size_t size, const uint8_t* kinds,
                        size_t kind_count);

/* As sb_open_single, the kinds given as a NUL-terminated string, one letter per entry:
   'T' for a TGA entry, 'P' for a PCX entry (upper case only). */
sb_error sb_open_single_letters(sb_file* file, const void* data, size_t size, const char* kinds);

/* Parses only the header of a single sprite file (text or binary, told apart from the bytes) or
   of an info file, without kinds: the entries come back as an info file's do (kind SB_KIND_NONE,
   no pixels), and the pixel blocks, whatever they hold, are the size - table_size bytes after
   the table. For tools that show a file's table. */
sb_error sb_open_table(sb_file* file, const void* data, size_t size);

/* Sets `cursor` before the first entry of `file`. */
sb_error sb_cursor_init(const sb_file* file, sb_cursor* cursor);

/* Reads the cursor's next entry into `sprite` and moves on; SB_ERR_RANGE after the last. */
sb_error sb_cursor_next(sb_cursor* cursor, sb_sprite* sprite);

/* The entry at `index` (0 .. count - 1); SB_ERR_RANGE outside. Walks from the first entry. */
sb_error sb_sprite_at(const sb_file* file, int32_t index, sb_sprite* sprite);

/* The first entry whose hid is `hid`; SB_ERR_NOT_FOUND when none is. */
sb_error sb_find(const sb_file* file, uint32_t hid, sb_sprite* sprite);

/* The first entry whose hid is sb_hash_sprite_name(name). */
sb_error sb_find_name(const sb_file* file, const char* name, sb_sprite* sprite);

/* Every entry into the caller's `sprites`, which must hold `capacity` >= count records
   (SB_ERR_RANGE otherwise, nothing written). */
sb_error sb_read_all(const sb_file* file, sb_sprite* sprites, size_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* SPRITEBAKE_H */

#ifdef SPRITEBAKE_IMPLEMENTATION
#ifndef SPRITEBAKE_IMPLEMENTED
#define SPRITEBAKE_IMPLEMENTED

#ifdef __cplusplus
extern "C" {
#endif

#define SB_P_NAME_HASH_INITIAL 123456u
#define SB_P_BINARY_ENTRY_SIZE 32u
#define SB_P_BINARY_ENTRY_WORDS 8

static const char* const sb_p_method_names[6] = {"Middle",   "UpLeft",    "UpRight",
                                                 "DownLeft", "DownRight", "HotXY"};

const char* sb_error_string(sb_error error) {
    switch (error) {
        case SB_OK:
            return "no error";
        case SB_ERR_ARGUMENT:
            return "a required pointer is null";
        case SB_ERR_TRUNCATED:
            return "the file is cut short";
        case SB_ERR_COUNT:
            return "the sprite count is negative or too large";
        case SB_ERR_SYNTAX:
            return "the text is not a sprite table";
        case SB_ERR_FIELD:
            return "an entry has an unknown method or a negative size";
        case SB_ERR_KINDS:
            return "the kinds do not match the entries";
        case SB_ERR_TRAILING:
            return "bytes follow the last pixel block";
        case SB_ERR_NOT_FOUND:
            return "no sprite has that id";
        case SB_ERR_RANGE:
            return "no entry at that position";
        case SB_ERR_FINGERPRINT:
            return "the sprite table is not the one expected (fingerprint mismatch)";
    }
    return "unknown error";
}

/* ---- the name hash ---- */

static uint8_t sb_p_fold(uint8_t byte, int fold) {
    return (fold && byte >= 'a' && byte <= 'z') ? (uint8_t)(byte - ('a' - 'A')) : byte;
}

static uint32_t sb_p_hash_word(const uint8_t* k, int fold) {
    return (uint32_t)sb_p_fold(k[0], fold) | ((uint32_t)sb_p_fold(k[1], fold) << 8) |
           ((uint32_t)sb_p_fold(k[2], fold) << 16) | ((uint32_t)sb_p_fold(k[3], fold) << 24);
}

#define SB_P_MIX(a, b, c) \
    do {                  \
        a -= b;           \
        a -= c;           \
        a ^= (c >> 13);   \
        b -= c;           \
        b -= a;           \
        b ^= (a << 8);    \
        c -= a;           \
        c -= b;           \
        c ^= (b >> 13);   \
        a -= b;           \
        a -= c;           \
        a ^= (c >> 12);   \
        b -= c;           \
        b -= a;           \
        b ^= (a << 16);   \
        c -= a;           \
        c -= b;           \
        c ^= (b >> 5);    \
        a -= b;           \
        a -= c;           \
        a ^= (c >> 3);    \
        b -= c;           \
        b -= a;           \
        b ^= (a << 10);   \
        c -= a;           \
        c -= b;           \
        c ^= (b >> 15);   \
    } while (0)

/* Folding while the words are gathered hashes a name as its upper-cased bytes without a copy. */
static uint32_t sb_p_lookup2(const uint8_t* k, size_t length, uint32_t initval, int fold) {
    uint32_t a = 0x9e3779b9u; /* the golden ratio, an arbitrary value */
    uint32_t b = 0x9e3779b9u;
    uint32_t c = initval;
    size_t len = length;
    size_t i;
    while (len >= 12) {
        a += sb_p_hash_word(k, fold);
        b += sb_p_hash_word(k + 4, fold);
        c += sb_p_hash_word(k + 8, fold);
        SB_P_MIX(a, b, c);
        k += 12;
        len -= 12;
    }
    c += (uint32_t)length;
    /* The low byte of c already carries the length: the tail's bytes for c start at bit 8. */
    for (i = 0; i < len; ++i) {
        const uint32_t byte = sb_p_fold(k[i], fold);
        if (i < 4) {
            a += byte << (8 * i);
        } else if (i < 8) {
            b += byte << (8 * (i - 4));
        } else {
            c += byte << (8 * (i - 8) + 8);
        }
    }
    SB_P_MIX(a, b, c);
    return c;
}

uint32_t sb_lookup2(const void* bytes, size_t length, uint32_t initval) {
    if (bytes == NULL) length = 0;
    return sb_p_lookup2((const uint8_t*)bytes, length, initval, 0);
}

uint32_t sb_hash_name(const char* name, size_t length) {
    if (name == NULL) length = 0;
    return sb_p_lookup2((const uint8_t*)name, length, SB_P_NAME_HASH_INITIAL, 1);
}

uint32_t sb_hash_sprite_name(const char* name) {
    size_t length = 0;
    if (name != NULL) {
        while (length < SB_NAME_MAX && name[length] != '\0') ++length;
    }
    return sb_hash_name(name, length);
}

/* ---- the fingerprint ---- */

uint64_t sb_fnv1a64(const void* bytes, size_t length) {
    const uint8_t* p = (const uint8_t*)bytes;
    uint64_t hash = (uint64_t)0xcbf29ce484222325ull;
    size_t i;
    if (p == NULL) length = 0;
    for (i = 0; i < length; ++i) {
        hash ^= p[i];
        hash *= (uint64_t)0x100000001b3ull;
    }
    return hash;
}

sb_error sb_fingerprint(const sb_file* file, uint64_t* fingerprint) {
    if (file == NULL || fingerprint == NULL) return SB_ERR_ARGUMENT;
    /* An opened file's table_size never passes its size; a forged one is cut to it. */
    *fingerprint =
        sb_fnv1a64(file->data, file->table_size <= file->size ? file->table_size : file->size);
    return SB_OK;
}

sb_error sb_check_fingerprint(const sb_file* file, uint64_t expected) {
    uint64_t actual = 0;
    const sb_error e = sb_fingerprint(file, &actual);
    if (e != SB_OK) return e;
    return actual == expected ? SB_OK : SB_ERR_FINGERPRINT;
}

/* ---- reading the table ---- */

/* A position in the caller's bytes; every read asks `sb_p_has` first. */
typedef struct sb_p_reader {
    const uint8_t* data;
    size_t size;
    size_t pos;
} sb_p_reader;

static int sb_p_has(const sb_p_reader* r, size_t n) {
    return n <= r->size - r->pos;
}

static int sb_p_is_digit(uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

static uint8_t sb_p_upper(uint8_t byte) {
    return sb_p_fold(byte, 1);
}

/* Matches the literal `text`; a text that the bytes end inside is cut short, not wrong. */
static sb_error sb_p_expect(sb_p_reader* r, const char* text) {
    size_t i;
    for (i = 0; text[i] != '\0'; ++i) {
        if (!sb_p_has(r, 1)) return SB_ERR_TRUNCATED;
        if (r->data[r->pos] != (uint8_t)text[i]) return SB_ERR_SYNTAX;
        ++r->pos;
    }
    return SB_OK;
}

/* A decimal "%d": an optional '-' and at least one digit. `*overflow` is set when the value
   does not fit int32_t. A number that runs to the end of the bytes is cut short: more digits
   may have followed. */
static sb_error sb_p_number(sb_p_reader* r, int32_t* value, int* overflow) {
    int negative = 0;
    int64_t magnitude = 0;
    size_t digits = 0;
    const int64_t limit = (int64_t)2147483647 + 1;
    *overflow = 0;
    if (!sb_p_has(r, 1)) return SB_ERR_TRUNCATED;
    if (r->data[r->pos] == '-') {
        negative = 1;
        ++r->pos;
    }
    for (;;) {
        if (!sb_p_has(r, 1)) return SB_ERR_TRUNCATED;
        if (!sb_p_is_digit(r->data[r->pos])) break;
        /* Past 2^31 only the overflow matters; capping keeps the sum from overflowing. */
        if (magnitude <= limit) magnitude = magnitude * 10 + (r->data[r->pos] - '0');
        ++digits;
        ++r->pos;
    }
    if (digits == 0) return SB_ERR_SYNTAX;
    if (magnitude > limit || (!negative && magnitude == limit)) {
        *overflow = 1;
        *value = 0;
        return SB_OK;
    }
    *value = negative ? (int32_t)(-magnitude) : (int32_t)magnitude;
    return SB_OK;
}

static sb_error sb_p_field(sb_p_reader* r, const char* label, int32_t* value) {
    int overflow = 0;
    sb_error e = sb_p_expect(r, label);
    if (e != SB_OK) return e;
    e = sb_p_number(r, value, &overflow);
    if (e != SB_OK) return e;
    return overflow ? SB_ERR_SYNTAX : SB_OK;
}

/* One of the six method names in any letter case. No name begins another, so the first that
   matches is the one; what follows it is the caller's to check. */
static sb_error sb_p_method(sb_p_reader* r, int32_t* method) {
    size_t m;
    for (m = 0; m < 6; ++m) {
        const char* name = sb_p_method_names[m];
        size_t i = 0;
        while (name[i] != '\0' && sb_p_has(r, i + 1) &&
               sb_p_upper(r->data[r->pos + i]) == sb_p_upper((uint8_t)name[i])) {
            ++i;
        }
        if (name[i] == '\0') {
            r->pos += i;
            *method = (int32_t)m;
            return SB_OK;
        }
        if (!sb_p_has(r, i + 1)) return SB_ERR_TRUNCATED; /* the bytes end inside a name */
    }
    return SB_ERR_SYNTAX;
}

static sb_error sb_p_text_entry(sb_p_reader* r, sb_sprite* s) {
    int32_t hid = 0;
    sb_error e = sb_p_field(r, "hid ", &hid);
    if (e == SB_OK) e = sb_p_expect(r, " hotspot method ");
    if (e == SB_OK) e = sb_p_method(r, &s->method);
    if (e == SB_OK) e = sb_p_field(r, " padding ", &s->padding);
    if (e == SB_OK) e = sb_p_field(r, "  hx ", &s->hx);
    if (e == SB_OK) e = sb_p_field(r, "  hy ", &s->hy);
    if (e == SB_OK) e = sb_p_field(r, "  wd ", &s->wd);
    if (e == SB_OK) e = sb_p_field(r, "  ht ", &s->ht);
    if (e == SB_OK) e = sb_p_expect(r, "\n");
    s->hid = (uint32_t)hid; /* printed signed, stands for its 32-bit pattern */
    s->reserved = 0;
    return e;
}

static uint32_t sb_p_u32le(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

/* Two's complement without relying on the conversion of an out-of-range value. */
static int32_t sb_p_i32(uint32_t word) {
    return word <= 0x7fffffffu ? (int32_t)word : (int32_t)(word - 0x80000000u) - 0x7fffffff - 1;
}

static sb_error sb_p_binary_entry(sb_p_reader* r, sb_sprite* s) {
    uint32_t w[SB_P_BINARY_ENTRY_WORDS];
    int i;
    if (!sb_p_has(r, SB_P_BINARY_ENTRY_SIZE)) return SB_ERR_TRUNCATED;
    for (i = 0; i < SB_P_BINARY_ENTRY_WORDS; ++i) w[i] = sb_p_u32le(r->data + r->pos + 4 * i);
    r->pos += SB_P_BINARY_ENTRY_SIZE;
    s->hid = w[0];
    s->method = sb_p_i32(w[1]);
    s->padding = sb_p_i32(w[2]);
    s->hx = sb_p_i32(w[3]);
    s->hy = sb_p_i32(w[4]);
    s->wd = sb_p_i32(w[5]);
    s->ht = sb_p_i32(w[6]);
    s->reserved = w[7];
    return SB_OK;
}

/* The kind of entry `index`, or -2 for a code or letter that names none. */
static int32_t sb_p_kind(const sb_file* f, int32_t index) {
    const uint8_t k = f->kinds[index];
    if (f->kinds_are_letters) return k == 'T' ? SB_KIND_TGA : k == 'P' ? SB_KIND_PCX : -2;
    return k == SB_KIND_TGA ? SB_KIND_TGA : k == SB_KIND_PCX ? SB_KIND_PCX : -2;
}

/* Reads entry `index` whose header starts at *table_pos and block at *block_pos, checks it
   against the bytes and moves both positions past it. */
static sb_error sb_p_read_entry(const sb_file* f, int32_t index, size_t* table_pos,
                                size_t* block_pos, sb_sprite* s) {
    sb_p_reader r;
    sb_error e;
    uint64_t length;
    r.data = f->data;
    r.size = f->table_size; /* the whole text for an info file */
    r.pos = *table_pos;
    if (r.pos > r.size) return SB_ERR_TRUNCATED;
    e = f->form == SB_FORM_BINARY ? sb_p_binary_entry(&r, s) : sb_p_text_entry(&r, s);
    if (e != SB_OK) return e;
    if (s->method < 0 || s->method > SB_METHOD_HOTXY || s->wd < 0 || s->ht < 0) {
        return SB_ERR_FIELD;
    }
    s->index = index;
    /* Without kinds (an info file, or a table read on its own) there are no blocks to place. */
    if (f->form == SB_FORM_INFO || f->kinds == NULL) {
        s->kind = SB_KIND_NONE;
        s->bytes_per_pixel = 0;
        s->offset = 0;
        s->length = 0;
        s->pixels = NULL;
        *table_pos = r.pos;
        return SB_OK;
    }
    s->kind = sb_p_kind(f, index);
    if (s->kind < 0) return SB_ERR_KINDS;
    s->bytes_per_pixel = s->kind == SB_KIND_TGA ? 4 : 1;
    /* Both sides are below 2^31 and a pixel at most 4 bytes: the product fits 64 bits. */
    length = (uint64_t)s->wd * (uint64_t)s->ht * (uint64_t)s->bytes_per_pixel;
    if (*block_pos > f->size || length > (uint64_t)(f->size - *block_pos)) {
        return SB_ERR_TRUNCATED;
    }
    s->offset = *block_pos;
    s->length = (size_t)length;
    s->pixels = f->data + *block_pos;
    *table_pos = r.pos;
    *block_pos += (size_t)length;
    return SB_OK;
}

static void sb_p_clear(sb_file* f) {
    f->data = NULL;
    f->size = 0;
    f->kinds = NULL;
    f->kinds_are_letters = 0;
    f->form = SB_FORM_INFO;
    f->count = 0;
    f->entries_pos = 0;
    f->table_size = 0;
}

/* The count line "N sprites\n"; leaves r after it. */
static sb_error sb_p_count_line(sb_p_reader* r, int32_t* count) {
    int overflow = 0;
    sb_error e = sb_p_number(r, count, &overflow);
    if (e != SB_OK) return e;
    if (overflow || *count < 0) return SB_ERR_COUNT;
    return sb_p_expect(r, " sprites\n");
}

static int sb_p_looks_like_text(const uint8_t* data, size_t size) {
    sb_p_reader r;
    int32_t count = 0;
    int overflow = 0;
    r.data = data;
    r.size = size;
    r.pos = 0;
    return sb_p_number(&r, &count, &overflow) == SB_OK && sb_p_expect(&r, " sprites") == SB_OK;
}

/* Reads the count and finds where the entries start and where the header ends (for text, by
   walking its lines, since the pixels start after the last one). */
static sb_error sb_p_read_header(sb_file* f) {
    sb_p_reader r;
    sb_error e = SB_OK;
    int32_t i;
    r.data = f->data;
    r.size = f->size;
    r.pos = 0;
    if (f->form == SB_FORM_BINARY) {
        if (!sb_p_has(&r, 4)) return SB_ERR_TRUNCATED;
        f->count = sb_p_i32(sb_p_u32le(f->data));
        if (f->count < 0) return SB_ERR_COUNT;
        if ((uint64_t)f->count > (uint64_t)(f->size - 4) / SB_P_BINARY_ENTRY_SIZE) {
            return SB_ERR_TRUNCATED;
        }
        f->entries_pos = 4;
        f->table_size = 4 + (size_t)f->count * SB_P_BINARY_ENTRY_SIZE;
        return SB_OK;
    }
    e = sb_p_count_line(&r, &f->count);
    if (e != SB_OK) return e;
    f->entries_pos = r.pos;
    if (f->form == SB_FORM_INFO) {
        f->table_size = f->size;
        return SB_OK;
    }
    for (i = 0; i < f->count && e == SB_OK; ++i) {
        sb_sprite s;
        e = sb_p_text_entry(&r, &s);
    }
    f->table_size = r.pos;
    return e;
}

/* Walks every entry once: each one reads, its block fits, and the blocks end with the bytes. */
static sb_error sb_p_check_entries(const sb_file* f, int table_only) {
    size_t table_pos = f->entries_pos;
    size_t block_pos = f->table_size;
    int32_t i;
    for (i = 0; i < f->count; ++i) {
        sb_sprite s;
        const sb_error e = sb_p_read_entry(f, i, &table_pos, &block_pos, &s);
        if (e != SB_OK) return e;
    }
    if (table_only) return SB_OK;
    return (f->form == SB_FORM_INFO ? table_pos : block_pos) == f->size ? SB_OK : SB_ERR_TRAILING;
}

/* mode: 0 a single sprite file, 1 an info file, 2 either one's table alone. */
static sb_error sb_p_open(sb_file* f, const void* data, size_t size, const uint8_t* kinds,
                          size_t kind_count, int letters, int mode) {
    const int info = mode == 1;
    const int table_only = mode == 2;
    sb_error e;
    if (f == NULL) return SB_ERR_ARGUMENT;
    sb_p_clear(f);
    /* No bytes may come as a null pointer: that is an empty (cut short) file, not a misuse. */
    if ((data == NULL && size > 0) || (kinds == NULL && kind_count > 0)) return SB_ERR_ARGUMENT;
    f->data = (const uint8_t*)data;
    f->size = size;
    f->kinds = kinds;
    f->kinds_are_letters = letters;
    f->form = info                                  ? SB_FORM_INFO
              : sb_p_looks_like_text(f->data, size) ? SB_FORM_TEXT
                                                    : SB_FORM_BINARY;
    e = sb_p_read_header(f);
    if (e == SB_OK && !info && !table_only && (uint64_t)f->count != (uint64_t)kind_count) {
        e = SB_ERR_KINDS;
    }
    if (e == SB_OK) e = sb_p_check_entries(f, table_only);
    if (e != SB_OK) sb_p_clear(f);
    return e;
}

sb_error sb_open_info(sb_file* file, const void* text, size_t size) {
    return sb_p_open(file, text, size, NULL, 0, 0, 1);
}

sb_error sb_open_single(sb_file* file, const void* data, size_t size, const uint8_t* kinds,
                        size_t kind_count) {
    return sb_p_open(file, data, size, kinds, kind_count, 0, 0);
}

sb_error sb_open_table(sb_file* file, const void* data, size_t size) {
    return sb_p_open(file, data, size, NULL, 0, 0, 2);
}

sb_error sb_open_single_letters(sb_file* file, const void* data, size_t size, const char* kinds) {
    size_t n = 0;
    if (kinds == NULL) {
        if (file != NULL) sb_p_clear(file);
        return SB_ERR_ARGUMENT;
    }
    while (kinds[n] != '\0') ++n;
    return sb_p_open(file, data, size, (const uint8_t*)kinds, n, 1, 0);
}

/* ---- walking the entries ---- */

sb_error sb_cursor_init(const sb_file* file, sb_cursor* cursor) {
    if (file == NULL || cursor == NULL) return SB_ERR_ARGUMENT;
    cursor->file = file;
    cursor->index = 0;
    cursor->table_pos = file->entries_pos;
    cursor->block_pos = file->table_size;
    return SB_OK;
}
sb_error sb_cursor_next(sb_cursor* cursor, sb_sprite* sprite) {
    if (cursor == NULL || sprite == NULL || cursor->file == NULL) return SB_ERR_ARGUMENT;
    if (cursor->index < 0 || cursor->index >= cursor->file->count) return SB_ERR_RANGE;
    {
        const sb_error e = sb_p_read_entry(cursor->file, cursor->index, &cursor->table_pos,
                                           &cursor->block_pos, sprite);
        if (e != SB_OK) return e;
    }
    ++cursor->index;
    return SB_OK;
}

sb_error sb_sprite_at(const sb_file* file, int32_t index, sb_sprite* sprite) {
    sb_cursor cursor;
    sb_error e;
    if (file == NULL || sprite == NULL) return SB_ERR_ARGUMENT;
    if (index < 0 || index >= file->count) return SB_ERR_RANGE;
    e = sb_cursor_init(file, &cursor);
    while (e == SB_OK) {
        e = sb_cursor_next(&cursor, sprite);
        if (e == SB_OK && sprite->index == index) return SB_OK;
    }
    return e;
}

sb_error sb_find(const sb_file* file, uint32_t hid, sb_sprite* sprite) {
    sb_cursor cursor;
    sb_error e;
    if (file == NULL || sprite == NULL) return SB_ERR_ARGUMENT;
    e = sb_cursor_init(file, &cursor);
    while (e == SB_OK) {
        e = sb_cursor_next(&cursor, sprite);
        if (e == SB_OK && sprite->hid == hid) return SB_OK;
    }
    return e == SB_ERR_RANGE ? SB_ERR_NOT_FOUND : e;
}

sb_error sb_find_name(const sb_file* file, const char* name, sb_sprite* sprite) {
    if (name == NULL) return SB_ERR_ARGUMENT;
    return sb_find(file, sb_hash_sprite_name(name), sprite);
}

sb_error sb_read_all(const sb_file* file, sb_sprite* sprites, size_t capacity) {
    sb_cursor cursor;
    sb_error e;
    size_t i;
    if (file == NULL || (sprites == NULL && file->count > 0)) return SB_ERR_ARGUMENT;
    if ((uint64_t)file->count > (uint64_t)capacity) return SB_ERR_RANGE;
    e = sb_cursor_init(file, &cursor);
    for (i = 0; e == SB_OK && i < (size_t)file->count; ++i)
        e = sb_cursor_next(&cursor, &sprites[i]);
    return e;
}

#ifdef __cplusplus
}
#endif

#endif /* SPRITEBAKE_IMPLEMENTED */
#endif /* SPRITEBAKE_IMPLEMENTATION */
