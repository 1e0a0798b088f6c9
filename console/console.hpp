// The console: the one printer of every message of a run. Every message is a line on standard
// output, and every one is printed here, with its id, whoever says it (the statements, the
// readers, the file layer, the output stage). The printer knows which lines are informational
// (printed inside an InformationalLines scope), drops those when quiet, remembers whether any
// other line was printed, and can hand the lines to a sink instead of printing them.
//
// It sits below every other folder, as the file layer and the readers print too; the run's
// settings (quiet, the sink of a check run) are set from above.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string_view>

// Which message a line is, so that a listener tells them apart without reading their words.
enum class MessageId : uint8_t {
    // The file layer.
    fileNotFound,        // "fileOpen didn't find %s in game dir. or blob."
    fileOpenFailed,      // "fileLoad failed to open %s."
    loadAllocFailed,     // "loadFile failed to alloc for %s, load skipped."
    loadBufferTooSmall,  // "Buffer passed to fileLoad too small for %s, load skipped."
    preloadTooSmall,     // "fileLoad fails on preloaded file %s because ..."
    fatalError,          // the last words of a run the file layer stops
    // The scanner.
    skipTextTooLarge,     // "%s passed to skipToMatch is too large."
    skipTooManyInputs,    // "More input strings in skip_to_match detected than allowed for."
    missingClosingQuote,  // "Missing closing double quote in string definition" (no line feed)
    // The readers.
    pcxOpenFailed,   // "Couldn't open PCX file %s for reading."
    pcxTrailerByte,  // "Warning, byte after frame buffer not 12."
    pcxCutShort,     // "Warning, PCX file %s is cut short."
    // The statements and the info reader.
    destRespecified,      // "Warning! on line %d the dest directory is respecified."
    unexpectedInput,      // "Unexpected input, %s, found on line %d."
    paddingIncorrect,     // "Pad passed an incorrect parameter, %s, on line %d."
    hotspotUndefined,     // "Undefined hotspot type requested, %s.  Switching to HS_MIDDLE."
    hotXYEnabled,         // "Hotspot XY mode enabled, x: %d y: %d " (informational)
    nameTruncated,        // "Truncating name %s as it is longer than %d."
    spriteTableFull,      // "Sprite %s skipped, the sprite table is full (%d sprites)."
    noSourceFolder,       // "Sprite %s requested before src directory specified."
    noDestFolder,         // "Sprite %s requested before dest directory specified."
    spriteSourceMissing,  // "Couldn't open sprite source %s, skipping."
    spriteNotLoaded,      // "Warning, couldn't load %s, skipping."
    spriteBlank,          // "WARNING!  Sprite %s is blank."
    sameHid,              // "Warning, sprites %s and %s have the same hid %d; ..."
    noSpriteFileMatches,  // "Warning, no sprite file matches %s."
    infoHeaderMissing,    // "Warning!  Couldn't open sprite header %s for reading."
    infoHeaderAlloc,      // "Couldn't memAlloc for sprite set %s in getSpriteHeader."
    // The output stage.
    outputWriteRemoved,    // "Error while writing %s, incomplete file removed."
    outputWriteError,      // "Error while writing %s."
    outputNotReplaced,     // "Couldn't replace %s (%s), previous output kept."
    pixelsOutOfMemory,     // "Out of memory for %s, %s not written."
    sourceChanged,         // "Warning, %s changed since it was listed, writing blank pixels."
    outputUnchanged,       // "Output %s unchanged, kept." (informational)
    infoFileOpenFailed,    // "Couldn't open %s to write the info file.  Info file not ..."
    singleFileOpenFailed,  // "Couldn't open %s to write single sprite file."
    noSingleFileName,      // "Error, file name for single sprite file not specified." and its help
    sideFileOpenFailed,    // "Couldn't open %s to write the %s."
    previewTooLarge,       // "Preview %s not written: the sheet would be too large."
    atlasNameTaken,        // "Warning, sprite %s is already in the atlas as entry %d; ..."
    atlasSpriteTooLarge,   // "Sprite %s (%dx%d) does not fit an atlas page of %d, %s not ..."
    depfileUnwritable,     // "Couldn't write %s: the path %s holds '%c', ..."
    // The run itself.
    controlFileMissing,  // "Couldn't open control file, check path."
    usage,               // "Usage: spritebake CONTROL_FILE"
    outOfMemory,         // "Out of memory, run stopped."
};

// First thing in a run: standard output and standard error unbuffered, so every message is seen
// at once and in order (also through a pipe), and the printer's lines filtered: until then a
// message is written as it stands. Calling it again has no further effect.
void setupConsole();

// Prints one message: its text is `format` filled in as printf does. A text without a line feed
// waits for the next message to complete its line; a line is informational, dropped when quiet
// and handed to a sink, as a whole.
void printMessage(MessageId id, const char* format, ...) __attribute__((format(printf, 2, 3)));
void printMessageList(MessageId id, const char* format, va_list args)
    __attribute__((format(printf, 2, 0)));

// Lines printed while an instance lives are informational: they confirm what happened and
// point at no problem (the HotXY echo, the read-back of an info file that does not exist yet).
class InformationalLines {
  public:
    InformationalLines();
    ~InformationalLines();
    InformationalLines(const InformationalLines&) = delete;
    InformationalLines& operator=(const InformationalLines&) = delete;
};

// Quiet: informational lines are dropped.
void consoleSetQuiet(bool quiet);

// Whether a line that is not informational has been printed since setupConsole.
bool consoleSawProblem();

// With a sink, every complete line (with its line feed) goes to the sink instead of standard
// output, with the id of the message that began it. An empty function restores printing.
using ConsoleLineSink =
    std::function<void(MessageId id, std::string_view line, bool informational)>;
void consoleSetLineSink(ConsoleLineSink sink);

// Writes text to standard output as it stands, past the filter. A failed write is remembered
// for consoleCloseOutput and otherwise ignored: a message that cannot be written is dropped.
void consoleWrite(std::string_view text);

// Flushes and closes standard output, as GNU tools do when their product is standard output.
// Returns 0 when everything written reached it, else the errno of the first failure (a write
// since the start, the flush or the close). Later writes are dropped.
int consoleCloseOutput();

// Sends a last line that has no line feed through the filter; called when a run ends.
void consoleFlush();
