#include "control/sprite_patterns.hpp"

#include <algorithm>
#include <cstring>

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char foldLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool isContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

// The bytes one `?` takes from the start of `name` (at least one).
size_t characterLength(std::string_view name) {
    size_t length = 1;
    if (static_cast<unsigned char>(name[0]) >= 0xC0) {
        while (length < name.size() && length < 4 &&
               isContinuationByte(static_cast<unsigned char>(name[length]))) {
            ++length;
        }
    }
    return length;
}

// One segment of each path, the raw-byte tie left out.
int32_t compareSegments(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        const bool da = isDigit(ca);
        const bool db = isDigit(cb);
        if (da && db) {
            // Any length of run: by significant length, then by its digits, then its zeros.
            size_t ia = i;
            size_t jb = j;
            while (ia < a.size() && a[ia] == '0') ++ia;
            while (jb < b.size() && b[jb] == '0') ++jb;
            size_t ea = ia;
            size_t eb = jb;
            while (ea < a.size() && isDigit(static_cast<unsigned char>(a[ea]))) ++ea;
            while (eb < b.size() && isDigit(static_cast<unsigned char>(b[eb]))) ++eb;
            if (ea - ia != eb - jb) return ea - ia < eb - jb ? -1 : 1;
            const int value = std::memcmp(a.data() + ia, b.data() + jb, ea - ia);
            if (value != 0) return value < 0 ? -1 : 1;
            if (ia - i != jb - j) return ia - i < jb - j ? -1 : 1;
            i = ea;
            j = eb;
            continue;
        }
        if (da != db) return da ? -1 : 1;
        const unsigned char fa = foldLower(ca);
        const unsigned char fb = foldLower(cb);
        if (fa != fb) return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

// The segment that starts at `from`, and where the next one starts (past its slash).
std::string_view segmentAt(std::string_view path, size_t from, size_t& next) {
    const size_t slash = path.find('/', from);
    const size_t end = slash == std::string_view::npos ? path.size() : slash;
    next = slash == std::string_view::npos ? path.size() + 1 : slash + 1;
    return path.substr(from, end - from);
}

}  // namespace

SpritePattern parseSpritePattern(std::string_view text) {
    SpritePattern pattern;
    if (text.empty()) return pattern;
    size_t from = 0;
    while (from <= text.size()) {
        size_t next = 0;
        const std::string_view piece = segmentAt(text, from, next);
        from = next;
        if (piece.empty() || piece == ".") continue;
        if (piece == "..") return SpritePattern{};
        PatternSegment segment;
        segment.text = piece;
        if (piece == "**") {
            // Two in a row match what one matches.
            if (!pattern.segments.empty() &&
                pattern.segments.back().kind == SegmentKind::anyFolders) {
                continue;
            }
            segment.kind = SegmentKind::anyFolders;
        } else if (hasWildcard(piece)) {
            segment.kind = SegmentKind::wildcard;
        }
        pattern.segments.push_back(std::move(segment));
    }
    if (text.back() == '/') pattern.segments.push_back({SegmentKind::wildcard, "*"});
    // A last `**` names files within one folder, as `*` does.
    if (!pattern.segments.empty() && pattern.segments.back().kind == SegmentKind::anyFolders) {
        pattern.segments.back().kind = SegmentKind::wildcard;
    }
    pattern.matchesNothing = pattern.segments.empty();
    return pattern;
}

bool segmentMatches(std::string_view glob, std::string_view name) {
    // The classic one-star backtrack: on a mismatch, the last `*` takes one character more.
    size_t g = 0;
    size_t n = 0;
    size_t starGlob = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (g < glob.size() && glob[g] == '*') {
            starGlob = ++g;
            starName = n;
            continue;
        }
        if (g < glob.size() && glob[g] == '?') {
            ++g;
            n += characterLength(name.substr(n));
            continue;
        }
        if (g < glob.size() && glob[g] == name[n]) {
            ++g;
            ++n;
            continue;
        }
        if (starGlob == std::string_view::npos) return false;
        g = starGlob;
        starName += characterLength(name.substr(starName));
        n = starName;
    }
    while (g < glob.size() && glob[g] == '*') ++g;
    return g == glob.size();
}

int32_t spriteKindOfFile(std::string_view fileName) {
    for (size_t kind = 0; kind < SPRITE_KINDS.size(); ++kind) {
        const std::string_view extension = SPRITE_KINDS[kind].extension;
        if (fileName.size() <= extension.size()) continue;
        const std::string_view tail = fileName.substr(fileName.size() - extension.size());
        const bool same =
            std::equal(tail.begin(), tail.end(), extension.begin(), [](char x, char y) {
                return foldLower(static_cast<unsigned char>(x)) ==
                       foldLower(static_cast<unsigned char>(y));
            });
        if (same) return static_cast<int32_t>(kind);
    }
    return -1;
}

int32_t naturalCompare(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i <= a.size() && j <= b.size()) {
        size_t nextA = 0;
        size_t nextB = 0;
        const std::string_view sa = segmentAt(a, i, nextA);
        const std::string_view sb = segmentAt(b, j, nextB);
        const int32_t order = compareSegments(sa, sb);
        if (order != 0) return order;
        i = nextA;
        j = nextB;
    }
    if (i <= a.size()) return 1;
    if (j <= b.size()) return -1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}
