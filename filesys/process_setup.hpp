// What a run sets up first thing, before it opens any file.
#pragma once

#include <cstdint>

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, so no file opened later
// takes a standard stream's place.
void fileGuardStandardStreams();

// Ignores SIGPIPE and SIGXFSZ: writes that fail then report it (EPIPE, EFBIG) instead.
void fileIgnoreWriteSignals();

// Makes `path` the working folder, against which every relative path is resolved from then on.
// Returns 0, or the system's error number when the folder cannot be entered.
int32_t fileChangeFolder(const char* path);
