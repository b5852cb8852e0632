#include "platform/Document.h"

#include "platform/WinApp.h"

#include <QFileInfo>

const CMessageMap& CDocument::messageMap() {
  static const CMessageMap map = MessageMapOf<CDocument>(CCmdTarget::messageMap())
                                     .command(ID_FILE_SAVE, &CDocument::OnFileSave)
                                     .command(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs);
  return map;
}

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

void CDocument::SetTitle(const QString& title) { title_ = title; }

void CDocument::SetPathName(const QString& path, BOOL addToRecentFiles) {
  pathName_ = path;
  SetTitle(QFileInfo(path).fileName());
  if (addToRecentFiles && AfxGetApp()) AfxGetApp()->AddToRecentFileList(path);
}

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }
