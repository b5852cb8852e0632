#include "pages/QXDiffEqFieldsPage.h"

#include "datamodel/QXDiffEqItem.h"
#include "pages/QXDiffEqView.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "tokens/CalcTokenBytes.h"

#include <new>

namespace {

constexpr UINT kOutOfMemory = 61706, kFieldMenu = 150;
constexpr UINT kSheetResizePage = 0x800C;
constexpr int kStoredRecords = 46;

}  // namespace

const CMessageMap& CQXDifferentialEquationFNCDataPage::messageMap() {
  using P = CQXDifferentialEquationFNCDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXFunctionFieldCtrlDataPage::messageMap())
                                     .command(kCmdInsertY, &P::OnInsertY)
                                     .registeredMessage(RegisterCmdButtonMessage(), &P::OnEquationButton);
  return map;
}

CQXDifferentialEquationFNCDataPage::CQXDifferentialEquationFNCDataPage(CQXDifferentialEquationDataView* view)
    : CQXFunctionFieldCtrlDataPage(CQXDifferentialEquationDataView::kFieldsPage), m_view(view) {}

int CQXDifferentialEquationFNCDataPage::FieldCount(int kind, int n) {
  static const int kCounts[] = {4, 4, 5, 3, 6};
  if (kind >= 0 && kind <= 4) return kCounts[kind];
  if (kind == 5) return n + 2;
  if (kind == 6) return 2 * n + 1;
  return 0;
}

std::string CQXDifferentialEquationFNCDataPage::FieldLabel(int kind, int n, int k) {
  static const char* const kFirst[] = {"f(x)=", "g(x)=", "x0=", "y0="};
  static const char* const kBernoulli[] = {"f(x)=", "g(x)=", "n=", "x0=", "y0="};
  static const char* const kOther[] = {"f(x)=", "x0=", "y0="};
  static const char* const kSecond[] = {"f(x)=", "g(x)=", "h(x)=", "x0=", "y0=", "y'0="};
  if (k < 0 || k >= FieldCount(kind, n)) return {};
  switch (kind) {
    case 0:
    case 1: return kFirst[k];
    case 2: return kBernoulli[k];
    case 3: return kOther[k];
    case 4: return kSecond[k];
    case 5:
      if (k == 0) return "y(" + std::to_string(n) + ")=";
      if (k == 1) return "x0=";
      if (k == 2) return "y0=";
      return "y(" + std::to_string(k - 2) + ")0=";
    default:
      if (k < n) return "y" + std::to_string(k + 1) + "'=";
      if (k == n) return "x0=";
      return "y" + std::to_string(k - n) + "0=";
  }
}

BOOL CQXDifferentialEquationFNCDataPage::OnInitDialog() {
  CQXFunctionFieldCtrlDataPage::OnInitDialog();
  if (!IsPageCreated()) return FALSE;
  Rebuild();
  initialised = TRUE;
  return FALSE;
}

void CQXDifferentialEquationFNCDataPage::Rebuild() {
  CQXTokenFieldList* list = GetFieldList();
  if (!list || !m_view) return;
  list->RemoveAllFields();
  m_kind = m_view->GetEquationKind();
  m_count = m_view->GetCount();
  const int fields = FieldCount(m_kind, m_count);
  for (int k = 0; k < fields; ++k)
    if (!AddFunctionField(FieldLabel(m_kind, m_count, k), FieldId(k), 0)) break;
  FinishFields(FALSE);
  for (int k = 0; k < list->GetFieldCount(); ++k) {
    const CQXRawBlock* record = m_view->GetSlot(MapDiffEqField(m_kind, k));
    if (!record || record->GetLength() <= 5) continue;
    const BYTE* data = record->GetData() + 4;
    int length = int(record->GetLength()) - 4;
    // The end byte goes only when it is a token of its own, not the second
    // byte of the last token.
    const std::vector<CalcByteToken> tokens = SplitCalcTokens(data, length, &GetTokenTextMap());
    if (!tokens.empty() && tokens.back().length == 1 && data[tokens.back().offset] == 0) --length;
    SetFieldTokens(k, std::string(reinterpret_cast<const char*>(data), size_t(length)));
  }
  list->SetAllModified(FALSE);
  if (CWnd* sheet = GetParent()) sheet->PostMessage(kSheetResizePage);
}

BOOL CQXDifferentialEquationFNCDataPage::WriteFields() {
  CQXTokenFieldList* list = GetFieldList();
  if (!list || !m_view) return TRUE;
  try {
    for (int k = 0; k < list->GetFieldCount(); ++k) {
      const int slot = MapDiffEqField(m_kind, k);
      std::string tokens;
      if (slot < 1 || !GetFieldTokens(k, &tokens)) return FALSE;
      std::vector<BYTE> data{0, 0, 0, 2};
      data.insert(data.end(), tokens.begin(), tokens.end());
      data.push_back(0);
      auto record = std::make_unique<CQXRawBlock>();
      record->InitHeader(254, std::to_string(slot).c_str(), "DIFF_EQ", DWORD(data.size()));
      record->SetData(data.data(), DWORD(data.size()));
      m_view->SetSlot(slot, std::move(record));
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXDifferentialEquationFNCDataPage::DoDataExchange(CDataExchange* pDX) {
  CQXFunctionFieldCtrlDataPage::DoDataExchange(pDX);
  if (!initialised) return;
  if (!pDX->m_bSaveAndValidate) {
    Rebuild();
    return;
  }
  if (!WriteFields()) pDX->Fail();
}

BOOL CQXDifferentialEquationFNCDataPage::StoreToItem(CQXDocEntry* entry) {
  if (!initialised || !m_view) return TRUE;
  if (isVisible() && !UpdateData(TRUE)) return FALSE;
  CQXDiffEqItem* item = CQXDifferentialEquationDataView::StoreTarget(entry);
  return item && m_view->CopySlotsInto(item, kStoredRecords);
}

LRESULT CQXDifferentialEquationFNCDataPage::OnEquationButton(WPARAM, LPARAM) {
  CQXTokenFieldList* list = GetFieldList();
  QWidget* button = list ? list->GetFocusedFieldButton() : nullptr;
  CMenu menu;
  if (!button || !menu.LoadMenu(kFieldMenu)) return 0;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return 0;
  popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, kCmdInsertY, CLanguageLibrary::LoadString(kCmdInsertY));
  popup->InsertMenu(1, MF_BYPOSITION | MF_SEPARATOR);
  UpdatePopupMenu(popup->GetSafeHmenu());
  const QPoint at = button->mapToGlobal(QPoint(0, button->height() + 1));
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x(), at.y(), this);
  return 0;
}

void CQXDifferentialEquationFNCDataPage::OnInsertY() {
  CQXTokenFieldList* list = GetFieldList();
  CQXFieldTokenEditor* editor = list ? list->GetLastFocusedFieldEditor() : nullptr;
  if (!editor) return;
  const BYTE y = 0x59;
  editor->ReplaceSel(&y, 1, kTokenFormatBytes);
  editor->setFocus();
}
