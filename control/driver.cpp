#include "control/driver.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "console/console.hpp"
#include "control/info_reader.hpp"
#include "control/statements.hpp"
#include "filesys/disk_read.hpp"
#include "scanner/scanner.hpp"

namespace {

constexpr uint32_t REST_OF_LINE_FLAGS = SCAN_STOP_EOL | SCAN_TERMINATE;                  // 33
constexpr uint32_t FILE_NAME_FLAGS = SCAN_SKIP_BLANKS | SCAN_STOP_EOL | SCAN_TERMINATE;  // 97

int32_t nextStatement(TextSpan& span) {
    const auto& k = statementKeywords;
    // The list below names every keyword; a keyword added to the table must be added here too.
    static_assert(statementKeywords.size() == 13 && ST_LINE_END == 13);
    return skipToMatch(span, 1,
                       {k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11],
                        k[12], "\n", "/A-Z", "/a-z", "/0-9"});
}

void runDestStatement(DriverState& state) {
    skipToLetter(state);
    if (!state.destDir.empty()) {
        runMessage(state, MessageId::destRespecified,
                   "Warning! on line %d the dest directory is respecified.\n", state.lineNumber);
    }
    state.destDir = readWord(state);
}

void runInfoFileStatement(DriverState& state) {
    state.infoFileName = readBlankWord(state);
    // Read back what an earlier run wrote; nothing of it is kept. On a first run the file is not
    // there yet, and the lines saying so are no problem.
    if (fileExistsOnDisk(state.infoFileName.c_str())) {
        // An absent info file is no prerequisite: without WriteOneFile it is the output itself,
        // and with it nothing read back reaches the output.
        state.filesRead.push_back(state.infoFileName);
        getSpriteHeader(state.infoFileName.c_str());
    } else {
        InformationalLines firstRun;
        getSpriteHeader(state.infoFileName.c_str());
    }
}

void runWriteOneFileStatement(DriverState& state) {
    state.writeOneFile = 1;
    // The rest of the line, blanks inside and at the end included; the line number stays.
    state.singleFileName = scanValue(state, FILE_NAME_FLAGS);
}

void reportUnexpectedInput(DriverState& state) {
    std::string text = scanValue(state, REST_OF_LINE_FLAGS);
    state.lineNumber += scanLinesCrossed();
    if (state.lint != nullptr) state.lint->unexpectedInput(text);
    runMessage(state, MessageId::unexpectedInput, "Unexpected input, %s, found on line %d.\n",
               text.c_str(), state.lineNumber);
}

void runStatement(DriverState& state, int32_t statement) {
    switch (statement) {
        case ST_COMMENT:
            skipLine(state.span);
            state.lineNumber += 1;
            break;
        case ST_PADDING:
            runPaddingStatement(state);
            break;
        case ST_DEST:
            runDestStatement(state);
            break;
        case ST_SOURCE:
            state.srcDir = readBlankWord(state);
            break;
        case ST_INFO_FILE:
            runInfoFileStatement(state);
            break;
        case ST_HOTSPOT:
            runHotspotStatement(state);
            break;
        case ST_HOT_XY:
            runHotXYStatement(state);
            break;
        case ST_TGA:
            runSpriteStatement(state, SOURCE_TGA);
            break;
        case ST_PCX:
            runSpriteStatement(state, SOURCE_PCX);
            break;
        case ST_WRITE_ONE_FILE:
            runWriteOneFileStatement(state);
            break;
        case ST_BIN:
            state.writeBinary = 1;
            break;
        case ST_PNG:
            runSpriteStatement(state, SOURCE_PNG);
            break;
        case ST_SPRITES:
            runSpritesStatement(state);
            break;
        case ST_UPPER_CASE:
        case ST_LOWER_CASE:
        case ST_DIGIT:
            reportUnexpectedInput(state);
            break;
        default:
            break;  // a line end (already counted) or the end of the text
    }
}

}  // namespace

void runStatementLoop(DriverState& state) {
    while (state.span.remaining > 0) {
        const int32_t statement = nextStatement(state.span);
        state.lineNumber += scanLinesCrossed();
        const bool linted =
            state.lint != nullptr && statement != ST_END && statement != ST_LINE_END;
        if (linted) {
            // A consumed keyword lies just before the cursor.
            const char* first = state.span.cursor;
            if (hasKeyword(statement)) first -= std::strlen(statementKeywords[statement]);
            state.lint->statementBegins(statement, first, state.span.cursor);
        }
        runStatement(state, statement);
        if (linted) state.lint->statementEnds(state.span.cursor);
    }
}

void runControlText(std::string_view text) {
    resetDriverState();
    DriverState& state = driverState();
    const size_t limit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    state.span = TextSpan{text.data(), static_cast<int32_t>(std::min(text.size(), limit))};
    runStatementLoop(state);
}
