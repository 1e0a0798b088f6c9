// The control-file scanner: field reads, keyword matching and number reads over a text held
// whole in memory. The text needs no terminating NUL: every reader is bounded by the span's
// remaining count and never reads at or past cursor + remaining. Destinations are the caller's
// buffers with their sizes (at least 1); nothing here allocates or prints, except the two
// keyword-list failures of skipToMatch and scanQuotedString's one message.
//
// Process-wide state: linesCrossed (the line feeds passed by the latest scan) and the
// scanUpperCase switch. One thread; none of this is reentrant.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

// The text span every reader works through: cursor at the next unread byte, remaining the
// count of bytes left. Readers advance the one and lower the other by the same amount.
struct TextSpan {
    const char* cursor = nullptr;
    int32_t remaining = 0;
};

// Flag bits of scanText / scanField.
constexpr uint32_t SCAN_TERMINATE = 0x0001;
constexpr uint32_t SCAN_STOP_BLANK = 0x0002;
constexpr uint32_t SCAN_NUMBER = 0x0004;
constexpr uint32_t SCAN_STOP_QUOTE = 0x0008;
constexpr uint32_t SCAN_STOP_BRACE = 0x0010;
constexpr uint32_t SCAN_STOP_EOL = 0x0020;
constexpr uint32_t SCAN_SKIP_BLANKS = 0x0040;
constexpr uint32_t SCAN_STOP_COLON = 0x0080;
constexpr uint32_t SCAN_STOP_COMMA = 0x0100;
constexpr uint32_t SCAN_STOP_LETTER = 0x0200;
constexpr uint32_t SCAN_STOP_NUL = 0x0400;
constexpr uint32_t SCAN_STOP_SLASH = 0x0800;
constexpr uint32_t SCAN_STOP_UNDERSCORE = 0x1000;
constexpr uint32_t SCAN_SKIP_EOL = 0x2000;

constexpr int32_t MAX_MATCH_ENTRIES = 35;

// ---- Core (scan_text.cpp, keyword_match.cpp) ----

// Skips, then copies bytes of src into dst under `flags`. Returns the source bytes consumed
// (skipped plus copied; the stop byte is not consumed), or -1 under SCAN_NUMBER when the
// destination filled before a stop byte. Reads no byte at or past src + srcLen.
int32_t scanText(const char* src, int32_t srcLen, char* dst, int32_t dstSize, uint32_t flags);

// scanText on the span; advances the span by the result. Never pass SCAN_NUMBER here.
int32_t scanField(TextSpan& span, char* dst, int32_t dstSize, uint32_t flags);

// The line feeds passed by the latest scanText / skipToMatch / seekToMatch.
int32_t scanLinesCrossed();

// Consumes at most 1000 bytes of the current line, then one CR and one LF if they follow.
void skipLine(TextSpan& span);

void setScanUpperCase(int32_t on);
void stringToUpper(char* text);
void stringToUpperN(char* text, int32_t n);

// Finds the first position where an entry matches ("/A-Z" style classes or literals, tried in
// list order) and returns the entry's index, or -1 at the end of the text. With advance
// non-zero a matched literal is consumed; a class match never is. An entry of 50 characters or
// more is fatal (message, exit status -1); a 36th entry prints its message and returns 0.
int32_t skipToMatch(TextSpan& span, int32_t advance, std::initializer_list<const char*> entries);

// skipToMatch with advance 0 and no limits checked: the cursor stops on the match.
int32_t seekToMatch(TextSpan& span, std::initializer_list<const char*> entries);

// 1 when NUL-terminated a equals the first n bytes at b, ignoring ASCII case, else 0. Reads no
// byte of b past the first n, and stops at a NUL in either.
int32_t stringsEqualNoCaseN(const char* a, const char* b, int32_t n);

// ---- Number and string readers (number_readers.cpp, string_readers.cpp) ----

// The next integer of the text (a token of digits and "-" found anywhere ahead); 0 at the end.
int32_t scanInt(TextSpan& span);
int32_t stringToInt(const char* text);
int32_t stringsEqualNoCase(const char* a, const char* b);

int32_t scanFloat(TextSpan& span, float* value);
float stringToFloat(const char* text);
int32_t scanU8(TextSpan& span, uint8_t* out);
int32_t scanU16(TextSpan& span, uint16_t* out);
int32_t scanU32(TextSpan& span, uint32_t* out);

// Array form of skipToMatch (advance set, every entry a case-blind literal); `entries` ends
// with an empty string and holds at most 35 entries.
int32_t skipToMatchList(TextSpan& span, const char* const* entries);
int32_t skipPast(TextSpan& span, const char* word);
int32_t skipLineEnd(TextSpan& span);
int32_t skipWhiteSpace(TextSpan& span);
int32_t scanQuotedString(char* dst, TextSpan& span);  // dst holds 100 bytes
void scanQuoted(TextSpan& span, char* dst, int32_t dstSize);
int32_t findNoCase(const char* needle, const char* haystack, int32_t needleLength,
                   int32_t haystackLength);
int32_t containsNoCase(const char* a, const char* b);

// ---- A small owning doubly linked list of byte blocks (block_list.cpp) ----
// The list owns its blocks; appendNew returns the new block's bytes (size bytes, zeroed) or
// null when memory is short.
class BlockList {
  public:
    struct Node {
        Node* prev = nullptr;
        std::unique_ptr<Node> next;
        std::unique_ptr<uint8_t[]> bytes;
        int32_t size = 0;
    };
    BlockList() = default;
    BlockList(const BlockList&) = delete;
    BlockList& operator=(const BlockList&) = delete;
    ~BlockList();

    Node* appendNew(int32_t size);        // listAppendNew
    void freeAll(Node* node);             // listFreeAll: node and every node after it
    void unlink(Node* node);              // listUnlink
    Node* last() const { return tail_; }  // listLast
    Node* head() const { return head_.get(); }

  private:
    std::unique_ptr<Node> head_;
    Node* tail_ = nullptr;
};
