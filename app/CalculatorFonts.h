// The calculator fonts: "QXL2" (file QXL2.fon) and "QXL2 TT" (file
// QXL2.ttf) in the program directory, added to the program's own fonts at
// start-up and removed at exit. Windows that show calculator characters check
// for them and create their fonts here; the text they draw is converted with
// platform/CalcFontChars.h.
#pragma once

#include "platform/CalcFontChars.h"
#include "platform/WinTypes.h"

class CDC;
class CFont;

inline constexpr const char* kCalculatorFontFace = tallix::kCalcFontFamily;
inline constexpr const char* kCalculatorFontFaceTT = tallix::kCalcFontFamilyTT;

// TRUE at once when "Settings"/"QXL Font Check" is 0. Otherwise TRUE when
// the family "QXL2 TT" (`trueType`) or "QXL2" is known; when it is not and
// `warn` is set, message 10514 names "QXL2" (in both cases), then FALSE. The
// families are the same for every surface, so `dc` may be null.
BOOL CheckCalculatorFont(CDC* dc, BOOL warn, BOOL trueType);

// A point font of `points` points in "QXL2" or "QXL2 TT".
BOOL CreateCalculatorFont(CFont* font, int points, CDC* dc = nullptr);
BOOL CreateCalculatorFontTT(CFont* font, int points, CDC* dc = nullptr);

// Adds "QXL2.fon" and then "QXL2.ttf" from the program directory, each
// remembered once added (a font already added is not added again); FALSE at
// the first file that cannot be added.
BOOL InstallCalculatorFonts();
// Removes the fonts added; always TRUE.
BOOL RemoveCalculatorFonts();
