// What the program asks about the system's common controls. This platform
// never has the old common controls, so pages are laid out by the sheet's
// own rules unless the user's setting asks for the old resizing.
#pragma once

#include "platform/WinTypes.h"

// FALSE here: the old common controls of the first 32-bit systems do not
// exist on this platform.
BOOL IsOldComCtl32();
// The setting "Common Ctrl"/"Property Page Resize" (default: IsOldComCtl32,
// 0); non-zero gives TRUE.
BOOL GetPropertyPageResize();
