#include "output/side_files.hpp"

#include <cstdio>
#include <optional>

#include "console/console.hpp"
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

}  // namespace

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

bool writeSideFiles(const CommandLine& options, const DriverState& state,
                    std::vector<std::string>& written) {
    if (!options.manifest && !options.emitHeader && !options.preview) return true;
    const SpriteView view = buildSpriteView(state);
    // An unchanged header or manifest keeps its time too, so a build does not redo its users.
    const bool keep = options.ifChanged;
    bool ok = true;
    auto note = [&](const std::optional<std::string>& path, bool done) {
        if (done) written.push_back(*path);
        ok = ok && done;
    };
    if (options.manifest) {
        note(options.manifest, writeText(manifestBytes(view), *options.manifest, "manifest", keep));
    }
    if (options.emitHeader) {
        const std::string prefix =
            options.headerPrefix.value_or(defaultHeaderPrefix(*options.emitHeader));
        note(options.emitHeader,
             writeText(cHeaderBytes(view, prefix), *options.emitHeader, "C header", keep));
    }
    if (options.preview) note(options.preview, writePreview(view, *options.preview, keep));
    return ok;
}
