#include "check/lint_words.hpp"

#include <algorithm>
#include <vector>

namespace {

char foldLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

int32_t editDistanceNoCase(std::string_view a, std::string_view b) {
    // One row of the classic table at a time.
    std::vector<int32_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int32_t>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        int32_t diagonal = row[0];
        row[0] = static_cast<int32_t>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int32_t above = row[j];
            const int32_t change = foldLower(a[i - 1]) == foldLower(b[j - 1]) ? 0 : 1;
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string_view nearestName(std::string_view word, std::span<const char* const> names) {
    std::string_view best;
    int32_t bestDistance = 0;
    for (const char* name : names) {
        const std::string_view candidate(name);
        const int32_t allowed = candidate.size() <= 4 ? 1 : 2;
        // Words far longer than any name cannot be near one; skip the table for them.
        if (word.size() > candidate.size() + 2) continue;
        const int32_t distance = editDistanceNoCase(word, candidate);
        if (distance > allowed || distance >= static_cast<int32_t>(word.size())) continue;
        if (best.empty() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string_view firstWord(std::string_view text) {
    const size_t end = text.find_first_of(" \t\r\n");
    return text.substr(0, end);
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}
