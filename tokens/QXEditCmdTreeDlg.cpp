#include "tokens/QXEditCmdTreeDlg.h"

#include "classlib/OrvoTextArchive.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/OrvoItemStore.h"
#include "platform/CmdUI.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/OleDataObject.h"
#include "platform/ToolBar.h"
#include "platform/WaitCursor.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/CommandControlFiles.h"
#include "tokens/CommandDialogFont.h"
#include "tokens/QXEditCmdListDlg.h"
#include "tokens/TokenClipboard.h"
#include "tokens/TokenListFile.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTreeView>

using tallix::settings::kEditCmdList;

namespace {

constexpr int kToolBarPlace = 1044, kTree = 1026, kList = 1010, kValueBox = 1049;
constexpr UINT kAddButton = 1046, kImportButton = 1001, kExportButton = 1002, kEditButton = 1003,
               kFontButton = 1005;
constexpr UINT kToolBar = 134;
constexpr WPARAM kKeyF2 = 0x71;
enum : UINT {
  kNewFolder = 23001, kRename, kCut, kCopy, kPaste, kDelete, kMoveUp, kMoveDown
};
constexpr UINT kTextFilter = 10603;
constexpr UINT kMsgOpenFailed = 61697, kMsgCreateFailed = 10570, kMsgCommandFailed = 61705,
               kMsgWriteProtected = 10573;
constexpr UINT kLineBufferSize = 4096;
constexpr char kLastCommand[] = "Last Command";

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
bool exportsOn() { return tallix::settings::readInt(kEditCmdList, "Cmd List Export") != 0; }

}  // namespace

const CMessageMap& CQXEditCmdTreeDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEditCmdTreeDlg>(COrvoHelpDialog::messageMap())
                                     .commandRange(kNewFolder, kMoveDown, &CQXEditCmdTreeDlg::OnTreeCommand)
                                     .updateUIRange(kNewFolder, kMoveDown, &CQXEditCmdTreeDlg::OnUpdateTreeCommand)
                                     .notify(TVN_SELCHANGED, kTree, &CQXEditCmdTreeDlg::OnTreeSelChanged)
                                     .command(kAddButton, &CQXEditCmdTreeDlg::OnAdd)
                                     .command(kFontButton, &CQXEditCmdTreeDlg::OnFont)
                                     .command(kImportButton, &CQXEditCmdTreeDlg::OnImport)
                                     .command(kExportButton, &CQXEditCmdTreeDlg::OnExport)
                                     .command(kEditButton, &CQXEditCmdTreeDlg::OnEdit)
                                     .notify(NM_DBLCLK, kList, &CQXEditCmdTreeDlg::OnListDblClk);
  return map;
}

CQXEditCmdTreeDlg::CQXEditCmdTreeDlg(const CQXCommandTable& table, const char* calcType, const char* model,
                                     QWidget* parent)
    : COrvoHelpDialog(kTemplateId, parent),
      table_(table),
      calcType_(calcType ? calcType : ""),
      model_(model ? model : "") {
  CQXCmdTreeCtrl::RegisterCmdTreeClass();
  CQXCmdListCtrl::RegisterCmdListClass();
}

CQXEditCmdTreeDlg::~CQXEditCmdTreeDlg() { DestroyWindow(); }

BOOL CQXEditCmdTreeDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  tree_ = CQXCmdTreeCtrl::Init(kTree, this);
  list_ = GetDlgItemAs<CQXCmdListCtrl>(kList);
  valueBox_ = GetDlgItemAs<QPlainTextEdit>(kValueBox);
  if (!tree_ || !list_) return TRUE;

  if (QWidget* place = GetDlgItem(kToolBarPlace)) {
    toolBar_ = new CToolBar(place);
    if (toolBar_->LoadToolBar(kToolBar)) {
      auto* layout = new QHBoxLayout(place);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(toolBar_);
      toolBar_->SetOwner(this);
    }
  }
  // Paste follows what the clipboard holds, also when another program
  // changes it.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updateToolBar(); });

  bool fontButton = false;
  fontSet_ = LoadCommandDialogFont(&font_, &fontButton);
  if (QWidget* button = GetDlgItem(int(kFontButton))) button->setVisible(fontButton);
  if (fontSet_) {
    tree_->setFont(font_);
    list_->setFont(font_);
  }

  tree_->ModifyStyle(0, TVS_DISABLEDRAGDROP);
  const std::string readPath = TokenListReadPath(model_.c_str());
  if (ReadCommandTree(readPath.c_str(), tree_)) probeWritable(readPath);

  list_->ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  list_->InitCommandColumns(kEditCmdList);
  FillCommandList(list_, table_);
  selectCommand(DWORD(tallix::settings::readInt(kEditCmdList, kLastCommand)));

  const bool extended = tallix::settings::readInt(kEditCmdList, "Cmd Extended") != 0;
  if (valueBox_) valueBox_->setVisible(extended);
  if (extended && list_->GetReportView()->selectionModel())
    connect(list_->GetReportView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showSelectedValue(); });
  showSelectedValue();
  if (QWidget* button = GetDlgItem(int(kExportButton))) button->setVisible(exportsOn());
  updateToolBar();
  return TRUE;
}

// The edited file goes to the user's copy of the token list: when that copy
// is write-protected, nothing can be kept.
void CQXEditCmdTreeDlg::probeWritable(const std::string& readPath) {
  const std::string writePath = TokenListWritePath(model_.c_str());
  bool protectedFile = writePath.empty();
  if (!protectedFile && QFileInfo::exists(QFile::decodeName(writePath.c_str()))) {
    COrvoItemStore store;
    protectedFile = !store.Open(writePath.c_str(), ORVO_SHARE_DENYWRITE) && store.GetLastError() == ORVO_E_ACCESSDENIED;
  }
  if (!protectedFile) return;
  const std::string& shown = writePath.empty() ? readPath : writePath;
  AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgWriteProtected, QFile::decodeName(shown.c_str())),
                MB_OK | MB_ICONEXCLAMATION);
  if (QWidget* ok = GetDlgItem(IDOK)) ok->setEnabled(false);
}

void CQXEditCmdTreeDlg::OnDestroy() {
  if (list_) list_->SaveCommandColumns(kEditCmdList);
  COrvoHelpDialog::OnDestroy();
}

DWORD CQXEditCmdTreeDlg::selectedValue() const {
  const int row = list_ ? GetFirstSelectedItem(list_) : -1;
  return row >= 0 ? DWORD(list_->GetItemData(row)) : 0;
}

void CQXEditCmdTreeDlg::selectCommand(DWORD value) {
  int row = 0;
  for (int i = 0; i < list_->GetItemCount(); ++i)
    if (DWORD(list_->GetItemData(i)) == value) row = i;
  if (row >= list_->GetItemCount()) return;
  list_->SetItemState(-1, 0, LVIS_SELECTED);
  list_->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_->EnsureVisible(row, FALSE);
}

void CQXEditCmdTreeDlg::showSelectedValue() {
  if (!valueBox_ || valueBox_->isHidden() || GetFirstSelectedItem(list_) < 0) return;
  const DWORD value = selectedValue();
  const int table = CommandValueTable(value), number = CommandValueNumber(value);
  valueBox_->setPlainText(QString::asprintf("%d %d\r\n%Xh %Xh", table, number, unsigned(table), unsigned(number)));
}

void CQXEditCmdTreeDlg::OnTreeCommand(UINT id) {
  if (!tree_) return;
  switch (id) {
    case kNewFolder: tree_->NewSubFolder(); break;
    case kRename: tree_->EditLabel(); break;
    case kCut: tree_->Cut(exportsOn()); break;
    case kCopy:
      if (!tree_->Copy(exportsOn())) AfxMessageBox(kMsgCommandFailed, MB_OK | MB_ICONEXCLAMATION);
      break;
    case kPaste:
      if (!tree_->Paste()) AfxMessageBox(kMsgCommandFailed, MB_OK | MB_ICONEXCLAMATION);
      break;
    case kDelete: tree_->DeleteItem(); break;
    case kMoveUp: tree_->Move(0); break;
    case kMoveDown: tree_->Move(1); break;
    default: break;
  }
  updateToolBar();
}

// A button is on when its command would do something to the selection.
void CQXEditCmdTreeDlg::OnUpdateTreeCommand(CCmdUI* ui) {
  const HTREEITEM item = tree_ ? tree_->GetSelectedItem() : nullptr;
  bool on = item != nullptr;
  switch (ui->m_nID) {
    case kNewFolder: on = tree_ && (!item || TreeItemIsFolder(*tree_, item)); break;
    case kRename: on = item && tree_->GetParentItem(item) && TreeItemIsFolder(*tree_, item); break;
    case kPaste: {
      COleDataObject data;
      on = tree_ && data.AttachClipboard() && data.IsDataAvailable(GetTreeCmdFormat());
      break;
    }
    case kMoveUp: on = item && tree_->GetPrevSiblingItem(item); break;
    case kMoveDown: on = item && tree_->GetNextSiblingItem(item); break;
    default: break;
  }
  ui->Enable(on);
}

void CQXEditCmdTreeDlg::OnTreeSelChanged(NMHDR*, LRESULT* result) {
  *result = 0;
  updateToolBar();
}

void CQXEditCmdTreeDlg::updateToolBar() {
  if (toolBar_) toolBar_->OnUpdateCmdUI(this, FALSE);
}

BOOL CQXEditCmdTreeDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && tree_ && list_ && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
    const auto inside = [msg](QWidget* control) { return msg->hwnd == control || control->isAncestorOf(msg->hwnd); };
    // A label being edited keeps its keys.
    if (inside(tree_) && !tree_->GetEditControl()) {
      if (msg->wParam == VK_DELETE) {
        OnTreeCommand(kDelete);
        return TRUE;
      }
      if (msg->wParam == kKeyF2) {
        OnTreeCommand(kRename);
        return TRUE;
      }
    }
    if (inside(list_) && msg->wParam == VK_INSERT) {
      OnAdd();
      return TRUE;
    }
  }
  return COrvoHelpDialog::PreTranslateMessage(msg);
}

void CQXEditCmdTreeDlg::OnAdd() {
  if (!tree_ || !list_ || GetFirstSelectedItem(list_) < 0) return;
  const DWORD value = selectedValue();
  const CQXCommandTable::Entry* entry = table_.FindCommand(CommandValueTable(value), CommandValueNumber(value));
  if (entry) tree_->InsertCommand(entry->characters.c_str(), value);
}

void CQXEditCmdTreeDlg::OnListDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnAdd();
}

void CQXEditCmdTreeDlg::OnFont() {
  if (!tree_ || !list_) return;
  if (!fontSet_) font_ = list_->font();
  if (!ChooseCommandDialogFont(this, &font_)) return;
  fontSet_ = true;
  tree_->SetLabelFont(font_);
  list_->SetCommandFont(font_, table_);
}

void CQXEditCmdTreeDlg::OnImport() {
  if (!tree_) return;
  CFileDialog dialog(TRUE, QStringLiteral("txt"), {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     CLanguageLibrary::LoadString(kTextFilter), this);
  if (dialog.DoModal() != IDOK) return;
  CFile file;
  if (!file.Open(localPath(dialog.GetPathName()).c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
    AfxMessageBox(kMsgOpenFailed, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CWaitCursor wait;
  COrvoTextArchive ar(&file, CArchive::load, kLineBufferSize);
  const BOOL read = tree_->ReadItemText(ar, tree_->GetSelectedItem());
  file.Abort();
  if (!read) AfxMessageBox(kMsgCommandFailed, MB_OK | MB_ICONEXCLAMATION);
}

void CQXEditCmdTreeDlg::OnExport() {
  if (!tree_ || !exportsOn()) return;
  const HTREEITEM item = tree_->GetSelectedItem();
  if (!item) return;
  CFileDialog dialog(FALSE, QStringLiteral("txt"), {}, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     CLanguageLibrary::LoadString(kTextFilter), this);
  if (dialog.DoModal() != IDOK) return;
  CFile file;
  if (!file.Open(localPath(dialog.GetPathName()).c_str(), CFile::modeCreate | CFile::modeWrite)) {
    AfxMessageBox(kMsgCreateFailed, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CWaitCursor wait;
  BOOL written = FALSE;
  {
    COrvoTextArchive ar(&file, CArchive::store, kLineBufferSize);
    written = tree_->WriteItemText(ar, item);
  }
  try {
    // Put in place only when everything was written: the old file stays
    // otherwise.
    if (written) file.Close();
  } catch (const CFileException&) {
    written = FALSE;
  }
  if (!written) {
    file.Abort();
    AfxMessageBox(kMsgCommandFailed, MB_OK | MB_ICONEXCLAMATION);
  }
}

void CQXEditCmdTreeDlg::OnEdit() {
  if (!tree_ || !list_) return;
  CQXCommandTable copy(table_);
  CQXEditCmdListDlg edit(&copy, this);
  edit.m_font = fontSet_ ? font_ : list_->font();
  edit.m_fontSet = true;
  const DWORD value = selectedValue();
  if (edit.DoModal() != IDOK) return;
  table_.RemoveAll();
  table_.CopyFrom(copy);
  FillCommandList(list_, table_);
  tree_->AlignWithTable(table_);
  selectCommand(edit.m_selectedValue ? edit.m_selectedValue : value);
}

void CQXEditCmdTreeDlg::OnOK() {
  if (!tree_ || !list_) {
    COrvoHelpDialog::OnOK();
    return;
  }
  {
    CWaitCursor wait;
    // Table and tree in one write: the file never holds one without the
    // other. A failure has been reported by the writer; the edits still
    // go back to the document.
    WriteTokenListFileWithTree(TokenListWritePath(model_.c_str()).c_str(), table_, calcType_.c_str(), model_.c_str(),
                               tree_->GetCommandNodes());
  }
  AppWriteProfileInt(kEditCmdList, kLastCommand, int(selectedValue()));
  COrvoHelpDialog::OnOK();
}
