// The system colours: GetSysColor answers from the application's palette,
// so that the controls follow the desktop's colour scheme.
#pragma once

#include "platform/ColorRef.h"

enum : int {
  COLOR_WINDOW = 5,
  COLOR_WINDOWTEXT = 8,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
};

// The colour of display element `index` (a COLOR_ value); black for one
// that is not known here.
COLORREF GetSysColor(int index);
