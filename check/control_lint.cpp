#include "check/control_lint.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "control/hotspot_names.hpp"
#include "filesys/disk_read.hpp"
#include "scanner/scanner.hpp"

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

namespace {

// What a misspelt word may have meant: the keywords, then the hotspot methods.
constexpr std::array<const char*, 17> KNOWN_WORDS = {
    "Padding", "Dest",    "Source", "InfoFile", "Hotspot",  "HotXY",    "TGA",
    "PCX",     "WriteOneFile", "BIN", "PNG",   "Sprites",  "Middle",   "UpLeft",
    "UpRight", "DownLeft", "DownRight",
};

bool continuesWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

const char* endOfWord(const char* at, const char* end) {
    while (at < end && *at != ' ' && *at != '\t' && *at != '\r' && *at != '\n') ++at;
    return at;
}

std::string withSuggestion(std::string text, std::string_view word,
                           std::span<const char* const> names) {
    const std::string_view nearest = nearestName(word, names);
    if (!nearest.empty()) text += "; did you mean " + quoted(nearest) + "?";
    return text;
}

const char* padNames(int32_t padding) {
    return padding != 0 ? "On" : "Off";
}

}  // namespace

DiagnosticLog::TextRef DiagnosticLog::store(std::string_view text) {
    constexpr size_t BLOCK_SIZE = size_t{1} << 20;
    if (blocks_.empty() || blockSizes_.back() - used_ < text.size()) {
        const size_t size = std::max(BLOCK_SIZE, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        blockSizes_.push_back(size);
        used_ = 0;
    }
    std::copy(text.begin(), text.end(), blocks_.back().get() + used_);
    const TextRef ref{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(used_),
                      static_cast<uint32_t>(text.size())};
    used_ += text.size();
    return ref;
}

std::string_view DiagnosticLog::textOf(const TextRef& ref) const {
    return {blocks_[ref.block].get() + ref.offset, ref.length};
}

void DiagnosticLog::add(int32_t line, std::string_view text) {
    if (!runs_.empty()) {
        Run& last = runs_.back();
        const int32_t lastLine = last.firstLine + last.count - 1;
        if (line < lastLine) {
            late_.push_back(Late{line, std::string(text)});
            return;
        }
        if (line == lastLine + 1 && textOf(last.text) == text) {
            last.count += 1;
            return;
        }
        // The same text again, as on most lines of a broken file: stored once.
        if (textOf(last.text) == text) {
            runs_.push_back(Run{line, 1, last.text});
            return;
        }
    }
    runs_.push_back(Run{line, 1, store(text)});
}

void DiagnosticLog::forEach(
    const std::function<void(int32_t line, std::string_view text)>& emit) const {
    std::vector<const Late*> late;
    late.reserve(late_.size());
    for (const Late& l : late_) late.push_back(&l);
    std::stable_sort(late.begin(), late.end(),
                     [](const Late* a, const Late* b) { return a->line < b->line; });
    // A late report was made after every report of its line in the runs, so it follows them.
    size_t next = 0;
    for (const Run& run : runs_) {
        const std::string_view text = textOf(run.text);
        for (int32_t k = 0; k < run.count; ++k) {
            const int32_t line = run.firstLine + k;
            for (; next < late.size() && late[next]->line < line; ++next) {
                emit(late[next]->line, late[next]->text);
            }
            emit(line, text);
        }
    }
    for (; next < late.size(); ++next) emit(late[next]->line, late[next]->text);
}

ControlLint::ControlLint(std::string_view text, const DriverState& state)
    : text_(text), state_(state) {}

int32_t ControlLint::lineAt(const char* at) {
    const size_t offset = std::min(static_cast<size_t>(at - text_.data()), text_.size());
    // Counted from the last place asked for, backwards when this one lies before it, so that the
    // lines of a whole text are counted in time linear in its size.
    const auto from = text_.begin() + static_cast<std::ptrdiff_t>(std::min(offset, countedTo_));
    const auto to = text_.begin() + static_cast<std::ptrdiff_t>(std::max(offset, countedTo_));
    const auto feeds = static_cast<int32_t>(std::count(from, to, '\n'));
    feedsBefore_ += offset >= countedTo_ ? feeds : -feeds;
    countedTo_ = offset;
    return feedsBefore_ + 1;
}

void ControlLint::reportAt(int32_t line, std::string text) {
    diagnostics_.add(line, text);
}

void ControlLint::runMessage(MessageId /*id*/, std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '.') line.remove_suffix(1);
    runLines_.emplace_back(trimBlanks(line));
}

void ControlLint::flushRunLines() {
    for (std::string& line : runLines_) report(std::move(line));
    runLines_.clear();
}

void ControlLint::statementBegins(int32_t statement, const char* first, const char* afterKeyword) {
    flushRunLines();  // anything printed between statements belongs to the one before
    statement_ = statement;
    first_ = first;
    afterKeyword_ = afterKeyword;
    line_ = lineAt(first);
    paddingValue_.clear();
    paddingAccepted_ = true;
    xAt_ = nullptr;
    yAt_ = nullptr;
    valueIsFragment_ = false;
    if (hasKeyword(statement) && statement != ST_COMMENT) checkKeywordWord(statement);
}

// A word that begins with a keyword and goes on is that keyword; the rest is read as what
// follows it, which is rarely what was meant (Destination, Binary, Sources).
void ControlLint::checkKeywordWord(int32_t statement) {
    const char* end = text_.data() + text_.size();
    if (afterKeyword_ >= end || !continuesWord(*afterKeyword_)) return;
    valueIsFragment_ = true;
    const char* wordEnd = endOfWord(afterKeyword_, end);
    const std::string word(first_, wordEnd);
    const std::string rest(afterKeyword_, wordEnd);
    const char* keyword = statementKeywords[statement];
    if (statement == ST_BIN) {
        strayWordFrom_ = afterKeyword_;
        strayWordTo_ = wordEnd;
        report(quoted(word) + " is read as BIN followed by the stray word " + quoted(rest));
        return;
    }
    report(quoted(word) + " is read as the keyword " + keyword + " followed by " + quoted(rest) +
           "; write " + keyword + " and its value apart");
}

void ControlLint::unexpectedInput(std::string_view text) {
    // A stray word already told with the keyword it followed.
    if (first_ >= strayWordFrom_ && first_ < strayWordTo_) return;
    report(withSuggestion("unexpected input " + quoted(text), firstWord(text), KNOWN_WORDS));
}

void ControlLint::paddingValue(std::string_view value, bool accepted) {
    paddingValue_ = value;
    paddingAccepted_ = accepted;
}

void ControlLint::hotspotName(std::string_view name, bool known) {
    if (known) return;
    if (name.empty()) {
        report("Hotspot has no method on its line; Middle is used");
        return;
    }
    report(withSuggestion("unknown hotspot method " + quoted(name) + "; Middle is used", name,
                          hotspotMethodNames));
}

void ControlLint::hotXYNumbers(const char* xAt, const char* yAt) {
    xAt_ = xAt;
    yAt_ = yAt;
}

void ControlLint::statementEnds(const char* cursor) {
    switch (statement_) {
        case ST_PADDING:
            checkPadding(cursor);
            break;
        case ST_HOT_XY:
            checkHotXY(cursor);
            break;
        case ST_SOURCE:
            checkFolder("Source", source_, state_.srcDir, false);
            break;
        case ST_DEST:
            checkFolder("Dest", dest_, state_.destDir, true);
            break;
        case ST_INFO_FILE:
            checkOutputName("InfoFile", infoFile_, state_.infoFileName);
            break;
        case ST_WRITE_ONE_FILE:
            checkOutputName("WriteOneFile", writeOneFile_, state_.singleFileName);
            break;
        case ST_BIN:
            if (binLine_ == 0) binLine_ = line_;
            break;
        default:
            break;
    }
    flushRunLines();
}

void ControlLint::checkPadding(const char* cursor) {
    if (paddingAccepted_) return;
    const std::string stays = std::string("; padding stays ") + padNames(state_.padding);
    if (paddingValue_.empty()) {
        report("Padding has no value (On, Off, True or False)" + stays);
        return;
    }
    // The value is the next word that begins with a letter, wherever it stands: "Padding 0"
    // takes the next line's keyword.
    const size_t length = std::min(paddingValue_.size(), static_cast<size_t>(cursor - first_));
    const int32_t valueLine = lineAt(cursor - length);
    std::string text = "Padding value " + quoted(paddingValue_);
    if (valueLine != line_) text += ", read from line " + std::to_string(valueLine) + ",";
    report(text + " is not On, Off, True or False" + stays);
}

void ControlLint::checkFolder(const char* keyword, Setting& setting, const std::string& value,
                              bool replacedIsRunLine) {
    const std::string name(keyword);
    if (setting.given && (!setting.usedSince || (replacedIsRunLine && !setting.value.empty()))) {
        const std::string was =
            name + " " + quoted(setting.value) + " from line " + std::to_string(setting.line);
        if (!setting.usedSince) {
            report(name + " " + quoted(value) + " replaces " + was + " before any sprite used it");
        } else {
            report(name + " given again: " + quoted(value) + " replaces " + was);
        }
    }
    setting = Setting{true, value, line_, false};
    if (valueIsFragment_) return;  // the keyword's word was told already
    if (value.empty()) {
        report(name + " has no folder on its line");
        return;
    }
    if (value.back() != '/') {
        report(name + " " + quoted(value) +
               " does not end with \"/\"; no separator is put between it and a name");
    }
    if (!fileIsFolderOnDisk(value.c_str())) {
        report(name + " folder " + quoted(value) + " does not exist");
    }
}

void ControlLint::checkOutputName(const char* keyword, Setting& setting, const std::string& value) {
    const std::string name(keyword);
    // Only the last name is written, whatever came between.
    if (setting.given) {
        report(name + " " + quoted(value) + " replaces " + name + " " + quoted(setting.value) +
               " from line " + std::to_string(setting.line) + "; only the last one counts");
    }
    setting = Setting{true, value, line_, false};
    if (value.empty() && name == "InfoFile") report("InfoFile has no file name on its line");
}

void ControlLint::checkOutputFolder(int32_t line, const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return;
    const std::string folder = path.substr(0, slash + 1);
    if (!fileIsFolderOnDisk(folder.c_str())) {
        reportAt(line,
                 quoted(path) + " cannot be written: folder " + quoted(folder) + " does not exist");
    }
}

void ControlLint::finish() {
    flushRunLines();
    if (!infoFile_.given && !writeOneFile_.given) {
        reportAt(1, "no InfoFile or WriteOneFile statement; nothing would be written");
    }
    if (writeOneFile_.given && state_.singleFileName.empty()) {
        reportAt(writeOneFile_.line, "WriteOneFile has no file name; nothing would be written");
    }
    // The output goes into a folder that must exist; Dest's own folder is checked at Dest.
    if (writeOneFile_.given) {
        const std::string& name = state_.singleFileName;
        if (name.find('/') != std::string::npos) {
            checkOutputFolder(writeOneFile_.line, state_.destDir + name);
        }
    } else if (infoFile_.given && !state_.infoFileName.empty()) {
        checkOutputFolder(infoFile_.line, state_.infoFileName);
    }
    if (binLine_ != 0 && !writeOneFile_.given) {
        reportAt(binLine_, "BIN has no effect without WriteOneFile");
    }
}

// HotXY takes the next two numbers wherever they stand, so numbers missing from its line are
// taken from later lines and the words passed over on the way are lost to their statements.

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

// The findings about sprite statements: the name as written, how the statement ended, and the
// pairs of table entries the game cannot tell apart.

namespace {

const char* kindWord(SpriteSource kind) {
    return spriteKind(kind).keyword;
}

// The extension a kind's statement adds, in double quotes.
std::string quotedExtension(SpriteSource kind) {
    return std::string("\"") + spriteKind(kind).extension + "\"";
}

// The source path under another kind's extension; `path` ends with its own kind's.
std::string otherKindPath(std::string_view path, SpriteSource kind, const SpriteKind& other) {
    const size_t extension = std::string_view(spriteKind(kind).extension).size();
    std::string changed(path.substr(0, path.size() - std::min(extension, path.size())));
    changed += other.extension;
    return changed;
}

}  // namespace

void ControlLint::spriteListed(const SpriteListing& listing) {
    // Any sprite statement uses the folders in force, whatever became of it.
    source_.usedSince = true;
    dest_.usedSince = true;
    if (listing.name.empty()) {
        report(std::string(kindWord(listing.kind)) + " has no sprite name");
        return;
    }
    // A file a pattern found is named by its path, extension cut: its name is no mistake.
    if (!listing.fromPattern) checkSpriteName(listing);
    checkSpriteOutcome(listing);
    if (listing.outcome == SpriteOutcome::listed) checkListedPairs(listing);
}

void ControlLint::checkSpriteName(const SpriteListing& listing) {
    const std::string_view name = listing.name;
    const size_t separator = name.find_last_of("/\\");
    if (separator != std::string_view::npos) {
        report("sprite name " + quoted(name) +
               " holds a path separator; the folder belongs in Source");
    }
    const std::string_view base =
        separator == std::string_view::npos ? name : name.substr(separator + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        report("sprite name " + quoted(name) + " has an extension; " + kindWord(listing.kind) +
               " adds " + quotedExtension(listing.kind) + " itself");
    }
}

void ControlLint::checkSpriteOutcome(const SpriteListing& listing) {
    const std::string name = quoted(listing.name);
    switch (listing.outcome) {
        case SpriteOutcome::tableFull:
            report("sprite " + name + " skipped: more than " + std::to_string(MAX_SPRITES) +
                   " sprites");
            break;
        case SpriteOutcome::noSource:
            report("sprite " + name + " skipped: no Source folder is set");
            break;
        case SpriteOutcome::noDest:
            report("sprite " + name + " skipped: no Dest folder is set");
            break;
        case SpriteOutcome::missing: {
            // The first other kind whose file is there is the one meant.
            for (const SpriteKind& other : SPRITE_KINDS) {
                if (&other == &spriteKind(listing.kind)) continue;
                const std::string path = otherKindPath(listing.path, listing.kind, other);
                if (fileExistsOnDisk(path.c_str())) {
                    report(quoted(listing.path) + " does not exist, but " + quoted(path) +
                           " does; list it with " + other.keyword);
                    return;
                }
            }
            report("sprite source " + quoted(listing.path) + " does not exist");
            break;
        }
        case SpriteOutcome::notLoaded: {
            // The readers' own lines say why; they become the reason here.
            std::string text =
                quoted(listing.path) + " does not load as a " + kindWord(listing.kind) + " picture";
            for (size_t i = 0; i < runLines_.size(); ++i) {
                text += (i == 0 ? " (" : "; ") + runLines_[i];
            }
            if (!runLines_.empty()) text += ")";
            runLines_.clear();
            report(std::move(text));
            break;
        }
        case SpriteOutcome::listed:
            if (listing.blank) {
                report("sprite " + name + " is blank (no visible pixel); it is kept as 0 x 0");
            }
            break;
    }
}

void ControlLint::checkListedPairs(const SpriteListing& listing) {
    const std::string stored = state_.tables.spriteNames[listing.slot].data();
    if (stored.size() < listing.name.size()) {
        report("sprite name of " + std::to_string(listing.name.size()) +
               " characters is stored cut to " + std::to_string(stored.size()) + ": " +
               quoted(stored));
    }
    // A pair is told once, when its later name is first listed.
    const auto [first, fresh] = firstLineOfName_.try_emplace(stored, line_);
    if (!fresh) {
        report("sprite " + quoted(stored) + " is listed again (first on line " +
               std::to_string(first->second) + ")");
        return;
    }
    const uint32_t hid = state_.tables.spriteTable[listing.slot].hid;
    std::vector<size_t>& holders = namesByHid_[hid];
    for (const size_t index : holders) {
        const ListedName& earlier = distinctNames_[index];
        const std::string pair = "sprites " + quoted(earlier.name) + " (line " +
                                 std::to_string(earlier.line) + ") and " + quoted(stored);
        if (stringsEqualNoCase(earlier.name.c_str(), stored.c_str()) == 1) {
            report(pair + " differ only in letter case; the game cannot tell them apart");
        } else {
            report(pair + " have the same hid " + std::to_string(static_cast<int32_t>(hid)) +
                   "; the game cannot tell them apart");
        }
    }
    holders.push_back(distinctNames_.size());
    distinctNames_.push_back(ListedName{stored, line_});
}

void ControlLint::patternRead(const PatternListing& listing) {
    source_.usedSince = true;
    dest_.usedSince = true;
    const std::string pattern = quoted(listing.pattern);
    switch (listing.outcome) {
        case SpriteOutcome::noSource:
            report("Sprites " + pattern + " skipped: no Source folder is set");
            return;
        case SpriteOutcome::noDest:
            report("Sprites " + pattern + " skipped: no Dest folder is set");
            return;
        default:
            break;
    }
    if (listing.matches > 0) return;
    if (listing.pattern.empty()) {
        report("Sprites has no pattern on its line; it matches nothing");
    } else if (listing.refused) {
        report("Sprites pattern " + pattern +
               " leaves Source (\"..\") or names nothing; it matches nothing");
    } else {
        report("no sprite file under Source " + quoted(state_.srcDir) + " matches " + pattern);
    }
}
