#include "output/output_files.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "console/console.hpp"
#include "control/driver.hpp"
#include "control/hotspot_names.hpp"
#include "output/output_sink.hpp"
#include "source/sprite_loading.hpp"

namespace {

PixelPassHook pixelPassHook = nullptr;

constexpr size_t BINARY_COUNT_BYTES = 4;
constexpr size_t BINARY_ENTRY_BYTES = 32;

const char* methodName(int32_t method) {
    if (method < 0 || method >= static_cast<int32_t>(hotspotMethodNames.size())) return "";
    return hotspotMethodNames[static_cast<size_t>(method)];
}

std::string countLine(int32_t count) {
    std::array<char, 32> line;
    const int length = std::snprintf(line.data(), line.size(), "%d sprites\n", count);
    return std::string(line.data(), static_cast<size_t>(length));
}

void putWord(std::string& bytes, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(word >> shift));
}

// The table's bytes come from textTableBytes and binaryTableBytes alone, so the fingerprint the
// files beside the output carry is of the bytes really written.
bool appendTextTable(const DriverState& state, OutputSink& sink) {
    return sink.appendText(textTableBytes(state));
}

bool appendBinaryTable(const DriverState& state, OutputSink& sink) {
    return sink.appendText(binaryTableBytes(state));
}

// Every block keeps the size its header entry announces: a sprite whose source no longer gives
// the listed crop is written as blank pixels of that size. A sprite that cannot be loaded for
// lack of memory is no fault of its file: the output is abandoned instead, so that it never
// holds blank pixels in the place of a sprite that is fine.
bool appendPixelBlocks(const DriverState& state, const std::string& outPath, OutputSink& sink) {
    const SpriteTables& tables = state.tables;
    for (int32_t i = 0; i < state.spriteCount; ++i) {
        // What is written so far reaches the file before the next load, so a failed write is
        // reported before any message of a later sprite.
        if (!sink.flush()) return false;
        const SpriteRecord& record = tables.spriteTable[i];
        const int32_t kind = tables.spriteSource[i];
        const std::string& path = tables.spritePath[i];
        const uint64_t blockSize = static_cast<uint64_t>(record.wd) *
                                   static_cast<uint64_t>(record.ht) *
                                   static_cast<uint64_t>(spriteKind(kind).bytesPerPixel);
        if (pixelPassHook != nullptr) pixelPassHook(i, path);
        CroppedSprite sprite;
        const SpriteLoad load = loadCroppedSprite(path, kind, sprite);
        if (load == SpriteLoad::outOfMemory) {
            printMessage(MessageId::pixelsOutOfMemory, "Out of memory for %s, %s not written.\n",
                         path.c_str(), outPath.c_str());
            sink.abandon();
            return false;
        }
        if (load != SpriteLoad::loaded || sprite.wd != record.wd || sprite.ht != record.ht) {
            printMessage(MessageId::sourceChanged,
                         "Warning, %s changed since it was listed, writing blank pixels.\n",
                         path.c_str());
            if (!sink.appendRepeated(spriteKind(kind).blankByte, blockSize)) return false;
        } else if (sprite.pixels && blockSize > 0) {
            if (!sink.append(std::span<const uint8_t>(sprite.pixels, blockSize))) {
                return false;
            }
        }
    }
    return true;
}

// Puts the finished output at its path; an output left as it was is said so.
bool finishOutput(OutputSink& sink, const std::string& path, bool keepIfSame) {
    if (!sink.finish(keepIfSame)) return false;
    if (sink.unchanged()) {
        InformationalLines kept;
        printMessage(MessageId::outputUnchanged, "Output %s unchanged, kept.\n", path.c_str());
    }
    return true;
}

}  // namespace

void setPixelPassHook(PixelPassHook hook) {
    pixelPassHook = hook;
}

std::string spriteLine(const SpriteRecord& record) {
    // A hid of 2^31 or more prints as its 32-bit pattern read as signed.
    const int32_t hid = static_cast<int32_t>(record.hid);
    const char* format = "hid %d hotspot method %s padding %d  hx %d  hy %d  wd %d  ht %d\n";
    const char* method = methodName(record.hotspotMethod);
    const int length = std::snprintf(nullptr, 0, format, hid, method, record.padding, record.hx,
                                     record.hy, record.wd, record.ht);
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, hid, method, record.padding, record.hx,
                  record.hy, record.wd, record.ht);
    line.pop_back();
    return line;
}

std::string textTableBytes(const DriverState& state) {
    std::string bytes = countLine(state.spriteCount);
    for (int32_t i = 0; i < state.spriteCount; ++i) {
        bytes += spriteLine(state.tables.spriteTable[static_cast<size_t>(i)]);
    }
    return bytes;
}

// The count, then eight little-endian words per sprite: the method comes second here, unlike
// in the record, and the last word is reserved.
std::string binaryTableBytes(const DriverState& state) {
    std::string bytes;
    const size_t count = static_cast<size_t>(std::max(state.spriteCount, 0));
    bytes.reserve(BINARY_COUNT_BYTES + BINARY_ENTRY_BYTES * count);
    putWord(bytes, static_cast<uint32_t>(state.spriteCount));
    for (size_t i = 0; i < count; ++i) {
        const SpriteRecord& r = state.tables.spriteTable[i];
        for (int32_t value :
             {static_cast<int32_t>(r.hid), r.hotspotMethod, r.padding, r.hx, r.hy, r.wd, r.ht, 0}) {
            putWord(bytes, static_cast<uint32_t>(value));
        }
    }
    return bytes;
}

std::string outputTableBytes(const DriverState& state) {
    const bool binary = state.writeOneFile != 0 && state.writeBinary != 0;
    return binary ? binaryTableBytes(state) : textTableBytes(state);
}

bool writeInfoFile(const DriverState& state, const std::string& path, bool keepIfSame) {
    OutputSink sink;
    if (!sink.open(path)) {
        printMessage(
            MessageId::infoFileOpenFailed,
            "Couldn't open %s to write the info file.  Info file not written, press key to "
            "continue.\n",
            path.c_str());
        return false;
    }
    appendTextTable(state, sink);
    return finishOutput(sink, path, keepIfSame);
}

bool writeSingleSpriteFile(const DriverState& state, const std::string& path, bool keepIfSame) {
    OutputSink sink;
    if (!sink.open(path)) {
        printMessage(MessageId::singleFileOpenFailed,
                     "Couldn't open %s to write single sprite file.\n", path.c_str());
        return false;
    }
    const bool header =
        state.writeBinary != 0 ? appendBinaryTable(state, sink) : appendTextTable(state, sink);
    if (header) appendPixelBlocks(state, path, sink);
    return finishOutput(sink, path, keepIfSame);
}

std::string outputPath(const DriverState& state) {
    return state.writeOneFile == 0 ? state.infoFileName : state.destDir + state.singleFileName;
}

ExitStatus runOutputStage(const DriverState& state, const char* controlPath, bool keepIfSame) {
    const auto status = [](bool written) {
        return written ? ExitStatus::done : ExitStatus::notWritten;
    };
    if (state.writeOneFile == 0) return status(writeInfoFile(state, outputPath(state), keepIfSame));
    if (!state.singleFileName.empty()) {
        return status(writeSingleSpriteFile(state, outputPath(state), keepIfSame));
    }
    printMessage(MessageId::noSingleFileName,
                 "Error, file name for single sprite file not specified.\n");
    printMessage(MessageId::noSingleFileName,
                 "Config. file %s should have a line that looks like:\n", controlPath);
    printMessage(MessageId::noSingleFileName, "WriteOneFile FNAME\n");
    return ExitStatus::notWritten;
}

ExitStatus runControlTextWithOutput(std::string_view text, const char* controlName) {
    return stopWhenMemoryRunsOut([&] {
        runControlText(text);
        return runOutputStage(driverState(), controlName);
    });
}
