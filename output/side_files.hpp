// The files a run writes beside its output when the command line asks for them: the manifest,
// the C header, the preview and the atlas, then the dependency file. They are written only once the
// output itself is in place, each whole, so a failed run leaves the previous ones alone.
//
// They are one table: each row is the option that names the file, its lines of --help and the
// writer that builds and writes it. The command line, the help and the run read the table, so
// a new file beside the output is one row here (and its builder in sidecar/).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/atlas_settings.hpp"
#include "control/driver_state.hpp"
#include "sidecar/sprite_view.hpp"

// The rows of the table, in the order --help lists them.
enum SideFileIndex : size_t {
    SIDE_DEPFILE,
    SIDE_MANIFEST,
    SIDE_C_HEADER,
    SIDE_PREVIEW,
    SIDE_ATLAS,
    SIDE_FILE_COUNT,
};

// The path of each file the command line asks for, by row; empty for one it does not.
using SideFilePaths = std::array<std::optional<std::string>, SIDE_FILE_COUNT>;

// What the writers need besides their path: the run's state, and the command line's settings.
struct SideFileInputs {
    const DriverState& state;
    const std::optional<std::string>& headerPrefix;  // checked: a C identifier prefix
    const AtlasSettings& atlas;                      // the --atlas-* options
    bool keepIfSame = false;                         // --if-changed
    const std::vector<std::string>& targets;         // the output and each file written before
    std::span<const std::string> prerequisites;      // the files the run read

    // The plain view of the table, built for the first writer that asks and kept for the rest.
    const SpriteView& view() const;
    mutable std::optional<SpriteView> built;
    // The files a writer wrote besides its own path (the atlas's pages and its other data
    // files), in the order written.
    mutable std::vector<std::string> alsoWritten;
};

// Writes the row's file at `path`; false, with its line printed, when it failed.
using SideFileWriter = bool (*)(const std::string& path, const SideFileInputs& inputs);

struct SideFileRow {
    std::string_view option;  // the long option that takes the file's path
    std::string_view help;    // its lines of --help, each ending in a line feed
    SideFileWriter write;
    bool namesTheOthers;      // written after every other row, as it names what they wrote
};

// The table, indexed by SideFileIndex.
std::span<const SideFileRow, SIDE_FILE_COUNT> sideFileRows();

// Writes `bytes` to `path` whole (with keepIfSame, an equal existing file is left as it is).
// False when it failed; its line has been printed then: "Couldn't open PATH to write the
// WHAT." or the write-failure line.
bool writeSideFile(const std::string& path, std::string_view bytes, const char* what,
                   bool keepIfSame = false);

// Writes every file `paths` asks for: the rows in table order, then those that name the
// others. Adds each path written to `targets` (with the files its writer wrote besides it),
// except a file naming the others. False when any of them failed.
bool writeSideFiles(const SideFilePaths& paths, const std::optional<std::string>& headerPrefix,
                    const AtlasSettings& atlas, bool keepIfSame, const DriverState& state, std::vector<std::string>& targets,
                    std::span<const std::string> prerequisites);
