// Malformed files: each gets its error code, leaves the file empty, and never makes the loader
// read outside the bytes (the sanitizer builds run these on exactly sized buffers).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "loader_bytes.hpp"
#include "spritebake/spritebake.h"

using namespace loadertest;

namespace {

const std::vector<Entry> kTwo = {{.hid = 11, .method = 3, .hx = -1, .wd = 2, .ht = 3},
                                 {.hid = 12, .method = 5, .hy = 4, .wd = 1, .ht = 1}};
// "TP": 2 x 3 x 4 + 1 bytes of blocks.
const Bytes kTwoBlocks = pattern(25, 40);

// Opens a copy of exactly `bytes.size()` bytes, so a read past the end is a heap overflow.
sb_error openExact(const Bytes& bytes, const char* kinds, sb_file& file) {
    const std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    return sb_open_single_letters(&file, exact.empty() ? nullptr : exact.data(), exact.size(),
                                  kinds);
}

void expectEmpty(const sb_file& file) {
    EXPECT_EQ(file.count, 0);
    EXPECT_EQ(file.data, nullptr);
    sb_sprite s;
    EXPECT_EQ(sb_sprite_at(&file, 0, &s), SB_ERR_RANGE);
}

Entry with(Entry e, int32_t method, int32_t wd, int32_t ht) {
    e.method = method;
    e.wd = wd;
    e.ht = ht;
    return e;
}

struct BadFile {
    const char* what;
    Bytes bytes;
    const char* kinds;
    sb_error expected;
};

std::vector<BadFile> badFiles() {
    const Entry e = kTwo[0];
    Bytes negativeCount = {0xff, 0xff, 0xff, 0xff};
    Bytes hugeCount = concat({{0xff, 0xff, 0xff, 0x7f}, Bytes(32, 0)});
    Bytes countPastTable = binaryTable(kTwo);
    countPastTable.resize(4 + 32 + 31);
    Bytes cutBlock = concat({binaryTable(kTwo), pattern(24, 1)});
    Bytes extraByte = concat({binaryTable(kTwo), kTwoBlocks, {0}});
    Bytes textExtra = concat({bytesOf(textTable(kTwo)), kTwoBlocks, {'\n'}});
    return {
        {"negative binary count", negativeCount, "", SB_ERR_COUNT},
        {"negative text count", bytesOf("-1 sprites\n"), "", SB_ERR_COUNT},
        {"count of 2^31 - 1 in a 36-byte file", hugeCount, "T", SB_ERR_TRUNCATED},
        {"table one byte short", countPastTable, "TP", SB_ERR_TRUNCATED},
        {"wd * ht * 4 beyond 64 bits of int32",
         concat({binaryTable({with(e, 0, 0x7fffffff, 0x7fffffff)}), pattern(16, 0)}), "T",
         SB_ERR_TRUNCATED},
        {"wd * ht beyond the file, PCX",
         concat({binaryTable({with(e, 0, 0x10000, 0x10000)}), pattern(16, 0)}), "P",
         SB_ERR_TRUNCATED},
        {"negative wd", binaryTable({with(e, 0, -1, 2)}), "T", SB_ERR_FIELD},
        {"negative ht", binaryTable({with(e, 0, 2, INT32_MIN)}), "P", SB_ERR_FIELD},
        {"negative both (product positive)", binaryTable({with(e, 0, -2, -2)}), "P", SB_ERR_FIELD},
        {"method 6", binaryTable({with(e, 6, 0, 0)}), "T", SB_ERR_FIELD},
        {"method -1", binaryTable({with(e, -1, 0, 0)}), "T", SB_ERR_FIELD},
        {"block cut by one byte", cutBlock, "TP", SB_ERR_TRUNCATED},
        {"one byte after the blocks", extraByte, "TP", SB_ERR_TRAILING},
        {"a line feed after a text file's blocks", textExtra, "TP", SB_ERR_TRAILING},
        {"fewer kinds than entries", concat({binaryTable(kTwo), kTwoBlocks}), "T", SB_ERR_KINDS},
        {"more kinds than entries", concat({binaryTable(kTwo), kTwoBlocks}), "TPT", SB_ERR_KINDS},
        {"kinds for an empty table", {0, 0, 0, 0}, "T", SB_ERR_KINDS},
        {"lower-case kind letter", concat({binaryTable(kTwo), kTwoBlocks}), "Tp", SB_ERR_KINDS},
        {"unknown kind letter", concat({binaryTable(kTwo), kTwoBlocks}), "TX", SB_ERR_KINDS},
        {"text kinds mismatch", concat({bytesOf(textTable(kTwo)), kTwoBlocks}), "TPP",
         SB_ERR_KINDS},
        {"text block cut", concat({bytesOf(textTable(kTwo)), pattern(24, 0)}), "TP",
         SB_ERR_TRUNCATED},
        {"empty file", {}, "", SB_ERR_TRUNCATED},
        {"three bytes", {0, 0, 0}, "", SB_ERR_TRUNCATED},
    };
}

}  // namespace

TEST(LoaderMalformed, EachBadFileGetsItsCode) {
    for (const BadFile& bad : badFiles()) {
        sb_file file;
        EXPECT_EQ(openExact(bad.bytes, bad.kinds, file), bad.expected) << bad.what;
        expectEmpty(file);
    }
}

TEST(LoaderMalformed, KindCodesOtherThanPcxAndTga) {
    const Bytes bytes = concat({binaryTable(kTwo), kTwoBlocks});
    sb_file file;
    const uint8_t good[] = {1, 0};
    EXPECT_EQ(sb_open_single(&file, bytes.data(), bytes.size(), good, 2), SB_OK);
    for (uint8_t bad : {uint8_t(2), uint8_t('T'), uint8_t(255)}) {
        const uint8_t kinds[] = {1, bad};
        EXPECT_EQ(sb_open_single(&file, bytes.data(), bytes.size(), kinds, 2), SB_ERR_KINDS);
    }
    EXPECT_EQ(sb_open_single(&file, bytes.data(), bytes.size(), nullptr, 2), SB_ERR_ARGUMENT);
    // One valid code for two entries, in an array of exactly one byte.
    const std::vector<uint8_t> one = {1};
    EXPECT_EQ(sb_open_single(&file, bytes.data(), bytes.size(), one.data(), 1), SB_ERR_KINDS);
}

TEST(LoaderMalformed, EveryCutOfEveryFormIsTruncated) {
    const Bytes binary = concat({binaryTable(kTwo), kTwoBlocks});
    const Bytes text = concat({bytesOf(textTable(kTwo)), kTwoBlocks});
    for (const Bytes* whole : {&binary, &text}) {
        for (size_t length = 1; length < whole->size(); ++length) {
            sb_file file;
            const Bytes cut(whole->begin(), whole->begin() + ptrdiff_t(length));
            EXPECT_EQ(openExact(cut, "TP", file), SB_ERR_TRUNCATED) << length;
            expectEmpty(file);
        }
    }
    const std::string info = textTable(kTwo);
    for (size_t length = 0; length < info.size(); ++length) {
        sb_file file;
        const std::vector<char> cut(info.begin(), info.begin() + ptrdiff_t(length));
        EXPECT_EQ(sb_open_info(&file, cut.data(), cut.size()), SB_ERR_TRUNCATED) << length;
        expectEmpty(file);
    }
}

struct BadText {
    const char* text;
    sb_error expected;
};

// Info texts, each with one fault; the good line is
// "hid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n".
constexpr BadText kBadTexts[] = {
    {"-1 sprites\n", SB_ERR_COUNT},
    {"2147483648 sprites\n", SB_ERR_COUNT},
    {"99999999999999999999 sprites\n", SB_ERR_COUNT},
    {"1 sprite\n", SB_ERR_SYNTAX},
    {"sprites\n", SB_ERR_SYNTAX},
    {"+1 sprites\n", SB_ERR_SYNTAX},
    {"0 sprites\r\n", SB_ERR_SYNTAX},
    {"0 sprites\n\n", SB_ERR_TRAILING},
    {"0 sprites\nhid", SB_ERR_TRAILING},
    {"2 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n",
     SB_ERR_TRUNCATED},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1", SB_ERR_TRUNCATED},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\r\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Middle padding 0 hx 0  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nHID 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Centre padding 0  hx 0  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method UpLefty padding 0  hx 0  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Up padding 0  hx 0  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 2147483648 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n",
     SB_ERR_SYNTAX},
    {"1 sprites\nhid -2147483649 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n",
     SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx -  hy 0  wd 1  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd x  ht 1\n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1 \n", SB_ERR_SYNTAX},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd -3  ht 1\n", SB_ERR_FIELD},
    {"1 sprites\nhid 5 hotspot method Middle padding 0  hx 0  hy 0  wd 1  ht 1\n\n",
     SB_ERR_TRAILING},
};

TEST(LoaderMalformed, BadInfoTexts) {
    for (const BadText& bad : kBadTexts) {
        const std::string text = bad.text;
        const std::vector<char> exact(text.begin(), text.end());
        sb_file file;
        EXPECT_EQ(sb_open_info(&file, exact.data(), exact.size()), bad.expected) << bad.text;
        expectEmpty(file);
    }
}

TEST(LoaderMalformed, NullArguments) {
    const Bytes bytes = concat({binaryTable(kTwo), kTwoBlocks});
    sb_file file;
    sb_sprite s;
    sb_cursor cursor;
    EXPECT_EQ(sb_open_single(nullptr, bytes.data(), bytes.size(), nullptr, 0), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_open_single_letters(&file, bytes.data(), bytes.size(), nullptr), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_open_info(&file, nullptr, 5), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_open_info(&file, nullptr, 0), SB_ERR_TRUNCATED);
    ASSERT_EQ(openSingle(file, bytes, "TP"), SB_OK);
    EXPECT_EQ(sb_find(&file, 11, nullptr), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_find(nullptr, 11, &s), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_find_name(&file, nullptr, &s), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_cursor_init(&file, nullptr), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_cursor_next(nullptr, &s), SB_ERR_ARGUMENT);
    EXPECT_EQ(sb_read_all(&file, nullptr, 2), SB_ERR_ARGUMENT);
    ASSERT_EQ(sb_cursor_init(&file, &cursor), SB_OK);
    EXPECT_EQ(sb_cursor_next(&cursor, nullptr), SB_ERR_ARGUMENT);
}
