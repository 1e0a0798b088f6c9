// The bundled example's real outputs, read with the kinds its control file lists, against the
// values docs/example.md prints for them.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "loader_bytes.hpp"
#include "spritebake/spritebake.h"
#include "tests/support/test_support.hpp"

using namespace loadertest;

namespace {

const std::string kExamples = SPRITEBAKE_EXAMPLES_DIR;

struct ReadmeLine {
    int32_t hid;
    int32_t method, padding, hx, hy, wd, ht;
};

// examples/out/sprites.txt as docs/example.md shows it.
constexpr ReadmeLine kReadme[] = {
    {-614236920, 1, 1, 0, 0, 32, 32},     {1439883040, 1, 1, 0, 0, 32, 32},
    {447219442, 3, 0, 0, -57, 40, 57},    {-322513045, 3, 0, 0, -33, 26, 33},
    {-905023262, 3, 0, 0, -24, 42, 24},   {-1397072912, 0, 0, -12, -12, 25, 25},
    {689943987, 0, 0, -10, -9, 21, 19},   {-1501240000, 0, 0, -9, -14, 19, 29},
    {-897385162, 0, 0, -13, -11, 27, 22}, {-2053183000, 0, 0, -15, -6, 31, 13},
    {1299988028, 0, 0, -12, -13, 24, 26}, {-1698324082, 0, 0, -19, -18, 38, 36},
    {2126513297, 0, 0, -27, -26, 55, 53}, {-1058447712, 0, 0, -32, -31, 64, 62},
    {1905813106, 0, 0, -34, -34, 68, 68}, {1892223977, 5, 0, -8, -41, 17, 52},
};
constexpr int32_t kCount = 16;

// The kinds and names in listing order, read from the control file's TGA and PCX statements.
void readControlFile(std::string& kinds, std::vector<std::string>& names) {
    std::istringstream lines(testsupport::readText(kExamples + "/sprites_bin.ctl"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("TGA ", 0) == 0) kinds += 'T';
        if (line.rfind("PCX ", 0) == 0) kinds += 'P';
        if (line.rfind("TGA ", 0) == 0 || line.rfind("PCX ", 0) == 0)
            names.push_back(line.substr(4));
    }
}

void expectReadmeEntries(const sb_file& file) {
    ASSERT_EQ(file.count, kCount);
    sb_cursor cursor;
    ASSERT_EQ(sb_cursor_init(&file, &cursor), SB_OK);
    sb_sprite s;
    for (const ReadmeLine& line : kReadme) {
        ASSERT_EQ(sb_cursor_next(&cursor, &s), SB_OK);
        EXPECT_EQ(int32_t(s.hid), line.hid) << s.index;
        EXPECT_EQ(s.method, line.method) << s.index;
        EXPECT_EQ(s.padding, line.padding) << s.index;
        EXPECT_EQ(s.hx, line.hx) << s.index;
        EXPECT_EQ(s.hy, line.hy) << s.index;
        EXPECT_EQ(s.wd, line.wd) << s.index;
        EXPECT_EQ(s.ht, line.ht) << s.index;
    }
    EXPECT_EQ(sb_cursor_next(&cursor, &s), SB_ERR_RANGE);
}

}  // namespace

TEST(LoaderExamples, TheBinarySpriteFile) {
    std::string kinds;
    std::vector<std::string> names;
    readControlFile(kinds, names);
    ASSERT_EQ(kinds, "TTTTTTPPPPTTTTTT");

    const Bytes bytes = testsupport::readFile(kExamples + "/out/sprites.bin");
    ASSERT_EQ(bytes.size(), 87271u);  // docs/example.md's size
    sb_file file;
    ASSERT_EQ(openSingle(file, bytes, kinds.c_str()), SB_OK);
    EXPECT_EQ(file.form, SB_FORM_BINARY);
    EXPECT_EQ(file.table_size, 516u);  // 4 + 16 x 32
    expectReadmeEntries(file);

    // Blocks follow each other from byte 516 to the end: wd x ht x 4 for TGA, x 1 for PCX.
    size_t offset = 516;
    for (int32_t i = 0; i < kCount; ++i) {
        sb_sprite s;
        ASSERT_EQ(sb_sprite_at(&file, i, &s), SB_OK);
        const size_t perPixel = kinds[size_t(i)] == 'T' ? 4 : 1;
        EXPECT_EQ(s.offset, offset) << i;
        EXPECT_EQ(s.length, size_t(kReadme[i].wd) * size_t(kReadme[i].ht) * perPixel) << i;
        offset += s.length;

        // Found by the name the control file lists it under.
        sb_sprite byName;
        ASSERT_EQ(sb_find_name(&file, names[size_t(i)].c_str(), &byName), SB_OK) << names[i];
        EXPECT_EQ(byName.index, i) << names[i];
    }
    EXPECT_EQ(offset, bytes.size());
}

TEST(LoaderExamples, TheInfoFileAndATextHeaderedCopy) {
    const std::string text = testsupport::readText(kExamples + "/out/sprites.txt");
    sb_file info;
    ASSERT_EQ(sb_open_info(&info, text.data(), text.size()), SB_OK);
    expectReadmeEntries(info);

    // The same sprites as a single sprite file with a text header: the info text, then the
    // binary file's blocks; every block must come out with the same bytes.
    const Bytes binary = testsupport::readFile(kExamples + "/out/sprites.bin");
    const Bytes textual = concat({bytesOf(text), Bytes(binary.begin() + 516, binary.end())});
    sb_file a;
    sb_file b;
    ASSERT_EQ(openSingle(a, binary, "TTTTTTPPPPTTTTTT"), SB_OK);
    ASSERT_EQ(openSingle(b, textual, "TTTTTTPPPPTTTTTT"), SB_OK);
    EXPECT_EQ(b.form, SB_FORM_TEXT);
    expectReadmeEntries(b);
    sb_sprite fromA[kCount];
    sb_sprite fromB[kCount];
    ASSERT_EQ(sb_read_all(&a, fromA, kCount), SB_OK);
    ASSERT_EQ(sb_read_all(&b, fromB, kCount), SB_OK);
    for (int32_t i = 0; i < kCount; ++i) {
        EXPECT_EQ(fromB[i].offset, fromA[i].offset - 516 + text.size());
        EXPECT_EQ(Bytes(fromA[i].pixels, fromA[i].pixels + fromA[i].length),
                  Bytes(fromB[i].pixels, fromB[i].pixels + fromB[i].length))
            << i;
    }
}
