// The statements' own messages: printed in a run, left to the lint in a check run, which
// states the same findings in its own words.
#pragma once

#include "control/driver_state.hpp"

// printf of the message when no lint is listening; nothing otherwise.
void runMessage(const DriverState& state, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
