// A top-level window's placement as the profile keeps it, and the work area
// of the desktop (the primary screen without its panels).
#pragma once

#include "platform/WinTypes.h"

// WINDOWPLACEMENT flags.
enum : UINT { WPF_SETMINPOSITION = 0x1, WPF_RESTORETOMAXIMIZED = 0x2 };

struct WINDOWPLACEMENT {
  UINT length = 0;  // sizeof(WINDOWPLACEMENT), 44
  UINT flags = 0;
  UINT showCmd = 0;  // SW_SHOWNORMAL 1, SW_SHOWMINIMIZED 2, SW_SHOWMAXIMIZED 3
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;  // the window's rectangle in the normal state
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

enum : UINT { SPI_GETWORKAREA = 0x0030 };

// Only SPI_GETWORKAREA is answered: `param` points to a RECT that receives
// the primary screen's available geometry. FALSE for anything else or when
// there is no screen.
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* param, UINT winIni);
