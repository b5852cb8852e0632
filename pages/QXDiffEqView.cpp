#include "pages/QXDiffEqView.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "datamodel/QXDiffEqItem.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXDiffEqFieldsPage.h"
#include "pages/QXDiffEqGridPages.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"

#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

#include <new>
#include <string>

namespace {

constexpr UINT kOutOfMemory = 61706, kCommandFailed = 61705;
constexpr UINT kKindTexts[] = {10352, 10353, 10354, 10355};
constexpr BYTE kRecordType = 254;
constexpr int kMaxCount = 9;

// Records "47" and "48": the count of kind 5 or 6 as one digit.
std::unique_ptr<CQXRawBlock> countRecord(int kind, int count) {
  const BYTE data[6] = {0, 0, 0, 2, BYTE('0' + count), 0};
  auto record = std::make_unique<CQXRawBlock>();
  record->InitHeader(kRecordType, kind == 5 ? "47" : "48", "DIFF_EQ", sizeof data);
  record->SetData(data, sizeof data);
  return record;
}

}  // namespace

// ---------------------------------------------------------------- view

const CMessageMap& CQXDifferentialEquationDataView::messageMap() {
  using V = CQXDifferentialEquationDataView;
  static const CMessageMap map = MessageMapOf<V>(CQXDataPageView::messageMap())
                                     .command(kCmdShowType, &V::OnShowType)
                                     .command(kCmdShowFields, &V::OnShowFields)
                                     .command(kCmdShowParam, &V::OnShowParam)
                                     .command(kCmdShowOutput, &V::OnShowOutput)
                                     .updateUI(kCmdShowType, &V::OnUpdateShowType)
                                     .updateUI(kCmdShowFields, &V::OnUpdateShowFields)
                                     .updateUI(kCmdShowParam, &V::OnUpdateShowParam)
                                     .updateUI(kCmdShowOutput, &V::OnUpdateShowOutput);
  return map;
}

CQXDifferentialEquationDataView::CQXDifferentialEquationDataView(QWidget* parent) : CQXDataPageView(parent) {
  mainPageId = kTypePage;
  mainPageMenuText = 10053;
}

CQXDifferentialEquationDataView::~CQXDifferentialEquationDataView() = default;

// Out of memory, the view keeps what it had.
void CQXDifferentialEquationDataView::takeWorkingItem(std::unique_ptr<CQXDocEntry> entry) {
  std::unique_ptr<CQXDiffEqItem> working;
  if (entry) {
    std::unique_ptr<CQXCalcItem> item(entry->DetachItem());
    if (auto* diffEq = dynamic_cast<CQXDiffEqItem*>(item.get())) {
      item.release();
      working.reset(diffEq);
    }
  }
  if (!working) {
    working = std::make_unique<CQXDiffEqItem>();
    working->InitNew();
  }
  decltype(m_slots) copies;
  for (int i = 1; i <= kSlotCount; ++i)
    if (const CQXRawBlock* record = working->FindBlock(std::to_string(i).c_str()))
      copies[size_t(i)] = std::make_unique<CQXRawBlock>(*record);
  m_workingItem = std::move(working);
  m_slots = std::move(copies);
}

BOOL CQXDifferentialEquationDataView::CreatePages() {
  try {
    std::unique_ptr<CQXDocEntry> entry;
    GetSelectedDocItem(&entry, nullptr);
    takeWorkingItem(std::move(entry));
    AddPage(new CQXDifferentialEquationDataPage(this));
    AddPage(new CQXDifferentialEquationFNCDataPage(this));
    AddPage(new CQXDifferentialEquationParamDataPage(this));
    AddPage(new CQXDifferentialEquationOutputDataPage(this));
    AddPage(new CQXDescriptionPage);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
  }
  return TRUE;
}

void CQXDifferentialEquationDataView::DiscardPendingEdits() {
  // The pages write into the slots and the working item as the user moves
  // between them: what the user drops is there already.
  try {
    takeWorkingItem(LoadShownEntry());
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
  }
  if (m_workingItem) {
    m_kind = m_workingItem->GetEquationKind();
    m_count = m_kind == 5 || m_kind == 6 ? m_workingItem->GetParamCount(m_kind) : 1;
  }
  for (int i = 0; GetSheet() && i < GetSheet()->GetPageCount(); ++i) {
    CQXDataPage* page = PageAt(i);
    if (auto* type = qobject_cast<CQXDifferentialEquationDataPage*>(page); type && type->HasWindow())
      type->LoadFromItem(nullptr);
    if (auto* fields = qobject_cast<CQXDifferentialEquationFNCDataPage*>(page)) fields->Rebuild();
    if (auto* output = qobject_cast<CQXDifferentialEquationOutputDataPage*>(page); output && output->m_initialised)
      output->Rebuild();
  }
  // The parameter page reads the working item when told.
  CQXDataPageView::DiscardPendingEdits();
}

int CQXDifferentialEquationDataView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXDataPageView::OnCreate(lpCreateStruct) == -1) return -1;
  if (CMenu* view = GetMenuPopupByKey(kPopupView)) {
    for (int i = 0; i < view->GetMenuItemCount(); ++i) {
      if (view->GetMenuItemID(i) != kCmdShowDescription) continue;
      // Each at the description's place: they read Equation, window
      // settings, parameters, then the description.
      for (auto [command, text] : {std::pair{kCmdShowOutput, 10052u}, {kCmdShowParam, 10051u}, {kCmdShowFields, 10054u}})
        view->InsertMenu(UINT(i), MF_BYPOSITION | MF_STRING, command, CLanguageLibrary::LoadString(text));
      m_menuItemsAdded = TRUE;
      break;
    }
  }
  return 0;
}

void CQXDifferentialEquationDataView::OnDestroy() {
  if (m_menuItemsAdded) {
    if (CMenu* view = GetMenuPopupByKey(kPopupView))
      for (UINT command : {kCmdShowFields, kCmdShowParam, kCmdShowOutput}) view->RemoveMenu(command, MF_BYCOMMAND);
    m_menuItemsAdded = FALSE;
  }
  CQXDataPageView::OnDestroy();
}

void CQXDifferentialEquationDataView::SetEquation(int kind, int count) {
  m_kind = kind;
  m_count = count;
}

CQXRawBlock* CQXDifferentialEquationDataView::GetSlot(int i) const {
  return i >= 1 && i <= kSlotCount ? m_slots[size_t(i)].get() : nullptr;
}

void CQXDifferentialEquationDataView::SetSlot(int i, std::unique_ptr<CQXRawBlock> record) {
  if (i >= 1 && i <= kSlotCount) m_slots[size_t(i)] = std::move(record);
}

void CQXDifferentialEquationDataView::RenumberKindRecords(int kind, int oldCount, int newCount) {
  if ((kind != 5 && kind != 6) || oldCount == newCount) return;
  const int base = kind == 5 ? 17 : 28;
  const int oldFields = kind == 5 ? oldCount + 2 : 2 * oldCount + 1;
  std::vector<std::unique_ptr<CQXRawBlock>> old;
  old.resize(size_t(oldFields));
  for (int k = 0; k < oldFields; ++k) old[size_t(k)] = std::move(m_slots[size_t(base + k)]);
  // Field k of the old count lands on field `to` of the new one, or nowhere.
  auto newField = [&](int k) {
    if (kind == 5) return k < newCount + 2 ? k : -1;
    if (k < oldCount) return k < newCount ? k : -1;  // yi'
    if (k == oldCount) return newCount;              // x0
    const int j = k - oldCount;                      // yj0
    return j <= newCount ? newCount + j : -1;
  };
  for (int k = 0; k < oldFields; ++k) {
    const int to = newField(k);
    std::unique_ptr<CQXRawBlock>& record = old[size_t(k)];
    if (to < 0 || !record) continue;
    const std::string name = std::to_string(base + to);
    const BYTE* header = record->HeaderImage();
    record->InitHeader(header[10], name.c_str(), record->Group().c_str(), record->GetLength());
    m_slots[size_t(base + to)] = std::move(record);
  }
}

BOOL CQXDifferentialEquationDataView::CopySlotsInto(CQXDiffEqItem* item, int last) const {
  try {
    CQXRawBlockList& records = item->GetBlockList();
    for (int i = 1; i <= last && i <= kSlotCount; ++i) {
      item->RemoveBlock(std::to_string(i).c_str());
      if (const CQXRawBlock* record = m_slots[size_t(i)].get())
        records.AddBlock(record->HeaderImage(), CQXRawBlock::kHeaderSize, record->GetData(), record->GetLength());
    }
    return TRUE;
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
}

CQXDiffEqItem* CQXDifferentialEquationDataView::StoreTarget(CQXDocEntry* entry) {
  if (!entry) return nullptr;
  if (!entry->GetItem()) {
    auto item = std::make_unique<CQXDiffEqItem>();
    item->InitNew();
    entry->SetItem(item.release());
  }
  auto* item = dynamic_cast<CQXDiffEqItem*>(entry->GetItem());
  if (!item) AfxMessageBox(kCommandFailed, MB_ICONSTOP);
  return item;
}

void CQXDifferentialEquationDataView::OnShowType() { ShowPage(kTypePage); }
void CQXDifferentialEquationDataView::OnShowFields() { ShowPage(kFieldsPage); }
void CQXDifferentialEquationDataView::OnShowParam() { ShowPage(kParamPage); }
void CQXDifferentialEquationDataView::OnShowOutput() { ShowPage(kOutputPage); }
void CQXDifferentialEquationDataView::OnUpdateShowType(CCmdUI* ui) { UpdatePageCommand(kTypePage, ui); }
void CQXDifferentialEquationDataView::OnUpdateShowFields(CCmdUI* ui) { UpdatePageCommand(kFieldsPage, ui); }
void CQXDifferentialEquationDataView::OnUpdateShowParam(CCmdUI* ui) { UpdatePageCommand(kParamPage, ui); }
void CQXDifferentialEquationDataView::OnUpdateShowOutput(CCmdUI* ui) { UpdatePageCommand(kOutputPage, ui); }

// ---------------------------------------------------------------- type page

const CMessageMap& CQXDifferentialEquationDataPage::messageMap() {
  using P = CQXDifferentialEquationDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXDataPage::messageMap())
                                     .command(kFirstOrder, &P::OnFirstOrder)
                                     .command(kSecondOrder, &P::OnSecondOrder)
                                     .command(kNthOrder, &P::OnNthOrder)
                                     .command(kSystem, &P::OnSystem);
  return map;
}

CQXDifferentialEquationDataPage::CQXDifferentialEquationDataPage(CQXDifferentialEquationDataView* view)
    : CQXDataPage(CQXDifferentialEquationDataView::kTypePage), m_view(view) {}

BOOL CQXDifferentialEquationDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  m_combo = GetDlgItemAs<QComboBox>(int(kCombo));
  if (m_combo) {
    for (UINT text : kKindTexts) m_combo->addItem(CLanguageLibrary::LoadString(text));
    m_combo->setCurrentIndex(0);
    connect(m_combo, &QComboBox::activated, this, [this] { SetModified(TRUE); });
  }
  m_spins = {GetDlgItemAs<QSpinBox>(int(kOrderEdit)), GetDlgItemAs<QSpinBox>(int(kSystemEdit))};
  for (int i = 0; i < 2; ++i) {
    QSpinBox* spin = m_spins[size_t(i)];
    if (!spin) continue;
    spin->setRange(1, kMaxCount);
    setSpin(i, 1);
    // A count applies once typed (Enter, leaving the field) or stepped:
    // typing must not renumber the equations at every key.
    spin->setKeyboardTracking(false);
    connect(spin, &QSpinBox::valueChanged, this, [this, i](int value) { onCountChanged(5 + i, value); });
  }
  LoadFromItem(nullptr);
  m_initialised = TRUE;
  m_modified = FALSE;
  return FALSE;
}

void CQXDifferentialEquationDataPage::setSpin(int index, int value) {
  QSpinBox* spin = m_spins[size_t(index)];
  if (!spin) return;
  ++m_guard;
  spin->setValue(value);
  --m_guard;
}

BOOL CQXDifferentialEquationDataPage::LoadFromItem(CQXDocEntry*) {
  CQXDiffEqItem* item = m_view ? m_view->GetWorkingItem() : nullptr;
  if (!item) return TRUE;
  for (int i = 0; i < 2; ++i) {
    m_counts[size_t(i)] = item->GetParamCount(5 + i);
    setSpin(i, m_counts[size_t(i)]);
  }
  const int kind = item->GetEquationKind();
  ShowKind(kind, item->GetParamCount(kind));
  return TRUE;
}

void CQXDifferentialEquationDataPage::ShowKind(int kind, int count) {
  const UINT radio = kind == 4 ? kSecondOrder : kind == 5 ? kNthOrder : kind == 6 ? kSystem : kFirstOrder;
  for (UINT id : {kFirstOrder, kSecondOrder, kNthOrder, kSystem})
    if (auto* button = GetDlgItemAs<QRadioButton>(int(id))) button->setChecked(id == radio);
  const bool firstOrder = radio == kFirstOrder;
  if (m_combo) {
    m_combo->setVisible(firstOrder);
    m_combo->setEnabled(firstOrder);
    if (firstOrder && kind >= 0 && kind <= 3) m_combo->setCurrentIndex(kind);
  }
  for (int i = 0; i < 2; ++i) {
    QSpinBox* spin = m_spins[size_t(i)];
    if (!spin) continue;
    const bool shown = kind == 5 + i;
    spin->setVisible(shown);
    spin->setEnabled(shown);
    if (shown && count != -1) setSpin(i, count);
  }
}

void CQXDifferentialEquationDataPage::GetShownEquation(int* kind, int* count) const {
  *kind = 0;
  *count = 1;
  auto checked = [this](UINT id) {
    auto* button = GetDlgItemAs<QRadioButton>(int(id));
    return button && button->isChecked();
  };
  if (checked(kSecondOrder)) {
    *kind = 4;
  } else if (checked(kNthOrder) || checked(kSystem)) {
    const int i = checked(kNthOrder) ? 0 : 1;
    *kind = 5 + i;
    *count = m_spins[size_t(i)] ? m_spins[size_t(i)]->value() : 1;
  } else if (m_combo && m_combo->currentIndex() > 0) {
    *kind = m_combo->currentIndex();
  }
}

void CQXDifferentialEquationDataPage::DoDataExchange(CDataExchange* pDX) {
  CQXDataPage::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate || !m_view) return;
  int kind = 0, count = 1;
  GetShownEquation(&kind, &count);
  m_view->SetEquation(kind, count);
}

// The first order's kind is the one the combo box shows.
void CQXDifferentialEquationDataPage::OnFirstOrder() {
  ShowKind(m_combo ? std::max(0, m_combo->currentIndex()) : 0, -1);
  SetModified(TRUE);
}

void CQXDifferentialEquationDataPage::OnSecondOrder() {
  ShowKind(4, -1);
  SetModified(TRUE);
}

void CQXDifferentialEquationDataPage::OnNthOrder() {
  ShowKind(5, -1);
  SetModified(TRUE);
}

void CQXDifferentialEquationDataPage::OnSystem() {
  ShowKind(6, -1);
  SetModified(TRUE);
}

void CQXDifferentialEquationDataPage::onCountChanged(int kind, int value) {
  int& current = m_counts[size_t(kind - 5)];
  if (!m_initialised || m_guard || !m_view || value < 1 || value > kMaxCount || value == current) return;
  try {
    auto record = countRecord(kind, value);
    m_view->RenumberKindRecords(kind, current, value);
    m_view->SetSlot(kind == 5 ? 47 : 48, std::move(record));
    current = value;
    SetModified(TRUE);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
  }
}

BOOL CQXDifferentialEquationDataPage::StoreToItem(CQXDocEntry* entry) {
  if (!UpdateData(TRUE) || !m_view) return FALSE;
  CQXDiffEqItem* item = CQXDifferentialEquationDataView::StoreTarget(entry);
  if (!item || !m_view->CopySlotsInto(item, 48)) return FALSE;
  const int kind = m_view->GetEquationKind();
  if (kind == 5 || kind == 6) item->SetParamCount(kind, m_view->GetCount());
  if (!item->EnsureResult() || !item->SetEquationKind(kind)) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXDifferentialEquationDataPage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXDifferentialEquationDataPage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }

void RegisterDiffEqPageClasses() {
  for (const CRuntimeClass* cls :
       {RUNTIME_CLASS(CQXDifferentialEquationDataView), RUNTIME_CLASS(CQXDifferentialEquationDataPage),
        RUNTIME_CLASS(CQXDifferentialEquationFNCDataPage),
        RUNTIME_CLASS(CQXDifferentialEquationParamDataPage), RUNTIME_CLASS(CQXDifferentialEquationOutputDataPage)})
    RegisterRuntimeClass(cls);
}
