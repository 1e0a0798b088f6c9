#include "control/field_reads.hpp"

#include <cstring>

#include "scanner/scanner.hpp"

namespace {

constexpr uint32_t WORD_FLAGS = SCAN_STOP_EOL | SCAN_STOP_BLANK | SCAN_TERMINATE;  // 35

}  // namespace

std::string scanValue(DriverState& state, uint32_t flags) {
    state.value[0] = '\0';
    scanField(state.span, state.value.data(), FIELD_BUFFER_SIZE, flags);
    // The value ends at its first NUL, as every later use of it reads it as a C string.
    return std::string(state.value.data(), strnlen(state.value.data(), FIELD_BUFFER_SIZE));
}

void skipToLetter(DriverState& state) {
    scanField(state.span, state.scratch.data(), FIELD_BUFFER_SIZE, SCAN_STOP_LETTER);
    state.lineNumber += scanLinesCrossed();
}

std::string readWord(DriverState& state) {
    std::string word = scanValue(state, WORD_FLAGS);
    state.lineNumber += scanLinesCrossed();
    return word;
}

std::string readLetterWord(DriverState& state) {
    skipToLetter(state);
    return readWord(state);
}

std::string readBlankWord(DriverState& state) {
    scanField(state.span, state.scratch.data(), FIELD_BUFFER_SIZE, SCAN_SKIP_BLANKS);
    state.lineNumber += scanLinesCrossed();
    return readWord(state);
}
