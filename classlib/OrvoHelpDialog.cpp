#include "classlib/OrvoHelpDialog.h"

#include "platform/WinApp.h"

namespace {
constexpr UINT kHelpButton = 20;
constexpr DWORD kDialogTopics = 0x20000;
}  // namespace

const CMessageMap& COrvoHelpDialog::messageMap() {
  static const CMessageMap map =
      MessageMapOf<COrvoHelpDialog>(CDialog::messageMap()).command(kHelpButton, &COrvoHelpDialog::OnHelpButton);
  return map;
}

COrvoHelpDialog::COrvoHelpDialog(UINT templateId, QWidget* parent) : CDialog(templateId, parent), helpId_(templateId) {}

COrvoHelpDialog::~COrvoHelpDialog() = default;

void COrvoHelpDialog::OnHelpButton() { ShowDialogHelp(helpId_); }

void COrvoHelpDialog::ShowDialogHelp(UINT templateId) {
  if (templateId == 0) return;
  if (CWinApp* app = AfxGetApp()) app->WinHelp(kDialogTopics | templateId, HELP_CONTEXT);
}
