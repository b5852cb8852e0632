#include "classlib/OrvoWinApp.h"

#include "classlib/OrvoMainFrame.h"
#include "platform/Dialog.h"
#include "platform/RuntimeClass.h"

const CMessageMap& COrvoWinApp::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoWinApp>(CWinApp::messageMap())
                                     .command(ID_FILE_NEW, &COrvoWinApp::OnFileNew)
                                     .command(ID_FILE_OPEN, &COrvoWinApp::OnFileOpen)
                                     .command(ID_FILE_PRINT_SETUP, &COrvoWinApp::OnFilePrintSetup)
                                     .command(ID_APP_ABOUT, &COrvoWinApp::OnAppAbout);
  return map;
}

COrvoWinApp::COrvoWinApp(QObject* parent) : CWinApp(parent) {}
COrvoWinApp::~COrvoWinApp() = default;

BOOL COrvoWinApp::InitInstance() {
  if (!CWinApp::InitInstance()) return FALSE;
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoMainFrame));
  LoadStdProfileSettings(4);
  return TRUE;
}

void COrvoWinApp::OnAppAbout() {
  if (!aboutFactory_) return;
  if (std::unique_ptr<CDialog> about = aboutFactory_()) about->DoModal();
}
