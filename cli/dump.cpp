#include "cli/dump.hpp"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "console/console.hpp"
#include "control/hotspot_names.hpp"
#include "filesys/disk_read.hpp"
#include "spritebake/spritebake.h"

namespace {

constexpr size_t COLUMNS = 9;
using Row = std::array<std::string, COLUMNS>;
constexpr std::array<const char*, COLUMNS> HEADINGS = {
    "index", "hid", "hid (signed)", "method", "padding", "hx", "hy", "wd", "ht"};

std::string hexWord(uint32_t value) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "0x%08" PRIx32, value);
    return text.data();
}

Row rowOf(const sb_sprite& s) {
    const auto method = static_cast<size_t>(s.method);  // checked by the loader: 0 .. 5
    return {std::to_string(s.index),
            hexWord(s.hid),
            std::to_string(static_cast<int32_t>(s.hid)),
            hotspotMethodNames[method],
            std::to_string(s.padding),
            std::to_string(s.hx),
            std::to_string(s.hy),
            std::to_string(s.wd),
            std::to_string(s.ht)};
}

// Numbers align right, words left, each column as wide as its widest cell.
std::string formatRows(const std::vector<Row>& rows) {
    std::array<size_t, COLUMNS> width{};
    for (const Row& row : rows) {
        for (size_t c = 0; c < COLUMNS; ++c) width[c] = std::max(width[c], row[c].size());
    }
    std::string out;
    for (size_t r = 0; r < rows.size(); ++r) {
        std::string line;
        for (size_t c = 0; c < COLUMNS; ++c) {
            const std::string& cell = rows[r][c];
            const std::string pad(width[c] - cell.size(), ' ');
            const bool leftAligned = r == 0 || c == 1 || c == 3;
            if (c > 0) line += "  ";
            line += leftAligned ? cell + pad : pad + cell;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

}  // namespace

std::string dumpText(std::span<const uint8_t> bytes, std::string& error) {
    sb_file file;
    const sb_error opened = sb_open_table(&file, bytes.data(), bytes.size());
    if (opened != SB_OK) {
        error = sb_error_string(opened);
        return {};
    }
    std::vector<Row> rows(1);
    std::copy(HEADINGS.begin(), HEADINGS.end(), rows[0].begin());
    sb_cursor cursor;
    sb_cursor_init(&file, &cursor);
    sb_sprite sprite;
    for (sb_error e; (e = sb_cursor_next(&cursor, &sprite)) != SB_ERR_RANGE;) {
        if (e != SB_OK) {
            error = sb_error_string(e);
            return {};
        }
        rows.push_back(rowOf(sprite));
    }
    const char* form = file.form == SB_FORM_BINARY ? "binary" : "text";
    std::array<char, 160> summary{};
    std::snprintf(summary.data(), summary.size(),
                  "%" PRId32 " sprites, %s table of %zu bytes, %zu bytes after the table\n",
                  file.count, form, file.table_size, bytes.size() - file.table_size);
    return formatRows(rows) + summary.data();
}

ExitStatus runDump(const char* path) {
    std::vector<uint8_t> bytes;
    if (readRegularFile(path, bytes) != FileRead::read) {
        std::fprintf(stderr, "spritebake: %s: cannot read the file\n", path);
        return ExitStatus::notWritten;
    }
    std::string error;
    const std::string text = dumpText(bytes, error);
    if (text.empty()) {
        std::fprintf(stderr, "spritebake: %s: %s\n", path, error.c_str());
        return ExitStatus::notWritten;
    }
    consoleWrite(text);
    return ExitStatus::done;
}
