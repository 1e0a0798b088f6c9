#include "control/run_messages.hpp"

#include <cstdarg>
#include <cstdio>

void runMessage(const DriverState& state, const char* format, ...) {
    if (state.lint != nullptr) return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}
