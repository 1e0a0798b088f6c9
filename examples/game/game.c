/* A game's side of the bundled example: loads out/sprites.bin with the loader library and the
   header spritebake generated for it (out/sprites.h, --emit-header), checks that the two come
   from one run (the fingerprint) and every pixel block against the header's table, and writes
   the knight as a PAM picture (straight alpha).

   Usage: game SPRITES.BIN OUT.PAM        Exit status 0 when every check held. */
#include <stdio.h>
#include <stdlib.h>

#define SPRITEBAKE_IMPLEMENTATION
#include "spritebake/spritebake.h"
#include "sprites.h"

static unsigned char* readWhole(const char* path, size_t* size) {
    FILE* f = fopen(path, "rb");
    unsigned char* bytes = NULL;
    long length;
    if (f == NULL) return NULL;
    if (fseek(f, 0, SEEK_END) == 0 && (length = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0) {
        bytes = (unsigned char*)malloc(length > 0 ? (size_t)length : 1);
        if (bytes != NULL && fread(bytes, 1, (size_t)length, f) != (size_t)length) {
            free(bytes);
            bytes = NULL;
        }
        *size = (size_t)length;
    }
    fclose(f);
    return bytes;
}

/* The table the header promises must be the table the file holds, block for block. */
static int checkTable(const sb_file* file) {
    int failures = 0;
    int32_t i;
    if (file->count != SPRITES_COUNT) {
        fprintf(stderr, "the file holds %d sprites, the header %d\n", (int)file->count,
                SPRITES_COUNT);
        return 1;
    }
    for (i = 0; i < file->count; ++i) {
        const spritebake_sprite_info* want = &SPRITES_TABLE[i];
        sb_sprite got;
        if (sb_sprite_at(file, i, &got) != SB_OK || got.hid != want->hid ||
            got.kind != (int32_t)want->kind || got.offset != want->offset ||
            got.length != want->length || got.wd != want->wd || got.ht != want->ht ||
            got.hx != want->hx || got.hy != want->hy || got.method != want->method ||
            got.padding != want->padding) {
            fprintf(stderr, "entry %d differs from the header's table\n", (int)i);
            ++failures;
        }
    }
    return failures;
}

/* PAM holds straight alpha; the file holds colours multiplied by alpha. */
static int writePam(const char* path, const sb_sprite* s) {
    FILE* f = fopen(path, "wb");
    size_t i;
    int ok;
    if (f == NULL) return 0;
    fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
            (int)s->wd, (int)s->ht);
    for (i = 0; i + 3 < s->length; i += 4) {
        const unsigned a = s->pixels[i + 3];
        unsigned char pixel[4];
        int c;
        for (c = 0; c < 3; ++c) {
            const unsigned v = a == 0 ? 0 : (s->pixels[i + c] * 255u + a / 2) / a;
            pixel[c] = (unsigned char)(v > 255 ? 255 : v);
        }
        pixel[3] = (unsigned char)a;
        fwrite(pixel, 1, 4, f);
    }
    ok = !ferror(f);
    return fclose(f) == 0 && ok;
}

int main(int argc, char** argv) {
    size_t size = 0;
    unsigned char* bytes;
    sb_file file;
    sb_sprite knight;
    sb_error e;
    int status = 0;
    if (argc != 3) {
        fprintf(stderr, "usage: game SPRITES.BIN OUT.PAM\n");
        return 2;
    }
    bytes = readWhole(argv[1], &size);
    if (bytes == NULL) {
        fprintf(stderr, "%s: cannot read\n", argv[1]);
        return 1;
    }
    e = sb_open_single_letters(&file, bytes, size, SPRITES_KINDS);
    /* A sprite file of another run than the header would be read with the wrong indices. */
    if (e == SB_OK) e = sb_check_fingerprint(&file, SPRITES_FINGERPRINT);
    if (e != SB_OK) {
        fprintf(stderr, "%s: %s\n", argv[1], sb_error_string(e));
        free(bytes);
        return 1;
    }
    if (checkTable(&file) != 0) status = 1;
    /* By name, as a game looks a sprite up, and by the header's constant: the same entry. */
    if (sb_find_name(&file, "hero", &knight) != SB_OK || knight.index != SPRITES_SPRITE_HERO ||
        knight.kind != SB_KIND_TGA || !writePam(argv[2], &knight)) {
        fprintf(stderr, "the knight could not be found or written\n");
        status = 1;
    } else {
        printf("%d sprites checked; the knight (%d x %d) is in %s\n", (int)file.count,
               (int)knight.wd, (int)knight.ht, argv[2]);
    }
    free(bytes);
    return status;
}
