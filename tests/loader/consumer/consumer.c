/* Loads a one-sprite binary file through the installed header; exit status 0 when it reads. */
#define SPRITEBAKE_IMPLEMENTATION
#include <spritebake/spritebake.h>

int main(void) {
    /* count 1; hid 7, UpLeft, padding 1, hx 0, hy 0, wd 1, ht 1, reserved; one PCX pixel */
    static const uint8_t bytes[] = {1, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 42};
    sb_file file;
    sb_sprite sprite;
    if (sb_open_single_letters(&file, bytes, sizeof bytes, "P") != SB_OK) return 1;
    if (sb_find(&file, 7, &sprite) != SB_OK) return 2;
    return sprite.pixels[0] == 42 ? 0 : 3;
}
