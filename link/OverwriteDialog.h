// The question before an item that already exists is overwritten (dialog
// 518, "Confirmer écrasement"): the item's kind icon and text, and four
// answers kept in GetResult(): 1 yes, 2 no, 3 cancel, 4 all. "Annuler",
// Escape and the close box cancel.
#pragma once

#include "platform/Dialog.h"

#include <string>

class CQXOverwriteDialog : public CDialog {
  Q_OBJECT

 public:
  enum ControlId { IDC_ITEM_TEXT = 1000, IDC_KIND_ICON = 1020, IDC_ALL = 1030, IDC_NO = 7 };
  enum Result { RESULT_YES = 1, RESULT_NO = 2, RESULT_CANCEL = 3, RESULT_ALL = 4 };
  static constexpr UINT kTemplateId = 518;

  // `itemText`: Windows-1252; `kind`: the header kind whose icon shows.
  CQXOverwriteDialog(const char* itemText, int kind, QWidget* parent = nullptr);
  ~CQXOverwriteDialog() override;
  DECLARE_MESSAGE_MAP()

  int GetResult() const { return result_; }

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnAll();
  void OnNo();

 private:
  void finish(int result, int endCode);

  std::string text_;
  int kind_;
  int result_ = RESULT_NO;
};
