// The console: every message of a run is a line on standard output, and every line passes
// through one filter here, whoever printed it (the statements, the readers, the file layer).
// The filter knows which lines are informational (printed inside an InformationalLines scope),
// drops those when quiet, remembers whether any other line was printed, and can hand the lines
// to a sink instead of printing them.
#pragma once

#include <functional>
#include <string_view>

// First thing in a run: standard output and standard error unbuffered, so every message is seen
// at once and in order (also through a pipe), and standard output's lines routed through the
// filter. Calling it again has no further effect.
void setupConsole();

// Lines printed while an instance lives are informational: they confirm what happened and
// point at no problem (the HotXY echo, the read-back of an info file that does not exist yet).
class InformationalLines {
  public:
    InformationalLines();
    ~InformationalLines();
    InformationalLines(const InformationalLines&) = delete;
    InformationalLines& operator=(const InformationalLines&) = delete;
};

// Quiet: informational lines are dropped.
void consoleSetQuiet(bool quiet);

// Whether a line that is not informational has been printed since setupConsole.
bool consoleSawProblem();

// With a sink, every complete line (with its line feed) goes to the sink instead of standard
// output. An empty function restores printing.
using ConsoleLineSink = std::function<void(std::string_view line, bool informational)>;
void consoleSetLineSink(ConsoleLineSink sink);

// Writes text to standard output as it stands, past the filter. A failed write is remembered
// for consoleCloseOutput and otherwise ignored: a message that cannot be written is dropped.
void consoleWrite(std::string_view text);

// Flushes and closes standard output, as GNU tools do when their product is standard output.
// Returns 0 when everything written reached it, else the errno of the first failure (a write
// since the start, the flush or the close). Later writes are dropped.
int consoleCloseOutput();

// Sends a last line that has no line feed through the filter; called when a run ends.
void consoleFlush();
