#include <cstdio>
#include <string>

#include "control/console.hpp"
#include "control/field_reads.hpp"
#include "control/hotspot_names.hpp"
#include "control/statements.hpp"
#include "scanner/scanner.hpp"

namespace {

constexpr uint32_t METHOD_NAME_FLAGS =
    SCAN_SKIP_BLANKS | SCAN_STOP_EOL | SCAN_STOP_BLANK | SCAN_TERMINATE;  // 99

// Where the next number scanInt would take begins, found with scanInt's own seek on a copy of
// the cursor; null when none is left.
const char* nextNumberAt(TextSpan span) {
    seekToMatch(span, {"/0-9", "-"});
    return span.remaining > 0 ? span.cursor : nullptr;
}

void tellHotXYNumbers(DriverState& state) {
    TextSpan probe = state.span;
    const char* xAt = nextNumberAt(probe);
    scanInt(probe);
    state.lint->hotXYNumbers(xAt, xAt != nullptr ? nextNumberAt(probe) : nullptr);
}

}  // namespace

void runPaddingStatement(DriverState& state) {
    // The value is the next word that begins with a letter, so "Padding = Off" works, and a
    // digit such as "Padding 0" is passed over in favour of whatever word comes next.
    std::string value = readLetterWord(state);
    const char* text = value.c_str();
    bool accepted = true;
    if (stringsEqualNoCase(text, "On") == 1 || stringsEqualNoCase(text, "True") == 1) {
        state.padding = 1;
    } else if (stringsEqualNoCase(text, "Off") == 1 || stringsEqualNoCase(text, "False") == 1) {
        state.padding = 0;
    } else {
        accepted = false;
        runMessage(state, "Pad passed an incorrect parameter, %s, on line %d.\n", text,
                   state.lineNumber);
    }
    if (state.lint != nullptr) state.lint->paddingValue(value, accepted);
}

void runHotspotStatement(DriverState& state) {
    std::string name = scanValue(state, METHOD_NAME_FLAGS);
    state.lineNumber += scanLinesCrossed();
    state.hotspotMethod = hotspotMethodFromName(name.c_str());
    if (state.lint != nullptr) state.lint->hotspotName(name, state.hotspotMethod != -1);
    if (state.hotspotMethod == -1) {
        runMessage(state, "Undefined hotspot type requested, %s.  Switching to HS_MIDDLE.\n",
                   name.c_str());
        state.hotspotMethod = HS_MIDDLE;
    }
}

void runHotXYStatement(DriverState& state) {
    // The numbers are the next two found anywhere ahead, on later lines too; scanInt does not
    // report the line feeds it passes, so the line number stays as it is.
    if (state.lint != nullptr) tellHotXYNumbers(state);
    state.hotX = scanInt(state.span);
    state.hotY = scanInt(state.span);
    state.hotspotMethod = HS_HOTXY;
    InformationalLines confirmation;
    std::printf("Hotspot XY mode enabled, x: %d y: %d \n", state.hotX, state.hotY);
}
