// The fonts of the windows that show calculator tokens: the check for the
// calculator fonts "QXL2" (file QXL2.fon) and "QXL2 TT" (file QXL2.ttf), which
// the application adds at start-up (app/CalculatorFonts.h), their creation,
// and the one editor font the program, function-field and recursion pages
// share ("Settings"/"Program Editor Font"). The text such windows draw is
// converted with platform/CalcShownText.h.
#pragma once

#include "platform/CalcFontChars.h"
#include "platform/WinTypes.h"

class CDC;
class CFont;
class QWidget;

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

// The editor font: the font stored under "Settings"/"Program Editor Font";
// without one "QXL2" at 10 points when the calculator font is there, else
// "Courier New" at 10 points. The calculator-font check runs for a stored
// "QXL2" and whenever nothing is stored; it warns only while `askedOnce` is
// false and sets it, so a kind of page warns once per run. FALSE when no
// font was made (`font` is left as it was).
BOOL LoadProgramEditorFont(CFont* font, bool& askedOnce);

// The font command of the token pages: a font dialog started from `font`,
// sizes 8 to 12 points, without underline or strike-out. On OK the choice is
// stored under "Settings"/"Program Editor Font", put into `font`, and TRUE
// is answered; FALSE when the user cancels.
BOOL ChooseProgramEditorFont(QWidget* parent, CFont* font);
