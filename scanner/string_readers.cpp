// String readers and comparisons: stringsEqualNoCase, skipPast, skipLineEnd, skipWhiteSpace,
// scanQuotedString, scanQuoted, findNoCase and containsNoCase.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "console/console.hpp"
#include "scan_state.hpp"
#include "scanner.hpp"

using scanner_detail::foldUpper;

namespace {

constexpr int32_t QUOTED_STRING_SIZE = 100;
constexpr int32_t QUOTED_SCRATCH_SIZE = 1000;

void advance(TextSpan& span, int32_t n) {
    span.cursor += n;
    span.remaining -= n;
}

}  // namespace

int32_t stringsEqualNoCase(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return (a == nullptr && b == nullptr) ? 1 : 0;
    for (;; ++a, ++b) {
        if (*a == '\0') return *b == '\0' ? 1 : 0;
        if (*a != *b && foldUpper(static_cast<unsigned char>(*a)) !=
                            foldUpper(static_cast<unsigned char>(*b))) {
            return 0;
        }
    }
}

int32_t skipPast(TextSpan& span, const char* word) {
    if (seekToMatch(span, {word}) != 0) return 0;
    // A class pattern matches one byte; a literal matches its whole length, which fits in the
    // text since it matched there.
    const size_t length = scanner_detail::isClassPattern(word) ? 1 : std::strlen(word);
    advance(span, static_cast<int32_t>(length));
    return 1;
}

int32_t skipLineEnd(TextSpan& span) {
    const int32_t found = seekToMatch(span, {"\r\n", "\n"});
    if (found == 0) advance(span, 2);
    if (found == 1) advance(span, 1);
    return 1;
}

int32_t skipWhiteSpace(TextSpan& span) {
    int32_t lineFeeds = 0;
    while (span.remaining > 0) {
        const char c = *span.cursor;
        if (c == '\n') {
            ++lineFeeds;
        } else if (c != ' ' && c != '\t' && c != '\r') {
            break;
        }
        advance(span, 1);
    }
    return lineFeeds;
}

int32_t scanQuotedString(char* dst, TextSpan& span) {
    if (seekToMatch(span, {"\n", "\""}) != 1) return 0;  // a line end or the end came first
    advance(span, 1);
    scanField(span, dst, QUOTED_STRING_SIZE,
              SCAN_SKIP_BLANKS | SCAN_STOP_EOL | SCAN_STOP_QUOTE | SCAN_TERMINATE);
    if (span.remaining > 0 && *span.cursor == '"') {
        advance(span, 1);
    } else {
        printMessage(MessageId::missingClosingQuote,
                     "Missing closing double quote in string definition");
    }
    return 1;
}

void scanQuoted(TextSpan& span, char* dst, int32_t dstSize) {
    char scratch[QUOTED_SCRATCH_SIZE];
    scanField(span, scratch, QUOTED_SCRATCH_SIZE, SCAN_STOP_QUOTE);
    const int32_t firstLines = scanLinesCrossed();
    if (span.remaining > 0) advance(span, 1);
    scanField(span, dst, dstSize, SCAN_STOP_QUOTE | SCAN_TERMINATE);
    // Report the line feeds of both copies together.
    scanner_detail::linesCrossed += firstLines;
    if (span.remaining > 0) advance(span, 1);
}

int32_t findNoCase(const char* needle, const char* haystack, int32_t needleLength,
                   int32_t haystackLength) {
    if (needle == nullptr || haystack == nullptr) return 0;
    if (needleLength < 1 || needleLength > haystackLength) return 0;
    const unsigned char first = foldUpper(static_cast<unsigned char>(needle[0]));
    for (int32_t start = 0; start <= haystackLength - needleLength; ++start) {
        if (foldUpper(static_cast<unsigned char>(haystack[start])) != first) continue;
        int32_t k = 1;
        while (k < needleLength && foldUpper(static_cast<unsigned char>(haystack[start + k])) ==
                                       foldUpper(static_cast<unsigned char>(needle[k]))) {
            ++k;
        }
        if (k == needleLength) return 1;
    }
    return 0;
}

int32_t containsNoCase(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return (a == nullptr && b == nullptr) ? 1 : 0;
    const size_t lengthA = std::strlen(a);
    const size_t lengthB = std::strlen(b);
    if (lengthA > INT32_MAX || lengthB > INT32_MAX) return 0;
    const auto la = static_cast<int32_t>(lengthA);
    const auto lb = static_cast<int32_t>(lengthB);
    return la <= lb ? findNoCase(a, b, la, lb) : findNoCase(b, a, lb, la);
}
