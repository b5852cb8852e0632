#include "classlib/OrvoTreeView.h"

#include <QTreeWidget>

#include "classlib/InternetShortcut.h"

const CMessageMap& COrvoTreeView::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoTreeView>(CTreeView::messageMap());
  return map;
}

COrvoTreeView::COrvoTreeView(QWidget* parent) : CTreeView(parent) {}
COrvoTreeView::~COrvoTreeView() = default;

BOOL COrvoTreeView::OnCreateTree() { return TRUE; }

int COrvoTreeView::OnCreate(LPCREATESTRUCT cs) {
  ModifyStyle(0, WS_BORDER);
  if (CTreeView::OnCreate(cs) == -1) return -1;
  return OnCreateTree() ? 0 : -1;
}

const CMessageMap& COrvoTreeViewDragDrop::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoTreeViewDragDrop>(COrvoTreeView::messageMap())
                                     .notifyReflect(TVN_BEGINDRAG, &COrvoTreeViewDragDrop::OnBeginDrag);
  return map;
}

COrvoTreeViewDragDrop::COrvoTreeViewDragDrop(QWidget* parent) : COrvoTreeView(parent) {}
COrvoTreeViewDragDrop::~COrvoTreeViewDragDrop() = default;

int COrvoTreeViewDragDrop::OnCreate(LPCREATESTRUCT cs) {
  if (COrvoTreeView::OnCreate(cs) == -1) return -1;
  if (registerAsDropTarget) dropTarget.Register(GetTreeCtrl().GetTreeWidget());
  return 0;
}

void COrvoTreeViewDragDrop::OnDestroy() {
  if (scrollTimer) KillTimer(scrollTimer);
  scrollTimer = 0;
  dropTarget.Revoke();
  COrvoTreeView::OnDestroy();
}

void COrvoTreeViewDragDrop::OnBeginDrag(NMHDR*, LRESULT*) {}

BOOL COrvoTreeViewDragDrop::CanDropAt(COleDataObject*, DWORD, QPoint) { return FALSE; }

DROPEFFECT COrvoTreeViewDragDrop::OnDragEnter(COleDataObject* data, DWORD, QPoint) {
  return IsUrlDropAcceptable(data) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

DROPEFFECT COrvoTreeViewDragDrop::OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) {
  if (CanDropAt(data, keyState, point)) {
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM item = tree.HitTest(point);
    if (!item) return DROPEFFECT_NONE;
    tree.SelectDropTarget(item);
    if (!scrollTimer) scrollTimer = SetTimer(kScrollTimerId, kScrollPeriodMs);
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  }
  return IsUrlDropAcceptable(data) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

void COrvoTreeViewDragDrop::OnDragLeave() {
  EndDragFeedback();
  COrvoTreeView::OnDragLeave();
}

BOOL COrvoTreeViewDragDrop::OnDrop(COleDataObject*, DROPEFFECT, QPoint) {
  EndDragFeedback();
  return TRUE;
}

void COrvoTreeViewDragDrop::EndDragFeedback() {
  if (scrollTimer) KillTimer(scrollTimer);
  scrollTimer = 0;
  GetTreeCtrl().SelectDropTarget(nullptr);
}

void COrvoTreeViewDragDrop::OnTimer(UINT_PTR id) {
  if (id == kScrollTimerId)
    AutoScrollStep();
  else
    COrvoTreeView::OnTimer(id);
}

void COrvoTreeViewDragDrop::AutoScrollStep() {
  CTreeCtrl& tree = GetTreeCtrl();
  const QPoint point = tree.GetTreeWidget()->viewport()->mapFromGlobal(GetMessagePos());
  HTREEITEM under = tree.HitTest(point);
  if (!under) return;
  QRect itemRect;
  if (!tree.GetItemRect(under, &itemRect, FALSE)) return;
  const int h = itemRect.height();
  QRect client;
  tree.GetClientRect(&client);
  HTREEITEM candidate = nullptr;
  if (point.y() < client.top() + h) {
    HTREEITEM top = tree.HitTest(QPoint(1, 1));
    candidate = top ? tree.GetPrevVisibleItem(top) : nullptr;
  } else if (point.y() >= client.top() + client.height() - h) {
    HTREEITEM bottom = tree.HitTest(QPoint(1, client.top() + client.height() - h / 2));
    if (!bottom) return;
    candidate = tree.GetNextVisibleItem(bottom);
  }
  if (candidate && candidate != under) {
    tree.SelectDropTarget(candidate);
    tree.EnsureVisible(candidate);
  }
}
