// The ways a statement takes its value from the control text. Each scan is followed at once by
// adding the line feeds it passed to the state's line number, so messages name the right line.
#pragma once

#include <cstdint>
#include <string>

#include "control/driver_state.hpp"

// Reads one field under `flags` through the state's value buffer, so the result keeps at most
// FIELD_BUFFER_SIZE - 1 characters; the flags include SCAN_TERMINATE. Does not touch the line
// number.
std::string scanValue(DriverState& state, uint32_t flags);

// Passes over everything up to the next ASCII letter, line ends included.
void skipToLetter(DriverState& state);

// One word from the cursor, up to a blank or a line end (empty when the cursor is on one).
std::string readWord(DriverState& state);

// skipToLetter then readWord: the value begins at a letter and may stand on a later line, so
// leading digits, dots and slashes are passed over (../out/ reads as out/).
std::string readLetterWord(DriverState& state);

// Passes over spaces and tabs only, then readWord: a value that is not on the keyword's line
// reads as empty.
std::string readBlankWord(DriverState& state);
