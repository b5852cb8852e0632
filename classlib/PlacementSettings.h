// The main frame's placement in the profile: "Settings"/"WndPosition", ten
// numbers "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" (flags, showCmd, the minimised
// and maximised positions, the normal rectangle), and "Settings"/"WndStatus",
// the show state (2 minimised, 3 maximised, 1 anything else).
#pragma once

#include "platform/WindowPlacement.h"

// *showCmd becomes the stored show state (1 when nothing usable is stored).
// FALSE when "WndPosition" is missing, does not read as ten numbers, or
// holds an empty normal rectangle (a damaged profile); else the ten values
// go into `out` behind length 44.
BOOL LoadWindowPlacement(WINDOWPLACEMENT* out, int* showCmd);
void SaveWindowPlacement(const WINDOWPLACEMENT* wp);
