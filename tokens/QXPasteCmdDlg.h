// CQXPasteCmdDlg (dialog 524, "Coller commande"): a command pane in a
// dialog, from which a page picks one command or macro to put into its
// focused token field. A double click in a view, or Coller (20070) of a
// view's menu, closes it with OK when something is selected. After OK the
// result holds the command's bytes, or a copy of the macro's bytes that
// belongs to the caller and outlives the dialog.
#pragma once

#include "classlib/OrvoHelpDialog.h"

#include <memory>
#include <vector>

class CCmdUI;
class CFont;
class CQXCmdChooser;
class CQXDocServices;
class CToolBar;

struct QXPASTECMDRESULT {
  // 0: a command in `tableByte`, `numberByte`; 3: a macro, its bytes copied
  // into `macro` (bit 2: the bytes are held apart, bit 1: the receiver owns
  // them).
  enum : DWORD { kCommand = 0, kMacro = 3 };
  DWORD kind = kCommand;
  int length = 0;  // 1 or 2 for a command (0: nothing chosen), the macro's length
  std::vector<BYTE> macro;
  BYTE tableByte = 0;
  BYTE numberByte = 0;

  // The calculator bytes to insert: the macro's, or the command's table and
  // number byte (the number byte alone for length 1).
  std::vector<BYTE> Bytes() const;
};

class CQXPasteCmdDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 524;

  CQXPasteCmdDlg(QWidget* parent, const CFont* font, CQXDocServices* document);
  ~CQXPasteCmdDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  QXPASTECMDRESULT m_result;

  CQXCmdChooser* GetChooser() const { return chooser_.get(); }
  CToolBar* GetToolBar() const { return toolBar_; }

 protected:
  void OnDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnView(UINT id);
  void OnPaste();
  void OnViewDblClk(NMHDR* header, LRESULT* result);
  void OnColumnClick(NMHDR* header, LRESULT* result);
  void layoutControls();
  void checkViewButtons();
  void OnUpdateView(CCmdUI* ui);
  bool closeIfSelected();

  const CFont* font_;
  CQXDocServices* document_;
  CToolBar* toolBar_ = nullptr;
  std::unique_ptr<CQXCmdChooser> chooser_;
};
