#include "tokens/QXEditMacroDlg.h"

#include "charset/Cp1252.h"
#include "platform/Accelerators.h"
#include "platform/CmdUI.h"
#include "platform/MessageBox.h"
#include "platform/ToolBar.h"
#include "services/DocServices.h"
#include "tokens/MacroFile.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenSelectWnd.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>

namespace {

constexpr int kNameEdit = 1058, kDescriptionEdit = 1002, kEditorPlace = 1083, kChooserPlace = 1085, kMacroLabel = 1087,
              kCommandsLabel = 1088;
constexpr UINT kInsert = 20070, kFirstView = 23050, kLastView = 23054, kConvert = 40093;
constexpr UINT kEditUndo = 57643, kEditCut = 57635, kEditCopy = 57634, kEditPaste = 57637, kEditClear = 22100,
               kEditSelectAll = 57642;
constexpr UINT kToolBar = 130, kEditorMenu = 150;
constexpr DWORD kEditorStyle = 0x50A11004;  // child, visible, border, vertical bar, tab stop, multi-line
constexpr UINT kMsgNoName = 10569, kMsgNoMacro = 10576;

}  // namespace

const CMessageMap& CQXEditMacroDlg::messageMap() {
  static const CMessageMap map = [] {
    MessageMapOf<CQXEditMacroDlg> m(COrvoHelpDialog::messageMap());
    m.command(kInsert, &CQXEditMacroDlg::OnInsert)
        .commandRange(kFirstView, kLastView, &CQXEditMacroDlg::OnView)
        .updateUIRange(kFirstView, kLastView, &CQXEditMacroDlg::OnUpdateView)
        .command(kConvert, &CQXEditMacroDlg::OnConvert)
        .updateUI(kConvert, &CQXEditMacroDlg::OnUpdateConvert)
        .registeredMessage(g_nTokenSelectInsertCmdNotify, &CQXEditMacroDlg::OnInsertNotify)
        .message(kMsgCommandDragged, &CQXEditMacroDlg::OnCommandDragged);
    for (UINT id : {kEditUndo, kEditCut, kEditCopy, kEditPaste, kEditClear, kEditSelectAll}) {
      m.commandRange(id, id, &CQXEditMacroDlg::OnEdit);
      m.updateUI(id, &CQXEditMacroDlg::OnUpdateEdit);
    }
    for (UINT id = CQXCmdChooser::kFirstViewId; id <= CQXCmdChooser::kLastViewId; ++id)
      m.notify(NM_DBLCLK, id, &CQXEditMacroDlg::OnViewDblClk);
    for (UINT id = CQXCmdChooser::kFirstViewId + 1; id < CQXCmdChooser::kLastViewId; ++id)
      m.notify(LVN_COLUMNCLICK, id, &CQXEditMacroDlg::OnColumnClick);
    return CMessageMap(m);
  }();
  return map;
}

CQXEditMacroDlg::CQXEditMacroDlg(QWidget* parent, const CFont* font, CQXDocServices* document,
                                 CQXMacroListCtrl* macros, const CQXTokenTextMap* map)
    : COrvoHelpDialog(kTemplateId, parent), font_(font), document_(document), macros_(macros), map_(map) {}

CQXEditMacroDlg::~CQXEditMacroDlg() {
  DestroyWindow();
  if (popup_) delete popup_.data();
}

BOOL CQXEditMacroDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  nameEdit_ = GetDlgItemAs<QLineEdit>(kNameEdit);
  descriptionEdit_ = GetDlgItemAs<QLineEdit>(kDescriptionEdit);

  editor_ = new CQXProgramTokenEditor;
  if (!editor_->Create(kEditorStyle, QRect(), this, kEditorId)) {
    delete editor_;
    editor_ = nullptr;
  }
  if (editor_) {
    editor_->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    editor_->SetTokenTextMap(map_);
    editor_->SetContextMenuId(kEditorMenu);
  }

  // The pane's tool bar and the pane itself.
  toolBar_ = new CToolBar(this);
  chooser_ = std::make_unique<CQXCmdChooser>(document_, "Token View");
  if (QWidget* area = findChild<QWidget*>(QStringLiteral("toolBarArea"))) {
    toolBar_->setParent(area);
    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolBar_);
  }
  chooser_->SetMacroSource(macros_);
  if (!editor_ || !document_ || !toolBar_->LoadToolBar(kToolBar) || !chooser_->Create(this, TRUE)) {
    AfxMessageBox(61706, MB_OK | MB_ICONEXCLAMATION);
    EndDialog(IDCANCEL);
    return TRUE;
  }
  toolBar_->SetOwner(this);

  // Tab order: the macro's label, the editor, the pane's label, its views,
  // Coller.
  QWidget* macroLabel = GetDlgItem(kMacroLabel);
  QWidget* commandsLabel = GetDlgItem(kCommandsLabel);
  if (macroLabel) setTabOrder(macroLabel, editor_);
  if (commandsLabel) setTabOrder(editor_, commandsLabel);
  if (auto* label = qobject_cast<QLabel*>(macroLabel)) label->setBuddy(editor_);
  if (auto* label = qobject_cast<QLabel*>(commandsLabel)) label->setBuddy(chooser_->GetFirstView());
  chooser_->PlaceViewsAfter(commandsLabel ? commandsLabel : static_cast<QWidget*>(editor_));
  if (QWidget* insert = GetDlgItem(int(kInsert))) setTabOrder(chooser_->GetView(CQXCmdChooser::kViewMacros), insert);

  if (font_) {
    editor_->SetFont(font_);
    chooser_->SetFont(font_);
  }
  for (int id : {kEditorPlace, kChooserPlace}) {
    if (QWidget* place = GetDlgItem(id)) {
      // Kept in the layout for its room; the editor and the pane take it.
      QSizePolicy policy = place->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      place->setSizePolicy(policy);
      place->hide();
    }
  }
  layoutControls();
  checkViewButtons();
  accelerators_ = CLanguageLibrary::LoadAccelerators(kTokenEditorKeys);

  std::string model;
  document_->GetCalculatorName(&model);
  keyboard_.Load(model.c_str());
  editor_->SetCharMapCallback(keyboard_.Callback());

  popup_ = new CQXTokenSelectWnd;
  if (popup_->Create(this)) {
    if (font_) popup_->SetFont(font_);
    popup_->SetReturnFocusWindow(editor_);
  } else {
    delete popup_.data();
  }

  if (nameEdit_) {
    nameEdit_->setMaxLength(int(kMacroNameMax));
    nameEdit_->setText(tallix::fromCp1252(m_name));
  }
  if (descriptionEdit_) {
    descriptionEdit_->setMaxLength(int(kMacroDescriptionMax));
    descriptionEdit_->setText(tallix::fromCp1252(m_description));
  }
  if (!m_bytes.empty()) editor_->SetTokens(m_bytes.data(), int(m_bytes.size()), kTokenFormatBytes);
  return TRUE;
}

void CQXEditMacroDlg::OnDestroy() {
  if (chooser_ && chooser_->IsCreated()) chooser_->SaveState();
  COrvoHelpDialog::OnDestroy();
}


// ---- layout ----

void CQXEditMacroDlg::resizeEvent(QResizeEvent* event) {
  COrvoHelpDialog::resizeEvent(event);
  layoutControls();
}

void CQXEditMacroDlg::showEvent(QShowEvent* event) {
  COrvoHelpDialog::showEvent(event);
  layoutControls();
}

void CQXEditMacroDlg::layoutControls() {
  if (!editor_ || !chooser_ || !chooser_->IsCreated()) return;
  if (layout()) layout()->activate();
  if (QWidget* place = GetDlgItem(kEditorPlace)) editor_->setGeometry(QRect(place->mapTo(this, QPoint()), place->size()));
  if (QWidget* place = GetDlgItem(kChooserPlace)) {
    const QRect r(place->mapTo(this, QPoint()), place->size());
    chooser_->MoveViews(r.x(), r.y(), r.width(), r.height());
  }
}

void CQXEditMacroDlg::checkViewButtons() {
  if (toolBar_ && chooser_) toolBar_->OnUpdateCmdUI(this, FALSE);
}

void CQXEditMacroDlg::OnUpdateView(CCmdUI* ui) {
  ui->SetCheck(chooser_ && chooser_->GetCurrentView() == int(ui->m_nID - kFirstView));
}

// ---- the pane ----

void CQXEditMacroDlg::OnView(UINT id) {
  chooser_->SetCurrentView(int(id - kFirstView));
  checkViewButtons();
}

void CQXEditMacroDlg::OnInsert() {
  QXCMDSELECTION selection;
  if (!editor_ || !chooser_->GetSelectedCommand(&selection) || !selection.data()) return;
  chooser_->AddSelectionToLastUsed();
  editor_->ReplaceSel(selection.data(), selection.length, kTokenFormatBytes);
  editor_->SetFocus();
}

void CQXEditMacroDlg::OnViewDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnInsert();
}

void CQXEditMacroDlg::OnColumnClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  chooser_->OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
}

LRESULT CQXEditMacroDlg::OnCommandDragged(WPARAM, LPARAM) {
  chooser_->AddSelectionToLastUsed();
  return 0;
}

void CQXEditMacroDlg::OnConvert() {
  if (editor_ && document_) ConvertTextToCommand(editor_, popup_, &document_->GetTokenTable());
}

void CQXEditMacroDlg::OnUpdateConvert(CCmdUI* ui) { UpdateConvertTextToCommand(editor_, ui); }

LRESULT CQXEditMacroDlg::OnInsertNotify(WPARAM, LPARAM value) {
  return editor_ ? InsertNotifiedCommand(editor_, value) : 0;
}

// ---- Edit commands: the token editor, else the focused name or description ----

// The dialog's own focus child, not the application's: a command chosen from
// the editor's menu arrives after the menu closed, possibly before the window
// is active again.
bool CQXEditMacroDlg::editorFocused() const {
  QWidget* focus = focusWidget();
  return editor_ && focus && (focus == editor_ || editor_->isAncestorOf(focus));
}

QLineEdit* CQXEditMacroDlg::focusedEdit() const {
  QWidget* focus = focusWidget();
  return focus && (focus == nameEdit_ || focus == descriptionEdit_) ? static_cast<QLineEdit*>(focus) : nullptr;
}

void CQXEditMacroDlg::OnEdit(UINT id) {
  if (editorFocused()) {
    switch (id) {
      case kEditUndo: editor_->EditUndo(); break;
      case kEditCut: editor_->EditCut(); break;
      case kEditCopy: editor_->EditCopy(); break;
      case kEditPaste: editor_->EditPaste(); break;
      case kEditClear: editor_->EditClear(); break;
      case kEditSelectAll: editor_->EditSelectAll(); break;
      default: break;
    }
    return;
  }
  QLineEdit* edit = focusedEdit();
  if (!edit) return;
  switch (id) {
    case kEditUndo: edit->undo(); break;
    case kEditCut: edit->cut(); break;
    case kEditCopy: edit->copy(); break;
    case kEditPaste: edit->paste(); break;
    case kEditClear: edit->del(); break;
    case kEditSelectAll: edit->selectAll(); break;
    default: break;
  }
}

void CQXEditMacroDlg::OnUpdateEdit(CCmdUI* ui) {
  if (editorFocused()) {
    switch (ui->m_nID) {
      case kEditUndo: ui->Enable(editor_->CanEditUndo()); break;
      case kEditCut:
      case kEditCopy:
      case kEditClear: ui->Enable(editor_->CanEditCopy()); break;
      case kEditPaste: ui->Enable(editor_->CanEditPaste()); break;
      case kEditSelectAll: ui->Enable(editor_->CanEditSelectAll()); break;
      default: break;
    }
    return;
  }
  QLineEdit* edit = focusedEdit();
  switch (ui->m_nID) {
    case kEditUndo: ui->Enable(edit && edit->isUndoAvailable()); break;
    case kEditCut:
    case kEditCopy:
    case kEditClear: ui->Enable(edit && edit->hasSelectedText()); break;
    case kEditPaste: ui->Enable(edit && QApplication::clipboard() && !QApplication::clipboard()->text().isEmpty()); break;
    case kEditSelectAll: ui->Enable(edit && !edit->text().isEmpty()); break;
    default: ui->Enable(FALSE); break;
  }
}

// ---- keys ----

BOOL CQXEditMacroDlg::PreTranslateMessage(MSG* msg) {
  if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && editor_) {
    if (msg->wParam == VK_ESCAPE && editorFocused()) {
      OnCancel();
      return TRUE;
    }
    if (msg->wParam == VK_RETURN && chooser_ && chooser_->HasFocus()) {
      OnInsert();
      return TRUE;
    }
    if (TranslateAccelerator(this, accelerators_, msg)) return TRUE;
  }
  return COrvoHelpDialog::PreTranslateMessage(msg);
}

// ---- OK ----

void CQXEditMacroDlg::DoDataExchange(CDataExchange* pDX) {
  COrvoHelpDialog::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate || !editor_ || !nameEdit_) return;
  pDX->PrepareCtrl(kNameEdit);
  if (nameEdit_->text().isEmpty()) {
    AfxMessageBox(kMsgNoName, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  pDX->PrepareCtrl(kEditorId);
  const int length = editor_->GetTokensLength(kTokenFormatBytes);
  if (length <= 0) {
    AfxMessageBox(kMsgNoMacro, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  std::vector<BYTE> bytes(std::size_t(length), 0);
  int written = 0;
  editor_->GetTokens(bytes.data(), length, &written, kTokenFormatBytes);
  bytes.resize(std::size_t(written));
  result_ = std::move(bytes);
  m_name = tallix::toCp1252(nameEdit_->text());
  m_description = descriptionEdit_ ? tallix::toCp1252(descriptionEdit_->text()) : std::string();
}
