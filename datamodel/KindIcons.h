// The icon of each header kind, as the tree, icon and overwrite views show
// it. The icons come from the language library.
#pragma once

#include "platform/WinTypes.h"

class QIcon;

constexpr UINT kFallbackKindIcon = 7367;

// The icon id of the first pair of the icon table with `kind`, or the
// fallback icon 7367 when no pair has it.
UINT KindIconId(int kind);

// Loads the kind's icon from the language library; when the kind has no
// icon, or its icon cannot be loaded, the fallback icon 7367. TRUE when an
// icon was loaded.
BOOL LoadKindIcon(int kind, QIcon* out);
