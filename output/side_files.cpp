#include "output/side_files.hpp"

#include <array>
#include <cstdio>
#include <optional>

#include "console/console.hpp"
#include "output/atlas_file.hpp"
#include "output/depfile.hpp"
#include "output/output_sink.hpp"
#include "output/sprite_view_builder.hpp"
#include "sidecar/c_header.hpp"
#include "sidecar/manifest.hpp"
#include "sidecar/preview.hpp"

namespace {

// A text that could not be made (no memory) is a file that could not be written.
bool writeText(const std::optional<std::string>& text, const std::string& path, const char* what,
               bool keepIfSame) {
    if (!text) {
        printMessage(MessageId::sideFileOpenFailed, "Couldn't open %s to write the %s.\n",
                     path.c_str(), what);
        return false;
    }
    return writeSideFile(path, *text, what, keepIfSame);
}

bool writePreview(const SpriteView& view, const std::string& path, bool keepIfSame) {
    PreviewResult preview;
    {
        // The preview loads every source again; what the readers say about them was said
        // already while the sprites were listed.
        consoleSetLineSink([](MessageId, std::string_view, bool) {});
        preview = previewPng(view);
        consoleSetLineSink({});
    }
    if (preview.status == PreviewStatus::TooLarge) {
        printMessage(MessageId::previewTooLarge,
                     "Preview %s not written: the sheet would be too large.\n", path.c_str());
        return false;
    }
    if (preview.status != PreviewStatus::Written) {
        printMessage(MessageId::sideFileOpenFailed, "Couldn't open %s to write the preview.\n",
                     path.c_str());
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(preview.png.data()),
                                 preview.png.size());
    return writeSideFile(path, bytes, "preview", keepIfSame);
}

// The writers of the table's rows. An unchanged header or manifest keeps its time too, so a
// build does not redo its users.
bool writeManifest(const std::string& path, const SideFileInputs& inputs) {
    return writeText(manifestBytes(inputs.view()), path, "manifest",
                     inputs.keepIfSame);
}

bool writeCHeader(const std::string& path, const SideFileInputs& inputs) {
    const std::string prefix = inputs.headerPrefix.value_or(defaultHeaderPrefix(path));
    return writeText(cHeaderBytes(inputs.view(), prefix), path, "C header",
                     inputs.keepIfSame);
}

bool writePreviewFile(const std::string& path, const SideFileInputs& inputs) {
    return writePreview(inputs.view(), path, inputs.keepIfSame);
}

bool writeAtlas(const std::string& path, const SideFileInputs& inputs) {
    return writeAtlasFiles(path, inputs.view(), inputs.atlas, inputs.keepIfSame,
                           inputs.alsoWritten);
}

// The dependency file names every file written as a target.
bool writeDependencies(const std::string& path, const SideFileInputs& inputs) {
    return writeDepfile(path, inputs.targets, inputs.prerequisites);
}

constexpr std::array<SideFileRow, SIDE_FILE_COUNT> SIDE_FILES = {{
    {"depfile",
     "      --depfile=FILE      after a successful run, write the files it read as a\n"
     "                          Makefile rule for make, ninja and CMake\n",
     writeDependencies, true},
    {"manifest", "      --manifest=FILE     write a JSON manifest of the sprites beside the output\n",
     writeManifest, false},
    {"emit-header",
     "      --emit-header=FILE  write a C header of the sprites beside the output\n"
     "      --header-prefix=WORD\n"
     "                          begin every name of that header with WORD (default: its\n"
     "                          file name in upper case, then '_': SPRITES_)\n",
     writeCHeader, false},
    {"preview", "      --preview=FILE.png  write a PNG contact sheet of the sprites\n",
     writePreviewFile, false},
    {"atlas",
     "      --atlas=FILE        write a texture atlas beside the output: the data\n"
     "                          file FILE and its pages STEM.png, STEM-1.png, ...\n"
     "      --atlas-format=FORMAT\n"
     "                          json-hash (default), json-array or phaser3\n"
     "      --atlas-alpha=ALPHA straight (default: the files' own colours) or\n"
     "                          premultiplied\n"
     "      --atlas-extrude=N   repeat each sprite's edge pixels N times around it\n"
     "                          (0 to 256, default 0)\n"
     "      --atlas-padding=N   N transparent pixels between frames (0 to 256,\n"
     "                          default 2)\n"
     "      --atlas-max-size=N  pages of at most N x N pixels (1 to 16384,\n"
     "                          default 4096)\n"
     "      --atlas-pot         page sides rounded up to powers of two\n"
     "      --atlas-no-alias    identical sprites get a frame region each\n",
     writeAtlas, false},
}};

}  // namespace

const SpriteView& SideFileInputs::view() const {
    if (!built) built = buildSpriteView(state);
    return *built;
}

std::span<const SideFileRow, SIDE_FILE_COUNT> sideFileRows() {
    return SIDE_FILES;
}

bool writeSideFile(const std::string& path, std::string_view bytes, const char* what,
                   bool keepIfSame) {
    OutputSink sink;
    if (!sink.open(path)) {
        printMessage(MessageId::sideFileOpenFailed, "Couldn't open %s to write the %s.\n",
                     path.c_str(), what);
        return false;
    }
    sink.appendText(bytes);
    return sink.finish(keepIfSame);
}

bool writeSideFiles(const SideFilePaths& paths, const std::optional<std::string>& headerPrefix,
                    const AtlasSettings& atlas, bool keepIfSame, const DriverState& state,
                    std::vector<std::string>& targets,
                    std::span<const std::string> prerequisites) {
    const SideFileInputs inputs{state, headerPrefix, atlas, keepIfSame, targets, prerequisites,
                                {}, {}};
    bool ok = true;
    for (const bool namingTheOthers : {false, true}) {
        for (size_t row = 0; row < SIDE_FILE_COUNT; ++row) {
            const SideFileRow& file = sideFileRows()[row];
            if (file.namesTheOthers != namingTheOthers || !paths[row]) continue;
            inputs.alsoWritten.clear();
            const bool done = file.write(*paths[row], inputs);
            if (done && !file.namesTheOthers) targets.push_back(*paths[row]);
            // What a writer wrote is a target even when a later file of its own failed.
            if (!file.namesTheOthers) {
                targets.insert(targets.end(), inputs.alsoWritten.begin(),
                               inputs.alsoWritten.end());
            }
            ok = ok && done;
        }
    }
    return ok;
}
