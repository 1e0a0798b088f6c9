#include "control/console.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

FILE* realStdout = nullptr;  // the process's own standard output, once the filter is in place
std::string partialLine;
int informationalDepth = 0;
bool quiet = false;
bool sawProblem = false;
ConsoleLineSink lineSink;
int firstWriteError = 0;    // errno of the first write to standard output that failed
bool outputClosed = false;  // consoleCloseOutput has run

void noteWriteError(int error) {
    // A stream may fail without a reason (errno 0): the failure still counts.
    if (firstWriteError == 0) firstWriteError = error != 0 ? error : EIO;
}

void dispatch(std::string_view line) {
    const bool informational = informationalDepth > 0;
    if (!informational) sawProblem = true;
    if (lineSink) {
        lineSink(line, informational);
    } else if (!(quiet && informational)) {
        consoleWrite(line);
    }
}

// The filter sits behind stdout as a stream of its own, so lines printed anywhere in the
// program reach it without any printer knowing.
ssize_t filterWrite(void* /*cookie*/, const char* bytes, size_t size) {
    partialLine.append(bytes, size);
    size_t start = 0;
    for (size_t end; (end = partialLine.find('\n', start)) != std::string::npos; start = end + 1) {
        dispatch(std::string_view(partialLine).substr(start, end + 1 - start));
    }
    partialLine.erase(0, start);
    return static_cast<ssize_t>(size);
}

}  // namespace

void setupConsole() {
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    if (realStdout != nullptr) return;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    cookie_io_functions_t functions{};
    functions.write = filterWrite;
    FILE* filtered = fopencookie(nullptr, "w", functions);
    if (filtered == nullptr) return;  // no memory: messages go out unfiltered
    std::setvbuf(filtered, nullptr, _IONBF, 0);
    realStdout = stdout;
    stdout = filtered;
    std::atexit(consoleFlush);
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
    FILE* out = realStdout != nullptr ? realStdout : stdout;
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) noteWriteError(errno);
}

int consoleCloseOutput() {
    if (outputClosed) return firstWriteError;
    FILE* out = realStdout != nullptr ? realStdout : stdout;
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
    dispatch(last);
}
