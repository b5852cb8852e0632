#include "datamodel/QXItemFactory.h"
#include "datamodel/ModelLookups.h"

#include "services/DocServices.h"
#include "services/ProgramServices.h"
#include "datamodel/QXDocEntry.h"
#include "platform/MessageBox.h"

#include <cstdio>
#include <cstring>
#include <new>

CQXItemCreateFunction ItemClassCreateFunction(int typeId);  // QXItemClasses.cpp

namespace {

constexpr bool F = true, L = true, _ = false;

const std::vector<CQXItemTypeInfo> kTypes = {
    {1500, "CQXGraphFuncEntry", 10310, _, _},
    {4001, "CQXProgramItem", 0, F, L},
    {4002, "CQXGraphFunc10Item", 10310, F, L},
    {4003, "CQXGraphFunc20Item", 10310, F, L},
    {4004, "CQXMatrixItem", 10304, F, L},
    {4005, "CQXListItem", 10306, F, L},
    {4006, "CQXVWindowItem", 10312, F, L},
    {4007, "CQXZoomFactorItem", 10314, F, L},
    {4008, "CQXTableRangeItem", 10316, F, L},
    {4009, "CQXRecursionItem", 10318, F, L},
    {4010, "CQXVariable28Item", 10323, F, L},
    {4011, "CQXVariable26Item", 10323, F, L},
    {4012, "CQXFuncMemItem", 10324, F, L},
    {4014, "CQXPictureItem", 10333, F, L},
    {4015, "CQXGraphMemItem", 10335, _, L},
    {4016, "CQXDynaGraphMemV4Item", 10336, _, L},
    {4017, "CQXScreenItem", 0, _, L},
    {4018, "CQXBackupV4Item", 10340, _, L},
    {4019, "CQXSimlEquationItem", 10328, F, L},
    {4020, "CQXPolyEquationItem", 10329, F, L},
    {5002, "CQXGraphFuncV5Item", 10310, F, L},
    {5004, "CQXMatrixV5Item", 10304, F, L},
    {5005, "CQXListV5Item", 10306, F, L},
    {5006, "CQXVWindowV5Item", 10312, F, L},
    {5007, "CQXZoomFactorV5Item", 10314, F, L},
    {5008, "CQXTableRangeV5Item", 10316, F, L},
    {5009, "CQXRecursionV5Item", 10318, F, L},
    {5010, "CQXAlphaMemItem", 10319, F, L},
    {5012, "CQXFuncMemV5Item", 10324, F, L},
    {5014, "CQXPictureV5Item", 10333, F, L},
    {5015, "CQXGraphMemV5Item", 10335, _, L},
    {5016, "CQXDynaGraphMemItem", 10336, _, L},
    {5018, "CQXBackupItem", 10340, _, L},
    {5019, "CQXMemoryItem", 10334, _, L},
    {5020, "CQXEquationResultItem", 10346, _, L},
    {5021, "CQXRecursionRangeItem", 10318, _, _},
    {5022, "CQXRecursionFormulaSet", 10318, _, _},
    {5023, "CQXCasMemItem", 10348, _, L},
    {5024, "CQXAlgebraMemItem", 10349, _, L},
    {5025, "CQXSimlCoefItem", 10344, F, L},
    {5026, "CQXPolyCoefItem", 10345, F, L},
    {5027, "CQXDiffEqItem", 10350, F, L},
    {5028, "CQXDataLoggerItem", 10351, F, L},
    {5990, "CQXAddInItem", 10357, _, L},
};

const std::vector<int> kFactoryOrder = {4004, 4005, 4010, 4011, 4007, 4008, 4006, 4001, 4019, 4020,
                                        4012, 4002, 4003, 4009, 5004, 5005, 5006, 5010, 5025, 5026,
                                        5007, 5008, 5002, 5009, 5012, 4014, 5014, 5027, 5028};

void stopMessage(UINT id) { AfxMessageBox(id, MB_OK | MB_ICONSTOP); }

}  // namespace

const std::vector<CQXItemTypeInfo>& ItemTypeTable() { return kTypes; }

const CQXItemTypeInfo* FindItemTypeInfo(int typeId) {
  for (const CQXItemTypeInfo& info : kTypes)
    if (info.typeId == typeId) return &info;
  return nullptr;
}

const std::vector<int>& FactoryTypeIds() { return kFactoryOrder; }

BOOL HasItemFactory(int typeId) {
  for (int id : kFactoryOrder)
    if (id == typeId) return TRUE;
  return FALSE;
}

CQXItemCreateFunction FindItemFactory(int typeId) {
  return HasItemFactory(typeId) ? ItemClassCreateFunction(typeId) : nullptr;
}

BOOL CreateItemFromFactory(int typeId, const char* path, CQXDocEntry* entry, CQXDocServices* doc) {
  if (!entry) return FALSE;
  const CQXItemCreateFunction create = FindItemFactory(typeId);
  if (!create) return FALSE;
  CQXCalcItem* item = nullptr;
  try {
    item = create();
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  if (!item || !item->InitNew()) {
    delete item;
    return FALSE;
  }
  entry->SetItem(item);
  if (!ApplyEntryPathToItem(entry, path, doc)) {
    // An item that cannot take its name is not handed out half made.
    delete entry->DetachItem();
    return FALSE;
  }
  entry->SetFlags(2);
  return TRUE;
}

CQXCalcItem* CreateItemByTypeId(int typeId) {
  const CQXItemTypeInfo* info = FindItemTypeInfo(typeId);
  if (!info || !info->loadable) return nullptr;
  const CQXItemCreateFunction create = ItemClassCreateFunction(typeId);
  if (!create) return nullptr;
  try {
    return create();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

BOOL ApplyEntryPathToItem(CQXDocEntry* entry, const char* path, CQXDocServices* doc) {
  if (!entry || !path) return FALSE;
  entry->SetPath(path);
  CQXCalcItem* item = entry->GetItem();
  if (!item) return FALSE;
  switch (item->GetTypeId()) {
    case 4001:
      entry->SetPath("\\Calculator\\Program\\Program");
      return TRUE;
    case 4017:
      if (std::strcmp(path, "\\Calculator\\Display") == 0) {
        if (!doc) return FALSE;
        char name[64];
        std::snprintf(name, sizeof name, "%s_%08u", "Display", unsigned(doc->NextUniqueNumber()));
        entry->SetPath((std::string(path) + "\\" + name).c_str());
      }
      return TRUE;
    case 4004: case 4005: case 4006: case 4014: case 4015:
    case 5004: case 5005: case 5006: case 5014: case 5015:
      return item->TakeNameFromPath(path);
    case 4002: case 4003: case 4007: case 4008: case 4009: case 4010: case 4011: case 4012:
    case 4016: case 4018: case 4019: case 4020: case 5002: case 5007: case 5008: case 5009:
    case 5010: case 5012: case 5016: case 5018: case 5019: case 5020: case 5023: case 5024:
    case 5025: case 5026: case 5027: case 5028: case 5990:
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL PrepareNewItem(const char* model, CQXDocEntry* entry) {
  if (!entry || !entry->GetItem()) return FALSE;
  CQXCalcItem* item = entry->GetItem();
  if (item->GetTypeId() != 4014 && item->GetTypeId() != 5014) return TRUE;
  ScreenFormat format;
  if (!ReadScreenFormat(model, &format)) return FALSE;
  format.flags |= 1;
  // One block of height x width / 8 bytes for each of the format's two block
  // counts (planes and extra); a count of 0 counts as 1.
  const long long planeBytes = (long long)format.height * format.width / 8;
  const long long planes = (format.planes > 0 ? format.planes : 1) * (format.extra > 0 ? format.extra : 1);
  if (format.height <= 0 || format.width <= 0 || planeBytes * planes > 16 * 1024 * 1024) {
    stopMessage(61705);
    return FALSE;
  }
  std::vector<BYTE> buffer;
  try {
    buffer.assign(size_t(planeBytes * planes), 0);
  } catch (const std::bad_alloc&) {
    stopMessage(61706);
    return FALSE;
  }
  if (!item->TakeNewScreen(format, buffer.data(), DWORD(buffer.size()))) {
    stopMessage(61705);
    return FALSE;
  }
  return TRUE;
}
