#include "classlib/CommonControls.h"

#include "classlib/SettingsTable.h"

BOOL IsOldComCtl32() { return FALSE; }

BOOL GetPropertyPageResize() {
  return tallix::settings::readInt(tallix::settings::kCommonCtrl, "Property Page Resize") != 0;
}
