// The control file's statement loop, and runs of control text held in memory. The command line
// and the whole run of the program are in run_command.hpp.
#pragma once

#include <string_view>

#include "control/driver_state.hpp"
#include "control/exit_status.hpp"

// Executes the statements of the state's remaining text in order until the text is used up.
void runStatementLoop(DriverState& state);

// Resets the process-wide state and runs the statement loop over `text`, which needs no
// terminating NUL. The output stage does not run. For tests and fuzz targets.
void runControlText(std::string_view text);
