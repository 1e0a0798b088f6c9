// The general field reader and its small companions: scanText, scanField, skipLine, the line
// counter and the upper-case switch.
#include <array>
#include <cstdint>

#include "scan_state.hpp"
#include "scanner.hpp"

namespace scanner_detail {
int32_t linesCrossed = 0;
}  // namespace scanner_detail

using scanner_detail::linesCrossed;

namespace {

int32_t scanUpperCase = 0;

constexpr uint32_t SKIP_BITS = SCAN_SKIP_BLANKS | SCAN_SKIP_EOL;

// For every byte value, the copy-phase flag bits that stop the copy at that byte, so the copy
// loop tests a byte against all of its stop rules with one AND.
constexpr std::array<uint32_t, 256> makeStopTable() {
    std::array<uint32_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        uint32_t bits = 0;
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (c == ' ' || c == '\t') bits |= SCAN_STOP_BLANK;
        if (!digit && c != '.' && c != '-') bits |= SCAN_NUMBER;
        if (c == '"') bits |= SCAN_STOP_QUOTE;
        if (c == '{' || c == '}') bits |= SCAN_STOP_BRACE;
        if (c == '\r' || c == '\n') bits |= SCAN_STOP_EOL;
        if (c == ':') bits |= SCAN_STOP_COLON;
        if (c == ',') bits |= SCAN_STOP_COMMA;
        if (letter) bits |= SCAN_STOP_LETTER;
        if (c == 0) bits |= SCAN_STOP_NUL;
        if (c == '/') bits |= SCAN_STOP_SLASH;
        if (c == '_') bits |= SCAN_STOP_UNDERSCORE;
        table[static_cast<size_t>(c)] = bits;
    }
    return table;
}

constexpr std::array<uint32_t, 256> STOP_TABLE = makeStopTable();

}  // namespace

int32_t scanText(const char* src, int32_t srcLen, char* dst, int32_t dstSize, uint32_t flags) {
    linesCrossed = 0;
    if (dstSize < 1) return 0;  // no room even for the terminator: nothing is read or written
    int32_t i = 0;
    bool stopped = false;

    // The skip phase is bounded by dstSize as well as by the text, although it stores nothing.
    if (flags & SKIP_BITS) {
        while (i < dstSize && i < srcLen) {
            const char c = src[i];
            if ((c == ' ' || c == '\t') && (flags & SCAN_SKIP_BLANKS)) {
                ++i;
            } else if ((c == '\r' || c == '\n') && (flags & SCAN_SKIP_EOL)) {
                if (c == '\n') ++linesCrossed;
                ++i;
            } else {
                stopped = true;
                break;
            }
        }
        // The skip-only words end on the first byte they keep; when the skip ran out of room
        // or text they fall through to a copy with no stop rule.
        if (stopped && (flags & ~SKIP_BITS) == 0) return i;
        stopped = false;
    }

    int32_t j = 0;
    while (j < dstSize && i < srcLen) {
        const char c = src[i];
        dst[j] = c;
        if (STOP_TABLE[static_cast<unsigned char>(c)] & flags) {
            stopped = true;  // the stop byte stays in the text for the next reader
            break;
        }
        if (c == '\n') ++linesCrossed;
        ++i;
        ++j;
    }

    if (j == dstSize) {
        if ((flags & SCAN_NUMBER) && !stopped) return -1;
        j = dstSize - 1;  // the last byte stays consumed but falls outside the stored text
    }
    if (flags & SCAN_TERMINATE) {
        dst[j] = '\0';
        if (scanUpperCase == 1) stringToUpper(dst);
    }
    return i;
}

int32_t scanField(TextSpan& span, char* dst, int32_t dstSize, uint32_t flags) {
    const int32_t consumed = scanText(span.cursor, span.remaining, dst, dstSize, flags);
    if (consumed > 0) {
        span.cursor += consumed;
        span.remaining -= consumed;
    }
    return consumed;
}

int32_t scanLinesCrossed() {
    return linesCrossed;
}

void skipLine(TextSpan& span) {
    char scratch[1000];
    scanField(span, scratch, static_cast<int32_t>(sizeof scratch), SCAN_STOP_EOL);
    // The line end is consumed but not counted: callers add the finished line themselves.
    if (span.remaining > 0 && *span.cursor == '\r') {
        ++span.cursor;
        --span.remaining;
    }
    if (span.remaining > 0 && *span.cursor == '\n') {
        ++span.cursor;
        --span.remaining;
    }
}

void setScanUpperCase(int32_t on) {
    scanUpperCase = on;
}

void stringToUpper(char* text) {
    for (; *text != '\0'; ++text) {
        *text = static_cast<char>(scanner_detail::foldUpper(static_cast<unsigned char>(*text)));
    }
}

void stringToUpperN(char* text, int32_t n) {
    for (int32_t k = 0; k < n; ++k) {
        text[k] = static_cast<char>(scanner_detail::foldUpper(static_cast<unsigned char>(text[k])));
    }
}
