#include "classlib/OrvoBases.h"

#include "classlib/OrvoBitmapScrollView.h"
#include "classlib/OrvoListCtrl.h"
#include "classlib/OrvoTreeView.h"
#include "platform/ScrollView.h"

COrvoBaseView::COrvoBaseView(QWidget* parent) : CView(parent) {}
COrvoBaseView::~COrvoBaseView() = default;
void COrvoBaseView::OnDraw(CDC*) {}

const CMessageMap& COrvoSplitterWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoSplitterWnd>(CSplitterWnd::messageMap());
  return map;
}

COrvoSplitterWnd::COrvoSplitterWnd(QWidget* parent) : CSplitterWnd(parent) {}
COrvoSplitterWnd::~COrvoSplitterWnd() = default;

BOOL COrvoSplitterWnd::OnMouseWheel(UINT flags, short delta, QPoint point) {
  for (int row = 0; row < GetRowCount(); ++row)
    for (int col = 0; col < GetColumnCount(); ++col)
      if (auto* view = qobject_cast<CScrollView*>(GetPane(row, col))) view->DoMouseWheel(flags, delta, point);
  return TRUE;
}

const CMessageMap& COrvoStatusBar::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoStatusBar>(CStatusBar::messageMap());
  return map;
}
COrvoStatusBar::COrvoStatusBar(QWidget* parent) : CStatusBar(parent) {}
COrvoStatusBar::~COrvoStatusBar() = default;

const CMessageMap& COrvoToolBar::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoToolBar>(CToolBar::messageMap());
  return map;
}
COrvoToolBar::COrvoToolBar(QWidget* parent) : CToolBar(parent) {}
COrvoToolBar::~COrvoToolBar() = default;

void RegisterOrvoWindowClasses() {
  RegisterRuntimeClass(RUNTIME_CLASS(CTreeView));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoBaseView));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoListCtrl));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoSplitterWnd));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoTreeView));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoTreeViewDragDrop));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoBitmapScrollView));
  RegisterRuntimeClass(RUNTIME_CLASS(COrvoBitmapControl));
}
