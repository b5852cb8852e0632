#include "pages/QXFunctionMemoryPages.h"

#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "pages/QXFunctionFieldBytes.h"
#include "pages/QXGraphFunctionPages.h"
#include "pages/QXSimpleDataView.h"

#include <cstdio>

CQXFunctionMemoryFieldsPage::CQXFunctionMemoryFieldsPage(UINT templateId) : CQXFunctionFieldCtrlDataPage(templateId) {
  tabTextFromDescription = TRUE;
  fieldMenuId = kFieldMenu;
  loadItemOnInit = TRUE;
}

BOOL CQXFunctionMemoryFieldsPage::SetFieldCount(int n) {
  CQXTokenFieldList* list = GetFieldList();
  if (!list) return FALSE;
  if (list->GetFieldCount() == n) return TRUE;
  list->RemoveAllFields();
  for (int i = 0; i < n; ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "f%d:   ", i + 1);
    if (!AddFunctionField(label, FieldId(i), 0)) return FALSE;
  }
  FinishFields(FALSE);
  return TRUE;
}

// ---- older family

CQXFunctionMemoryDataPage::CQXFunctionMemoryDataPage() : CQXFunctionMemoryFieldsPage(kPageId) {}

BOOL CQXFunctionMemoryDataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXFuncMemItem*>(entry->GetItem()) : nullptr;
  if (!item || !SetFieldCount(item->GetCount())) return FALSE;
  // The end byte is the calculator's, not the user's: only a final 0xFF
  // goes, any other last byte stays.
  for (int i = 0; i < item->GetCount(); ++i)
    SetFieldTokens(i, WithoutEndByte(item->GetFunctionData(i), item->GetFunctionLength(i)));
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXFunctionMemoryDataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXFuncMemItem*>(entry->GetItem()) : nullptr;
  if (!item) return FALSE;
  for (int i = 0; i < item->GetCount(); ++i) {
    std::string bytes;
    if (!GetFieldTokens(i, &bytes)) return FALSE;
    bytes.push_back(char(kFunctionEndByte));
    if (!item->SetFunctionBytes(i, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()))) return FALSE;
  }
  return TRUE;
}

// ---- newer family

CQXFunctionMemoryV5DataPage::CQXFunctionMemoryV5DataPage() : CQXFunctionMemoryFieldsPage(kPageId) {}

BOOL CQXFunctionMemoryV5DataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXFuncMemV5Item*>(entry->GetItem()) : nullptr;
  if (!item || !SetFieldCount(item->GetCount())) return FALSE;
  for (int i = 0; i < item->GetCount(); ++i) {
    const CQXFuncMemEntry* slot = item->GetEntry(i);
    SetFieldTokens(i, slot && slot->GetData() ? std::string(reinterpret_cast<const char*>(slot->GetData()),
                                                            slot->GetLength())
                                              : std::string());
  }
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXFunctionMemoryV5DataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXFuncMemV5Item*>(entry->GetItem()) : nullptr;
  if (!item) return FALSE;
  const int count = std::min(item->GetCount(), GetFieldList() ? GetFieldList()->GetFieldCount() : 0);
  for (int i = 0; i < count; ++i) {
    std::string bytes;
    if (!GetFieldTokens(i, &bytes)) return FALSE;
    if (CQXFuncMemEntry* slot = item->GetEntry(i))
      slot->Assign(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
  }
  return TRUE;
}

// ---- views

QX_SIMPLE_DATA_VIEW(CQXFunctionMemoryDataView, CQXFunctionMemoryDataPage, 632, 10031)
QX_SIMPLE_DATA_VIEW(CQXFunctionMemoryV5DataView, CQXFunctionMemoryV5DataPage, 632, 10031)

void RegisterFunctionPageClasses() {
  for (const CRuntimeClass* cls :
       {RUNTIME_CLASS(CQXFunctionMemoryDataPage), RUNTIME_CLASS(CQXFunctionMemoryV5DataPage),
        RUNTIME_CLASS(CQXFunctionMemoryDataView), RUNTIME_CLASS(CQXFunctionMemoryV5DataView),
        RUNTIME_CLASS(CQXGraphFunctionDataPage), RUNTIME_CLASS(CQXGraphFunctionV5DataPage),
        RUNTIME_CLASS(CQXGraphFunctionDataView), RUNTIME_CLASS(CQXGraphFunctionV5DataView)})
    RegisterRuntimeClass(cls);
}
