#include "app/MenuPopups.h"
#include "app/QXDoc.h"
#include "classlib/MenuHelpers.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/ModelLookups.h"
#include "datamodel/QXProgramItem.h"
#include "pages/QXProgramPages.h"
#include "platform/CalcTextEdit.h"
#include "platform/CmdUI.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/PropertySheet.h"
#include "services/ProgramServices.h"
#include "tokens/EditorFonts.h"
#include "tokens/QXCharTableDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>

#include <new>
#include <vector>

namespace {

constexpr char kUseCalcWidthKey[] = "Use Calculator Width";
constexpr DWORD kEditorStyle = 0x50213004;
constexpr UINT kMsgOutOfMemory = 61706;
constexpr UINT kCmdEditDelete = 22100;
constexpr UINT kFontText = 10040, kCharTableText = 10057, kExportText = 10045, kImportText = 10046;

// The warning that the calculator font is missing comes once per run for
// all program pages.
bool fontAskedOnce = false;

}  // namespace

const CMessageMap& CQXProgramCtrlDataPage::messageMap() {
  using P = CQXProgramCtrlDataPage;
  static const CMessageMap map =
      MessageMapOf<P>(CQXTokenWndDataPage::messageMap())
          .control(EN_CHANGE, kEditorId, &P::OnEditorChange)
          .command(ID_EDIT_UNDO, &P::OnUndo)
          .updateUI(ID_EDIT_UNDO, &P::OnUpdateUndo)
          .command(ID_EDIT_CUT, &P::OnCut)
          .updateUI(ID_EDIT_CUT, &P::OnUpdateNeedsSelection)
          .command(ID_EDIT_COPY, &P::OnCopy)
          .updateUI(ID_EDIT_COPY, &P::OnUpdateNeedsSelection)
          .command(kCmdEditDelete, &P::OnClear)
          .updateUI(kCmdEditDelete, &P::OnUpdateNeedsSelection)
          .command(ID_EDIT_PASTE, &P::OnPaste)
          .updateUI(ID_EDIT_PASTE, &P::OnUpdatePaste)
          .command(ID_EDIT_SELECT_ALL, &P::OnSelectAll)
          .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateSelectAll)
          .command(kCmdCharacterTable, &P::OnCharacterTable)
          .updateUI(kCmdCharacterTable, &P::OnUpdateCharacterTable)
          .command(kCmdCalculatorWidth, &P::OnCalculatorWidth)
          .updateUI(kCmdCalculatorWidth, &P::OnUpdateCalculatorWidth)
          .command(kCmdProgramFont, &P::OnFont)
          .updateUI(kCmdProgramFont, &P::OnUpdateFont)
          .command(kCmdInsertCommand, &P::OnInsertCommand)
          .updateUI(kCmdInsertCommand, &P::OnUpdateInsertCommand)
          .command(kCmdConvertTextToCommand, &P::OnConvertTextToCommand)
          .updateUI(kCmdConvertTextToCommand, &P::OnUpdateConvertTextToCommand)
          .registeredMessage(g_nTokenSelectInsertCmdNotify, &P::OnInsertCmdNotify);
  return map;
}

CQXProgramCtrlDataPage::CQXProgramCtrlDataPage() : CQXTokenWndDataPage() { init(); }

CQXProgramCtrlDataPage::CQXProgramCtrlDataPage(UINT templateId) : CQXTokenWndDataPage(templateId) { init(); }

CQXProgramCtrlDataPage::~CQXProgramCtrlDataPage() { delete selectWnd_.data(); }

void CQXProgramCtrlDataPage::init() {
  useCalcWidth_ = tallix::settings::readInt(tallix::settings::kSettings, kUseCalcWidthKey) != 0;
}

// ---------------------------------------------------------------- window

BOOL CQXProgramCtrlDataPage::createEditor() {
  editor_ = new CQXProgramTokenEditor(this);
  if (!editor_->Create(kEditorStyle, QRect(), this, kEditorId)) {
    delete editor_;
    editor_ = nullptr;
    return FALSE;
  }
  editor_->SetTokenTextMap(&GetTokenTextMap());
  return TRUE;
}

BOOL CQXProgramCtrlDataPage::OnInitDialog() {
  // The editor exists before the base builds the command pane, as it would
  // after the page window's creation.
  if (!createEditor()) {
    SetPageState(10);
    return FALSE;
  }
  CQXTokenWndDataPage::OnInitDialog();
  if (!IsPageCreated()) return FALSE;

  HidePlaceholder(kEditorPlaceholder, &editorRect_);
  if (QWidget* baseN = GetDlgItem(kBaseNCheck)) QWidget::setTabOrder(baseN, editor_);
  editor_->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  editor_->SetContextMenuId(kEditorMenu);

  nameEdit_ = GetDlgItemAs<QLineEdit>(kNameEdit);
  if (nameEdit_) {
    MakeCalcTextEdit(nameEdit_, kMaxName);
    connect(nameEdit_, &QLineEdit::textEdited, this, [this] { SetModified(TRUE); });
  }

  std::string model;
  if (auto* doc = dynamic_cast<CQXDocServices*>(document)) doc->GetCalculatorName(&model);
  displayWidth_ = ReadModelInt(model.c_str(), "Display Width", kDefaultDisplayWidth);

  if (LoadProgramEditorFont(&font_, fontAskedOnce)) pageFont_ = &font_;
  applyPageFont();
  GetCmdChooser().PlaceViewsAfter(editor_);

  charConvert_.Load(model.c_str());
  editor_->SetCharMapCallback(charConvert_.Callback());

  selectWnd_ = new CQXTokenSelectWnd;
  if (selectWnd_->Create(this)) {
    selectWnd_->SetFont(pageFont_);
    selectWnd_->SetReturnFocusWindow(editor_);
  } else {
    delete selectWnd_.data();
  }
  return FALSE;
}

void CQXProgramCtrlDataPage::OnDestroy() {
  if (selectWnd_) {
    selectWnd_->DestroyWindow();
    delete selectWnd_.data();
  }
  CQXTokenWndDataPage::OnDestroy();
}

void CQXProgramCtrlDataPage::applyPageFont() {
  if (!pageFont_) return;
  editor_->SetFont(pageFont_);
  if (nameEdit_) {
    // The name's bytes are shown anew in the new font.
    const std::string name = NameFromBox();
    nameEdit_->setFont(pageFont_->font());
    const bool modified = nameEdit_->isModified();
    SetCalcEditCodes(nameEdit_, name);
    nameEdit_->setModified(modified);
  }
  GetCmdChooser().SetFont(pageFont_);
}

void CQXProgramCtrlDataPage::OnSize(UINT type, int cx, int cy) {
  CQXTokenWndDataPage::OnSize(type, cx, cy);
  if (editor_) LayoutEditor();
}

void CQXProgramCtrlDataPage::LayoutEditor() {
  if (!editor_) return;
  PlaceholderArea(kEditorPlaceholder, &editorRect_, width(), height());
  const int bottom = GetEditorBottom();
  const int top = editorRect_.top();
  if (useCalcWidth_) {
    const QFontMetrics metrics(editor_->GetEditorFont());
    editorWidth_ = metrics.horizontalAdvance(QLatin1Char('0')) * displayWidth_;
    int left = 0, right = 0;
    editor_->GetMargins(&left, &right);
    QRect client;
    editor_->GetClientRect(&client);
    const int frame = editor_->width() - client.width();
    editor_->setGeometry(1, top, editorWidth_ + left + right + frame, std::max(bottom - top, 0));
  } else {
    editor_->setGeometry(1, top, std::max(width() - 2, 0), std::max(bottom - 1 - top, 0));
  }
  editor_->Invalidate();
}

// ---------------------------------------------------------------- content

std::string CQXProgramCtrlDataPage::NameFromBox() const {
  if (!nameEdit_) return loadedName_;
  // The codes the user did not edit stay, also those the box's font shows
  // in a form that does not read back.
  std::string name = GetCalcEditCodes(nameEdit_);
  if (name.size() > size_t(kMaxName)) name.resize(size_t(kMaxName));
  return name;
}

void CQXProgramCtrlDataPage::SetNameBox(const std::string& name) {
  loadedName_ = name;
  if (!nameEdit_) return;
  SetCalcEditCodes(nameEdit_, name);
  nameEdit_->setModified(false);
}

BOOL CQXProgramCtrlDataPage::WriteProgramToItem(CQXProgramItem* program) {
  if (!program || !editor_) return FALSE;
  try {
    program->ClearText();
    const std::string name = NameFromBox();
    if (program->SetName(name.c_str())) loadedName_ = name;
    const int length = editor_->GetTokensLength(kTokenFormatBytes);
    std::vector<BYTE> data(size_t(length) + 1, 0);
    int written = 0;
    editor_->GetTokens(data.data(), length, &written, kTokenFormatBytes);
    data[size_t(written)] = kTextEndByte;
    program->SetDataBlock(data.data(), written + 1);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kMsgOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

BOOL CQXProgramCtrlDataPage::ReadProgramFromItem(CQXProgramItem* program) {
  if (!program || !editor_) return FALSE;
  char name[kMaxName + 1] = {};
  program->GetDisplayName(name, sizeof name);
  SetNameBox(name);
  std::vector<BYTE> data(program->GetLength());
  if (!data.empty()) program->GetDataBlock(data.data(), int(data.size()));
  // The end byte closes the text; a text without it keeps every byte.
  if (!data.empty() && data.back() == kTextEndByte) data.pop_back();
  editor_->ClearTokens();
  if (!data.empty()) editor_->SetTokens(data.data(), int(data.size()), kTokenFormatBytes);
  editor_->Invalidate();
  modified_ = name[0] == '\0';
  editor_->SetModified(modified_);
  return TRUE;
}

// ---------------------------------------------------------------- protocol

BOOL CQXProgramCtrlDataPage::IsModified() {
  if (!editor_) return FALSE;
  return modified_ || editor_->IsModified() || (nameEdit_ && nameEdit_->isModified());
}

void CQXProgramCtrlDataPage::SetModified(BOOL modified) {
  modified_ = modified ? TRUE : FALSE;
  if (editor_) editor_->SetModified(modified_);
  // The name box keeps its own mark while the page counts as changed: a
  // name the user did not type keeps its bytes (NameFromBox).
  if (nameEdit_ && !modified_) {
    loadedName_ = NameFromBox();
    nameEdit_->setModified(false);
  }
}

void CQXProgramCtrlDataPage::OnDocNotify(int code, QObject* argument) {
  if (code == kNotifyItemChanged && HasWindow()) {
    std::unique_ptr<CQXDocEntry> entry;
    if (GetCurrentItem(&entry)) LoadFromItem(entry.get());
  }
  CQXTokenWndDataPage::OnDocNotify(code, argument);
}

void CQXProgramCtrlDataPage::MergeMenus() {
  EditMenuEntryItem(kPopupEdit, FALSE);
  CMenu* edit = GetMenuPopupByKey(kPopupEdit);
  if (!edit) return;
  edit->AppendMenu(MF_SEPARATOR);
  AppendMenuString(edit, kFontText, kCmdProgramFont);
  AppendMenuString(edit, kCharTableText, kCmdCharacterTable);
  edit->AppendMenu(MF_SEPARATOR);
  AppendMenuString(edit, kExportText, kCmdProgramExport);
  AppendMenuString(edit, kImportText, kCmdProgramImport);
}

void CQXProgramCtrlDataPage::UnmergeMenus() {
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    for (UINT id : {kCmdCharacterTable, kCmdProgramFont, kCmdProgramImport, kCmdProgramExport})
      RemoveMenuCommand(edit, id);
    // The two separators the merge put at the end.
    for (int i = 0; i < 2; ++i) {
      const int last = edit->GetMenuItemCount() - 1;
      if (last >= 0 && edit->GetMenuItemID(last) == 0) RemoveMenuAt(edit, UINT(last));
    }
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

BOOL CQXProgramCtrlDataPage::IsActivePage() const {
  CPropertySheet* sheet = GetSheet();
  return sheet && sheet->GetActivePage() == this;
}

// ---------------------------------------------------------------- commands

bool CQXProgramCtrlDataPage::editorFocused() const { return editor_ && editor_->hasFocus(); }

bool CQXProgramCtrlDataPage::nameFocused() const { return nameEdit_ && nameEdit_->hasFocus(); }

void CQXProgramCtrlDataPage::OnEditorChange() { SetModified(TRUE); }

void CQXProgramCtrlDataPage::OnUndo() {
  if (editorFocused()) editor_->EditUndo();
  else if (nameFocused()) nameEdit_->undo();
}

void CQXProgramCtrlDataPage::OnUpdateUndo(CCmdUI* ui) {
  ui->Enable((editorFocused() && editor_->CanEditUndo()) || (nameFocused() && nameEdit_->isUndoAvailable()));
}

void CQXProgramCtrlDataPage::OnCut() {
  if (editorFocused()) editor_->EditCut();
  else if (nameFocused()) CalcEditCut(nameEdit_);
}

void CQXProgramCtrlDataPage::OnCopy() {
  if (editorFocused()) editor_->EditCopy();
  else if (nameFocused()) CalcEditCopy(nameEdit_);
}

void CQXProgramCtrlDataPage::OnClear() {
  if (editorFocused()) editor_->EditClear();
  else if (nameFocused()) nameEdit_->del();
}

void CQXProgramCtrlDataPage::OnUpdateNeedsSelection(CCmdUI* ui) {
  ui->Enable((editorFocused() && editor_->CanEditCopy()) || (nameFocused() && nameEdit_->hasSelectedText()));
}

void CQXProgramCtrlDataPage::OnPaste() {
  if (editorFocused()) editor_->EditPaste();
  else if (nameFocused()) CalcEditPaste(nameEdit_);
}

void CQXProgramCtrlDataPage::OnUpdatePaste(CCmdUI* ui) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ui->Enable((editorFocused() && editor_->CanEditPaste()) || (nameFocused() && data && data->hasText()));
}

void CQXProgramCtrlDataPage::OnSelectAll() {
  if (editorFocused()) {
    editor_->SetSel(0, -1, TRUE);
  } else if (nameFocused()) {
    nameEdit_->selectAll();
  }
}

void CQXProgramCtrlDataPage::OnUpdateSelectAll(CCmdUI* ui) {
  ui->Enable((editorFocused() && !editor_->IsEmpty()) || (nameFocused() && !nameEdit_->text().isEmpty()));
}

void CQXProgramCtrlDataPage::OnCharacterTable() {
  CQXCharTableDlg dialog(this);
  dialog.m_chosenCode = lastCharacter_;
  editor_->GetLogFont(&dialog.m_logFont);
  if (dialog.DoModal() != IDOK) return;
  lastCharacter_ = dialog.m_chosenCode;
  // One character, as one token through the editor's guard: a lead byte
  // alone or the end byte would change what the calculator reads.
  const BYTE code = lastCharacter_;
  editor_->SetSel(-1, 0);
  if (editor_->IsInsertableToken(MakeTokenWord(0, code))) editor_->ReplaceSel(&code, 1, kTokenFormatBytes);
  else QApplication::beep();
  editor_->SetFocus();
}

void CQXProgramCtrlDataPage::OnUpdateCharacterTable(CCmdUI* ui) { ui->Enable(editorFocused() && pageFont_); }

void CQXProgramCtrlDataPage::OnCalculatorWidth() {
  useCalcWidth_ = !useCalcWidth_;
  AppWriteProfileInt(tallix::settings::kSettings, kUseCalcWidthKey, useCalcWidth_ ? 1 : 0);
  LayoutEditor();
  update();
}

void CQXProgramCtrlDataPage::OnUpdateCalculatorWidth(CCmdUI* ui) {
  ui->Enable(TRUE);
  ui->SetCheck(useCalcWidth_ ? 1 : 0);
}

void CQXProgramCtrlDataPage::OnFont() {
  CFont chosen;
  chosen.SetFont(pageFont_ ? pageFont_->font() : editor_->GetEditorFont());
  if (!ChooseProgramEditorFont(this, &chosen)) return;
  font_.SetFont(chosen.font());
  pageFont_ = &font_;
  applyPageFont();
  if (selectWnd_) selectWnd_->SetFont(pageFont_);
  LayoutEditor();
  update();
}

void CQXProgramCtrlDataPage::OnUpdateFont(CCmdUI* ui) { ui->Enable(IsActivePage()); }

void CQXProgramCtrlDataPage::OnInsertCommand() {
  QXCMDSELECTION selection;
  if (!GetCmdChooser().GetSelectedCommand(&selection)) return;
  if (selection.length > 0 && selection.data())
    editor_->ReplaceSel(selection.data(), selection.length, kTokenFormatBytes);
  GetCmdChooser().AddSelectionToLastUsed();
}

void CQXProgramCtrlDataPage::OnUpdateInsertCommand(CCmdUI* ui) { ui->Enable(editor_ && !editorFocused()); }

void CQXProgramCtrlDataPage::OnConvertTextToCommand() {
  auto* doc = dynamic_cast<CQXDoc*>(document);
  if (doc && selectWnd_) ConvertTextToCommand(editor_, selectWnd_, &doc->GetTokenTable());
}

void CQXProgramCtrlDataPage::OnUpdateConvertTextToCommand(CCmdUI* ui) {
  if (!selectWnd_) {
    ui->Enable(FALSE);
    return;
  }
  UpdateConvertTextToCommand(editor_, ui);
}

LRESULT CQXProgramCtrlDataPage::OnInsertCmdNotify(WPARAM, LPARAM lParam) {
  return InsertNotifiedCommand(editor_, lParam);
}
