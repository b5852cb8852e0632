#include "pages/QXRecursionCtrlPage.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXDoc.h"
#include "classlib/LogFont.h"
#include "datamodel/CalcNumber.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXFunctionFieldBytes.h"
#include "pages/QXNumberText.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/PropertySheet.h"
#include "tokens/EditorFonts.h"
#include "tokens/QXCharTableDlg.h"
#include "tokens/QXPasteCmdDlg.h"
#include "tokens/QXTokenField.h"
#include "tokens/QXTokenEditorVariants.h"

#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QRadioButton>

#include <cstring>

namespace {

constexpr UINT kDelete = 22100, kEditCell = 22101, kInvalidNumber = 10505, kFontText = 10040, kCharTableText = 10057;
constexpr UINT kVariableText = 10661, kVariableMenu = 314;
constexpr size_t kMaxText = 255;

const char* const kTypeTexts[] = {"an = Aan + B", "an+1 = Aan + Bn + C", "an+2 = Aan+1 + Ban + ..."};

struct RangeDefault {
  const char* label;
  const char* name;
  const char* text;
};
// "Start" 5 and "End" 0 are the calculator's own first values.
constexpr RangeDefault kRangeDefaults[] = {
    {"Start", "R Start", "5"}, {"End", "R End", "0"},      {"a0", "a0", "0"},  {"a1", "a1", "0"},
    {"a2", "a2", "0"},         {"b0", "b0", "0"},          {"b1", "b1", "0"},  {"b2", "b2", "0"},
    {"c0", "c0", "0"},         {"c1", "c1", "0"},          {"c2", "c2", "0"},  {"an Start", "anStart", "0"},
    {"bn Start", "bnStart", "0"}, {"cn Start", "cnStart", "0"},
};
const char* const kRangeItemNames[] = {"R Start", "R End", "a0", "b0", "c0", "a1", "b1",
                                       "c1",      "a2",    "b2", "c2", "anStart", "bnStart", "cnStart"};

struct RecursionVariable {
  UINT command;
  BYTE lead;
  BYTE token;
  const char* text;
  int minType;
  int minSequences;
};
// The variables the "..." menu offers, from a type and a sequence count on.
constexpr RecursionVariable RecursionVariableTable[] = {
    {21500, 0x7F, 0xA3, "n", 0, 2},    {21501, 0x7F, 0xA0, "an", 1, 2}, {21502, 0x7F, 0xA1, "an+1", 2, 2},
    {21503, 0x7F, 0xA7, "bn", 1, 2},   {21504, 0x7F, 0xA8, "bn+1", 2, 2}, {21505, 0xF9, 0x12, "cn", 1, 3},
    {21506, 0xF9, 0x13, "cn+1", 2, 3},
};

// The grid rows of a type, sequence count and start index.
std::vector<const char*> gridLabels(int type, int sequences, int start) {
  std::vector<const char*> rows{"Start", "End"};
  const char* zero[] = {"a0", "b0", "c0"};
  const char* one[] = {"a1", "b1", "c1"};
  const char* two[] = {"a2", "b2", "c2"};
  const char* nStart[] = {"an Start", "bn Start", "cn Start"};
  if (type == 1) {
    for (int s = 0; s < sequences; ++s) rows.push_back(start ? one[s] : zero[s]);
    for (int s = 0; s < sequences; ++s) rows.push_back(nStart[s]);
  } else if (type == 2) {
    for (int s = 0; s < sequences; ++s) {
      rows.push_back(start ? one[s] : zero[s]);
      rows.push_back(start ? two[s] : one[s]);
    }
  }
  return rows;
}

}  // namespace

const CMessageMap& CQXRecursionCtrlDataPage::messageMap() {
  using P = CQXRecursionCtrlDataPage;
  static const CMessageMap map =
      MessageMapOf<P>(CQXDataPage::messageMap())
          .command(ID_EDIT_UNDO, &P::OnEditUndo)
          .command(ID_EDIT_CUT, &P::OnEditCut)
          .command(ID_EDIT_COPY, &P::OnEditCopy)
          .command(ID_EDIT_PASTE, &P::OnEditPaste)
          .command(kDelete, &P::OnEditClear)
          .command(ID_EDIT_SELECT_ALL, &P::OnEditSelectAll)
          .command(kEditCell, &P::OnEditCell)
          .command(kCmdCharTable, &P::OnCharTable)
          .command(kCmdFont, &P::OnFont)
          .command(kCmdPasteCommand, &P::OnPasteCommand)
          .commandRange(kCmdFirstVariable, kCmdFirstVariable + 6, &P::OnVariable)
          .command(kStartA0, &P::OnStartA0)
          .command(kStartA1, &P::OnStartA1)
          .command(kCmdDraw, &P::OnDraw)
          .commandRange(kCmdBlue, kCmdGreen, &P::OnColour)
          .updateUI(kCmdDraw, &P::OnUpdateDraw)
          .updateUIRange(kCmdBlue, kCmdGreen, &P::OnUpdateColour)
          .updateUI(ID_EDIT_UNDO, &P::OnUpdateEditUndo)
          .updateUI(ID_EDIT_CUT, &P::OnUpdateEditCut)
          .updateUI(ID_EDIT_COPY, &P::OnUpdateEditCopy)
          .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
          .updateUI(kDelete, &P::OnUpdateEditClear)
          .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateEditSelectAll)
          .updateUI(kEditCell, &P::OnUpdateEditCell)
          .updateUI(kCmdCharTable, &P::OnUpdateCharTable)
          .updateUI(kCmdFont, &P::OnUpdateFont)
          .updateUI(kCmdPasteCommand, &P::OnUpdatePasteCommand)
          .registeredMessage(RegisterCmdButtonMessage(), &P::OnCmdButtonClicked);
  return map;
}

CQXRecursionCtrlDataPage::CQXRecursionCtrlDataPage(UINT templateId, int sequenceCount)
    : CQXDataPage(templateId), m_sequenceCount(sequenceCount), m_roundTo10Digits(GetRoundTo10DigitsSetting()) {
  ResetRangeTable();
}

CQXRecursionCtrlDataPage::~CQXRecursionCtrlDataPage() = default;

void CQXRecursionCtrlDataPage::ResetRangeTable() {
  m_range.clear();
  for (const RangeDefault& d : kRangeDefaults) m_range.push_back(RangeRow{d.label, d.name, d.text, {}, 0, false, {}});
}

// ---------------------------------------------------------------- initialisation

BOOL CQXRecursionCtrlDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  // The page places its controls itself.
  if (QLayout* form = layout()) {
    form->setEnabled(false);
    delete form;
  }
  m_grid.SetFixedRowCount(0);
  m_grid.SetFixedColumnCount(0);
  if (!m_grid.Create(QRect(), this, kGridId, WS_CHILD | WS_VISIBLE | WS_TABSTOP)) return FALSE;
  m_grid.SetRowCount(3);
  m_grid.SetColumnCount(2);
  m_grid.SetFixedRowCount(1);
  m_grid.SetFixedColumnCount(1);
  m_grid.SetColumnWidth(1, 3 * m_grid.GetColumnWidth(1));
  m_grid.SetOwner(this);

  ResetRangeTable();
  createPageFont();
  m_typeCombo = GetDlgItemAs<QComboBox>(int(kTypeCombo));
  if (m_typeCombo) {
    for (const char* text : kTypeTexts) m_typeCombo->addItem(QString::fromLatin1(text));
    connect(m_typeCombo.data(), &QComboBox::activated, this, [this](int index) { onTypeSelected(index); });
  }
  m_startButtons[0] = GetDlgItemAs<QRadioButton>(int(kStartA0));
  m_startButtons[1] = GetDlgItemAs<QRadioButton>(int(kStartA1));
  m_tableLabel = GetDlgItem(int(kTableLabel));
  if (QWidget* placeholder = GetDlgItem(int(kListPlaceholder))) {
    m_formulaList.setParent(this);
    m_formulaList.setGeometry(placeholder->geometry());
    m_formulaList.SetDlgCtrlID(int(kListPlaceholder));
    placeholder->hide();
    m_formulaList.show();
  }
  addFormulaFields();
  m_grid.lower();
  if (m_typeCombo) m_typeCombo->setCurrentIndex(0);
  SetRecursionTypeIndex(0);
  RebuildRangeGrid(FALSE);

  if (auto* doc = dynamic_cast<CQXDoc*>(document)) {
    FillTokenTextMap(doc->GetTokenTable(), &m_textMap);
    std::string model;
    doc->GetCalculatorName(&model);
    m_charConvert.Load(model.c_str());
  }
  // Each editor types through this page's map.
  for (int i = 0; i < m_formulaList.GetFieldCount(); ++i) {
    if (CQXFieldTokenEditor* editor = FieldEditor(i)) {
      editor->SetTokenTextMap(&m_textMap);
      editor->SetCharMapCallback(m_charConvert.Callback());
    }
  }
  m_initialised = TRUE;
  OnSize(SIZE_RESTORED, width(), height());
  std::unique_ptr<CQXDocEntry> entry;
  if (FetchCurrentItem(&entry)) LoadFromItem(entry.get());
  return FALSE;
}

void CQXRecursionCtrlDataPage::OnDestroy() {
  for (int i = 0; i < m_formulaList.GetFieldCount(); ++i) m_formulaList.SetFieldData(i, 0);
  CQXDataPage::OnDestroy();
}

void CQXRecursionCtrlDataPage::createPageFont() {
  // Asked once per run for every recursion page.
  static bool askedOnce = false;
  m_pageFontMade = LoadProgramEditorFont(&m_pageFont, askedOnce);
}

std::string CQXRecursionCtrlDataPage::fieldLabel(int field) const {
  char label[16];
  if (m_typeIndex == 0)
    std::snprintf(label, sizeof label, "%cn:", 'a' + field);
  else
    std::snprintf(label, sizeof label, "%cn+%u:", 'a' + field, unsigned(m_typeIndex));
  return label;
}

void CQXRecursionCtrlDataPage::addFormulaFields() {
  m_formulaList.RemoveAllFields();
  for (int i = 0; i < m_sequenceCount; ++i)
    if (!m_formulaList.AddField(fieldLabel(i).c_str(), "", UINT(kFirstFieldId + i * kFieldIdStep), this, 0)) break;
  if (m_pageFontMade) m_formulaList.SetFieldsFont(&m_pageFont);
  // Wide enough for the longest label of every type.
  m_formulaList.SetLabelWidthFromText("cn+2: ", m_pageFontMade ? &m_pageFont : nullptr);
  relabelFields();
}

void CQXRecursionCtrlDataPage::relabelFields() {
  for (int i = 0; i < m_formulaList.GetFieldCount(); ++i)
    if (CQXTokenField* field = m_formulaList.GetField(i)) field->SetLabel(fieldLabel(i).c_str());
  m_formulaList.RecalcLayout();
}

void CQXRecursionCtrlDataPage::OnSize(UINT type, int cx, int cy) {
  CQXDataPage::OnSize(type, cx, cy);
  if (!m_initialised || !m_typeCombo) return;
  const int h = m_typeCombo->height();
  QRect combo = m_typeCombo->geometry();
  combo.setRight(cx - 4);
  m_typeCombo->setGeometry(combo);
  const int listTop = combo.bottom() + 1 + h / 2;
  m_formulaList.setGeometry(4, listTop, std::max(0, cx - 8), m_formulaList.GetContentHeight());
  m_formulaList.RecalcLayout();
  int bottom = listTop + m_formulaList.GetContentHeight();
  if (m_tableLabel) {
    const int labelHeight = m_tableLabel->sizeHint().height();
    m_tableLabel->setGeometry(combo.left(), bottom + h / 2, std::max(0, cx - 4 - combo.left()), labelHeight);
    bottom = m_tableLabel->geometry().bottom() + 1;
  }
  for (QRadioButton* button : {m_startButtons[0].data(), m_startButtons[1].data()}) {
    if (!button) continue;
    const int height = button->sizeHint().height();
    if (m_typeIndex == 0) {
      button->move(button->x(), -1000);
      continue;
    }
    button->setGeometry(combo.left(), bottom + h / 2, std::max(0, cx - 4 - combo.left()), height);
    bottom = button->geometry().bottom() + 1;
  }
  const int gridTop = bottom + h / 4;
  m_grid.setGeometry(combo.left(), gridTop, std::max(0, cx - 1 - combo.left()), std::max(0, cy - 1 - gridTop));
}

// ---------------------------------------------------------------- range table

CQXRecursionCtrlDataPage::RangeRow* CQXRecursionCtrlDataPage::rowByLabel(const char* label) {
  for (RangeRow& row : m_range)
    if (label && std::strcmp(row.label, label) == 0) return &row;
  return nullptr;
}

CQXRecursionCtrlDataPage::RangeRow* CQXRecursionCtrlDataPage::rowByName(const char* name) {
  for (RangeRow& row : m_range)
    if (name && std::strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

const CQXRecursionCtrlDataPage::RangeRow* CQXRecursionCtrlDataPage::rowByName(const char* name) const {
  return const_cast<CQXRecursionCtrlDataPage*>(this)->rowByName(name);
}

BOOL CQXRecursionCtrlDataPage::SetRangeValueByLabel(const char* label, const std::string& text) {
  RangeRow* row = rowByLabel(label);
  if (!row) return FALSE;
  row->text = text.empty() ? "0" : text;
  return TRUE;
}

BOOL CQXRecursionCtrlDataPage::GetRangeValueByLabel(const char* label, std::string* text) const {
  const RangeRow* row = const_cast<CQXRecursionCtrlDataPage*>(this)->rowByLabel(label);
  if (!row) return FALSE;
  *text = row->text;
  return TRUE;
}

BOOL CQXRecursionCtrlDataPage::SetRangeValueByName(const char* name, const std::string& text) {
  RangeRow* row = rowByName(name);
  if (!row) return FALSE;
  row->text = text.empty() ? "0" : text;
  return TRUE;
}

BOOL CQXRecursionCtrlDataPage::GetRangeValueByName(const char* name, std::string* text) const {
  const RangeRow* row = rowByName(name);
  if (!row) return FALSE;
  *text = row->text;
  return TRUE;
}

const char* CQXRecursionCtrlDataPage::GetRangeItemName(int index) {
  return index >= 0 && index < kRangeValues ? kRangeItemNames[index] : nullptr;
}

void CQXRecursionCtrlDataPage::LoadRangeValue(const char* name, int generation, const BYTE* bytes, bool complex) {
  RangeRow* row = rowByName(name);
  if (!row) return;
  const std::string text = NumberBytesToText(generation, bytes, complex, m_roundTo10Digits != FALSE);
  row->text = text.empty() ? "0" : text;
  row->loadedText = text;
  row->loadedGeneration = text.empty() ? 0 : generation;
  row->loadedComplex = complex;
  const size_t size = size_t(generation == 1 ? 10 : 9) * (complex ? 2 : 1);
  row->loadedBytes.assign(bytes, bytes + size);
}

bool CQXRecursionCtrlDataPage::RangeValueBytes(const char* name, int generation, std::vector<BYTE>* bytes,
                                               bool* complex) const {
  const RangeRow* row = rowByName(name);
  if (!row) return false;
  std::string text = row->text;
  if (text.size() > kMaxText) text.resize(kMaxText);
  if (row->loadedGeneration == generation && text == row->loadedText) {
    *bytes = row->loadedBytes;
    *complex = row->loadedComplex;
    return true;
  }
  std::array<BYTE, 48> converted{};
  DWORD flags = 0;
  if (!NumberTextToBytes(generation, text, true, m_roundTo10Digits != FALSE, &converted, &flags)) return false;
  *complex = (flags & kNumConvResultComplex) != 0;
  bytes->assign(converted.begin(), converted.begin() + (generation == 1 ? 10 : 9) * (*complex ? 2 : 1));
  return true;
}

void CQXRecursionCtrlDataPage::SetRecursionTypeIndex(int index) {
  m_typeIndex = index;
  relabelFields();
  for (QRadioButton* button : {m_startButtons[0].data(), m_startButtons[1].data()}) {
    if (!button) continue;
    button->setVisible(index != 0);
    button->setEnabled(index != 0);
  }
  ShowStartIndex();
  if (m_initialised) OnSize(SIZE_RESTORED, width(), height());
}

void CQXRecursionCtrlDataPage::ShowStartIndex() {
  for (int i = 0; i < 2; ++i)
    if (m_startButtons[i]) m_startButtons[i]->setChecked(m_startIndex == i);
}

BOOL CQXRecursionCtrlDataPage::RebuildRangeGrid(BOOL storeFirst) {
  if (storeFirst && !ApplyRangeTable()) return FALSE;
  if (m_typeIndex < 0 || m_typeIndex > 2) return TRUE;
  const std::vector<const char*> labels = gridLabels(m_typeIndex, m_sequenceCount, m_startIndex);
  m_grid.EndEditing();
  m_grid.SetRowCount(1 + int(labels.size()));
  for (int r = 1; r <= int(labels.size()); ++r) {
    m_grid.SetItemText(r, 0, labels[size_t(r - 1)]);
    std::string text;
    GetRangeValueByLabel(labels[size_t(r - 1)], &text);
    m_grid.SetItemText(r, 1, text);
    m_grid.SetItemFormat(r, 1, DT_RIGHT | DT_SINGLELINE);
  }
  m_grid.SetFocusCell(1, 1);
  m_grid.update();
  return TRUE;
}

void CQXRecursionCtrlDataPage::ShowInvalidNumber() {
  if (GetSheet() && GetActivePageId() != m_psp.pszTemplate) ActivatePage(m_psp.pszTemplate);
  AfxMessageBox(kInvalidNumber, MB_OK | MB_ICONEXCLAMATION);
  if (m_grid.isVisible()) m_grid.setFocus();
  SwitchToPane(1);
}

BOOL CQXRecursionCtrlDataPage::ApplyRangeTableAs(int generation) {
  if (m_grid.GetInPlaceEdit()) m_grid.setFocus();
  m_grid.EndEditing();
  for (int r = m_grid.GetFixedRowCount(); r < m_grid.GetRowCount(); ++r) {
    std::string text = m_grid.GetItemText(r, 1);
    if (text.size() > kMaxText) text.resize(kMaxText);
    std::array<BYTE, 48> bytes{};
    if (text.empty() || NumberTextToBytes(generation, text, true, m_roundTo10Digits != FALSE, &bytes, nullptr))
      continue;
    m_grid.ClearSelection();
    m_grid.SetFocusCell(r, 1);
    m_grid.EnsureVisible(r, 1);
    ShowInvalidNumber();
    return FALSE;
  }
  for (int r = m_grid.GetFixedRowCount(); r < m_grid.GetRowCount(); ++r)
    SetRangeValueByLabel(m_grid.GetItemText(r, 0).c_str(), m_grid.GetItemText(r, 1));
  return TRUE;
}

void CQXRecursionCtrlDataPage::onTypeSelected(int index) {
  if (index < 0 || index == m_typeIndex) return;
  const int old = m_typeIndex;
  SetRecursionTypeIndex(index);
  if (!RebuildRangeGrid(TRUE)) {
    // The grid keeps its layout: so do the type, the combo and the labels.
    SetRecursionTypeIndex(old);
    if (m_typeCombo) m_typeCombo->setCurrentIndex(old);
    return;
  }
  m_modified = TRUE;
}

BOOL CQXRecursionCtrlDataPage::ChangeStartIndex(int index) {
  const int old = m_startIndex;
  if (index == old) return TRUE;
  m_startIndex = index;
  if (!RebuildRangeGrid(TRUE)) {
    m_startIndex = old;
    ShowStartIndex();
    return FALSE;
  }
  m_modified = TRUE;
  ShowStartIndex();
  OnStartIndexChanged();
  return TRUE;
}

// ---------------------------------------------------------------- fields

CQXFieldTokenEditor* CQXRecursionCtrlDataPage::FieldEditor(int field) const { return m_formulaList.GetFieldEditor(field); }

BOOL CQXRecursionCtrlDataPage::SetFieldTokens(int field, const BYTE* bytes, int length) {
  CQXFieldTokenEditor* editor = FieldEditor(field);
  if (!editor) return FALSE;
  if (bytes && length > 0)
    editor->SetTokens(bytes, length, kTokenFormatBytes);
  else
    editor->ClearTokens();
  return TRUE;
}

std::vector<BYTE> CQXRecursionCtrlDataPage::GetFieldTokens(int field) const {
  CQXFieldTokenEditor* editor = FieldEditor(field);
  if (!editor) return {};
  std::vector<BYTE> bytes(size_t(editor->GetTokensLength(kTokenFormatBytes)) + 1, 0);
  int length = 0;
  editor->GetTokens(bytes.data(), int(bytes.size()), &length, kTokenFormatBytes);
  bytes.resize(size_t(length));
  return bytes;
}

void* CQXRecursionCtrlDataPage::GetFocusedFieldInfo() const {
  const int index = m_formulaList.GetFocusedFieldIndex();
  return index < 0 ? nullptr : reinterpret_cast<void*>(m_formulaList.GetFieldData(index));
}

void CQXRecursionCtrlDataPage::InsertIntoLastField(const BYTE* bytes, int length) {
  CQXFieldTokenEditor* editor = m_formulaList.GetLastFocusedFieldEditor();
  if (!editor) return;
  editor->ReplaceSel(bytes, length, kTokenFormatBytes);
  editor->setFocus();
}

// ---------------------------------------------------------------- protocol

BOOL CQXRecursionCtrlDataPage::IsModified() {
  if (!m_initialised) return FALSE;
  return m_modified || m_formulaList.AnyModified() || m_grid.GetModified(-1, -1);
}

void CQXRecursionCtrlDataPage::SetModified(BOOL modified) {
  m_modified = modified;
  if (!m_initialised) return;
  m_formulaList.SetAllModified(modified);
  // The grid too: an edited cell, once committed, is not pending any more.
  m_grid.SetModified(modified, -1, -1);
}

void CQXRecursionCtrlDataPage::OnDocNotify(int code, QObject* argument) {
  if (code == kNotifyItemChanged && m_initialised) {
    std::unique_ptr<CQXDocEntry> entry;
    if (FetchCurrentItem(&entry)) LoadFromItem(entry.get());
  }
  CQXDataPage::OnDocNotify(code, argument);
}

void CQXRecursionCtrlDataPage::MergeMenus() {
  EditMenuEntryItem(kPopupEdit, FALSE);
  CMenu* edit = GetMenuPopupByKey(kPopupEdit);
  if (!edit) return;
  edit->RemoveMenu(kCmdCharTable, MF_BYCOMMAND);
  edit->AppendMenu(MF_SEPARATOR);
  edit->AppendMenu(MF_STRING, kCmdFont, CLanguageLibrary::LoadString(kFontText));
  edit->AppendMenu(MF_STRING, kCmdCharTable, CLanguageLibrary::LoadString(kCharTableText));
}

void CQXRecursionCtrlDataPage::UnmergeMenus() {
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    edit->RemoveMenu(kCmdCharTable, MF_BYCOMMAND);
    edit->RemoveMenu(kCmdFont, MF_BYCOMMAND);
    const int last = edit->GetMenuItemCount() - 1;
    if (last >= 0 && edit->GetMenuItemID(last) == 0) edit->RemoveMenu(UINT(last), MF_BYPOSITION);
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

BOOL CQXRecursionCtrlDataPage::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && m_formulaList.HasFocusedField() &&
      (m_formulaList.GetDlgCode() & CQXTokenFieldList::kDlgCodeWantTab) && m_formulaList.OnTabKey(msg))
    return TRUE;
  return CQXDataPage::PreTranslateMessage(msg);
}

// ---------------------------------------------------------------- commands

BOOL CQXRecursionCtrlDataPage::GridHasFocus() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == &m_grid || m_grid.isAncestorOf(focus));
}

#define QX_FIELD_EDITOR CQXFieldTokenEditor* editor = m_formulaList.GetFocusedFieldEditor()

void CQXRecursionCtrlDataPage::OnEditUndo() {
  QX_FIELD_EDITOR;
  if (!GridHasFocus() && editor) editor->EditUndo();
}
void CQXRecursionCtrlDataPage::OnEditCut() {
  QX_FIELD_EDITOR;
  if (GridHasFocus()) m_grid.Cut();
  else if (editor) editor->EditCut();
}
void CQXRecursionCtrlDataPage::OnEditCopy() {
  QX_FIELD_EDITOR;
  if (GridHasFocus()) m_grid.Copy();
  else if (editor) editor->EditCopy();
}
void CQXRecursionCtrlDataPage::OnEditPaste() {
  QX_FIELD_EDITOR;
  if (GridHasFocus()) m_grid.Paste();
  else if (editor) editor->EditPaste();
}
void CQXRecursionCtrlDataPage::OnEditClear() {
  QX_FIELD_EDITOR;
  if (GridHasFocus()) m_grid.Clear();
  else if (editor) editor->EditClear();
}
void CQXRecursionCtrlDataPage::OnEditSelectAll() {
  QX_FIELD_EDITOR;
  if (GridHasFocus()) m_grid.SelectAll();
  else if (editor) editor->EditSelectAll();
}
void CQXRecursionCtrlDataPage::OnEditCell() { m_grid.EditFocusCell(); }

void CQXRecursionCtrlDataPage::OnUpdateEditUndo(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(!GridHasFocus() && editor && editor->CanEditUndo());
}
void CQXRecursionCtrlDataPage::OnUpdateEditCut(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(GridHasFocus() ? m_grid.CanCopy() : editor && editor->CanEditCut());
}
void CQXRecursionCtrlDataPage::OnUpdateEditCopy(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(GridHasFocus() ? m_grid.CanCopy() : editor && editor->CanEditCopy());
}
void CQXRecursionCtrlDataPage::OnUpdateEditPaste(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(GridHasFocus() ? m_grid.CanPaste() : editor && editor->CanEditPaste());
}
void CQXRecursionCtrlDataPage::OnUpdateEditClear(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(GridHasFocus() ? m_grid.CanClear() : editor && editor->CanEditCopy());
}
void CQXRecursionCtrlDataPage::OnUpdateEditSelectAll(CCmdUI* ui) {
  QX_FIELD_EDITOR;
  ui->Enable(GridHasFocus() ? m_grid.CanSelectAll() : editor && editor->CanEditSelectAll());
}
void CQXRecursionCtrlDataPage::OnUpdateEditCell(CCmdUI* ui) { ui->Enable(GridHasFocus() && m_grid.CanEditFocusCell()); }

#undef QX_FIELD_EDITOR

void CQXRecursionCtrlDataPage::OnUpdateCharTable(CCmdUI* ui) {
  ui->Enable(!GridHasFocus() && m_formulaList.GetFocusedFieldEditor() != nullptr);
}

void CQXRecursionCtrlDataPage::OnCharTable() {
  CQXFieldTokenEditor* editor = m_formulaList.GetFocusedFieldEditor();
  if (!editor) return;
  CQXCharTableDlg dialog(this);
  dialog.m_chosenCode = BYTE(m_lastCharacter);
  dialog.m_logFont = tallix::logFontFromFont(m_pageFontMade ? m_pageFont.font() : m_formulaList.font());
  if (dialog.DoModal() == IDOK) {
    m_lastCharacter = dialog.m_chosenCode;
    editor->SetSel(-1, 0, FALSE);
    // Through the editor's guard: a code the map takes for a lead byte is
    // refused like a typed one.
    const BYTE code = dialog.m_chosenCode;
    editor->ReplaceSel(&code, 1, kTokenFormatBytes);
  }
  editor->setFocus();
}

void CQXRecursionCtrlDataPage::OnUpdateFont(CCmdUI* ui) { ui->Enable(GetSheet() && GetSheet()->GetActivePage() == this); }

void CQXRecursionCtrlDataPage::OnFont() {
  CFont font = m_pageFont;
  if (!m_pageFontMade) font.SetFont(m_formulaList.font());
  if (!ChooseProgramEditorFont(this, &font)) return;
  m_pageFont = font;
  m_pageFontMade = TRUE;
  m_formulaList.SetFieldsFont(&m_pageFont);
  if (m_initialised) OnSize(SIZE_RESTORED, width(), height());
}

void CQXRecursionCtrlDataPage::OnUpdatePasteCommand(CCmdUI* ui) {
  ui->Enable(m_formulaList.GetLastFocusedFieldEditor() != nullptr);
}

void CQXRecursionCtrlDataPage::OnPasteCommand() {
  std::vector<BYTE> bytes;
  if (ChoosePasteCommand(&bytes) && !bytes.empty())
    InsertIntoLastField(bytes.data(), int(bytes.size()));
}

void CQXRecursionCtrlDataPage::OnColour(UINT command) {
  if (void* record = GetFocusedFieldInfo()) {
    SetRecordColour(record, command);
    SetModified(TRUE);
  }
}

void CQXRecursionCtrlDataPage::OnDraw() {
  if (void* record = GetFocusedFieldInfo()) {
    ToggleRecordDrawn(record);
    SetModified(TRUE);
  }
}

void CQXRecursionCtrlDataPage::OnUpdateColour(CCmdUI* ui) {
  const void* record = GetFocusedFieldInfo();
  ui->Enable(TRUE);
  ui->SetRadio(record && IsRecordColour(record, ui->m_nID));
}

void CQXRecursionCtrlDataPage::OnUpdateDraw(CCmdUI* ui) {
  const void* record = GetFocusedFieldInfo();
  ui->Enable(TRUE);
  ui->SetCheck(record && IsRecordDrawn(record) ? 1 : 0);
}

BOOL CQXRecursionCtrlDataPage::ChoosePasteCommand(std::vector<BYTE>* bytes) {
  bytes->clear();
  CQXPasteCmdDlg dialog(this, GetPageFont(), dynamic_cast<CQXDocServices*>(document));
  if (dialog.DoModal() != IDOK) return FALSE;
  *bytes = dialog.m_result.Bytes();
  return !bytes->empty();
}

void CQXRecursionCtrlDataPage::OnVariable(UINT command) {
  for (const RecursionVariable& row : RecursionVariableTable) {
    if (row.command != command) continue;
    const BYTE bytes[2] = {row.lead, row.token};
    if (row.lead)
      InsertIntoLastField(bytes, 2);
    else
      InsertIntoLastField(bytes + 1, 1);
    return;
  }
}

CMenu* CQXRecursionCtrlDataPage::LoadVariableMenu(CMenu* menu) {
  if (!menu->LoadMenu(kVariableMenu)) return nullptr;
  CMenu* popup = menu->GetSubMenu(0);
  if (!popup) return nullptr;
  UINT at = 0;
  const QString prefix = CLanguageLibrary::LoadString(kVariableText) + QStringLiteral(": ");
  for (const RecursionVariable& row : RecursionVariableTable)
    if (row.minSequences <= m_sequenceCount && row.minType <= m_typeIndex)
      popup->InsertMenu(at++, MF_BYPOSITION | MF_STRING, row.command, prefix + QString::fromLatin1(row.text));
  return popup;
}

LRESULT CQXRecursionCtrlDataPage::OnCmdButtonClicked(WPARAM wParam, LPARAM) {
  QWidget* button = m_formulaList.GetFocusedFieldButton();
  if (!button) button = GetDlgItem(int(wParam));
  CMenu menu;
  CMenu* popup = button ? LoadVariableMenu(&menu) : nullptr;
  if (!popup) return 0;
  UpdatePopupMenu(popup->GetSafeHmenu());
  const QPoint corner = button->mapToGlobal(QPoint(0, button->height() + 1));
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, corner.x(), corner.y(), this);
  return 0;
}
