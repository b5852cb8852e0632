// CQXUserCmdListDlg (dialog 523): the user-defined list of the command
// pane, built from the command tree of the document's model. Add (or a
// double click in the tree) puts the tree's selected command after the
// list's selected row; Del removes a row. OK stores the list as "Token
// View"/"User def Cmds"; Cancel leaves it as it was. Works on the
// document's own table, which it does not change.
#pragma once

#include "classlib/OrvoHelpDialog.h"

#include <QFont>

#include <string>

class CQXCmdListCtrl;
class CQXCmdTreeCtrl;
class CQXCommandTable;

class CQXUserCmdListDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 523;

  CQXUserCmdListDlg(const CQXCommandTable* table, const char* model, QWidget* parent = nullptr);
  ~CQXUserCmdListDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  CQXCmdTreeCtrl* GetTree() const { return tree_; }
  CQXCmdListCtrl* GetList() const { return list_; }

 protected:
  void OnDestroy() override;

 private:
  void OnAdd();
  void OnDelete();
  void OnFont();
  void OnTreeDblClk(NMHDR* header, LRESULT* result);
  void selectRow(int row);

  const CQXCommandTable* table_;
  std::string model_;
  CQXCmdTreeCtrl* tree_ = nullptr;
  CQXCmdListCtrl* list_ = nullptr;
  QFont font_;
  bool fontSet_ = false;
};
