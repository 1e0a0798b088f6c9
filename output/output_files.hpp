// The output stage: after the last statement a run writes exactly one file, the info file (a
// text table of the sprites) or the single sprite file (the same table as text or binary
// words, followed by every sprite's cropped pixels).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "control/driver_state.hpp"
#include "control/exit_status.hpp"

// One sprite's line of the info file and of the single sprite file's text header, with its
// line feed.
std::string spriteLine(const SpriteRecord& record);

// The table an output starts with, byte for byte as the writers below write it. Text (the info
// file, and a single sprite file without BIN): the count line "N sprites" and one line an entry.
// Binary: the count and eight words an entry, 32-bit little-endian. A single sprite file's first
// pixel block follows the table's last byte.
std::string textTableBytes(const DriverState& state);
std::string binaryTableBytes(const DriverState& state);

// The table of the output the state asks for: binary for a single sprite file under BIN, text
// otherwise.
std::string outputTableBytes(const DriverState& state);

// Writes the info file at `path`, as the control file gave it. True when it was written whole;
// otherwise its line has been printed. With keepIfSame, an existing file of the same bytes is
// kept as it is, with an informational line saying so.
bool writeInfoFile(const DriverState& state, const std::string& path, bool keepIfSame = false);

// Writes the single sprite file at `path`: the text header (or the binary one when the state
// asks for it), then the pixel blocks, each sprite reloaded from the path it was listed from.
// True when it was written whole; otherwise its line has been printed. keepIfSame as above.
bool writeSingleSpriteFile(const DriverState& state, const std::string& path,
                           bool keepIfSame = false);

// Writes the output the state asks for. Returns the process exit status: done when a file was
// written completely, notWritten when none was. `controlPath` names the control file in
// messages.
ExitStatus runOutputStage(const DriverState& state, const char* controlPath,
                          bool keepIfSame = false);

// The path of the output the state asks for: the info file's, or Dest + the single sprite
// file's name.
std::string outputPath(const DriverState& state);

// Called in the pixel pass just before sprite `index` is loaded again from `path`: a seam for
// tests that change a source between the two passes. Null (the default) calls nothing.
using PixelPassHook = void (*)(int32_t index, const std::string& path);
void setPixelPassHook(PixelPassHook hook);

// Resets the process-wide state, runs the statement loop over `text` and then the output stage,
// as a run on a control file holding `text` would; `controlName` names the control file in
// messages. The file layer must be started already. An empty text is a control file without
// statements. Returns the exit status of such a run: done when the output file was written
// completely, notWritten when none was. For tests and fuzz targets.
ExitStatus runControlTextWithOutput(std::string_view text, const char* controlName);
