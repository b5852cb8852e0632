// Numbers typed or stored as text: decimal, or hexadecimal when the text says
// so, and blank-separated lists of them (column widths, command lists,
// macro files).
#pragma once

#include "platform/WinTypes.h"

// Leading blanks are skipped. The text is read as hexadecimal when it is
// longer than two characters and begins with "0x" or "0X", or when it holds
// an 'h' or 'H' anywhere ("1Ah" is 26); otherwise as decimal. Reading stops
// at the first character that does not belong to the number ("12px" is 12).
// FALSE for a null, empty or blank text, when no digit converts, or when
// the number does not fit 32 bits (a hexadecimal value up to FFFFFFFF is
// taken as its bit pattern).
BOOL ParseNumber(const char* text, int* out);

// Splits `text` at blanks and reads each piece with ParseNumber, at most
// `maxCount` of them. A piece that does not read ends the call with FALSE
// and *count 0 (the values before it stay in `values`). An empty or blank
// text gives TRUE with *count 0. `text` is left as it was.
BOOL ParseNumberList(const char* text, int* values, int maxCount, int* count);
