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

// Resets the process-wide state, runs the statement loop over `text` and then the output stage,
// as a run on a control file holding `text` would; `controlName` names the control file in
// messages. The file layer must be started already. An empty text is a control file without
// statements. Returns the exit status of such a run: done when the output file was written
// completely, notWritten when none was. For tests and fuzz targets.
ExitStatus runControlTextWithOutput(std::string_view text, const char* controlName);
