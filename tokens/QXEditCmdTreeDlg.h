// CQXEditCmdTreeDlg (dialog 550): the command tree of a calculator model
// beside the list of its commands. The tree is edited with the tool bar
// (134) and the tree's menu (137): new folder, rename, cut, copy, paste,
// delete, move up and down, each on only when it would do something to the
// selected item (paste: when the clipboard holds tree text); Add (or a double click in the list) puts the
// list's command into the tree; Edit opens the command table itself
// (dialog 551). OK writes table and tree into the model's token list file
// in one write (TokenListWritePath: the user's copy) and closes with OK
// even when that failed (the writer has said why). The dialog edits its
// own copy of the table, which its caller takes after OK.
#pragma once

#include "classlib/OrvoHelpDialog.h"
#include "tokens/QXCommandTable.h"

#include <QFont>

#include <string>

class CQXCmdListCtrl;
class CQXCmdTreeCtrl;
class CToolBar;
class QPlainTextEdit;

class CQXEditCmdTreeDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 550;

  CQXEditCmdTreeDlg(const CQXCommandTable& table, const char* calcType, const char* model, QWidget* parent = nullptr);
  ~CQXEditCmdTreeDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  const CQXCommandTable& GetTable() const { return table_; }
  CQXCmdTreeCtrl* GetTree() const { return tree_; }
  CQXCmdListCtrl* GetList() const { return list_; }
  CToolBar* GetToolBar() const { return toolBar_; }

 protected:
  void OnDestroy() override;
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  void OnTreeCommand(UINT id);
  void OnUpdateTreeCommand(CCmdUI* ui);
  void OnTreeSelChanged(NMHDR* header, LRESULT* result);
  void updateToolBar();
  void OnAdd();
  void OnFont();
  void OnImport();
  void OnExport();
  void OnEdit();
  void OnListDblClk(NMHDR* header, LRESULT* result);
  void showSelectedValue();
  DWORD selectedValue() const;
  // Selects the list's command `value`, else the first.
  void selectCommand(DWORD value);
  void probeWritable(const std::string& readPath);

  CQXCommandTable table_;
  std::string calcType_;
  std::string model_;
  CQXCmdTreeCtrl* tree_ = nullptr;
  CQXCmdListCtrl* list_ = nullptr;
  CToolBar* toolBar_ = nullptr;
  QPlainTextEdit* valueBox_ = nullptr;
  QFont font_;
  bool fontSet_ = false;
};
