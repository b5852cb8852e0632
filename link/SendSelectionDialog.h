// The choice of the items to send (dialog 512, "Envoyer"): a check list of
// the names, all unchecked at first. On "Envoyer" the names of the entries
// left unchecked are emptied in the caller's array; the caller skips empty
// names. Nothing checked keeps the dialog open with a message.
#pragma once

#include "classlib/OrvoHelpDialog.h"

#include <string>
#include <vector>

class QListWidget;

class CQXSendSelectionDialog : public COrvoHelpDialog {
  Q_OBJECT

 public:
  enum ControlId { IDC_LIST = 1000, IDC_TOGGLE = 1001, IDC_ALL = 1002, IDC_NONE = 1003 };
  static constexpr UINT kTemplateId = 512;
  static constexpr UINT kNothingChecked = 10152;

  // `names`: Windows-1252 texts; the array must outlive the dialog.
  explicit CQXSendSelectionDialog(std::vector<std::string>* names, QWidget* parent = nullptr);
  ~CQXSendSelectionDialog() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnToggle();
  void OnAll();
  void OnNone();

 private:
  QListWidget* list() const;
  void checkAll(bool on);

  std::vector<std::string>* names_;
};
