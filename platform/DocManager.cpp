#include "platform/DocManager.h"

#include "platform/DocTemplate.h"
#include "platform/Document.h"
#include "platform/FileDialog.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"

#include <QFileInfo>

namespace {

constexpr UINT kOpenTitle = 61440;      // "Ouvrir"
constexpr UINT kFailedToOpen = 61697;   // "L'ouverture du document a échoué."
constexpr UINT kAllFilesFilter = 61442; // "Tous les fichiers (*.*)"

}  // namespace

CDocManager::CDocManager() = default;

CDocManager::~CDocManager() {
  for (CDocTemplate* t : templates_) delete t;
}

void CDocManager::AddDocTemplate(CDocTemplate* docTemplate) {
  if (docTemplate) templates_.push_back(docTemplate);
}

void CDocManager::OnFileNew() {
  if (!templates_.empty()) templates_.front()->OpenDocumentFile(QString());
}

void CDocManager::OnFileOpen() {
  QString fileName;
  if (!DoPromptFileName(fileName, kOpenTitle, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr)) return;
  if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(fileName);
  else OpenDocumentFile(fileName);
}

CDocument* CDocManager::OpenDocumentFile(const QString& fileName) {
  // The whole name (paths here are often longer than the platform's 260
  // characters), without the quotes a command line may put around it.
  QString name = fileName;
  if (name.startsWith(QLatin1Char('"'))) name.remove(0, 1);
  if (const qsizetype quote = name.lastIndexOf(QLatin1Char('"')); quote >= 0) name.truncate(quote);
  if (name.isEmpty()) return nullptr;
  QFileInfo info(name);
  QString path = info.absoluteFilePath();
  if (info.isSymLink() && !info.canonicalFilePath().isEmpty()) path = info.canonicalFilePath();

  CDocTemplate* best = nullptr;
  CDocument* open = nullptr;
  CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
  for (CDocTemplate* t : templates_) {
    CDocument* match = nullptr;
    const CDocTemplate::Confidence c = t->MatchDocType(path, match);
    if (c > bestMatch) {
      bestMatch = c;
      best = t;
      open = match;
    }
    if (c == CDocTemplate::yesAlreadyOpen) break;
  }
  if (bestMatch == CDocTemplate::yesAlreadyOpen && open) {
    if (auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd())) frame->ActivateFrame();
    return open;
  }
  if (!best) {
    AfxMessageBox(kFailedToOpen, MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
  }
  return best->OpenDocumentFile(path, TRUE);
}

BOOL CDocManager::GetFilterFields(CDocTemplate* docTemplate, BOOL, QString* name, QString* extensions) {
  return docTemplate->GetDocString(*name, CDocTemplate::filterName) &&
         docTemplate->GetDocString(*extensions, CDocTemplate::filterExt);
}

std::unique_ptr<CFileDialog> CDocManager::CreateFileDialog(BOOL openFileDialog, DWORD flags) {
  return std::make_unique<CFileDialog>(openFileDialog, QString(), QString(), flags, QString(),
                                       AfxGetMainWnd());
}

BOOL CDocManager::DoPromptFileName(QString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                   CDocTemplate* docTemplate) {
  std::unique_ptr<CFileDialog> dialog =
      CreateFileDialog(openFileDialog, flags | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
  QString filter;
  QString defaultExt;
  bool first = true;
  const std::vector<CDocTemplate*> chosen =
      docTemplate ? std::vector<CDocTemplate*>{docTemplate} : templates_;
  for (CDocTemplate* t : chosen) {
    QString name, extensions;
    if (!GetFilterFields(t, openFileDialog, &name, &extensions) || name.isEmpty() || extensions.isEmpty()) continue;
    QStringList patterns;
    for (const QString& ext : extensions.split(QLatin1Char(';'), Qt::SkipEmptyParts)) patterns << QStringLiteral("*") + ext;
    if (patterns.isEmpty()) continue;
    if (first) {
      // The first extension without its '.'; a list of several is no
      // default extension for opening (the open dialog tries each).
      if (!openFileDialog || patterns.size() == 1) defaultExt = patterns.front().mid(2);
      dialog->SetFilterIndex(1);
      first = false;
    }
    filter += name + QChar(u'\0') + patterns.join(QLatin1Char(';')) + QChar(u'\0');
  }
  filter += CLanguageLibrary::LoadString(kAllFilesFilter) + QChar(u'\0') + QStringLiteral("*.*") + QChar(u'\0');

  QString proposed = fileName;
  if (!openFileDialog) proposed = proposed.section(QLatin1Char(';'), 0, 0);
  dialog->SetFilter(filter);
  dialog->SetDefaultExt(defaultExt);
  dialog->SetFileName(proposed);
  dialog->SetTitle(CLanguageLibrary::LoadString(titleId));
  if (dialog->DoModal() != IDOK) return FALSE;
  fileName = dialog->GetPathName();
  return TRUE;
}

void CDocManager::RegisterShellFileTypes(BOOL) {}

void CDocManager::UnregisterShellFileTypes() {}
