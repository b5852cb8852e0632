// The document's commands on the command table of its model: the
// command-list editor, the user-defined list and the macros.
#include "app/QXDoc.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"
#include "tokens/QXEditCmdTreeDlg.h"
#include "tokens/QXEditMacroListDlg.h"
#include "tokens/QXUserCmdListDlg.h"

namespace {
// The update hint that tells the pages the command lists changed.
constexpr LPARAM kHintCommandListsChanged = 3;
}  // namespace

void CQXDoc::OnEditCmdList() {
  std::string type, model;
  GetCalculatorType(&type);
  GetCalculatorName(&model);
  CQXEditCmdTreeDlg dialog(tokenTable_, type.c_str(), model.c_str(), AfxGetMainWnd());
  if (dialog.DoModal() != IDOK) return;
  tokenTable_.RemoveAll();
  tokenTable_.CopyFrom(dialog.GetTable());
  tokenTable_.BuildTextIndex();
  ShowSelectedItemView();
}

void CQXDoc::OnUserCmdList() {
  std::string model;
  GetCalculatorName(&model);
  CQXUserCmdListDlg dialog(&tokenTable_, model.c_str(), AfxGetMainWnd());
  if (dialog.DoModal() == IDOK) UpdateAllViews(nullptr, kHintCommandListsChanged);
}

void CQXDoc::OnMacros() {
  CQXEditMacroListDlg dialog(this, AfxGetMainWnd());
  if (dialog.DoModal() == IDOK) ShowSelectedItemView();
}
