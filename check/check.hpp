// --check: the lint for control files. It runs the real statement loop, sprite loads included,
// and reports what it finds instead of writing any output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "control/exit_status.hpp"

// Runs the statement loop over `text` as a run would (sprite loads included), writes nothing,
// and prints only diagnostics "FILE:LINE: warning: TEXT\n" on stdout (FILE = shownName).
// Returns done without diagnostics, problems with.
ExitStatus runCheckText(std::string_view text, const std::string& shownName);
