// The program's front door: reads the command line and runs what it asks for (help, version,
// the lint, or a run on a control file with its output and the files beside it). Command-line
// errors go to standard error; every message of a run goes to standard output.
#pragma once

#include <cstdint>

#include "control/exit_status.hpp"

// Runs the program on its arguments and returns the process exit status: 0 when everything
// asked for was written, 1 when something was not, 2 for a command-line error (or no argument
// at all), 3 for problems reported under --strict or --check. When several apply, the first of
// 2, 255, 1, 3, 0 wins.
int runSpritebake(int argc, char** argv);

// The status of a run that ended with two of them: the first of 2, 255, 1, 3, 0.
ExitStatus combineStatus(ExitStatus a, ExitStatus b);
