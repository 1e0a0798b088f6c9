#include "console/console.hpp"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::string partialLine;  // the start of a line whose line feed has not been printed yet
MessageId partialId = MessageId::fatalError;  // the message that began partialLine
int informationalDepth = 0;
bool quiet = false;
bool sawProblem = false;
bool consoleReady = false;
ConsoleLineSink lineSink;
int firstWriteError = 0;    // errno of the first write to standard output that failed
bool outputClosed = false;  // consoleCloseOutput has run

void noteWriteError(int error) {
    // A stream may fail without a reason (errno 0): the failure still counts.
    if (firstWriteError == 0) firstWriteError = error != 0 ? error : EIO;
}

void dispatch(MessageId id, std::string_view line) {
    const bool informational = informationalDepth > 0;
    if (!informational) sawProblem = true;
    if (lineSink) {
        lineSink(id, line, informational);
    } else if (!(quiet && informational)) {
        consoleWrite(line);
    }
}

// Cuts the text into lines; what follows the last line feed waits in partialLine. A line
// begun by an earlier message is completed first and keeps that message's id.
void emit(MessageId id, std::string_view text) {
    // Before setupConsole (a test, a fuzz target) the text goes out as it stands, unfiltered.
    if (!consoleReady) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    size_t start = 0;
    if (!partialLine.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            partialLine.append(text);
            return;
        }
        partialLine.append(text.substr(0, end + 1));
        std::string line;
        line.swap(partialLine);
        dispatch(partialId, line);
        start = end + 1;
    }
    for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
        dispatch(id, text.substr(start, end + 1 - start));
    }
    if (start < text.size()) {
        partialLine.assign(text.substr(start));
        partialId = id;
    }
}

}  // namespace

void setupConsole() {
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    if (consoleReady) return;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    consoleReady = true;
    std::atexit(consoleFlush);
}

void printMessage(MessageId id, const char* format, ...) {
    va_list args;
    va_start(args, format);
    printMessageList(id, format, args);
    va_end(args);
}

void printMessageList(MessageId id, const char* format, va_list args) {
    // Most messages fit the local buffer; a longer one (a long path) is formatted again whole.
    char local[1024];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(local, sizeof local, format, args);
    if (length < 0) {
        va_end(again);
        return;
    }
    try {
        if (static_cast<size_t>(length) < sizeof local) {
            emit(id, std::string_view(local, static_cast<size_t>(length)));
        } else {
            std::string text(static_cast<size_t>(length) + 1, '\0');
            std::vsnprintf(text.data(), text.size(), format, again);
            text.pop_back();
            emit(id, text);
        }
    } catch (const std::bad_alloc&) {
        // No memory for the whole text: what fits is printed, as the message would be cut by
        // any printer short of memory.
        emit(id, std::string_view(local, sizeof local - 1));
    }
    va_end(again);
}

InformationalLines::InformationalLines() {
    ++informationalDepth;
}

InformationalLines::~InformationalLines() {
    --informationalDepth;
}

void consoleSetQuiet(bool on) {
    quiet = on;
}

bool consoleSawProblem() {
    return sawProblem;
}

void consoleSetLineSink(ConsoleLineSink sink) {
    lineSink = std::move(sink);
}

void consoleWrite(std::string_view text) {
    if (outputClosed) return;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) noteWriteError(errno);
}

int consoleCloseOutput() {
    if (outputClosed) return firstWriteError;
    FILE* out = stdout;
    if (std::fflush(out) != 0) noteWriteError(errno);
    if (std::ferror(out) != 0) noteWriteError(0);
    // The close reports what only the last write-back sees (a network file system, a quota).
    if (std::fclose(out) != 0) noteWriteError(errno);
    outputClosed = true;
    return firstWriteError;
}

void consoleFlush() {
    if (partialLine.empty()) return;
    std::string last;
    last.swap(partialLine);
    dispatch(partialId, last);
}
