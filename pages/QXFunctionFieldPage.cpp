#include "pages/QXFunctionFieldPage.h"

#include "app/MenuPopups.h"
#include "app/QXDoc.h"
#include "classlib/MenuHelpers.h"
#include "datamodel/ModelLookups.h"
#include "datamodel/QXDocEntry.h"
#include "platform/CmdUI.h"
#include "platform/MessageBox.h"
#include "platform/PropertySheet.h"
#include "tokens/EditorFonts.h"
#include "tokens/QXCharTableDlg.h"
#include "tokens/QXTokenArray.h"
#include "tokens/QXTokenSelectWnd.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

constexpr UINT kFontText = 10040;
constexpr UINT kCharacterTableText = 10057;
constexpr UINT kOutOfMemory = 61706;

// The calculator-font check of the function-field pages runs once a run.
bool g_fontAskedOnce = false;

}  // namespace

const CMessageMap& CQXFunctionFieldCtrlDataPage::messageMap() {
  using P = CQXFunctionFieldCtrlDataPage;
  static const CMessageMap map =
      MessageMapOf<P>(CQXTokenWndDataPage::messageMap())
          .command(ID_EDIT_UNDO, &P::OnEditUndo)
          .updateUI(ID_EDIT_UNDO, &P::OnUpdateEditUndo)
          .command(ID_EDIT_CUT, &P::OnEditCut)
          .updateUI(ID_EDIT_CUT, &P::OnUpdateEditSelection)
          .command(ID_EDIT_COPY, &P::OnEditCopy)
          .updateUI(ID_EDIT_COPY, &P::OnUpdateEditSelection)
          .command(kCmdDelete, &P::OnEditDelete)
          .updateUI(kCmdDelete, &P::OnUpdateEditSelection)
          .command(ID_EDIT_PASTE, &P::OnEditPaste)
          .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
          .command(ID_EDIT_SELECT_ALL, &P::OnEditSelectAll)
          .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateEditSelectAll)
          .command(kCmdCharacterTable, &P::OnCharacterTable)
          .updateUI(kCmdCharacterTable, &P::OnUpdateCharacterTable)
          .command(kCmdFont, &P::OnFont)
          .updateUI(kCmdFont, &P::OnUpdateFont)
          .command(kCmdInsertCommand, &P::OnInsertCommand)
          .updateUI(kCmdInsertCommand, &P::OnUpdateInsertCommand)
          .command(kCmdConvertText, &P::OnConvertText)
          .updateUI(kCmdConvertText, &P::OnUpdateConvertText)
          .registeredMessage(g_nTokenSelectInsertCmdNotify, &P::OnInsertNotifiedCommand)
          .registeredMessage(g_nCmdButtonClickedMessage, &P::OnFieldButton);
  return map;
}

CQXFunctionFieldCtrlDataPage::CQXFunctionFieldCtrlDataPage(UINT templateId) : CQXTokenWndDataPage(templateId) {
  RegisterCmdButtonMessage();
}

CQXFunctionFieldCtrlDataPage::~CQXFunctionFieldCtrlDataPage() = default;

BOOL CQXFunctionFieldCtrlDataPage::OnInitDialog() {
  CQXTokenWndDataPage::OnInitDialog();
  if (!IsPageCreated()) return FALSE;
  // The field list takes the placeholder's place; the fields lie over it.
  HidePlaceholder(kListPlaceholder, &listRect_);
  fieldList_ = new CQXFunctionFieldList(this);
  fieldList_->setGeometry(listRect_);
  fieldList_->show();
  fieldList_->AttachScrollBar(kListScrollBar, this);

  if (LoadProgramEditorFont(&font_, g_fontAskedOnce)) pageFont_ = &font_;
  applyPageFont();

  std::string model;
  if (auto* doc = dynamic_cast<CQXDocServices*>(document)) doc->GetCalculatorName(&model);
  charConvert_.Load(model.c_str());
  PrepareFieldEditors();

  selectWnd_ = new CQXTokenSelectWnd;
  if (selectWnd_->Create(this)) {
    selectWnd_->SetFont(pageFont_);
  } else {
    delete selectWnd_.data();
  }
  placePaneLast();
  if (loadItemOnInit) {
    std::unique_ptr<CQXDocEntry> entry;
    if (FetchCurrentItem(&entry)) LoadFromItem(entry.get());
    initialised = TRUE;
  }
  return FALSE;
}

void CQXFunctionFieldCtrlDataPage::OnDestroy() {
  if (selectWnd_) {
    selectWnd_->DestroyWindow();
    delete selectWnd_.data();
  }
  CQXTokenWndDataPage::OnDestroy();
}

void CQXFunctionFieldCtrlDataPage::OnSize(UINT type, int cx, int cy) {
  CQXTokenWndDataPage::OnSize(type, cx, cy);
  if (fieldList_) fieldList_->setGeometry(4, 4, std::max(0, cx - 8), std::max(0, GetEditorBottom() - 8));
}

QWidget* CQXFunctionFieldCtrlDataPage::GetPrintControl() { return fieldList_; }

// ---- fonts, characters, fields

void CQXFunctionFieldCtrlDataPage::applyPageFont() {
  if (!pageFont_ || !fieldList_) return;
  fieldList_->SetFieldsFont(pageFont_);
  GetCmdChooser().SetFont(pageFont_);
}

void CQXFunctionFieldCtrlDataPage::placePaneLast() {
  if (!fieldList_) return;
  const int count = fieldList_->GetFieldCount();
  QWidget* last = count > 0 ? fieldList_->GetField(count - 1)->GetButton() : static_cast<QWidget*>(fieldList_);
  GetCmdChooser().PlaceViewsAfter(last);
}

void CQXFunctionFieldCtrlDataPage::PrepareFieldEditor(int i) {
  CQXFieldTokenEditor* editor = fieldList_ ? fieldList_->GetFieldEditor(i) : nullptr;
  if (!editor) return;
  editor->SetCharMapCallback(charConvert_.Callback());
  editor->SetTokenTextMap(&GetTokenTextMap());
}

void CQXFunctionFieldCtrlDataPage::PrepareFieldEditors() {
  for (int i = 0; fieldList_ && i < fieldList_->GetFieldCount(); ++i) PrepareFieldEditor(i);
}

BOOL CQXFunctionFieldCtrlDataPage::AddFunctionField(const std::string& label, int id, std::uintptr_t data,
                                                    int afterId) {
  if (!fieldList_) return FALSE;
  const BOOL added = afterId >= 0 ? fieldList_->InsertField(UINT(afterId), label.c_str(), "", UINT(id), this, data)
                                  : fieldList_->AddField(label.c_str(), "", UINT(id), this, data);
  if (!added) AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
  return added;
}

void CQXFunctionFieldCtrlDataPage::FinishFields(BOOL labelColumnFromSample) {
  if (!fieldList_) return;
  if (pageFont_) fieldList_->SetFieldsFont(pageFont_);
  if (labelColumnFromSample) fieldList_->SetLabelWidthFromText(kLabelSample, pageFont_);
  PrepareFieldEditors();
  fieldList_->RecalcLayout();
  placePaneLast();
}

BOOL CQXFunctionFieldCtrlDataPage::SetFieldTokens(int i, const std::string& bytes) {
  CQXFieldTokenEditor* editor = fieldList_ ? fieldList_->GetFieldEditor(i) : nullptr;
  if (!editor) return FALSE;
  if (bytes.empty())
    editor->ClearTokens();
  else
    editor->SetTokens(reinterpret_cast<const BYTE*>(bytes.data()), int(bytes.size()), kTokenFormatBytes);
  editor->update();
  return TRUE;
}

BOOL CQXFunctionFieldCtrlDataPage::GetFieldTokens(int i, std::string* bytes) const {
  const CQXFieldTokenEditor* editor = fieldList_ ? fieldList_->GetFieldEditor(i) : nullptr;
  if (!editor || !bytes) return FALSE;
  bytes->assign(std::size_t(editor->GetTokensLength(kTokenFormatBytes)), '\0');
  int length = 0;
  if (!editor->GetTokens(reinterpret_cast<BYTE*>(bytes->data()), int(bytes->size()), &length, kTokenFormatBytes))
    return FALSE;
  bytes->resize(std::size_t(length));
  return TRUE;
}

BOOL CQXFunctionFieldCtrlDataPage::SetFieldLabel(int i, const std::string& label) {
  CQXTokenField* field = fieldList_ ? fieldList_->GetField(i) : nullptr;
  return field && field->SetLabel(label.c_str());
}

// ---- the page protocol

BOOL CQXFunctionFieldCtrlDataPage::IsModified() {
  if (!fieldList_) return FALSE;
  return modified || fieldList_->AnyModified();
}

void CQXFunctionFieldCtrlDataPage::SetModified(BOOL flag) {
  modified = flag;
  if (fieldList_) fieldList_->SetAllModified(flag);
}

void CQXFunctionFieldCtrlDataPage::OnDocNotify(int code, QObject* argument) {
  if (code == kNotifyItemChanged && fieldList_) {
    std::unique_ptr<CQXDocEntry> entry;
    if (FetchCurrentItem(&entry)) LoadFromItem(entry.get());
  }
  CQXTokenWndDataPage::OnDocNotify(code, argument);
}

void CQXFunctionFieldCtrlDataPage::MergeMenus() {
  EditMenuEntryItem(kPopupEdit, FALSE);
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    edit->AppendMenu(MF_SEPARATOR);
    AppendMenuString(edit, kFontText, kCmdFont);
    AppendMenuString(edit, kCharacterTableText, kCmdCharacterTable);
  }
}

void CQXFunctionFieldCtrlDataPage::UnmergeMenus() {
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    RemoveMenuCommand(edit, kCmdCharacterTable);
    RemoveMenuCommand(edit, kCmdFont);
    const int last = edit->GetMenuItemCount() - 1;
    if (last >= 0 && edit->GetMenuItemID(last) == 0) RemoveMenuAt(edit, UINT(last));
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

// ---- keys

BOOL CQXFunctionFieldCtrlDataPage::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && fieldList_) {
    if (msg->wParam == VK_TAB && fieldList_->HasFocusedField() &&
        (fieldList_->GetDlgCode() & CQXTokenFieldList::kDlgCodeWantTab) && fieldList_->OnTabKey(msg))
      return TRUE;
    const bool ctrl = msg->keyEvent ? (msg->keyEvent->modifiers() & Qt::ControlModifier) : GetKeyState(VK_CONTROL) < 0;
    CScrollBar* bar = fieldList_->GetScrollBar();
    if (ctrl && bar && (msg->wParam == VK_UP || msg->wParam == VK_DOWN)) {
      const bool up = msg->wParam == VK_UP;
      if (up ? bar->value() > bar->minimum() : bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + (up ? -1 : 1));
        fieldList_->PostMessage(CQXTokenFieldList::kMsgScroll, MAKEWPARAM(WORD(up ? SB_LINEUP : SB_LINEDOWN), 0));
      }
    }
  }
  return CQXTokenWndDataPage::PreTranslateMessage(msg);
}

// ---- the field menu

LRESULT CQXFunctionFieldCtrlDataPage::OnFieldButton(WPARAM, LPARAM) {
  QWidget* button = fieldList_ ? fieldList_->GetFocusedFieldButton() : nullptr;
  if (!button) return 0;
  menuFieldId_ = fieldList_->GetFocusedFieldId();
  // The lower left corner of the button, one pixel below it.
  const QPoint at = button->mapToGlobal(QPoint(0, button->height() + 1));
  TrackContextMenu(this, at.x(), at.y(), fieldMenuId, TRUE);
  return 0;
}

// ---- Edit commands on the focused field

int CQXFunctionFieldCtrlDataPage::CommandField() const {
  if (!fieldList_) return -1;
  const int focused = fieldList_->GetFocusedFieldIndex();
  if (focused >= 0) return focused;
  const QWidget* focus = QApplication::focusWidget();
  return focus && isAncestorOf(focus) ? -1 : fieldList_->FindFieldById(menuFieldId_);
}

CQXFieldTokenEditor* CQXFunctionFieldCtrlDataPage::focusedEditor() const {
  return fieldList_ ? fieldList_->GetFieldEditor(CommandField()) : nullptr;
}

void CQXFunctionFieldCtrlDataPage::OnEditUndo() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditUndo();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateEditUndo(CCmdUI* ui) {
  const CQXFieldTokenEditor* editor = focusedEditor();
  ui->Enable(editor && editor->CanEditUndo());
}

void CQXFunctionFieldCtrlDataPage::OnEditCut() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditCut();
}

void CQXFunctionFieldCtrlDataPage::OnEditCopy() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditCopy();
}

void CQXFunctionFieldCtrlDataPage::OnEditDelete() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditClear();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateEditSelection(CCmdUI* ui) {
  const CQXFieldTokenEditor* editor = focusedEditor();
  ui->Enable(editor && editor->CanEditCopy());
}

void CQXFunctionFieldCtrlDataPage::OnEditPaste() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditPaste();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateEditPaste(CCmdUI* ui) {
  const CQXFieldTokenEditor* editor = focusedEditor();
  ui->Enable(editor && editor->CanEditPaste());
}

void CQXFunctionFieldCtrlDataPage::OnEditSelectAll() {
  if (CQXFieldTokenEditor* editor = focusedEditor()) editor->EditSelectAll();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateEditSelectAll(CCmdUI* ui) {
  const CQXFieldTokenEditor* editor = focusedEditor();
  ui->Enable(editor && editor->CanEditSelectAll());
}

void CQXFunctionFieldCtrlDataPage::OnCharacterTable() {
  CQXFieldTokenEditor* editor = focusedEditor();
  if (!editor) return;
  CQXCharTableDlg dialog(this);
  dialog.m_chosenCode = lastCharacter_;
  editor->GetLogFont(&dialog.m_logFont);
  if (dialog.DoModal() == IDOK) {
    lastCharacter_ = dialog.m_chosenCode;
    // One calculator byte as one token, through the editor's guard: a lead
    // byte alone or the end byte would change what the calculator reads.
    const BYTE code = lastCharacter_;
    editor->SetSel(-1, 0);
    if (editor->IsInsertableToken(MakeTokenWord(0, code)))
      editor->ReplaceSel(&code, 1, kTokenFormatBytes);
    else
      QApplication::beep();
  }
  editor->SetFocus();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateCharacterTable(CCmdUI* ui) { ui->Enable(focusedEditor() != nullptr); }

void CQXFunctionFieldCtrlDataPage::OnFont() {
  CFont chosen;
  chosen.SetFont(pageFont_ ? pageFont_->font() : font());
  if (!ChooseProgramEditorFont(this, &chosen)) return;
  font_.SetFont(chosen.font());
  pageFont_ = &font_;
  applyPageFont();
  if (selectWnd_) selectWnd_->SetFont(pageFont_);
}

void CQXFunctionFieldCtrlDataPage::OnUpdateFont(CCmdUI* ui) {
  CPropertySheet* sheet = GetSheet();
  ui->Enable(sheet && sheet->GetActivePage() == this);
}

void CQXFunctionFieldCtrlDataPage::OnInsertCommand() {
  CQXFieldTokenEditor* editor = fieldList_ ? fieldList_->GetLastFocusedFieldEditor() : nullptr;
  if (!editor) return;
  QXCMDSELECTION selection;
  if (GetCmdChooser().GetSelectedCommand(&selection) && selection.length > 0 && selection.data())
    editor->ReplaceSel(selection.data(), selection.length, kTokenFormatBytes);
  GetCmdChooser().AddSelectionToLastUsed();
}

void CQXFunctionFieldCtrlDataPage::OnUpdateInsertCommand(CCmdUI* ui) {
  ui->Enable(fieldList_ && fieldList_->GetLastFocusedFieldEditor() != nullptr);
}

void CQXFunctionFieldCtrlDataPage::OnConvertText() {
  CQXFieldTokenEditor* editor = focusedEditor();
  auto* doc = dynamic_cast<CQXDoc*>(document);
  if (!editor || !doc || !selectWnd_) return;
  askingEditor_ = editor;
  selectWnd_->SetReturnFocusWindow(editor);
  ConvertTextToCommand(editor, selectWnd_, &doc->GetTokenTable());
}

void CQXFunctionFieldCtrlDataPage::OnUpdateConvertText(CCmdUI* ui) { UpdateConvertTextToCommand(focusedEditor(), ui); }

LRESULT CQXFunctionFieldCtrlDataPage::OnInsertNotifiedCommand(WPARAM, LPARAM value) {
  CQXTokenEditor* target = askingEditor_.data();
  if (!target && fieldList_) target = fieldList_->GetLastFocusedFieldEditor();
  if (!target) target = focusedEditor();
  askingEditor_ = nullptr;
  if (!target) return 0;
  const LRESULT result = InsertNotifiedCommand(target, value);
  target->SetFocus();
  return result;
}
