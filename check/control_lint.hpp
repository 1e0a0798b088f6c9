// The findings of a check run: a LintSink that listens to the real statement loop and turns what
// it hears, and every problem line the run prints, into diagnostics at the line of the
// statement they belong to. It reads nothing of the control text on its own account beyond
// locating what the loop reports (line numbers, the words a statement passed over).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "console/console.hpp"
#include "control/driver_state.hpp"
#include "control/lint_sink.hpp"
#include "control/statements.hpp"

// The diagnostics of a check run, kept compactly: a control text can hold millions of lines of
// problems, and reporting them must not take many times the text's size. A report on the line
// after the last one with the same text extends that run; texts are stored once, in blocks.
// Reports come in the order of their lines except the findings about the whole file, made at
// the end for earlier lines: those are kept apart and merged in on the way out, so nothing is
// sorted.
class DiagnosticLog {
  public:
    void add(int32_t line, std::string_view text);
    bool empty() const { return runs_.empty() && late_.empty(); }
    // Calls emit(line, text) for each diagnostic by line, those of one line in the order made.
    void forEach(const std::function<void(int32_t line, std::string_view text)>& emit) const;

  private:
    struct TextRef {
        uint32_t block = 0;
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    struct Run {
        int32_t firstLine = 0;  // `count` reports of one text on consecutive lines
        int32_t count = 0;
        TextRef text;
    };
    struct Late {
        int32_t line = 0;
        std::string text;
    };
    TextRef store(std::string_view text);
    std::string_view textOf(const TextRef& ref) const;

    std::deque<Run> runs_;  // lines never falling
    std::vector<Late> late_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> blockSizes_;
    size_t used_ = 0;  // bytes taken of the last block
};

class ControlLint final : public LintSink {
  public:
    // `text` is the control text the loop runs over; `state` the state it runs in.
    ControlLint(std::string_view text, const DriverState& state);

    void statementBegins(int32_t statement, const char* first, const char* afterKeyword) override;
    void statementEnds(const char* cursor) override;
    void unexpectedInput(std::string_view text) override;
    void paddingValue(std::string_view value, bool accepted) override;
    void hotspotName(std::string_view name, bool known) override;
    void hotXYNumbers(const char* xAt, const char* yAt) override;
    void spriteListed(const SpriteListing& listing) override;
    void patternRead(const PatternListing& listing) override;

    // A message the run printed that is not informational: its id and its line (with or
    // without its line feed). Its words become a diagnostic of the statement that printed it.
    void runMessage(MessageId id, std::string_view line);

    // The findings about the whole file; call once after the loop.
    void finish();

    const DiagnosticLog& diagnostics() const { return diagnostics_; }

  private:
    // The value of a statement that a later one of its kind replaces.
    struct Setting {
        bool given = false;
        std::string value;
        int32_t line = 0;
        bool usedSince = false;  // a sprite statement came after it
    };
    struct ListedName {
        std::string name;
        int32_t line = 0;
    };

    int32_t lineAt(const char* at);
    void report(std::string text) { reportAt(line_, std::move(text)); }
    void reportAt(int32_t line, std::string text);
    void flushRunLines();

    void checkKeywordWord(int32_t statement);
    void checkFolder(const char* keyword, Setting& setting, const std::string& value,
                     bool replacedIsRunLine);
    void checkOutputName(const char* keyword, Setting& setting, const std::string& value);
    void checkOutputFolder(int32_t line, const std::string& path);
    void checkPadding(const char* cursor);
    void checkHotXY(const char* cursor);
    std::string lostWords(const char* from, const char* to, const char* skipFrom,
                          const char* skipTo);
    void checkSpriteName(const SpriteListing& listing);
    void checkSpriteOutcome(const SpriteListing& listing);
    void checkListedPairs(const SpriteListing& listing);

    std::string_view text_;
    const DriverState& state_;
    DiagnosticLog diagnostics_;
    std::vector<std::string> runLines_;  // printed while the current statement ran

    // Line counting: the line feeds before countedTo_.
    size_t countedTo_ = 0;
    int32_t feedsBefore_ = 0;

    // The statement that runs now.
    int32_t statement_ = ST_END;
    const char* first_ = nullptr;
    const char* afterKeyword_ = nullptr;
    int32_t line_ = 1;
    const char* strayWordFrom_ = nullptr;  // a stray word already reported with its keyword
    const char* strayWordTo_ = nullptr;
    bool valueIsFragment_ = false;  // the value is the rest of the keyword's word

    std::string paddingValue_;
    bool paddingAccepted_ = true;
    const char* xAt_ = nullptr;
    const char* yAt_ = nullptr;

    Setting source_;
    Setting dest_;
    Setting infoFile_;
    Setting writeOneFile_;
    int32_t binLine_ = 0;

    std::unordered_map<std::string, int32_t> firstLineOfName_;
    std::vector<ListedName> distinctNames_;
    std::unordered_map<uint32_t, std::vector<size_t>> namesByHid_;  // into distinctNames_
};

// Word helpers of the control-file lint: the nearest known name to a misspelt word, and the
// pieces of text a finding quotes.

// The edit distance (insertions, deletions, substitutions) between a and b, ASCII letter case
// ignored.
int32_t editDistanceNoCase(std::string_view a, std::string_view b);

// The first of `names` nearest to `word`, when it is near enough to be a likely misspelling
// (one edit for names of up to four letters, two for longer ones); empty otherwise.
std::string_view nearestName(std::string_view word, std::span<const char* const> names);

// The text up to the first blank, CR or line feed.
std::string_view firstWord(std::string_view text);

// `text` without blanks, tabs and CRs at either end.
std::string_view trimBlanks(std::string_view text);

// `text` in double quotes.
std::string quoted(std::string_view text);
