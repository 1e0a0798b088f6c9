// Keyword matching: skipToMatch, seekToMatch, skipToMatchList and stringsEqualNoCaseN.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "console/console.hpp"
#include "scan_state.hpp"
#include "scanner.hpp"

using scanner_detail::foldUpper;
using scanner_detail::linesCrossed;

namespace {

constexpr size_t SLOT_SIZE = 50;  // skipToMatch's text slots: entries of up to 49 characters

// One prepared entry. A class pattern ("/A-Z") has width > 0 and matches one byte in
// [low, low + width) compared as signed 8-bit values; anything else is a literal of `length`
// bytes. Literals of one byte match exactly unless caseBlind is set; longer ones ignore case.
struct MatchEntry {
    const char* text = nullptr;
    int32_t length = 0;
    int32_t low = 0;
    int32_t width = -1;
    unsigned char firstFolded = 0;
    bool caseBlind = false;
};

// A class needs its four characters: shorter entries, and ranges whose high end lies below the
// low end, are literals.
MatchEntry prepareEntry(const char* text, size_t len, bool classesAllowed, bool caseBlind) {
    MatchEntry e;
    e.caseBlind = caseBlind;
    if (text == nullptr) return e;  // a null entry never matches (see matchHere)
    e.text = text;
    if (classesAllowed && len >= 4 && text[0] == '/' && text[1] != '/') {
        const int32_t low = static_cast<signed char>(text[1]);
        const int32_t width = static_cast<signed char>(text[3]) + 1 - low;
        if (width > 0) {
            e.low = low;
            e.width = width;
            return e;
        }
    }
    e.length = len > INT32_MAX ? INT32_MAX : static_cast<int32_t>(len);
    e.firstFolded = foldUpper(static_cast<unsigned char>(text[0]));
    return e;
}

MatchEntry prepareEntry(const char* text, bool classesAllowed, bool caseBlind) {
    return prepareEntry(text, text != nullptr ? std::strlen(text) : 0, classesAllowed, caseBlind);
}

// Whether `e` matches at the cursor, whose byte is `c` and, folded, `folded`. Reads no byte at
// or past cursor + remaining.
inline bool matchHere(const MatchEntry& e, const char* cursor, int32_t remaining, char c,
                      unsigned char folded) {
    if (e.width > 0) {
        const int32_t value = static_cast<signed char>(c);
        return e.low <= value && value < e.low + e.width;
    }
    if (e.text == nullptr || e.length > remaining) return false;
    if (e.length == 1 && !e.caseBlind) return c == e.text[0];
    // The first byte rejects most positions without a call.
    if (e.length >= 1 && folded != e.firstFolded) return false;
    return stringsEqualNoCaseN(e.text, cursor, e.length) == 1;
}

// The matching loop shared by the three matchers: at each position, counts a line feed, then
// tries the entries in list order; the first match wins. A matched literal is consumed when
// `advance` is non-zero; a class match never is.
template <typename EntryAt>
int32_t scanForMatch(TextSpan& span, int32_t advance, int32_t count, EntryAt entryAt) {
    while (span.remaining > 0) {
        const char c = *span.cursor;
        const unsigned char folded = foldUpper(static_cast<unsigned char>(c));
        if (c == '\n') ++linesCrossed;
        for (int32_t k = 0; k < count; ++k) {
            const MatchEntry& e = entryAt(k);
            if (!matchHere(e, span.cursor, span.remaining, c, folded)) continue;
            if (e.width <= 0 && advance != 0) {
                span.cursor += e.length;
                span.remaining -= e.length;
            }
            return k;
        }
        ++span.cursor;
        --span.remaining;
    }
    return -1;
}

// The matchers without entry limits keep pointers to the caller's strings, so no entry can
// overflow anything. The first MAX_MATCH_ENTRIES are prepared once; any beyond are rare and
// are prepared each time they are tried.
int32_t matchList(TextSpan& span, int32_t advance, const char* const* texts, int32_t count,
                  bool classesAllowed, bool caseBlind) {
    MatchEntry prepared[MAX_MATCH_ENTRIES];
    for (int32_t k = 0; k < count && k < MAX_MATCH_ENTRIES; ++k) {
        prepared[k] = prepareEntry(texts[k], classesAllowed, caseBlind);
    }
    if (count <= MAX_MATCH_ENTRIES) {
        return scanForMatch(span, advance, count,
                            [&](int32_t k) -> const MatchEntry& { return prepared[k]; });
    }
    return scanForMatch(span, advance, count, [&](int32_t k) {
        return k < MAX_MATCH_ENTRIES ? prepared[k]
                                     : prepareEntry(texts[k], classesAllowed, caseBlind);
    });
}

// skipToMatch's tables live for the run but hold only the latest call's entries.
char slotText[MAX_MATCH_ENTRIES][SLOT_SIZE];
MatchEntry slotEntry[MAX_MATCH_ENTRIES];

}  // namespace

bool scanner_detail::isClassPattern(const char* entry) {
    return entry != nullptr && prepareEntry(entry, true, false).width > 0;
}

int32_t skipToMatch(TextSpan& span, int32_t advance, std::initializer_list<const char*> entries) {
    linesCrossed = 0;
    int32_t stored = 0;
    for (const char* entry : entries) {
        const char* text = entry != nullptr ? entry : "";
        const size_t len = strnlen(text, SLOT_SIZE);
        if (len >= SLOT_SIZE) {
            // The scanner stands below the file layer, so it reports and exits by itself.
            printMessage(MessageId::skipTextTooLarge, "%s passed to skipToMatch is too large.\n",
                         text);
            std::exit(-1);
        }
        if (stored == MAX_MATCH_ENTRIES) {
            printMessage(MessageId::skipTooManyInputs,
                         "More input strings in skip_to_match detected than allowed for.\n");
            return 0;
        }
        std::memcpy(slotText[stored], text, len + 1);
        slotEntry[stored] =
            prepareEntry(entry != nullptr ? slotText[stored] : nullptr, len, true, false);
        ++stored;
    }
    return scanForMatch(span, advance, stored,
                        [](int32_t k) -> const MatchEntry& { return slotEntry[k]; });
}

int32_t seekToMatch(TextSpan& span, std::initializer_list<const char*> entries) {
    linesCrossed = 0;
    return matchList(span, 0, entries.begin(), static_cast<int32_t>(entries.size()), true, false);
}

int32_t skipToMatchList(TextSpan& span, const char* const* entries) {
    linesCrossed = 0;
    int32_t count = 0;
    while (entries != nullptr && entries[count] != nullptr && entries[count][0] != '\0') ++count;
    return matchList(span, 1, entries, count, false, true);
}

int32_t stringsEqualNoCaseN(const char* a, const char* b, int32_t n) {
    if (a == nullptr || b == nullptr) return (a == nullptr && b == nullptr) ? 1 : 0;
    int32_t k = 0;
    // a is looked at before b, so at the end of a the byte of b is not read.
    while (k < n && a[k] != '\0' && b[k] != '\0') {
        if (a[k] != b[k] && foldUpper(static_cast<unsigned char>(a[k])) !=
                                foldUpper(static_cast<unsigned char>(b[k]))) {
            return 0;
        }
        ++k;
    }
    // Equal only when all n bytes compared and a ends there; b is never read past n bytes.
    return (k == n && a[k] == '\0') ? 1 : 0;
}
