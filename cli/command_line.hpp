// The command line: `spritebake [OPTION...] CONTROL_FILE`, read GNU style into a plain record.
// Long options take their value as `--opt=value` or `--opt value`, short ones as `-C DIR` or
// `-CDIR`; short flags may be bundled (`-qh`); `--` ends the options, and `-` as the control
// file means standard input. Options may stand anywhere among the arguments. The parser does
// no I/O: a problem comes back as the text of a command-line error, which the caller prints.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/atlas_settings.hpp"
#include "output/side_files.hpp"

struct CommandLine {
    std::optional<std::string> controlFile;  // "-" reads standard input
    std::vector<std::string> folders;        // -C, entered in order, each from the last
    bool help = false;
    bool version = false;
    bool quiet = false;
    bool strict = false;
    bool check = false;
    bool ifChanged = false;
    // A value option given twice keeps its last value.
    SideFilePaths sideFiles;                  // --depfile, --manifest, ... by their table's row
    std::optional<std::string> headerPrefix;  // checked: a C identifier prefix
    AtlasSettings atlas;                      // the --atlas-* options, checked
    std::string firstAtlasOption;             // the first --atlas-* option given ("--atlas-pot")
    std::optional<std::string> dump;
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the command line is usable
};

// Reads the arguments after the program's name. Help and version need nothing else; every other
// use needs exactly one control file, except --dump, which needs none.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> args);

// The texts of `spritebake --help` and `spritebake --version`.
std::string_view helpText();
std::string_view versionText();

// The long names the parser knows ("help", "depfile", ...), for the help's own tests.
std::vector<std::string_view> knownLongOptions();
