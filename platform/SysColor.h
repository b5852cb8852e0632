// System colours over the application's palette. A change of the palette is
// what the platform calls a system-colour change: windows that keep such
// colours react to QEvent::ApplicationPaletteChange (or PaletteChange).
#pragma once

#include "platform/ColorRef.h"

enum : int {
  COLOR_WINDOW = 5,
  COLOR_WINDOWTEXT = 8,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_3DFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_3DSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
};

// The colour of `index` in the application's palette (active group); black
// for an index without a palette role.
COLORREF GetSysColor(int index);
