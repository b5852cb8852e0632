// The calculator models of the older version's documents.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>

namespace qxl16 {

struct OldModelRow {
  DWORD code;
  const char* name;
  int supported;
  const char* calcType;  // empty for unsupported models
};

extern const OldModelRow OldModelTable[35];

// The first row with `code`, or null when the model is unknown.
const OldModelRow* FindOldModel(DWORD code);

}  // namespace qxl16
