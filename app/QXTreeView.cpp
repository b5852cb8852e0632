#include "app/QXTreeView.h"

#include "platform/RuntimeClass.h"

const CMessageMap& CQXTreeView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXTreeView>(COrvoTreeViewDragDrop::messageMap());
  return map;
}

CQXTreeView::CQXTreeView(QWidget* parent) : COrvoTreeViewDragDrop(parent) {}

CQXTreeView::~CQXTreeView() = default;

BOOL CQXTreeView::GetSelectedItem(HTREEITEM* item) {
  if (item) *item = nullptr;
  return FALSE;
}

BOOL CQXTreeView::GetSelection(TreeSelectionInfo*) { return FALSE; }

BOOL CQXTreeView::GetItemInfo(HTREEITEM, TreeItemInfo*) { return FALSE; }

BOOL CQXTreeView::SelectPath(const char*, BOOL) { return FALSE; }

void CQXTreeView::FlushDelayedSelection() {}

void RegisterQXTreeViewClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXTreeView)); }
