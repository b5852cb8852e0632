#include "pages/QXPropertyListDataPage.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "charset/CalcCharset.h"
#include "charset/CalcEditedCodes.h"
#include "datamodel/CalcNumber.h"
#include "pages/QXNumberText.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"

#include <QFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
constexpr UINT kDelete = 22100;
constexpr UINT kIntegerRange = 61714, kEmptyName = 10569, kInvalidNumber = 10505;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
}  // namespace

int ParseIntLikeAtoi(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;  // far enough out of range
  }
  if (negative) value = -value;
  return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

const CMessageMap& CQXPropertyListDataPage::messageMap() {
  using P = CQXPropertyListDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXDataPage::messageMap())
                                     .command(ID_EDIT_UNDO, &P::OnEditUndo)
                                     .command(ID_EDIT_CUT, &P::OnEditCut)
                                     .command(ID_EDIT_COPY, &P::OnEditCopy)
                                     .command(ID_EDIT_PASTE, &P::OnEditPaste)
                                     .command(kDelete, &P::OnEditClear)
                                     .command(ID_EDIT_SELECT_ALL, &P::OnEditSelectAll)
                                     .updateUI(ID_EDIT_UNDO, &P::OnUpdateEditUndo)
                                     .updateUI(ID_EDIT_CUT, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_COPY, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
                                     .updateUI(kDelete, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateEditSelectAll);
  return map;
}

CQXPropertyListDataPage::CQXPropertyListDataPage() : CQXPropertyListDataPage(0) {}

CQXPropertyListDataPage::CQXPropertyListDataPage(UINT templateId)
    : CQXDataPage(templateId), m_roundTo10Digits(GetRoundTo10DigitsSetting()) {}

CQXPropertyListDataPage::~CQXPropertyListDataPage() {
  // The list is a member: it leaves its frame before the page's children go.
  m_list.setParent(nullptr);
}

BOOL CQXPropertyListDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  // The list in a sunken frame, in place of a border of its own.
  m_frame = new QFrame(this);
  m_frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* frameLayout = new QVBoxLayout(m_frame);
  const int edge = m_frame->frameWidth();
  frameLayout->setContentsMargins(edge, edge, edge, edge);
  m_list.Create(kListStyle, QRect(), m_frame, kListId);
  frameLayout->addWidget(&m_list);
  HidePlaceholder(kPlaceholderId, &m_listRect);
  m_frame->show();
  m_frame->raise();
  OnSize(SIZE_RESTORED, width(), height());
  return FALSE;
}

void CQXPropertyListDataPage::OnSize(UINT type, int cx, int cy) {
  CQXDataPage::OnSize(type, cx, cy);
  const QRect area = PlaceholderArea(kPlaceholderId, &m_listRect, cx, cy);
  if (m_frame) m_frame->setGeometry(area);
}

void CQXPropertyListDataPage::OnDestroy() {
  m_list.DestroyWindow();
  delete m_frame.data();
  CQXDataPage::OnDestroy();
}

void CQXPropertyListDataPage::focusInEvent(QFocusEvent* event) {
  CQXDataPage::focusInEvent(event);
  if (m_list.isVisible()) m_list.setFocus();
}

BOOL CQXPropertyListDataPage::IsModified() { return m_modified || m_list.IsModified(); }

void CQXPropertyListDataPage::SetModified(BOOL modified) {
  m_modified = modified;
  m_list.SetModified(modified);
}

void CQXPropertyListDataPage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXPropertyListDataPage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }

std::string CQXPropertyListDataPage::GetRowText(int row) const {
  COrvoPropertyItem item;
  if (!m_list.GetItem(row, &item)) return {};
  const std::string& given = row < int(m_rowCodes.size()) ? m_rowCodes[size_t(row)] : std::string();
  return CalcEditedCodes(given, item.value);
}

void CQXPropertyListDataPage::SetRowText(int row, const std::string& text) {
  if (!m_list.SetItemValue(row, CalcPlainText(text))) return;
  if (row >= int(m_rowCodes.size())) m_rowCodes.resize(size_t(row) + 1);
  m_rowCodes[size_t(row)] = text;
}

BOOL CQXPropertyListDataPage::GetRowChoice(int row, DWORD* data) const {
  COrvoPropertyItem item;
  if (m_list.GetChoiceIndex(row) < 0 || !m_list.GetItem(row, &item)) return FALSE;
  *data = item.data;
  return TRUE;
}

int CQXPropertyListDataPage::GetRowInt(int row) const { return ParseIntLikeAtoi(GetRowText(row)); }

BOOL CQXPropertyListDataPage::RefuseRow(int row, const QString& text) {
  if (GetSheet() && GetActivePageId() != m_psp.pszTemplate) ActivatePage(m_psp.pszTemplate);
  m_list.SelectItem(row);
  SwitchToPane(1);
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  m_list.setFocus();
  return FALSE;
}

BOOL CQXPropertyListDataPage::CheckIntRange(int row, int minimum, int maximum) {
  const int value = GetRowInt(row);
  if (value >= minimum && value <= maximum) return TRUE;
  return RefuseRow(row, CLanguageLibrary::FormatMessage(kIntegerRange, QString::number(minimum),
                                                        QString::number(maximum)));
}

BOOL CQXPropertyListDataPage::CheckNotEmpty(int row) {
  if (!GetRowText(row).empty()) return TRUE;
  return RefuseRow(row, CLanguageLibrary::LoadString(kEmptyName));
}

BOOL CQXPropertyListDataPage::CheckNumber(int row) {
  const std::string text = GetRowText(row);
  BYTE number[9];
  if (!text.empty() && TextToNumber(number, sizeof number, FALSE, text)) return TRUE;
  return RefuseRow(row, CLanguageLibrary::LoadString(kInvalidNumber));
}

BOOL CQXPropertyListDataPage::NumberToText(const BYTE* number, UINT length, BOOL complex, std::string* text) const {
  const UINT size = complex ? 18 : 9;
  BYTE bytes[18] = {};
  if (number) std::memcpy(bytes, number, std::min(length, size));
  *text = NumberBytesToText(2, bytes, complex != FALSE, m_roundTo10Digits != FALSE);
  if (text->empty()) text->assign(1, '0');
  return TRUE;
}

BOOL CQXPropertyListDataPage::TextToNumber(BYTE* number, UINT length, BOOL complex, const std::string& text) const {
  std::array<BYTE, 48> bytes{};
  const bool ok = NumberTextToBytes(2, text, complex != FALSE, m_roundTo10Digits != FALSE, &bytes, nullptr);
  const UINT n = std::min<UINT>(length, UINT(bytes.size()));
  if (ok)
    std::memcpy(number, bytes.data(), n);
  else
    std::memset(number, 0, n);
  return ok ? TRUE : FALSE;
}

void CQXPropertyListDataPage::OnEditUndo() { m_list.Undo(); }
void CQXPropertyListDataPage::OnEditCut() { m_list.Cut(); }
void CQXPropertyListDataPage::OnEditCopy() { m_list.Copy(); }
void CQXPropertyListDataPage::OnEditPaste() { m_list.Paste(); }
void CQXPropertyListDataPage::OnEditClear() { m_list.Clear(); }
void CQXPropertyListDataPage::OnEditSelectAll() { m_list.SelectAll(); }
void CQXPropertyListDataPage::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(m_list.CanUndo()); }
void CQXPropertyListDataPage::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(m_list.CanCopy()); }
void CQXPropertyListDataPage::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(m_list.CanPaste()); }
void CQXPropertyListDataPage::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(m_list.CanSelectAll()); }
