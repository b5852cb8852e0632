#include "platform/View.h"

#include "platform/DC.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"

#include <QApplication>
#include <QPainter>

const CMessageMap& CView::messageMap() {
  static const CMessageMap map = MessageMapOf<CView>(CWnd::messageMap());
  return map;
}

CView::CView(QWidget* parent) : CWnd(parent) {}

CView::~CView() { SetDocument(nullptr); }

void CView::SetDocument(CDocument* document) {
  if (document) {
    document->AddView(this);
  } else if (CDocument* old = document_) {
    document_ = nullptr;
    old->RemoveView(this);
  }
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return document_ && document_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnActivateView(BOOL activate, CView* activated, CView*) {
  // The view made active takes the focus, unless it already has it inside.
  if (!activate || activated != this || !window()->isActiveWindow()) return;
  QWidget* focus = QApplication::focusWidget();
  if (focus != this && !isAncestorOf(focus)) SetFocus();
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, QObject*) { Invalidate(TRUE); }

void CView::OnPrepareDC(CDC*) {}

void CView::OnDraw(CDC*) {}

DROPEFFECT CView::OnDragEnter(COleDataObject*, DWORD, QPoint) { return DROPEFFECT_NONE; }
DROPEFFECT CView::OnDragOver(COleDataObject*, DWORD, QPoint) { return DROPEFFECT_NONE; }
void CView::OnDragLeave() {}
BOOL CView::OnDrop(COleDataObject*, DROPEFFECT, QPoint) { return FALSE; }
DROPEFFECT CView::OnDropEx(COleDataObject*, DROPEFFECT, DROPEFFECT, QPoint) { return DROPEFFECT(-1); }
DROPEFFECT CView::OnDragScroll(DWORD, QPoint) { return DROPEFFECT_NONE; }

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITIALUPDATE) {
    OnInitialUpdate();
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

int CView::OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) {
  const int result = CWnd::OnMouseActivate(topLevel, hitTest, message);
  if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() != this) frame->SetActiveView(this);
  return result;
}

int CView::OnCreate(LPCREATESTRUCT cs) {
  if (cs && cs->lpCreateParams) {
    auto* context = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  }
  return CWnd::OnCreate(cs);
}

void CView::PostNcDestroy() { deleteLater(); }

void CView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  CDC dc(&painter);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}
