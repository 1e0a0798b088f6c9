// Test seams of the replacing writer: the tool never calls these.
#pragma once

// Behave as on a file system that refuses unnamed temporary files.
void replaceFileForceNamedTemporary(bool on);

// The next close of an output, written in place or temporary, fails with `error` once the
// descriptor is closed, as on a file system that reports a delayed write error at close.
void replaceFileFailNextClose(int error);
