#include "pages/QXViewTable.h"

#include "app/MainFrameFunctions.h"
#include "app/QXContentsView.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXDefaultPages.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXDiffEqView.h"
#include "pages/QXECONView.h"
#include "pages/QXEquationPages.h"
#include "pages/QXFunctionMemoryPages.h"
#include "pages/QXImagePages.h"
#include "pages/QXNumericPages.h"
#include "pages/QXPageView.h"
#include "pages/QXProgramPages.h"
#include "pages/QXRecursionPages.h"
#include "pages/QXTokenWndDataPage.h"

#include <memory>

namespace {

constexpr QXViewTableRow kViewTable[] = {
    {4017, "CQXScreenDataView"},
    {4014, "CQXPictureDataView"},
    {4004, "CQXMatrixDataView"},
    {4005, "CQXListDataView"},
    {4010, "CQXVariableDataView"},
    {4011, "CQXVariableDataView"},
    {4006, "CQXVWinDataView"},
    {4007, "CQXGraphFactorDataView"},
    {4008, "CQXTableRangeDataView"},
    {4001, "CQXProgramDataView"},
    {4019, "CQXEquationDataView"},
    {4020, "CQXEquationDataView"},
    {4012, "CQXFunctionMemoryDataView"},
    {4002, "CQXGraphFunctionDataView"},
    {4003, "CQXGraphFunctionDataView"},
    {4009, "CQXRecursionDataView"},
    {5004, "CQXMatrixDataView"},
    {5005, "CQXListDataView"},
    {5006, "CQXVWinDataView"},
    {5010, "CQXVariableDataView"},
    {5025, "CQXEquationV5DataView"},
    {5026, "CQXEquationV5DataView"},
    {5020, "CQXEquationV5ResultDataView"},
    {5007, "CQXGraphFactorDataView"},
    {5008, "CQXTableRangeDataView"},
    {5002, "CQXGraphFunctionV5DataView"},
    {5009, "CQXRecursionV5DataView"},
    {5012, "CQXFunctionMemoryV5DataView"},
    {5014, "CQXPictureV5DataView"},
    {5027, "CQXDifferentialEquationDataView"},
    {5028, "CQXECONDataView"},
    {0, nullptr},
};

}  // namespace

const QXViewTableRow* GetViewTable() { return kViewTable; }

const CRuntimeClass* SelectDataViewClass(int typeId) {
  for (const QXViewTableRow* row = kViewTable; row->viewClass; ++row)
    if (row->typeId == typeId) return FindRuntimeClass(row->viewClass);
  return nullptr;
}

const CRuntimeClass* GetSelectedItemViewClass() {
  std::unique_ptr<CQXDocEntry> entry;
  TreeItemInfo info;
  info.mask = TreeItemInfo::kName | TreeItemInfo::kPath;
  if (!GetSelectedDocItem(&entry, &info) || !entry || !entry->GetItem()) return RUNTIME_CLASS(CQXEmptyDataView);
  const int typeId = entry->GetItem()->GetTypeId();
  entry.reset();
  const CRuntimeClass* view = SelectDataViewClass(typeId);
  return view ? view : RUNTIME_CLASS(CQXDefaultDataView);
}

BOOL ShowSelectionView(const TreeSelectionInfo& selection, BOOL activate) {
  CQXMainFrame* frame = GetMainFrame();
  if (!frame) return FALSE;
  const CRuntimeClass* viewClass = nullptr;
  if (selection.kind == 1) {
    viewClass = FindRuntimeClass("CQXIconView");
    if (!viewClass) viewClass = RUNTIME_CLASS(CQXContentsView);  // until the icon view is part of the program
  } else {
    viewClass = GetSelectedItemViewClass();
  }
  CQXContentsView* view = nullptr;
  if (!frame->ReplaceContentView(viewClass, &view, activate) || !view) return FALSE;
  return view->Refill() ? TRUE : FALSE;
}

void RegisterQXPageClasses() {
  RegisterRuntimeClass(RUNTIME_CLASS(CQXDataPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXPageView));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXDataPageView));
  RegisterQXDefaultPageClasses();
  RegisterQXDescriptionPageClasses();
  RegisterNumericPageClasses();
  RegisterImagePageClasses();
  RegisterEquationPageClasses();
  RegisterECONPageClasses();
  RegisterTokenWndPageClasses();
  RegisterProgramPageClasses();
  RegisterDiffEqPageClasses();
  RegisterFunctionPageClasses();
  RegisterRecursionPageClasses();
}
