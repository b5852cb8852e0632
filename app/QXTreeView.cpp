#include "app/QXTreeView.h"

#include "app/AppServices.h"
#include "app/ItemTransfer.h"
#include "charset/CalcCharset.h"
#include "services/ProgramServices.h"
#include "app/QXDoc.h"
#include "classlib/InternetShortcut.h"
#include "classlib/MenuHelpers.h"
#include "datamodel/QXCalcItem.h"
#include "platform/CmdUI.h"
#include "platform/RuntimeClass.h"
#include "platform/StringCompare.h"
#include "platform/WinApp.h"

#include <QContextMenuEvent>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cstring>
#include <new>

namespace {

constexpr UINT kCmdDelete = 22100;
constexpr UINT kCmdUndo = 57643;

// The record each entry carries in its item data; freed when the control
// deletes the entry.
struct TreeEntryRecord {
  int size = 16;
  std::string name;
  int value = 0;
  int userValue = 0;
  std::string text;  // the display text as 8-bit bytes, for ordering
  // The text's comparison key, made when the entry is first compared.
  std::string key;
  bool keyed = false;

  const std::string& sortKey() {
    if (!keyed) key = tallix::MakeTextCompareKey(text.c_str());
    keyed = true;
    return key;
  }
  void setText(const char* value) {
    text = value;
    keyed = false;
  }
};

TreeEntryRecord* recordOf(const CTreeCtrl& tree, HTREEITEM item) {
  return item ? reinterpret_cast<TreeEntryRecord*>(tree.GetItemData(item)) : nullptr;
}

bool isFolder(const CTreeCtrl& tree, HTREEITEM item) {
  int image = 0, selected = 0;
  tree.GetItemImage(item, image, selected);
  return image < 4;
}

// The components of an item path ("\A\B" -> A, B); FALSE without a '\'.
bool splitPath(const char* path, std::vector<std::string>* parts) {
  if (!path || !std::strchr(path, '\\')) return false;
  std::string part;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\') {
      if (!part.empty()) parts->push_back(part);
      part.clear();
    } else {
      part += *p;
    }
  }
  if (!part.empty()) parts->push_back(part);
  return true;
}

}  // namespace

const CMessageMap& CQXTreeView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXTreeView>(COrvoTreeViewDragDrop::messageMap())
                                     .notifyReflect(TVN_SELCHANGING, &CQXTreeView::OnSelChanging)
                                     .notifyReflect(TVN_SELCHANGED, &CQXTreeView::OnSelChanged)
                                     .notifyReflect(TVN_ITEMEXPANDING, &CQXTreeView::OnItemExpanding)
                                     .notifyReflect(TVN_DELETEITEM, &CQXTreeView::OnDeleteItem)
                                     .notifyReflect(TVN_BEGINDRAG, &CQXTreeView::OnTreeBeginDrag)
                                     .notifyReflect(NM_RCLICK, &CQXTreeView::OnRClick)
                                     .command(kCmdDelete, &CQXTreeView::OnDelete)
                                     .updateUI(kCmdDelete, &CQXTreeView::OnUpdateDelete)
                                     .command(kCmdUndo, &CQXTreeView::OnEditUndo)
                                     .updateUI(kCmdUndo, &CQXTreeView::OnUpdateEditUndo);
  return map;
}

CQXTreeView::CQXTreeView(QWidget* parent) : COrvoTreeViewDragDrop(parent) {}

CQXTreeView::~CQXTreeView() = default;

CQXDoc* CQXTreeView::GetQXDocument() const { return qobject_cast<CQXDoc*>(GetDocument()); }

BOOL CQXTreeView::OnCreateTree() {
  GetTreeCtrl().SetImageList(GetAppImageList(TRUE), TVSIL_NORMAL);
  return TRUE;
}

// ---------------------------------------------------------------- entries

BOOL CQXTreeView::AddEntry(const TreeEntryDescription* entry) {
  if (!entry) return FALSE;
  char folder[256], name[64];
  if (!GetItemFolderPath(entry->path, folder, sizeof folder) || !GetItemNameFromPath(entry->path, name, sizeof name))
    return FALSE;
  CTreeCtrl& tree = GetTreeCtrl();
  // Entries mostly come folder by folder: the last folder found is kept
  // until an entry goes.
  HTREEITEM parent = nullptr;
  if (lastFolderItem_ && lastFolder_ == folder) {
    parent = lastFolderItem_;
  } else {
    std::vector<std::string> parts;
    splitPath(folder, &parts);
    for (const std::string& part : parts) {
      parent = FindChild(parent, part.c_str(), 1);
      if (!parent) return FALSE;
    }
    lastFolder_ = folder;
    lastFolderItem_ = parent;
  }
  const int image = entry->kind == 1 ? 2 : entry->kind == 2 ? 0 : 4;
  const bool parentWasEmpty = parent && !tree.ItemHasChildren(parent);
  TreeEntryRecord* record = new (std::nothrow) TreeEntryRecord;
  if (!record) return FALSE;
  record->name = name;
  record->value = entry->value;
  record->text.assign(entry->text, strnlen(entry->text, sizeof entry->text));

  HTREEITEM after = TVI_LAST;
  // An entry known to come in order is appended without weighing its text.
  const int order = (entry->flags & TreeEntryDescription::kInOrder)      ? 0
                    : (entry->flags & TreeEntryDescription::kAscending)  ? 1
                    : (entry->flags & TreeEntryDescription::kDescending) ? -1
                                                                         : 0;
  if (order) {
    // After the last item (folders passed over) whose text is not beyond
    // the new one; first when the first item already is.
    const std::string& key = record->sortKey();
    auto beyond = [&](HTREEITEM item) {
      const int c = recordOf(tree, item)->sortKey().compare(key);
      return order > 0 ? c > 0 : c < 0;
    };
    QTreeWidget* widget = tree.GetTreeWidget();
    const int count = parent ? parent->childCount() : widget->topLevelItemCount();
    auto childAt = [&](int i) { return parent ? parent->child(i) : widget->topLevelItem(i); };
    int lastItem = count - 1;
    while (lastItem >= 0 && isFolder(tree, childAt(lastItem))) --lastItem;
    if (lastItem >= 0 && !beyond(childAt(lastItem))) {
      // The usual case: the store keeps its items in order.
      after = lastItem == count - 1 ? TVI_LAST : childAt(lastItem);
    } else {
      // The first item beyond the new one, by halving: the items stand in
      // order, so "beyond" is false up to some item and true from there on.
      int lo = 0, hi = count, first = count;
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        int j = mid;
        while (j < hi && isFolder(tree, childAt(j))) ++j;
        if (j == hi) {
          hi = mid;
        } else if (beyond(childAt(j))) {
          first = j;
          hi = mid;
        } else {
          lo = j + 1;
        }
      }
      after = TVI_FIRST;
      for (int i = first - 1; i >= 0; --i) {
        if (!isFolder(tree, childAt(i))) {
          after = childAt(i);
          break;
        }
      }
    }
  }
  HTREEITEM item = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                   CalcPlainText(record->text), image, image + 1, 0, 0,
                                   reinterpret_cast<LPARAM>(record), parent ? parent : TVI_ROOT, after);
  if (!item) {
    delete record;
    return FALSE;
  }
  SetEntryUserValue(item, entry->userValue);
  QTreeWidget* widget = tree.GetTreeWidget();
  if (entry->flags & TreeEntryDescription::kRedraw) widget->viewport()->update();
  if ((entry->flags & TreeEntryDescription::kRedrawParent) && parentWasEmpty) widget->viewport()->update();
  if (entry->flags & TreeEntryDescription::kSelect) {
    if (parent) tree.Expand(parent, TVE_EXPAND);
    tree.SelectItem(item);
  }
  if (entry->flags & TreeEntryDescription::kExpand) tree.Expand(item, TVE_EXPAND);
  return TRUE;
}

void CQXTreeView::RemoveEntry(const char* path) {
  if (HTREEITEM item = FindPath(path)) GetTreeCtrl().DeleteItem(item);
}

BOOL CQXTreeView::RemoveAll() {
  cancelDelay();
  QTreeWidget* widget = GetTreeCtrl().GetTreeWidget();
  widget->setUpdatesEnabled(false);
  const BOOL done = GetTreeCtrl().DeleteAllItems();
  widget->setUpdatesEnabled(true);
  return done;
}

void CQXTreeView::SetEntryText(const char* path, const char* text) {
  HTREEITEM item = FindPath(path);
  if (!item || !text) return;
  if (TreeEntryRecord* record = recordOf(GetTreeCtrl(), item)) record->setText(text);
  GetTreeCtrl().SetItemText(item, CalcPlainText(text));
}

BOOL CQXTreeView::SetEntryUserValue(HTREEITEM item, int value) {
  TreeEntryRecord* record = recordOf(GetTreeCtrl(), item);
  if (!record) return FALSE;
  record->userValue = value;
  return TRUE;
}

HTREEITEM CQXTreeView::FindChild(HTREEITEM parent, const char* name, int type) const {
  const CTreeCtrl& tree = GetTreeCtrl();
  for (HTREEITEM child = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); child;
       child = tree.GetNextSiblingItem(child)) {
    const TreeEntryRecord* record = recordOf(tree, child);
    if (!record || record->name != name) continue;
    const bool folder = isFolder(tree, child);
    if (type == 0 || (type == 1 && folder) || (type == 2 && !folder)) return child;
  }
  return nullptr;
}

HTREEITEM CQXTreeView::FindPath(const char* path) const {
  std::vector<std::string> parts;
  if (!splitPath(path, &parts)) return nullptr;
  if (parts.empty()) return GetTreeCtrl().GetRootItem();
  HTREEITEM item = nullptr;
  for (const std::string& part : parts) {
    item = FindChild(item, part.c_str(), 0);
    if (!item) return nullptr;
  }
  return item;
}

// ---------------------------------------------------------------- records

BOOL CQXTreeView::GetSelectedItem(HTREEITEM* item) {
  HTREEITEM caret = GetTreeCtrl().GetSelectedItem();
  if (item) *item = caret;
  return caret ? TRUE : FALSE;
}

BOOL CQXTreeView::GetSelection(TreeSelectionInfo* info) {
  HTREEITEM item = GetTreeCtrl().GetSelectedItem();
  if (!item || !info) return FALSE;
  const CTreeCtrl& tree = GetTreeCtrl();
  GetItemPath(item, info->path, sizeof info->path);
  info->kind = isFolder(tree, item) ? 1 : 0;
  info->expanded = (tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) ? 1 : 0;
  const TreeEntryRecord* record = recordOf(tree, item);
  info->itemData = record ? record->value : 0;
  return TRUE;
}

BOOL CQXTreeView::GetItemInfo(HTREEITEM item, TreeItemInfo* info) {
  if (!item || !info) return FALSE;
  const CTreeCtrl& tree = GetTreeCtrl();
  const TreeEntryRecord* record = recordOf(tree, item);
  if (info->mask & TreeItemInfo::kName) GetItemName(item, info->name, sizeof info->name);
  if (info->mask & TreeItemInfo::kPath) GetItemPath(item, info->path, sizeof info->path);
  if (info->mask & TreeItemInfo::kDescription)
    CopyText(record ? record->text : std::string(), info->description, sizeof info->description);
  info->kind = isFolder(tree, item) ? 1 : 0;
  info->valid = 1;
  info->itemData = record ? record->value : 0;
  return TRUE;
}

void CQXTreeView::GetItemName(HTREEITEM item, char* buffer, UINT size) const {
  const TreeEntryRecord* record = recordOf(GetTreeCtrl(), item);
  CopyText(record ? record->name : std::string(), buffer, size);
}

void CQXTreeView::GetItemPath(HTREEITEM item, char* buffer, UINT size) const {
  const CTreeCtrl& tree = GetTreeCtrl();
  std::string path;
  for (HTREEITEM at = item; at; at = tree.GetParentItem(at)) {
    const TreeEntryRecord* record = recordOf(tree, at);
    path.insert(0, '\\' + (record ? record->name : std::string()));
  }
  CopyText(path.empty() ? std::string("\\") : path, buffer, size);
}

BOOL CQXTreeView::GetFirstChild(HTREEITEM* item) const {
  if (!item) return FALSE;
  const CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM caret = tree.GetSelectedItem();
  *item = caret ? tree.GetChildItem(caret) : nullptr;
  return *item ? TRUE : FALSE;
}

BOOL CQXTreeView::GetNextSibling(HTREEITEM* item) const {
  if (!item || !*item) return FALSE;
  *item = GetTreeCtrl().GetNextSiblingItem(*item);
  return *item ? TRUE : FALSE;
}

// ---------------------------------------------------------------- selection

BOOL CQXTreeView::SelectPath(const char* path, BOOL expand) {
  HTREEITEM item = FindPath(path);
  if (!item) return FALSE;
  CTreeCtrl& tree = GetTreeCtrl();
  if (!tree.SelectItem(item)) return FALSE;
  tree.EnsureVisible(item);
  if (expand) tree.Expand(item, TVE_EXPAND);
  return TRUE;
}

void CQXTreeView::cancelDelay() {
  if (delayTimer_) KillTimer(delayTimer_);
  delayTimer_ = 0;
  delayItem_ = nullptr;
}

void CQXTreeView::FlushDelayedSelection() {
  if (!delayTimer_) return;
  HTREEITEM item = delayItem_;
  cancelDelay();
  if (item && GetTreeCtrl().GetSelectedItem() == item)
    if (CQXDoc* doc = GetQXDocument()) doc->RefreshSelectionView();
}

void CQXTreeView::OnTimer(UINT_PTR id) {
  if (id == kDelayTimerId)
    FlushDelayedSelection();
  else
    COrvoTreeViewDragDrop::OnTimer(id);
}

void CQXTreeView::OnSelChanging(NMHDR*, LRESULT* result) {
  *result = 0;
  if (delayTimer_) return;
  CQXDoc* doc = GetQXDocument();
  if (doc && !doc->CanLeaveSelection()) *result = 1;
}

void CQXTreeView::OnSelChanged(NMHDR* header, LRESULT* result) {
  *result = 0;
  cancelDelay();
  const auto* nm = reinterpret_cast<const NMTREEVIEW*>(header);
  if (nm->action == TVC_BYKEYBOARD) {
    delayItem_ = nm->itemNew.hItem;
    delayTimer_ = SetTimer(kDelayTimerId, kDelayMs);
    return;
  }
  if (CQXDoc* doc = GetQXDocument()) doc->RefreshSelectionView();
}

void CQXTreeView::OnItemExpanding(NMHDR* header, LRESULT* result) {
  const auto* nm = reinterpret_cast<const NMTREEVIEW*>(header);
  // The calculator entry always stays open.
  *result = (nm->action & TVE_COLLAPSE) && nm->itemNew.hItem == GetTreeCtrl().GetRootItem() ? 1 : 0;
}

void CQXTreeView::OnDeleteItem(NMHDR* header, LRESULT* result) {
  const auto* nm = reinterpret_cast<const NMTREEVIEW*>(header);
  if (nm->itemOld.hItem == delayItem_) cancelDelay();
  lastFolderItem_ = nullptr;
  delete reinterpret_cast<TreeEntryRecord*>(nm->itemOld.lParam);
  *result = 0;
}

void CQXTreeView::OnInitialUpdate() {
  COrvoTreeViewDragDrop::OnInitialUpdate();
  ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES);
  CQXDoc* doc = GetQXDocument();
  TreeItemInfo saved;
  if (!doc || !doc->GetSavedSelection(&saved)) return;
  if (!SelectPath(saved.path, saved.valid)) return;
  if (HTREEITEM root = GetTreeCtrl().GetRootItem()) GetTreeCtrl().Expand(root, TVE_EXPAND);
}

// ---------------------------------------------------------------- commands

BOOL CQXTreeView::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE && GetKeyState(VK_SHIFT) >= 0 &&
      GetKeyState(VK_CONTROL) >= 0) {
    PostMessage(WM_COMMAND, kCmdDelete, 0);
    return TRUE;
  }
  return COrvoTreeViewDragDrop::PreTranslateMessage(msg);
}

void CQXTreeView::OnDelete() {
  CQXDoc* doc = GetQXDocument();
  HTREEITEM item = GetTreeCtrl().GetSelectedItem();
  if (!doc || !item || !GetTreeCtrl().GetTreeWidget()->hasFocus()) return;
  char path[256];
  GetItemPath(item, path, sizeof path);
  if (!doc->CanLeaveSelection()) return;
  DWORD value = 0;
  if (!doc->RemoveItem(path, &value, TRUE)) return;
  HTREEITEM kept = FindPath(path);
  if (!kept) return;
  if (!isFolder(GetTreeCtrl(), kept)) {
    doc->ShowSelectedItemView();
  } else {
    CQXDocNotify notify(0, path);
    doc->UpdateAllViews(nullptr, 1, &notify);
  }
}

void CQXTreeView::OnUpdateDelete(CCmdUI* ui) {
  CQXDoc* doc = GetQXDocument();
  HTREEITEM item = GetTreeCtrl().GetSelectedItem();
  BOOL enable = FALSE;
  if (doc && item && GetTreeCtrl().GetTreeWidget()->hasFocus()) {
    char path[256];
    GetItemPath(item, path, sizeof path);
    DWORD length = 0;
    enable = doc->GetItemDataLength(path, &length);
  }
  ui->Enable(enable);
}

void CQXTreeView::OnEditUndo() {
  if (CQXDoc* doc = GetQXDocument()) doc->GetCommands().OnEditUndo();
}

void CQXTreeView::OnUpdateEditUndo(CCmdUI* ui) {
  if (CQXDoc* doc = GetQXDocument())
    doc->GetCommands().OnUpdateEditUndo(ui);
  else
    ui->Enable(FALSE);
}

void CQXTreeView::ShowContextMenu(QPoint screen) {
  CWnd* owner = AfxGetMainWnd();
  TrackContextMenu(owner ? owner : this, screen.x(), screen.y(), kContextMenuId, TRUE);
}

void CQXTreeView::OnRClick(NMHDR*, LRESULT* result) {
  CTreeCtrl& tree = GetTreeCtrl();
  const QPoint cursor = QCursor::pos();
  const QPoint local = tree.GetTreeWidget()->viewport()->mapFromGlobal(cursor);
  if (HTREEITEM item = tree.HitTest(local)) tree.SelectItem(item);
  ShowContextMenu(cursor);
  *result = 0;
}

void CQXTreeView::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() != QContextMenuEvent::Keyboard) {
    event->ignore();
    return;
  }
  CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM item = tree.GetSelectedItem();
  if (!item) return;
  tree.EnsureVisible(item);
  QRect rect;
  tree.GetItemRect(item, &rect, TRUE);
  ShowContextMenu(tree.GetTreeWidget()->viewport()->mapToGlobal(rect.center()));
}

// ---------------------------------------------------------------- drag and drop

void CQXTreeView::OnTreeBeginDrag(NMHDR* header, LRESULT* result) {
  *result = 0;
  const auto* nm = reinterpret_cast<const NMTREEVIEW*>(header);
  HTREEITEM item = nm->itemNew.hItem;
  CQXDoc* doc = GetQXDocument();
  if (!doc || !item || isFolder(GetTreeCtrl(), item)) return;
  TreeItemInfo info;
  info.mask = TreeItemInfo::kPath;
  GetItemInfo(item, &info);
  DWORD length = 0;
  if (!doc->GetItemDataLength(info.path, &length) || length == 0 || !doc->CanLeaveSelection()) return;
  BOOL moved = FALSE;
  if (!DragItem(doc, info.path, info.itemData, this, &moved) || !moved) return;
  doc->ClearUndo();
  DWORD deleted = FALSE;
  doc->RemoveItem(info.path, &deleted, FALSE);
  if (FindPath(info.path)) doc->ShowSelectedItemView();
}

DROPEFFECT CQXTreeView::OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) {
  dragged_.Forget();
  dragged_.Get(data);
  return COrvoTreeViewDragDrop::OnDragEnter(data, keyState, point);
}

void CQXTreeView::OnDragLeave() {
  dragged_.Forget();
  COrvoTreeViewDragDrop::OnDragLeave();
}

BOOL CQXTreeView::CanDropAt(COleDataObject* data, DWORD, QPoint point) {
  HTREEITEM item = GetTreeCtrl().HitTest(point);
  const ItemInfoBlock* info = item ? dragged_.Get(data) : nullptr;
  if (!info) return FALSE;
  TreeItemInfo target;
  target.mask = TreeItemInfo::kPath;
  return GetItemInfo(item, &target) && CanDropItemOn(*info, target.itemData);
}

BOOL CQXTreeView::OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint point) {
  COrvoTreeViewDragDrop::OnDrop(data, dropEffect, point);
  dragged_.Forget();
  if (CInternetShortcutReader().IsInternetShortcut(data)) {
    HandDroppedUrlToFrame(data);
    return TRUE;
  }
  CQXDoc* doc = GetQXDocument();
  HTREEITEM item = GetTreeCtrl().HitTest(point);
  if (!doc || !item) return FALSE;
  TreeItemInfo target;
  target.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
  GetItemInfo(item, &target);
  ItemInfoBlock info;
  const BOOL sameView = ReadItemInfo(data, &info) && IsFromView(info, this);
  if (!doc->InsertDroppedItem(data, dropEffect, target, sameView)) return FALSE;
  HTREEITEM caret = GetTreeCtrl().GetSelectedItem();
  if (caret && isFolder(GetTreeCtrl(), caret)) doc->UpdateAllViews(nullptr, 2, nullptr);
  return TRUE;
}

void RegisterQXTreeViewClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXTreeView)); }
