// The password question before a protected program is sent (dialog 519,
// "Mot de passe"). The answer is kept in GetResult(): 0 send (the typed
// password matches the stored one, letter case aside), 1 cancel the
// transfer ("Annuler", Escape, the close box), 2 skip this program
// ("Sauter"). A wrong password keeps the dialog open with a message.
#pragma once

#include "platform/Dialog.h"

#include <string>

class CQXProgramPasswordDialog : public CDialog {
  Q_OBJECT

 public:
  enum ControlId { IDC_PROGRAM = 1000, IDC_PASSWORD = 1002, IDC_SKIP = 1007 };
  enum Result { RESULT_SEND = 0, RESULT_CANCEL = 1, RESULT_SKIP = 2 };
  static constexpr UINT kTemplateId = 519;
  static constexpr UINT kWrongPassword = 10502;

  // Both texts Windows-1252.
  CQXProgramPasswordDialog(const char* programName, const char* storedPassword, QWidget* parent = nullptr);
  ~CQXProgramPasswordDialog() override;
  DECLARE_MESSAGE_MAP()

  int GetResult() const { return result_; }

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnSkip();

 private:
  std::string name_;
  std::string password_;
  int result_ = RESULT_CANCEL;
};

// Runs the dialog modally; its result (cancel when it cannot be shown).
int RunProgramPasswordDialog(const char* programName, const char* storedPassword);
