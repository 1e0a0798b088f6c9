// Number readers: scanInt, stringToInt, scanFloat, stringToFloat and the unsigned readers.
#include <cmath>
#include <cstdint>

#include "scan_state.hpp"
#include "scanner.hpp"

namespace {

constexpr int32_t INT_TOKEN_SIZE = 256;
constexpr int32_t FLOAT_TOKEN_SIZE = 16;

// The float as a 64-bit pattern: NaN and values outside the range of a signed 64-bit integer
// give 0, anything else is truncated toward zero. The caller keeps the low bits it needs, so
// every input has a defined result.
uint64_t floatToBits(float value) {
    constexpr float TWO_POW_63 = 9223372036854775808.0f;
    if (std::isnan(value) || value >= TWO_POW_63 || value < -TWO_POW_63) return 0;
    return static_cast<uint64_t>(static_cast<int64_t>(value));
}

// The value the unsigned readers convert; 0 when scanFloat finds no number to store.
float scanFloatOrZero(TextSpan& span) {
    float value = 0.0f;
    scanFloat(span, &value);
    return value;
}

}  // namespace

int32_t scanInt(TextSpan& span) {
    seekToMatch(span, {"/0-9", "-"});
    char token[INT_TOKEN_SIZE];
    scanField(span, token, INT_TOKEN_SIZE,
              SCAN_STOP_SLASH | SCAN_STOP_COMMA | SCAN_STOP_EOL | SCAN_STOP_BLANK | SCAN_TERMINATE);
    return stringToInt(token);
}

int32_t stringToInt(const char* text) {
    // Unsigned arithmetic gives the 32-bit wrap-around without overflow.
    uint32_t value = 0;
    bool negative = false;
    for (; *text != '\0'; ++text) {
        const char c = *text;
        if (c == '-') {
            negative = !negative;
        } else if (c >= '0' && c <= '9') {
            value = value * 10u + static_cast<uint32_t>(c - '0');
        }
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t scanFloat(TextSpan& span, float* value) {
    seekToMatch(span, {"/0-9", ".", "-"});
    if (span.remaining > 0) {
        char token[FLOAT_TOKEN_SIZE];
        const int32_t size = span.remaining < FLOAT_TOKEN_SIZE ? span.remaining : FLOAT_TOKEN_SIZE;
        // -1: the token filled the buffer without an end in sight; nothing is taken.
        const int32_t consumed =
            scanText(span.cursor, span.remaining, token, size, SCAN_NUMBER | SCAN_TERMINATE);
        if (consumed >= 0) {
            *value = stringToFloat(token);
            span.cursor += consumed;
            span.remaining -= consumed;
        }
    }
    return 1;
}

float stringToFloat(const char* text) {
    float value = 0.0f;
    float factor = 0.1f;
    bool negative = false;
    bool fraction = false;
    for (; *text != '\0'; ++text) {
        const char c = *text;
        if (c == '-') {
            negative = !negative;
        } else if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            const float digit = static_cast<float>(c - '0');
            if (fraction) {
                value += digit * factor;
                factor /= 10.0f;
            } else {
                value = value * 10.0f + digit;
            }
        }
    }
    return negative ? -value : value;
}

int32_t scanU8(TextSpan& span, uint8_t* out) {
    *out = static_cast<uint8_t>(floatToBits(scanFloatOrZero(span)));
    return 1;
}

int32_t scanU16(TextSpan& span, uint16_t* out) {
    *out = static_cast<uint16_t>(floatToBits(scanFloatOrZero(span)));
    return 1;
}

int32_t scanU32(TextSpan& span, uint32_t* out) {
    *out = static_cast<uint32_t>(floatToBits(scanFloatOrZero(span)));
    return 1;
}
