#include "app/ItemClipboardFormats.h"

namespace {
CLIPFORMAT g_itemObject = 0;
CLIPFORMAT g_itemInfo = 0;
}  // namespace

UINT RegisterItemClipboardFormats() {
  g_itemObject = CLIPFORMAT(RegisterClipboardFormat("QXL SData Object"));
  g_itemInfo = CLIPFORMAT(RegisterClipboardFormat("QXL SData Object Info"));
  return g_itemInfo;
}

CLIPFORMAT GetItemObjectFormat() { return g_itemObject; }
CLIPFORMAT GetItemInfoFormat() { return g_itemInfo; }
