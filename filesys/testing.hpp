// Test and fuzz seams of the file layer: the tool never calls these.
#pragma once

// Forgets everything fileSystemInit set up, so the next call starts afresh.
void fileSystemReset();

// Confinement for the whole-run fuzz build: when on, every path that is absolute or climbs with
// ".." is treated as not found, and creating such a file fails. fileSystemReset switches it off.
void fileSetConfinement(bool on);

// Behave as on a file system that refuses unnamed temporary files.
void replaceFileForceNamedTemporary(bool on);

// The next close of an output, written in place or temporary, fails with `error` once the
// descriptor is closed, as on a file system that reports a delayed write error at close.
void replaceFileFailNextClose(int error);
