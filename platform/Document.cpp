#include "platform/Document.h"

#include "platform/View.h"
#include "platform/WinApp.h"

#include <QFileInfo>

#include <cstdint>

const CMessageMap& CDocument::messageMap() {
  static const CMessageMap map = MessageMapOf<CDocument>(CCmdTarget::messageMap())
                                     .command(ID_FILE_SAVE, &CDocument::OnFileSave)
                                     .command(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs);
  return map;
}

CDocument::CDocument() = default;

CDocument::~CDocument() {
  const std::vector<QPointer<CView>> views = views_;
  views_.clear();
  for (const QPointer<CView>& v : views)
    if (v) v->SetDocument(nullptr);
}

void CDocument::AddView(CView* view) {
  if (!view || view->GetDocument() == this) return;
  if (CDocument* old = view->GetDocument()) old->RemoveView(view);
  views_.emplace_back(view);
  view->document_ = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
  for (auto it = views_.begin(); it != views_.end(); ++it) {
    if (*it != view) continue;
    views_.erase(it);
    if (view->document_ == this) view->document_ = nullptr;
    OnChangedViewList();
    return;
  }
}

// A position is the index of the next view plus one.
POSITION CDocument::GetFirstViewPosition() const {
  for (size_t i = 0; i < views_.size(); ++i)
    if (views_[i]) return reinterpret_cast<POSITION>(std::uintptr_t(i + 1));
  return nullptr;
}

CView* CDocument::GetNextView(POSITION& pos) const {
  size_t i = size_t(reinterpret_cast<std::uintptr_t>(pos));
  CView* view = nullptr;
  pos = nullptr;
  if (i == 0 || i > views_.size()) return nullptr;
  view = views_[i - 1];
  for (size_t next = i; next < views_.size(); ++next)
    if (views_[next]) {
      pos = reinterpret_cast<POSITION>(std::uintptr_t(next + 1));
      break;
    }
  return view;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, QObject* hintObject) {
  const std::vector<QPointer<CView>> views = views_;
  for (const QPointer<CView>& v : views)
    // A view replaced meanwhile is destroyed but not yet freed: it has
    // nothing to show any more.
    if (v && v != sender && !v->IsDestroyed()) v->OnUpdate(sender, hint, hintObject);
}

void CDocument::OnChangedViewList() {}

void CDocument::SetTitle(const QString& title) { title_ = title; }

void CDocument::SetPathName(const QString& path, BOOL addToRecentFiles) {
  pathName_ = path;
  SetTitle(QFileInfo(path).fileName());
  if (addToRecentFiles && AfxGetApp()) AfxGetApp()->AddToRecentFileList(path);
}

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }
