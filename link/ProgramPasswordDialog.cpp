#include "link/ProgramPasswordDialog.h"

#include "platform/CalcShownText.h"
#include "platform/CalcTextEdit.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"

#include <QLineEdit>

const CMessageMap& CQXProgramPasswordDialog::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXProgramPasswordDialog>(CDialog::messageMap()).command(IDC_SKIP, &CQXProgramPasswordDialog::OnSkip);
  return map;
}

CQXProgramPasswordDialog::CQXProgramPasswordDialog(const char* programName, const char* storedPassword,
                                                   QWidget* parent)
    : CDialog(kTemplateId, parent), name_(programName ? programName : ""),
      password_(storedPassword ? storedPassword : "") {}

CQXProgramPasswordDialog::~CQXProgramPasswordDialog() = default;

BOOL CQXProgramPasswordDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (auto* name = GetDlgItemAs<QLineEdit>(IDC_PROGRAM)) {
    MakeCalcTextEdit(name);
    SetCalcEditCodes(name, name_);
  }
  if (auto* typed = GetDlgItemAs<QLineEdit>(IDC_PASSWORD)) {
    MakeCalcTextEdit(typed);
    typed->setFocus(Qt::OtherFocusReason);
  }
  return TRUE;
}

void CQXProgramPasswordDialog::OnOK() {
  auto* typed = GetDlgItemAs<QLineEdit>(IDC_PASSWORD);
  if (!typed) return;
  // Case is compared on the characters the calculator shows for the bytes,
  // so accented letters match their other case too.
  if (typed->text().compare(CalcDisplayText(password_, typed->font()), Qt::CaseInsensitive) != 0) {
    AfxMessageBox(kWrongPassword, MB_ICONEXCLAMATION);
    typed->setFocus(Qt::OtherFocusReason);
    typed->selectAll();
    return;
  }
  result_ = RESULT_SEND;
  EndDialog(IDOK);
}

void CQXProgramPasswordDialog::OnSkip() {
  result_ = RESULT_SKIP;
  EndDialog(IDOK);
}

void CQXProgramPasswordDialog::OnCancel() {
  result_ = RESULT_CANCEL;
  EndDialog(IDCANCEL);
}

int RunProgramPasswordDialog(const char* programName, const char* storedPassword) {
  CQXProgramPasswordDialog dialog(programName, storedPassword, AfxGetMainWnd());
  if (dialog.DoModal() == -1) return CQXProgramPasswordDialog::RESULT_CANCEL;
  return dialog.GetResult();
}
