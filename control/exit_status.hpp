// The exit statuses of the program, and the one place a run stops when memory runs out.
// They become a plain number only where main returns.
#pragma once

#include <cstdint>
#include <new>

#include "console/console.hpp"

enum class ExitStatus : int32_t {
    done = 0,           // everything asked for was written
    notWritten = 1,     // something asked for was not written, or memory ran out
    commandLine = 2,    // a command-line error, or no argument at all
    problems = 3,       // problems were reported under --strict or --check
    limitBroken = 255,  // an internal limit was broken (the process ends with -1)
};

// Runs `run`, which returns an ExitStatus. When an allocation fails on the way the run stops
// there: "Out of memory, run stopped." is printed and the status is notWritten.
template <class Run>
ExitStatus stopWhenMemoryRunsOut(Run&& run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        printMessage(MessageId::outOfMemory, "Out of memory, run stopped.\n");
        return ExitStatus::notWritten;
    }
}
