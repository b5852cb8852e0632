#include "app/MainFrameFunctions.h"

#include "services/DocServices.h"
#include "app/QXAppMessages.h"
#include "app/QXContentsView.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "platform/WinApp.h"

CQXMainFrame* GetMainFrame() { return qobject_cast<CQXMainFrame*>(AfxGetMainWnd()); }

CQXDoc* GetCurrentDocument() {
  CQXMainFrame* frame = GetMainFrame();
  return frame ? qobject_cast<CQXDoc*>(frame->GetActiveDocument()) : nullptr;
}

BOOL CommitActivePage() {
  CQXMainFrame* frame = GetMainFrame();
  return frame ? frame->CommitActivePage() : FALSE;
}

BOOL GetSelectedItemInfo(TreeItemInfo* info) {
  CQXMainFrame* frame = GetMainFrame();
  CQXTreeView* tree = frame ? frame->GetTreeView() : nullptr;
  HTREEITEM item = nullptr;
  if (!tree || !info || !tree->GetSelectedItem(&item)) return FALSE;
  return tree->GetItemInfo(item, info);
}

BOOL GetSelectedDocItem(std::unique_ptr<CQXDocEntry>* entry, TreeItemInfo* info) {
  if (!entry) return FALSE;
  entry->reset();
  CQXMainFrame* frame = GetMainFrame();
  CQXTreeView* tree = frame ? frame->GetTreeView() : nullptr;
  HTREEITEM item = nullptr;
  if (!tree || !tree->GetSelectedItem(&item)) return FALSE;
  TreeItemInfo own;
  own.mask = TreeItemInfo::kName | TreeItemInfo::kPath;
  if (!tree->GetItemInfo(item, &own)) return FALSE;
  if (info) tree->GetItemInfo(item, info);
  auto* services = dynamic_cast<CQXDocServices*>(tree->GetDocument());
  if (!services) return FALSE;
  auto loaded = std::make_unique<CQXDocEntry>();
  if (!services->LoadItem(own.path, loaded.get()) || !loaded->GetItem()) return FALSE;
  loaded->SetPath(own.path);
  *entry = std::move(loaded);
  return TRUE;
}

BOOL SendGetViewData(void* request) {
  CQXMainFrame* frame = GetMainFrame();
  CQXContentsView* content = frame ? frame->GetContentView() : nullptr;
  if (!content) return FALSE;
  return content->SendMessage(msgQXGetViewData, 0, reinterpret_cast<LPARAM>(request)) != 0 ? TRUE : FALSE;
}

void SwitchToPane(int column) {
  if (CQXMainFrame* frame = GetMainFrame()) frame->PostMessage(msgQXSwitchToPane, WPARAM(column), 0);
}
