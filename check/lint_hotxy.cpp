// HotXY takes the next two numbers wherever they stand, so numbers missing from its line are
// taken from later lines and the words passed over on the way are lost to their statements.
#include <algorithm>
#include <string>

#include "check/control_lint.hpp"
#include "check/lint_words.hpp"

namespace {

// Where scanInt's token starting at `at` ends: a blank, a line end, a comma or a slash.
const char* endOfNumber(const char* at, const char* end) {
    while (at < end && *at != ' ' && *at != '\t' && *at != '\r' && *at != '\n' && *at != ',' &&
           *at != '/') {
        ++at;
    }
    return at;
}

}  // namespace

// The words of [from, to), the number token at [skipFrom, skipTo) left out, one quoted piece
// per line with its line number; `from` starts the line after the statement's.
std::string ControlLint::lostWords(const char* from, const char* to, const char* skipFrom,
                                   const char* skipTo) {
    std::string list;
    const char* lineStart = from;
    int32_t line = line_ + 1;
    for (const char* at = from; at <= to; ++at) {
        if (at != to && *at != '\n') continue;
        const char* pieceEnd = at;
        const char* pieceStart = lineStart;
        std::string piece;
        if (skipFrom != nullptr && skipFrom >= pieceStart && skipFrom < pieceEnd) {
            piece = std::string(pieceStart, skipFrom) + " " +
                    std::string(std::min(skipTo, pieceEnd), pieceEnd);
        } else {
            piece.assign(pieceStart, pieceEnd);
        }
        const std::string_view words = trimBlanks(piece);
        if (!words.empty()) {
            if (!list.empty()) list += ", ";
            list += quoted(words) + " (line " + std::to_string(line) + ")";
        }
        lineStart = at + 1;
        ++line;
    }
    return list;
}

void ControlLint::checkHotXY(const char* cursor) {
    const char* end = text_.data() + text_.size();
    if (xAt_ == nullptr) {
        report("HotXY has no numbers before the end of the file; X and Y read as 0");
        return;
    }
    const int32_t xLine = lineAt(xAt_);
    const int32_t yLine = yAt_ != nullptr ? lineAt(yAt_) : 0;
    if (xLine == line_ && yLine == line_) return;

    std::string text = "HotXY's two numbers are not both on its line: ";
    if (xLine != line_) text += "X is read from line " + std::to_string(xLine) + ", ";
    text += yAt_ != nullptr ? "Y is read from line " + std::to_string(yLine)
                            : std::string("Y reads as 0 at the end of the file");

    // The lost words lie after the HotXY line, up to the last number taken.
    const char* lineEnd = afterKeyword_;
    while (lineEnd < end && *lineEnd != '\n') ++lineEnd;
    const char* lastTaken = yAt_ != nullptr ? yAt_ : cursor;
    if (lineEnd < lastTaken) {
        const char* xFrom = xLine != line_ ? xAt_ : nullptr;
        const std::string lost = lostWords(lineEnd + 1, lastTaken, xFrom, endOfNumber(xAt_, end));
        if (!lost.empty()) text += "; lost from their statements: " + lost;
    }
    report(std::move(text));
}
