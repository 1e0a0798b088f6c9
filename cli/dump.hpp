// --dump: an existing info file or single sprite file shown as a table, for people. It reads
// the header only (text or binary, told apart from the bytes); the pixel blocks are counted,
// not checked, since the file does not say which entries hold 4 bytes a pixel.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "control/exit_status.hpp"

// The table of `bytes` as aligned columns (index, hid in hex and signed, method, padding, hx,
// hy, wd, ht) and a closing line with the count, the header's form and the bytes after the
// table. Empty, with the reason in `error`, when the header does not parse.
std::string dumpText(std::span<const uint8_t> bytes, std::string& error);

// Prints the table of the file at `path` on standard output. A file that cannot be read or does
// not parse gets "spritebake: PATH: REASON" on standard error. Returns the exit status, done or
// notWritten.
ExitStatus runDump(const char* path);
