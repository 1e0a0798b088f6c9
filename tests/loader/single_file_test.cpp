// Well-formed files: golden bytes written out by hand from the layout, and files built with the
// byte builder, opened in each header form and walked, looked up and copied out.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "loader_bytes.hpp"
#include "spritebake/spritebake.h"

using namespace loadertest;

namespace {

// Two entries: a 3 x 1 PCX sprite (Middle, hx -1) and a 1 x 1 TGA sprite (HotXY, hx -8, hy -41,
// reserved word 0x11223344), then their blocks. The PCX block begins with a line feed, which
// must not be taken for part of a text header.
const Bytes kBinaryGolden = {
    0x02, 0x00, 0x00, 0x00,                          // count 2
    0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00,  // hid 0x01020304, method Middle
    0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff,  // padding 0, hx -1
    0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,  // hy 0, wd 3
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // ht 1, reserved 0
    0x08, 0x7d, 0x63, 0xdb, 0x05, 0x00, 0x00, 0x00,  // hid 0xdb637d08, method HotXY
    0x01, 0x00, 0x00, 0x00, 0xf8, 0xff, 0xff, 0xff,  // padding 1, hx -8
    0xd7, 0xff, 0xff, 0xff, 0x01, 0x00, 0x00, 0x00,  // hy -41, wd 1
    0x01, 0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11,  // ht 1, reserved
    0x0a, 0x0b, 0xff,                                // the PCX block
    0x10, 0x20, 0x30, 0x40,                          // the TGA block
};

const std::string kTextGoldenTable =
    "2 sprites\n"
    "hid 16909060 hotspot method Middle padding 0  hx -1  hy 0  wd 3  ht 1\n"
    "hid -614236920 hotspot method HotXY padding 1  hx -8  hy -41  wd 1  ht 1\n";
const Bytes kGoldenBlocks = {0x0a, 0x0b, 0xff, 0x10, 0x20, 0x30, 0x40};

// The golden entries as the bytes above spell them; offsets count from the end of the table.
struct Expected {
    uint32_t hid;
    int32_t method, padding, hx, hy, wd, ht, kind, bytesPerPixel;
    size_t offset;
    Bytes pixels;
};

void expectGoldenEntries(const sb_file& file, size_t tableSize, uint32_t reserved) {
    const Expected expected[] = {
        {0x01020304u, SB_METHOD_MIDDLE, 0, -1, 0, 3, 1, SB_KIND_PCX, 1, 0, {0x0a, 0x0b, 0xff}},
        {0xdb637d08u,
         SB_METHOD_HOTXY,
         1,
         -8,
         -41,
         1,
         1,
         SB_KIND_TGA,
         4,
         3,
         {0x10, 0x20, 0x30, 0x40}},
    };
    ASSERT_EQ(file.count, 2);
    EXPECT_EQ(file.table_size, tableSize);
    for (int32_t i = 0; i < 2; ++i) {
        const Expected& e = expected[i];
        sb_sprite s;
        ASSERT_EQ(sb_sprite_at(&file, i, &s), SB_OK);
        EXPECT_EQ(s.index, i);
        EXPECT_EQ(s.hid, e.hid);
        EXPECT_EQ((std::vector<int32_t>{s.method, s.padding, s.hx, s.hy, s.wd, s.ht, s.kind,
                                        s.bytes_per_pixel}),
                  (std::vector<int32_t>{e.method, e.padding, e.hx, e.hy, e.wd, e.ht, e.kind,
                                        e.bytesPerPixel}))
            << i;
        EXPECT_EQ(s.reserved, i == 1 ? reserved : 0u);
        EXPECT_EQ(s.offset, tableSize + e.offset);
        EXPECT_EQ(s.pixels, file.data + s.offset);
        EXPECT_EQ(Bytes(s.pixels, s.pixels + s.length), e.pixels);
    }
}

}  // namespace

TEST(LoaderSingleFile, BinaryGoldenBytesWithKindLetters) {
    sb_file file;
    ASSERT_EQ(openSingle(file, kBinaryGolden, "PT"), SB_OK);
    EXPECT_EQ(file.form, SB_FORM_BINARY);
    expectGoldenEntries(file, 68, 0x11223344u);
}

TEST(LoaderSingleFile, BinaryGoldenBytesWithKindCodes) {
    const uint8_t kinds[] = {SB_KIND_PCX, SB_KIND_TGA};
    sb_file file;
    ASSERT_EQ(sb_open_single(&file, kBinaryGolden.data(), kBinaryGolden.size(), kinds, 2), SB_OK);
    expectGoldenEntries(file, 68, 0x11223344u);
}

TEST(LoaderSingleFile, TextHeaderGoldenBytes) {
    const Bytes bytes = concat({bytesOf(kTextGoldenTable), kGoldenBlocks});
    sb_file file;
    ASSERT_EQ(openSingle(file, bytes, "PT"), SB_OK);
    EXPECT_EQ(file.form, SB_FORM_TEXT);
    expectGoldenEntries(file, kTextGoldenTable.size(), 0);
}

TEST(LoaderSingleFile, KindsDecideTheBlockSizes) {
    // The same table read with other kinds: 3 x 1 x 4 + 1 x 1 x 4 = 16 bytes of blocks.
    const Bytes bytes =
        concat({Bytes(kBinaryGolden.begin(), kBinaryGolden.begin() + 68), pattern(16, 1)});
    sb_file file;
    EXPECT_EQ(openSingle(file, bytes, "PT"), SB_ERR_TRAILING);
    ASSERT_EQ(openSingle(file, bytes, "TT"), SB_OK);
    sb_sprite second;
    ASSERT_EQ(sb_sprite_at(&file, 1, &second), SB_OK);
    EXPECT_EQ(second.offset, 68u + 12u);
    EXPECT_EQ(second.length, 4u);
}

TEST(LoaderInfoFile, ReadsTheReadmeExample) {
    const std::string text =
        "2 sprites\n"
        "hid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n"
        "hid -1206996721 hotspot method Middle padding 1  hx -16  hy -8  wd 20  ht 10\n";
    sb_file file;
    ASSERT_EQ(sb_open_info(&file, text.data(), text.size()), SB_OK);
    EXPECT_EQ(file.form, SB_FORM_INFO);
    ASSERT_EQ(file.count, 2);
    sb_sprite sprites[2];
    ASSERT_EQ(sb_read_all(&file, sprites, 2), SB_OK);
    EXPECT_EQ(sprites[0].hid, 3087970575u);
    EXPECT_EQ(sprites[0].method, SB_METHOD_UPLEFT);
    EXPECT_EQ(sprites[1].method, SB_METHOD_MIDDLE);
    EXPECT_EQ(sprites[1].hx, -16);
    EXPECT_EQ(sprites[1].hy, -8);
    EXPECT_EQ(sprites[1].wd, 20);
    EXPECT_EQ(sprites[1].ht, 10);
    EXPECT_EQ(sprites[1].kind, SB_KIND_NONE);
    EXPECT_EQ(sprites[1].bytes_per_pixel, 0);
    EXPECT_EQ(sprites[1].length, 0u);
    EXPECT_EQ(sprites[1].pixels, nullptr);
    // Both lines carry the id of "abc": the first one is found.
    sb_sprite found;
    ASSERT_EQ(sb_find_name(&file, "ABC", &found), SB_OK);
    EXPECT_EQ(found.index, 0);
}

TEST(LoaderInfoFile, MethodNamesInAnyLetterCase) {
    const std::string text =
        "3 sprites\n"
        "hid -2147483648 hotspot method hotxy padding 0  hx 0  hy 0  wd 1  ht 1\n"
        "hid 2147483647 hotspot method DOWNRIGHT padding 0  hx 0  hy 0  wd 1  ht 1\n"
        "hid 0 hotspot method upRight padding 0  hx 0  hy 0  wd 1  ht 1\n";
    sb_file file;
    ASSERT_EQ(sb_open_info(&file, text.data(), text.size()), SB_OK);
    sb_sprite s[3];
    ASSERT_EQ(sb_read_all(&file, s, 3), SB_OK);
    EXPECT_EQ(s[0].method, SB_METHOD_HOTXY);
    EXPECT_EQ(s[0].hid, 0x80000000u);
    EXPECT_EQ(s[1].method, SB_METHOD_DOWNRIGHT);
    EXPECT_EQ(s[1].hid, 0x7fffffffu);
    EXPECT_EQ(s[2].method, SB_METHOD_UPRIGHT);
}

TEST(LoaderSingleFile, EmptyTablesAndBlankEntries) {
    sb_file file;
    const Bytes emptyBinary = {0, 0, 0, 0};
    ASSERT_EQ(openSingle(file, emptyBinary, ""), SB_OK);
    EXPECT_EQ(file.count, 0);
    EXPECT_EQ(sb_open_single(&file, emptyBinary.data(), 4, nullptr, 0), SB_OK);
    const Bytes emptyText = bytesOf("0 sprites\n");
    ASSERT_EQ(openSingle(file, emptyText, ""), SB_OK);
    EXPECT_EQ(file.form, SB_FORM_TEXT);
    ASSERT_EQ(sb_open_info(&file, emptyText.data(), emptyText.size()), SB_OK);
    sb_sprite s;
    EXPECT_EQ(sb_find(&file, 0, &s), SB_ERR_NOT_FOUND);

    // Blank entries (0 x 0) of both kinds between real ones have empty blocks in place.
    const std::vector<Entry> entries = {
        {.hid = 1, .wd = 2, .ht = 1}, {.hid = 2}, {.hid = 3}, {.hid = 4, .wd = 1, .ht = 3}};
    for (const Bytes& table : {binaryTable(entries), bytesOf(textTable(entries))}) {
        const Bytes bytes = concat({table, pattern(8, 10), pattern(3, 50)});
        ASSERT_EQ(openSingle(file, bytes, "TPTP"), SB_OK);
        sb_sprite all[4];
        ASSERT_EQ(sb_read_all(&file, all, 4), SB_OK);
        const size_t t = table.size();
        const size_t offsets[] = {t, t + 8, t + 8, t + 8};
        const size_t lengths[] = {8, 0, 0, 3};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(all[i].hid, uint32_t(i + 1));
            EXPECT_EQ(all[i].offset, offsets[i]) << i;
            EXPECT_EQ(all[i].length, lengths[i]) << i;
        }
        EXPECT_EQ(Bytes(all[3].pixels, all[3].pixels + 3), pattern(3, 50));
    }
}

TEST(LoaderSingleFile, LookupCursorAndCopies) {
    const std::vector<Entry> entries = {
        {.hid = 7, .wd = 1, .ht = 1}, {.hid = 9, .wd = 2, .ht = 1}, {.hid = 7, .wd = 1, .ht = 2}};
    const Bytes bytes = concat({binaryTable(entries), pattern(4 + 2 + 8, 3)});
    sb_file file;
    ASSERT_EQ(openSingle(file, bytes, "TPT"), SB_OK);

    sb_sprite s;
    ASSERT_EQ(sb_find(&file, 7, &s), SB_OK);
    EXPECT_EQ(s.index, 0);  // the first entry with that id
    ASSERT_EQ(sb_find(&file, 9, &s), SB_OK);
    EXPECT_EQ(s.index, 1);
    EXPECT_EQ(s.offset, binaryTable(entries).size() + 4);
    EXPECT_EQ(sb_find(&file, 8, &s), SB_ERR_NOT_FOUND);
    EXPECT_EQ(sb_sprite_at(&file, 3, &s), SB_ERR_RANGE);
    EXPECT_EQ(sb_sprite_at(&file, -1, &s), SB_ERR_RANGE);

    sb_cursor cursor;
    ASSERT_EQ(sb_cursor_init(&file, &cursor), SB_OK);
    int walked = 0;
    while (sb_cursor_next(&cursor, &s) == SB_OK) {
        EXPECT_EQ(s.index, walked);
        ++walked;
    }
    EXPECT_EQ(walked, 3);
    EXPECT_EQ(sb_cursor_next(&cursor, &s), SB_ERR_RANGE);

    sb_sprite copies[3];
    EXPECT_EQ(sb_read_all(&file, copies, 2), SB_ERR_RANGE);
    ASSERT_EQ(sb_read_all(&file, copies, 3), SB_OK);
    EXPECT_EQ(copies[2].offset + copies[2].length, bytes.size());
}

TEST(LoaderSingleFile, BinaryCountsThatBeginWithDigitsStayBinary) {
    // 49 entries ("1\0\0\0") and 8241 entries ("1 \0\0"): counts whose first bytes look like
    // the start of a text header.
    for (size_t count : {49u, 8241u}) {
        const std::vector<Entry> entries(count, Entry{.hid = 5});
        const Bytes bytes = binaryTable(entries);
        ASSERT_EQ(bytes[0], '1');
        const std::string kinds(count, 'T');
        sb_file file;
        ASSERT_EQ(openSingle(file, bytes, kinds.c_str()), SB_OK) << count;
        EXPECT_EQ(file.form, SB_FORM_BINARY);
        EXPECT_EQ(file.count, int32_t(count));
    }
}

TEST(LoaderErrors, EveryCodeHasItsOwnText) {
    const sb_error codes[] = {
        SB_OK,        SB_ERR_ARGUMENT, SB_ERR_TRUNCATED, SB_ERR_COUNT,     SB_ERR_SYNTAX,
        SB_ERR_FIELD, SB_ERR_KINDS,    SB_ERR_TRAILING,  SB_ERR_NOT_FOUND, SB_ERR_RANGE,
        SB_ERR_FINGERPRINT};
    std::vector<std::string> texts;
    for (sb_error code : codes) {
        const std::string text = sb_error_string(code);
        EXPECT_NE(text, "unknown error");
        for (const std::string& other : texts) EXPECT_NE(text, other);
        texts.push_back(text);
    }
    // 15 lies within the enum's range of values (its bits) and names no code.
    EXPECT_STREQ(sb_error_string(static_cast<sb_error>(15)), "unknown error");
}
