// The calculator fonts: "QXL2" (file QXL2.fon) and "QXL2 TT" (file
// QXL2.ttf) in the program directory, added to the program's own fonts at
// start-up and removed at exit. Windows that show calculator characters check
// for them and create their fonts with tokens/EditorFonts.h.
#pragma once

#include "platform/WinTypes.h"
#include "tokens/EditorFonts.h"

// Adds "QXL2.fon" and then "QXL2.ttf" from the program directory, each
// remembered once added (a font already added is not added again); FALSE at
// the first file that cannot be added.
BOOL InstallCalculatorFonts();
// Removes the fonts added; always TRUE.
BOOL RemoveCalculatorFonts();
