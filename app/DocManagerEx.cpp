#include "app/DocManagerEx.h"

#include "app/MultiExtFilterFileDialog.h"
#include "app/QXSingleDocTemplate.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

CDocManagerEx::CDocManagerEx() = default;

CDocManagerEx::~CDocManagerEx() = default;

BOOL CDocManagerEx::GetFilterFields(CDocTemplate* docTemplate, BOOL openFileDialog, QString* name,
                                    QString* extensions) {
  auto* own = qobject_cast<CQXSingleDocTemplate*>(docTemplate);
  if (!own) return CDocManager::GetFilterFields(docTemplate, openFileDialog, name, extensions);
  if (openFileDialog)
    return own->GetOpenFilterString(*name, CDocTemplate::filterName) &&
           own->GetOpenFilterString(*extensions, CDocTemplate::filterExt);
  return own->GetSaveFilterString(*name, CDocTemplate::filterName) &&
         own->GetSaveFilterString(*extensions, CDocTemplate::filterExt);
}

std::unique_ptr<CFileDialog> CDocManagerEx::CreateFileDialog(BOOL openFileDialog, DWORD flags) {
  return std::make_unique<CMultiExtFilterFileDialog>(openFileDialog, QString(), QString(), flags, QString(),
                                                     AfxGetMainWnd());
}
