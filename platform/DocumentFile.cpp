// The file side of CDocument: new, open, save, save as and the question
// before unsaved changes go.
#include "platform/DocTemplate.h"
#include "platform/Document.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/OutsideFile.h"
#include "platform/WinApp.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr UINT kSaveAsTitle = 61441;     // "Enregistrer sous"
constexpr UINT kUntitled = 61443;        // "sans nom"
constexpr UINT kFailedToOpen = 61697;    // "L'ouverture du document a échoué."
constexpr UINT kAskToSave = 61699;       // "Enregistrer les modifications apportées à %1?"

}  // namespace

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  pathName_.clear();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const QString& path) {
  if (!tallix::OutsideFile(QFile::encodeName(path).constData(), tallix::kUnboundedFile).isOpen()) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kFailedToOpen, path), MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const QString&) {
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::DeleteContents() {}

void CDocument::OnCloseDocument() { DeleteContents(); }

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  const QString name = title_.isEmpty() ? CLanguageLibrary::LoadString(kUntitled) : title_;
  switch (AfxMessageBox(CLanguageLibrary::FormatMessage(kAskToSave, name), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDCANCEL:
      return FALSE;
    case IDYES:
      return DoFileSave();
    default:
      return TRUE;
  }
}

BOOL CDocument::DoFileSave() {
  const QFileInfo file(pathName_);
  if (pathName_.isEmpty() || (file.exists() && !file.isWritable())) return DoSave(QString());
  return DoSave(pathName_);
}

BOOL CDocument::DoSave(const QString& path, BOOL replace) {
  QString name = path;
  if (name.isEmpty()) {
    name = pathName_;
    if (replace && name.isEmpty()) {
      // The title with the template's extensions; the dialog keeps what a
      // file name can hold.
      name = title_;
      name.remove(QLatin1Char('/'));
      QString extensions;
      if (docTemplate_ && docTemplate_->GetDocString(extensions, CDocTemplate::filterExt)) name += extensions;
    }
    CWinApp* app = AfxGetApp();
    if (!app || !app->DoPromptFileName(name, kSaveAsTitle, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE, docTemplate_))
      return FALSE;
  }
  if (!OnSaveDocument(name)) return FALSE;
  if (replace) SetPathName(name);
  return TRUE;
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(QString()); }
