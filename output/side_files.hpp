// The files a run writes beside its output when the command line asks for them: the manifest,
// the C header and the preview, then the dependency file. They are written only once the
// output itself is in place, each whole, so a failed run leaves the previous ones alone.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.hpp"
#include "control/driver_state.hpp"

// Writes `bytes` to `path` whole (with keepIfSame, an equal existing file is left as it is).
// False when it failed; its line has been printed then: "Couldn't open PATH to write the
// WHAT." or the write-failure line.
bool writeSideFile(const std::string& path, std::string_view bytes, const char* what,
                   bool keepIfSame = false);

// Writes the manifest, the C header and the preview that `options` asks for, in that order,
// and adds each path written to `written`. False when any of them failed.
bool writeSideFiles(const CommandLine& options, const DriverState& state,
                    std::vector<std::string>& written);
