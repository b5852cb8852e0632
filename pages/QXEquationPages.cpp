#include "pages/QXEquationPages.h"

#include "app/MenuPopups.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "pages/QXSimpleDataView.h"
#include "platform/RuntimeClass.h"

#include <memory>

// ---------------------------------------------------------------- shared

CQXEquationBasePage::CQXEquationBasePage(UINT templateId) : CQXNumericalDataPage(templateId) {
  m_rowsEditable = FALSE;
  m_columnsEditable = FALSE;
  m_columnsNumbered = FALSE;
  m_firstHeaderLetter = 'a';
}

BOOL CQXEquationBasePage::OnInitDialog() {
  CQXNumericalDataPage::OnInitDialog();
  CQXGridCtrl& grid = GetGrid();
  grid.SetFixedRowCount(0);
  grid.SetFixedColumnCount(0);
  grid.SetRowCount(1);
  grid.SetColumnCount(1);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  // The header column as wide as "255".
  grid.SetItemText(0, 0, "255");
  grid.AutoSizeColumn(0);
  grid.SetItemText(0, 0, "");
  m_spin = GetDlgItemAs<QSpinBox>(int(kCountEdit));
  if (m_spin) {
    m_spin->setKeyboardTracking(false);
    connect(m_spin.data(), &QSpinBox::valueChanged, this, [this](int value) { onSpinChanged(value); });
  }
  std::unique_ptr<CQXDocEntry> entry;
  FetchCurrentItem(&entry);
  LoadFromItem(entry.get());
  m_initialised = TRUE;
  return FALSE;
}

void CQXEquationBasePage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXEquationBasePage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }

void CQXEquationBasePage::SetSpin(int minimum, int maximum, int position) {
  if (!m_spin) return;
  ++m_guard;
  m_spin->setRange(minimum, maximum);
  m_spin->setValue(position);
  --m_guard;
}

void CQXEquationBasePage::onSpinChanged(int value) {
  if (!m_initialised || m_guard) return;
  OnCountChanged(value);
}

void CQXEquationBasePage::ResizeTable(int rows, int columns) {
  ++m_guard;
  SetDataRowCount(rows);
  SetDataColumnCount(columns);
  RenumberColumnHeaders();
  --m_guard;
}

BOOL CQXEquationBasePage::DropItem(CQXDocEntry* entry) {
  entry->SetItem(nullptr);
  return TRUE;
}

std::string CQXEquationBasePage::EntryName(const CQXDocEntry* entry) {
  char name[256] = {};
  return entry && entry->GetName(name, sizeof name) ? std::string(name) : std::string();
}

// ---------------------------------------------------------------- older

CQXEquationDataPage::CQXEquationDataPage() : CQXEquationBasePage(641) {}

BOOL CQXEquationDataPage::LoadFromItem(CQXDocEntry* entry) {
  if (!entry || !entry->GetItem()) return TRUE;
  auto* item = dynamic_cast<CQXEquationItem*>(entry->GetItem());
  if (!item) return FALSE;
  m_kind = item->GetEquationKind();
  if (m_kind != 1 && m_kind != 2) m_kind = item->GetTypeId() == CQXPolyEquationItem::kTypeId ? 2 : 1;
  CQXValueGrid& matrix = item->GetMatrix();
  if (matrix.GetFirstCount() == 0 || matrix.GetSecondCount() == 0) matrix.SetSize(m_kind == 1 ? 2 : 1, 3);
  LoadFromOldItem(matrix);
  if (m_kind == 1)
    SetSpin(2, 6, matrix.GetFirstCount());
  else
    SetSpin(2, 3, matrix.GetSecondCount() - 1);
  // Only what the user changes is committed: a shown item is not modified.
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXEquationDataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXEquationItem*>(entry->GetItem()) : nullptr;
  if (!item) return RefuseForeignEntry();
  if (GetGrid().GetDataRowCount() == 0) return DropItem(entry);
  item->SetEquationKind(m_kind);
  return StoreToOldItem(item->GetMatrix());
}

void CQXEquationDataPage::OnCountChanged(int p) {
  if (m_kind == 1) {
    const int unknowns = p >= 2 && p <= 5 ? p : 6;
    ResizeTable(unknowns, unknowns + 1);
  } else {
    ResizeTable(1, p == 2 ? 3 : 4);
  }
}

// ---------------------------------------------------------------- newer coefficients

CQXEquationV5DataPage::CQXEquationV5DataPage() : CQXEquationBasePage(641) { m_complexAllowed = TRUE; }

void CQXEquationV5DataPage::setHeadings(int columns) {
  m_columnsNumbered = (m_kind == 1 && columns >= 8) || (m_kind == 2 && columns >= 5);
  m_firstColumnNumber = 0;
}

BOOL CQXEquationV5DataPage::LoadFromItem(CQXDocEntry* entry) {
  if (!entry || !entry->GetItem()) return TRUE;
  auto* item = dynamic_cast<CQXEquationCoefItem*>(entry->GetItem());
  if (!item) return FALSE;
  m_kind = item->GetEquationKind();
  const int columns = int(item->GetColumns());
  setHeadings(columns);
  LoadFromNewItem(*item);
  SetSpin(2, 30, columns - 1);
  // An item of no known kind cannot be sized: its table stays as it is.
  if (GetCountSpin()) GetCountSpin()->setEnabled(m_kind == 1 || m_kind == 2);
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXEquationV5DataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXEquationCoefItem*>(entry->GetItem()) : nullptr;
  if (!item) return RefuseForeignEntry();
  if (GetGrid().GetDataRowCount() == 0) return DropItem(entry);
  const std::string name = EntryName(entry);
  item->SetNameFromHeader(name.empty() ? item->GetName().c_str() : name.c_str());
  return StoreToNewItem(*item);
}

void CQXEquationV5DataPage::OnCountChanged(int p) {
  const bool known = m_kind == 1 || m_kind == 2;
  const int columns = known ? p + 1 : 0;
  setHeadings(columns);
  ResizeTable(m_kind == 1 ? p : m_kind == 2 ? 1 : 0, columns);
}

// ---------------------------------------------------------------- newer results

CQXEquationV5ResultDataPage::CQXEquationV5ResultDataPage() : CQXEquationBasePage(643) {}

BOOL CQXEquationV5ResultDataPage::LoadFromItem(CQXDocEntry* entry) {
  if (!entry || !entry->GetItem()) return TRUE;
  auto* item = dynamic_cast<CQXEquationResultItem*>(entry->GetItem());
  if (!item) return FALSE;
  m_kind = item->GetResultKind();
  // Roots may be complex: the page takes back what the item holds.
  m_complexAllowed = item->IsComplex();
  LoadFromNewItem(*item);
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXEquationV5ResultDataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXEquationResultItem*>(entry->GetItem()) : nullptr;
  if (!item) return RefuseForeignEntry();
  if (GetGrid().GetDataRowCount() == 0) return DropItem(entry);
  const std::string name = EntryName(entry);
  item->SetKindFromHeaderName(name.empty() ? item->GetName().c_str() : name.c_str());
  return StoreToNewItem(*item);
}

// ---------------------------------------------------------------- views

QX_SIMPLE_DATA_VIEW(CQXEquationDataView, CQXEquationDataPage, 641, 10048)
QX_SIMPLE_DATA_VIEW(CQXEquationV5DataView, CQXEquationV5DataPage, 641, 10048)
QX_SIMPLE_DATA_VIEW(CQXEquationV5ResultDataView, CQXEquationV5ResultDataPage, 643, 10049)

void RegisterEquationPageClasses() {
  for (const CRuntimeClass* cls :
       {RUNTIME_CLASS(CQXEquationDataPage), RUNTIME_CLASS(CQXEquationV5DataPage),
        RUNTIME_CLASS(CQXEquationV5ResultDataPage), RUNTIME_CLASS(CQXEquationDataView),
        RUNTIME_CLASS(CQXEquationV5DataView), RUNTIME_CLASS(CQXEquationV5ResultDataView)})
    RegisterRuntimeClass(cls);
}
