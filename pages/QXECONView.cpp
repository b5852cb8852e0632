#include "pages/QXECONView.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "charset/CalcCharset.h"
#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXECONRecords.h"
#include "pages/QXECONSetupPage.h"
#include "pages/QXSensorList.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"

namespace {

constexpr UINT kNoData = 10160, kOverwrite = 10157, kConfirmDelete = 10158, kOutOfMemory = 61706;
constexpr int kNameField = 2000, kUnitField = 2019, kOneField = 2028, kZeroField = 2030;
constexpr int kSampleTimeField = 2032, kInterceptField = 2041;
constexpr size_t kNameWidth = 19, kUnitWidth = 9;
constexpr int kNumberBytes = 9;

struct ProbeRow {
  UINT label;
  DWORD style;
  UINT limit;
};
constexpr ProbeRow kProbeRows[] = {
    {10984, ES_NUMBER, 0},  // memory number
    {10980, 0, 18},         // probe name
    {10983, 0, 8},          // unit name
    {10951, 0, 0},          // sample time
    {10982, 0, 0},          // intercept
};

}  // namespace

// ---------------------------------------------------------------- view

const CMessageMap& CQXECONDataView::messageMap() {
  using V = CQXECONDataView;
  static const CMessageMap map = MessageMapOf<V>(CQXDataPageView::messageMap())
                                     .command(kCmdShowProbePage, &V::OnShowProbePage)
                                     .updateUI(kCmdShowProbePage, &V::OnUpdateShowProbePage);
  return map;
}

CQXECONDataView::CQXECONDataView(QWidget* parent) : CQXDataPageView(parent) {
  mainPageId = CQXECONSetupDataPage::kPageId;
  mainPageMenuText = 10055;
}

CQXECONDataView::~CQXECONDataView() = default;

void CQXECONDataView::takeWorkingItem(std::unique_ptr<CQXDocEntry> entry) {
  m_workingItem.reset();
  if (!entry) return;
  std::unique_ptr<CQXCalcItem> item(entry->DetachItem());
  if (auto* logger = dynamic_cast<CQXDataLoggerItem*>(item.get())) {
    item.release();
    m_workingItem.reset(logger);
  }
}

BOOL CQXECONDataView::CreatePages() {
  std::unique_ptr<CQXDocEntry> entry;
  if (GetSelectedDocItem(&entry, nullptr)) takeWorkingItem(std::move(entry));
  AddPage(new CQXECONSetupDataPage(this));
  AddPage(new CQXECONCustomProbePage(this));
  AddPage(new CQXDescriptionPage);
  return TRUE;
}

void CQXECONDataView::DiscardPendingEdits() {
  // The pages write into the working item before a store (a saved probe,
  // the rows of the current set-up): what the user drops is there already.
  takeWorkingItem(LoadShownEntry());
  m_probesChanged = FALSE;
  for (int i = 0; GetSheet() && i < GetSheet()->GetPageCount(); ++i) {
    if (auto* setup = qobject_cast<CQXECONSetupDataPage*>(PageAt(i))) setup->ReloadWorkingItem();
    if (auto* probe = qobject_cast<CQXECONCustomProbePage*>(PageAt(i))) probe->LoadFromItem(nullptr);
  }
  CQXDataPageView::DiscardPendingEdits();
}

int CQXECONDataView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXDataPageView::OnCreate(lpCreateStruct) == -1) return -1;
  if (CMenu* view = GetMenuPopupByKey(kPopupView)) {
    for (int i = 0; i < view->GetMenuItemCount(); ++i) {
      if (view->GetMenuItemID(i) != kCmdShowDescription) continue;
      view->InsertMenu(UINT(i), MF_BYPOSITION | MF_STRING, kCmdShowProbePage,
                       CLanguageLibrary::LoadString(kProbeMenuText));
      m_menuItemAdded = TRUE;
      break;
    }
  }
  return 0;
}

void CQXECONDataView::OnDestroy() {
  if (m_menuItemAdded) {
    if (CMenu* view = GetMenuPopupByKey(kPopupView)) view->RemoveMenu(kCmdShowProbePage, MF_BYCOMMAND);
    m_menuItemAdded = FALSE;
  }
  CQXDataPageView::OnDestroy();
}

void CQXECONDataView::OnShowProbePage() { ShowPage(CQXECONCustomProbePage::kPageId); }

void CQXECONDataView::OnUpdateShowProbePage(CCmdUI* ui) { UpdatePageCommand(CQXECONCustomProbePage::kPageId, ui); }

// ---------------------------------------------------------------- probe page

const CMessageMap& CQXECONCustomProbePage::messageMap() {
  using P = CQXECONCustomProbePage;
  static const CMessageMap map = MessageMapOf<P>(CQXPropertyListDataPage::messageMap())
                                     .command(kOpen, &P::OnOpen)
                                     .command(kSave, &P::OnSave)
                                     .command(kDelete, &P::OnDelete)
                                     .command(kVernier, &P::OnVernier);
  return map;
}

CQXECONCustomProbePage::CQXECONCustomProbePage(CQXECONDataView* view)
    : CQXPropertyListDataPage(kPageId), m_view(view) {}

CQXECONCustomProbePage::~CQXECONCustomProbePage() = default;

CQXDataLoggerItem* CQXECONCustomProbePage::workingItem() const { return m_view ? m_view->GetWorkingItem() : nullptr; }

BOOL CQXECONCustomProbePage::OnInitDialog() {
  CQXPropertyListDataPage::OnInitDialog();
  m_combo = GetDlgItemAs<QComboBox>(int(kCombo));
  for (const ProbeRow& def : kProbeRows) {
    COrvoPropertyItem row;
    row.kind = COrvoPropertyItem::EditField;
    row.label = CLanguageLibrary::LoadString(def.label);
    row.style = def.style;
    row.textLimit = def.limit;
    m_list.AddItem(row);
  }
  m_list.FitLabelColumn();
  m_list.SelectItem(0);
  m_list.SetModified(FALSE);
  LoadFromItem(nullptr);
  m_initialised = TRUE;
  return FALSE;
}

BOOL CQXECONCustomProbePage::LoadFromItem(CQXDocEntry*) {
  if (!m_combo) return TRUE;
  m_combo->clear();
  if (CQXDataLoggerItem* item = workingItem()) {
    const CQXRawBlockList& records = item->GetBlockList();
    for (int i = 0; i < records.GetCount(); ++i) {
      const CQXRawBlock* record = records.GetAt(i);
      if (const int n = EconRecordNumber(record, "20"))
        InsertSortedEntry(m_combo, FormatEconEntry("%02d: %s", n, ReadEconText(record, kNameField, kNameWidth)), n);
    }
  }
  if (m_combo->count() > 0) m_combo->setCurrentIndex(0);
  showSelectedProbe();
  return TRUE;
}

BOOL CQXECONCustomProbePage::ShowProbe(int number) {
  CQXDataLoggerItem* item = workingItem();
  if (!item) return FALSE;
  const CQXRawBlock* record = item->FindBlock(EconProbeRecordName(number).c_str());
  if (!record) {
    if (number >= 1 && number <= 99)
      AfxMessageBox(CLanguageLibrary::FormatMessage(kNoData, QString::number(number)), MB_ICONQUESTION);
    return FALSE;
  }
  SetRowText(0, std::to_string(number));
  SetRowText(1, ReadEconText(record, kNameField, kNameWidth));
  // The unit takes at most 9 bytes, though its field reads further.
  SetRowText(2, ReadEconText(record, kUnitField, kUnitWidth));
  int row = 3;
  for (int field : {kSampleTimeField, kInterceptField}) {
    BYTE bytes[kNumberBytes] = {};
    std::string text;
    if (CQXDataLoggerItem::GetBytesField(record, field, bytes, sizeof bytes) == 1)
      NumberToText(bytes, sizeof bytes, FALSE, &text);
    SetRowText(row++, text);
  }
  m_list.SelectItem(0);
  m_list.update();
  m_list.SetModified(FALSE);
  return TRUE;
}

void CQXECONCustomProbePage::showSelectedProbe() {
  int number = 0;
  if (GetSelectedEntryData(m_combo, &number)) ShowProbe(number);
}

BOOL CQXECONCustomProbePage::CheckRows() {
  return CheckIntRange(0, 1, 99) && CheckNotEmpty(1) && CheckNotEmpty(2) && CheckNumber(3) && CheckNumber(4);
}

void CQXECONCustomProbePage::OnOpen() { showSelectedProbe(); }

void CQXECONCustomProbePage::OnSave() {
  CQXDataLoggerItem* item = workingItem();
  if (!item || !CheckRows()) return;
  const int number = GetRowInt(0);
  const std::string name = EconProbeRecordName(number);
  CQXRawBlock* record = item->FindBlock(name.c_str());
  if (record) {
    const std::string entry = FormatEconEntry("%2d: %s", number, ReadEconText(record, kNameField, kNameWidth));
    if (AfxMessageBox(CLanguageLibrary::FormatMessage(kOverwrite, CalcPlainText(entry)),
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
      return;
  } else if (!item->AddSetupRecord(1, number) || !(record = item->FindBlock(name.c_str()))) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return;
  }
  // Over the record's own bytes: those without a row stay.
  const std::string probeName = GetRowText(1);
  WriteEconText(record, kNameField, probeName, kNameWidth);
  WriteEconText(record, kUnitField, GetRowText(2), kUnitWidth);
  CQXDataLoggerItem::SetIntField(record, kOneField, 1);
  CQXDataLoggerItem::SetIntField(record, kZeroField, 0);
  int row = 3;
  for (int field : {kSampleTimeField, kInterceptField}) {
    BYTE bytes[kNumberBytes];
    TextToNumber(bytes, sizeof bytes, FALSE, GetRowText(row++));
    CQXDataLoggerItem::SetBytesField(record, field, bytes, sizeof bytes);
  }
  m_list.SetModified(FALSE);
  if (m_combo) ReplaceSortedEntry(m_combo, FormatEconEntry("%02d: %s", number, probeName), number);
  if (m_view) m_view->SetProbesChanged(TRUE);
  m_modified = TRUE;
}

void CQXECONCustomProbePage::OnDelete() {
  CQXDataLoggerItem* item = workingItem();
  int number = 0;
  if (!item || !GetSelectedEntryData(m_combo, &number)) return;
  const std::string name = EconProbeRecordName(number);
  const CQXRawBlock* record = item->FindBlock(name.c_str());
  if (!record) return;
  const std::string entry = FormatEconEntry("%d: %s", number, ReadEconText(record, kNameField, kNameWidth));
  if (AfxMessageBox(CLanguageLibrary::FormatMessage(kConfirmDelete, CalcPlainText(entry)),
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  item->RemoveBlock(name.c_str());
  m_combo->removeItem(FindEntryByData(m_combo, number));
  m_modified = TRUE;
  if (m_view) m_view->SetProbesChanged(TRUE);
}

void CQXECONCustomProbePage::OnVernier() {
  CQXSensorListDlg dialog(this);
  if (dialog.DoModal() == IDOK && m_view) m_view->SetProbesChanged(TRUE);
}

void RegisterECONPageClasses() {
  for (const CRuntimeClass* cls : {RUNTIME_CLASS(CQXPropertyListDataPage), RUNTIME_CLASS(CQXECONSetupDataPage),
                                   RUNTIME_CLASS(CQXECONCustomProbePage), RUNTIME_CLASS(CQXECONDataView)})
    RegisterRuntimeClass(cls);
}
