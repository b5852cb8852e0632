#include "platform/View.h"

#include "platform/Document.h"

const CMessageMap& CView::messageMap() {
  static const CMessageMap map = MessageMapOf<CView>(CWnd::messageMap());
  return map;
}

CView::CView(QWidget* parent) : CWnd(parent) {}
CView::~CView() = default;

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return document_ && document_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnActivateView(BOOL, CView*, CView*) {}

int CView::OnCreate(LPCREATESTRUCT cs) {
  if (cs && cs->lpCreateParams) {
    auto* context = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (context->m_pCurrentDoc) document_ = context->m_pCurrentDoc;
  }
  return CWnd::OnCreate(cs);
}

void CView::PostNcDestroy() { deleteLater(); }
