#include "platform/DocTemplate.h"

#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/View.h"
#include "platform/WinApp.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr UINT kFailedToCreateDoc = 61700;  // "La création d'un document vide a échoué."
constexpr UINT kUntitled = 61443;           // "sans nom"

}  // namespace

bool IsSameFile(const QString& a, const QString& b) {
  const QFileInfo fa(a), fb(b);
  const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
  if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
  return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : docClass_(docClass), frameClass_(frameClass), viewClass_(viewClass), resourceId_(resourceId) {
  LoadTemplate();
}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate() { docStrings_ = CLanguageLibrary::LoadString(resourceId_); }

BOOL CDocTemplate::ExtractField(const QString& fields, int index, QString& out) {
  const QStringList parts = fields.split(QLatin1Char('\n'));
  out = parts.value(index);
  return index >= 0 && index < parts.size() ? TRUE : FALSE;
}

BOOL CDocTemplate::GetDocString(QString& out, DocStringIndex index) const {
  return ExtractField(docStrings_, index, out);
}

void CDocTemplate::AddDocument(CDocument* document) { document->docTemplate_ = this; }

void CDocTemplate::RemoveDocument(CDocument* document) {
  if (document->docTemplate_ == this) document->docTemplate_ = nullptr;
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const QString& path, CDocument*& match) {
  match = nullptr;
  for (CDocument* document : GetDocuments()) {
    if (!document->GetPathName().isEmpty() && IsSameFile(document->GetPathName(), path)) {
      match = document;
      return yesAlreadyOpen;
    }
  }
  QString extensions;
  GetDocString(extensions, filterExt);
  const QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) {
    const QString ext = name.mid(dot);
    for (const QString& candidate : extensions.split(QLatin1Char(';'), Qt::SkipEmptyParts))
      if (ext.compare(candidate, Qt::CaseInsensitive) == 0) return yesAttemptNative;
  }
  return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
  QObject* object = CreateObject(docClass_);
  auto* document = qobject_cast<CDocument*>(object);
  if (!document) {
    delete object;
    return nullptr;
  }
  AddDocument(document);
  return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* document) {
  QObject* object = CreateObject(frameClass_);
  auto* frame = qobject_cast<CFrameWnd*>(object);
  if (!frame) {
    delete object;
    return nullptr;
  }
  CCreateContext context;
  context.m_pNewViewClass = viewClass_;
  context.m_pCurrentDoc = document;
  // A frame that fails to load destroys itself.
  return frame->LoadFrame(resourceId_, nullptr, &context) ? frame : nullptr;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible) {
  const QList<CView*> views = frame->findChildren<CView*>();
  if (!frame->GetActiveView()) {
    CView* first = nullptr;
    for (CView* view : views)
      if (view->GetDocument() == document && (!first || view->GetDlgCtrlID() == int(AFX_IDW_PANE_FIRST)))
        first = view;
    if (first) frame->SetActiveView(first, FALSE);
  }
  for (CView* view : views) view->SendMessage(WM_INITIALUPDATE, 0, 0);
  if (makeVisible) {
    CWinApp* app = AfxGetApp();
    frame->ActivateFrame(frame->isVisible() || !app ? -1 : app->m_nCmdShow);
  }
  frame->OnUpdateFrameTitle(TRUE);
}

void CDocTemplate::SetDefaultTitle(CDocument* document) {
  QString title;
  if (!GetDocString(title, docName) || title.isEmpty()) title = CLanguageLibrary::LoadString(kUntitled);
  document->SetTitle(title);
}

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass,
                                       const CRuntimeClass* frameClass, const CRuntimeClass* viewClass)
    : CDocTemplate(resourceId, docClass, frameClass, viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() { delete onlyDoc_.data(); }

std::vector<CDocument*> CSingleDocTemplate::GetDocuments() const {
  if (!onlyDoc_) return {};
  return {onlyDoc_.data()};
}

void CSingleDocTemplate::AddDocument(CDocument* document) {
  CDocTemplate::AddDocument(document);
  onlyDoc_ = document;
}

void CSingleDocTemplate::RemoveDocument(CDocument* document) {
  CDocTemplate::RemoveDocument(document);
  if (onlyDoc_ == document) onlyDoc_ = nullptr;
}

BOOL CSingleDocTemplate::OpenFileInto(CDocument* document, const QString& path) {
  return document->OnOpenDocument(path);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const QString& path, BOOL makeVisible) {
  CDocument* document = onlyDoc_;
  CFrameWnd* frame = nullptr;
  bool created = false;
  if (document) {
    if (!document->SaveModified()) return nullptr;
    frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  } else {
    document = CreateNewDocument();
    created = document != nullptr;
  }
  if (!document) {
    AfxMessageBox(kFailedToCreateDoc, MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
  }
  if (!frame) {
    frame = CreateNewFrame(document);
    if (!frame) {
      AfxMessageBox(kFailedToCreateDoc, MB_OK | MB_ICONEXCLAMATION);
      if (created) {
        RemoveDocument(document);
        delete document;
      }
      return nullptr;
    }
  }
  if (path.isEmpty()) {
    SetDefaultTitle(document);
    if (!document->OnNewDocument()) {
      if (created) frame->DestroyWindow();
      return nullptr;
    }
  } else {
    const BOOL wasModified = document->IsModified();
    document->SetModifiedFlag(FALSE);
    if (!OpenFileInto(document, path)) {
      if (created) {
        frame->DestroyWindow();
      } else if (!document->IsModified()) {
        document->SetModifiedFlag(wasModified);
      } else {
        // The failed open changed the contents: start afresh.
        SetDefaultTitle(document);
        if (!document->OnNewDocument()) return nullptr;
      }
      return nullptr;
    }
    document->SetPathName(path);
  }
  CWinApp* app = AfxGetApp();
  if (created && app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  InitialUpdateFrame(frame, document, makeVisible);
  return document;
}
