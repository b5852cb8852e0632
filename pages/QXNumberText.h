// Calculator numbers as the pages show them: the bytes of a number of the
// older (1: 10 bytes, 20 complex) or newer (2: 9 bytes, 18 complex)
// generation to and from its text, through the number converter.
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <string>

// The text of the number at `bytes`; empty when the bytes do not convert.
std::string NumberBytesToText(int generation, const BYTE* bytes, bool complex, bool roundTo10Digits);
// At most 255 characters of `text` into `bytes`, complex values accepted
// when `complex`; `resultFlags` (may be null) receives the converter's
// result flags. FALSE when the text is refused.
bool NumberTextToBytes(int generation, const std::string& text, bool complex, bool roundTo10Digits,
                       std::array<BYTE, 48>* bytes, DWORD* resultFlags);
