// COrvoHelpDialog: a dialog whose "&Aide" button (control 20) opens the
// help topic of the dialog, 0x20000 + its template id.
#pragma once

#include "platform/Dialog.h"

class COrvoHelpDialog : public CDialog {
  Q_OBJECT

 public:
  explicit COrvoHelpDialog(UINT templateId, QWidget* parent = nullptr);
  ~COrvoHelpDialog() override;
  DECLARE_MESSAGE_MAP()

  UINT GetHelpId() const { return helpId_; }
  // The application's help on the dialog's topic; nothing for id 0.
  void OnHelpButton();
  // The application's help on the topic of dialog `templateId`, for dialogs
  // that keep the plain CDialog base.
  static void ShowDialogHelp(UINT templateId);

 private:
  UINT helpId_;
};
