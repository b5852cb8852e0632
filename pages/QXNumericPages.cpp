#include "pages/QXNumericPages.h"

#include "datamodel/QXDocEntry.h"
#include "pages/QXNumericViews.h"
#include "pages/QXPrintGridCtrl.h"
#include "platform/RuntimeClass.h"

#include <QSpinBox>

#include <memory>

namespace {
constexpr int kRowsEdit = 1006, kColumnsEdit = 1007;
// The spins take any count a user may type; the page keeps the grid within
// its limit and sets the spin back to what the grid has.
constexpr int kSpinMaximum = 65535;
}  // namespace

const CMessageMap& CQXNumericItemPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXNumericItemPage>(CQXNumericalDataPage::messageMap());
  return map;
}

CQXNumericItemPage::CQXNumericItemPage(UINT templateId, QXNumericPage page)
    : CQXNumericalDataPage(templateId), m_page(page) {}

BOOL CQXNumericItemPage::OnInitDialog() {
  CQXNumericalDataPage::OnInitDialog();
  SetupNumericTable(*this, m_page);
  const bool table2d = m_page == QXNumericPage::kMatrix || m_page == QXNumericPage::kList;
  if (table2d) {
    m_rowsSpin = GetDlgItemAs<QSpinBox>(kRowsEdit);
    if (m_page == QXNumericPage::kMatrix) m_columnsSpin = GetDlgItemAs<QSpinBox>(kColumnsEdit);
    for (QSpinBox* spin : {m_rowsSpin, m_columnsSpin}) {
      if (!spin) continue;
      spin->setRange(0, kSpinMaximum);
      setSpin(spin, 0);
      // A count is applied once its typing is done (Enter, leaving the
      // field, the arrows): typing "12" must not first make the table 1 row.
      spin->setKeyboardTracking(false);
      connect(spin, &QSpinBox::valueChanged, this, [this, spin](int value) { onSpinChanged(spin, value); });
    }
  }
  std::unique_ptr<CQXDocEntry> entry;
  FetchCurrentItem(&entry);
  LoadFromItem(entry.get());
  m_initialised = TRUE;
  return FALSE;
}

void CQXNumericItemPage::setSpin(QSpinBox* spin, int value) {
  if (!spin) return;
  ++m_spinGuard;
  spin->setValue(value);
  --m_spinGuard;
}

void CQXNumericItemPage::onSpinChanged(QSpinBox* spin, int value) {
  if (!m_initialised || m_spinGuard) return;
  ++m_spinGuard;
  if (spin == m_rowsSpin)
    SetDataRowCount(value);
  else
    SetDataColumnCount(value);
  if (value > m_limit) spin->setValue(m_limit);
  --m_spinGuard;
}

void CQXNumericItemPage::OnRowCountChanged() { setSpin(m_rowsSpin, GetGrid().GetDataRowCount()); }

void CQXNumericItemPage::OnColumnCountChanged() { setSpin(m_columnsSpin, GetGrid().GetDataColumnCount()); }

BOOL CQXNumericItemPage::LoadFromItem(CQXDocEntry* entry) {
  const QXNumericLoad result = LoadNumericItem(*this, m_page, entry, &m_itemType);
  if (result == kNumericLoadForeign) return FALSE;
  setSpin(m_rowsSpin, GetGrid().GetDataRowCount());
  setSpin(m_columnsSpin, GetGrid().GetDataColumnCount());
  return TRUE;
}

BOOL CQXNumericItemPage::StoreToItem(CQXDocEntry* entry) {
  switch (StoreNumericItem(*this, m_page, entry)) {
    case kNumericStored: return TRUE;
    case kNumericStoreRefused: return FALSE;
    case kNumericStoreForeign: break;
  }
  // The zoom factor and table range pages let another item pass.
  const bool hasItem = entry && entry->GetItem();
  if (hasItem && (m_page == QXNumericPage::kGraphFactor || m_page == QXNumericPage::kTableRange)) return TRUE;
  return RefuseForeignEntry();
}

void CQXNumericItemPage::MergeMenus() { EditMenuEntryItem(200, FALSE); }

void CQXNumericItemPage::UnmergeMenus() { EditMenuEntryItem(200, TRUE); }

BOOL CQXNumericItemPage::GetDefaultCellText(int row, int, char* buffer, UINT size) {
  return GetNumericDefaultText(m_page, m_itemType, row, buffer, size);
}

void RegisterNumericPageClasses() {
  for (const CRuntimeClass* cls :
       {RUNTIME_CLASS(CQXGridCtrlDataPage), RUNTIME_CLASS(CQXNumericalDataPage), RUNTIME_CLASS(CQXMatrixDataPage),
        RUNTIME_CLASS(CQXListDataPage), RUNTIME_CLASS(CQXGraphFactorDataPage), RUNTIME_CLASS(CQXTableRangeDataPage),
        RUNTIME_CLASS(CQXVariableDataPage), RUNTIME_CLASS(CQXVWinDataPage), RUNTIME_CLASS(CQXGridCtrl),
        RUNTIME_CLASS(CQXPrintGridCtrl), RUNTIME_CLASS(CQXMatrixDataView), RUNTIME_CLASS(CQXListDataView),
        RUNTIME_CLASS(CQXGraphFactorDataView), RUNTIME_CLASS(CQXTableRangeDataView),
        RUNTIME_CLASS(CQXVariableDataView), RUNTIME_CLASS(CQXVWinDataView)})
    RegisterRuntimeClass(cls);
}
