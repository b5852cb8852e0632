#include "tokens/QXUserCmdListDlg.h"

#include "classlib/SettingsTable.h"
#include "platform/MessageBox.h"
#include "platform/WaitCursor.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/CommandControlFiles.h"
#include "tokens/CommandDialogFont.h"
#include "tokens/QXCommandTable.h"
#include "tokens/TokenListFile.h"

using tallix::settings::kEditCmdList;

namespace {
constexpr int kTree = 1026, kList = 1010;
constexpr UINT kAddButton = 1064, kDeleteButton = 1047, kFontButton = 1005;
constexpr UINT kMsgOutOfMemory = 61706;
}  // namespace

const CMessageMap& CQXUserCmdListDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXUserCmdListDlg>(COrvoHelpDialog::messageMap())
                                     .command(kAddButton, &CQXUserCmdListDlg::OnAdd)
                                     .command(kDeleteButton, &CQXUserCmdListDlg::OnDelete)
                                     .command(kFontButton, &CQXUserCmdListDlg::OnFont)
                                     .notify(NM_DBLCLK, kTree, &CQXUserCmdListDlg::OnTreeDblClk);
  return map;
}

CQXUserCmdListDlg::CQXUserCmdListDlg(const CQXCommandTable* table, const char* model, QWidget* parent)
    : COrvoHelpDialog(kTemplateId, parent), table_(table), model_(model ? model : "") {
  CQXCmdTreeCtrl::RegisterCmdTreeClass();
  CQXCmdListCtrl::RegisterCmdListClass();
}

CQXUserCmdListDlg::~CQXUserCmdListDlg() { DestroyWindow(); }

BOOL CQXUserCmdListDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  tree_ = CQXCmdTreeCtrl::Init(kTree, this);
  list_ = GetDlgItemAs<CQXCmdListCtrl>(kList);
  if (!tree_ || !list_ || !table_) {
    AfxMessageBox(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
    EndDialog(IDCANCEL);
    return TRUE;
  }
  bool fontButton = false;
  fontSet_ = LoadCommandDialogFont(&font_, &fontButton);
  if (QWidget* button = GetDlgItem(int(kFontButton))) button->setVisible(fontButton);
  if (fontSet_) {
    tree_->setFont(font_);
    list_->setFont(font_);
  }
  tree_->ModifyStyle(0, TVS_DISABLEDRAGDROP);
  ReadCommandTree(TokenListReadPath(model_.c_str()).c_str(), tree_);
  list_->ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  list_->InitCommandColumns(kEditCmdList);
  LoadUserCmdList(list_, *table_);
  return TRUE;
}

void CQXUserCmdListDlg::OnDestroy() {
  if (list_) list_->SaveCommandColumns(kEditCmdList);
  COrvoHelpDialog::OnDestroy();
}

void CQXUserCmdListDlg::selectRow(int row) {
  list_->SetItemState(-1, 0, LVIS_SELECTED);
  if (row < 0 || row >= list_->GetItemCount()) return;
  list_->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_->EnsureVisible(row, FALSE);
}

void CQXUserCmdListDlg::OnAdd() {
  if (!tree_ || !list_) return;
  const HTREEITEM item = tree_->GetSelectedItem();
  if (!TreeItemIsLeaf(*tree_, item)) return;
  const DWORD value = DWORD(tree_->GetItemData(item));
  const CQXCommandTable::Entry* entry = table_->FindCommand(CommandValueTable(value), CommandValueNumber(value));
  if (!entry) return;
  const int selected = GetFirstSelectedItem(list_);
  const int row = list_->InsertCommand(selected < 0 ? list_->GetItemCount() : selected + 1, value, *entry);
  selectRow(row);
}

void CQXUserCmdListDlg::OnTreeDblClk(NMHDR*, LRESULT* result) {
  // A command is taken rather than toggled; a folder opens as usual.
  *result = TreeItemIsLeaf(*tree_, tree_->GetSelectedItem()) ? 1 : 0;
  OnAdd();
}

void CQXUserCmdListDlg::OnDelete() {
  if (!list_) return;
  const int row = GetFirstSelectedItem(list_);
  if (row < 0) return;
  list_->DeleteItem(row);
  selectRow(row < list_->GetItemCount() ? row : row - 1);
}

void CQXUserCmdListDlg::OnFont() {
  if (!tree_ || !list_) return;
  if (!fontSet_) font_ = list_->font();
  if (!ChooseCommandDialogFont(this, &font_)) return;
  fontSet_ = true;
  tree_->SetLabelFont(font_);
  list_->SetCommandFont(font_, *table_);
}

void CQXUserCmdListDlg::OnOK() {
  if (list_) {
    CWaitCursor wait;
    SaveUserCmdList(list_);
  }
  COrvoHelpDialog::OnOK();
}
