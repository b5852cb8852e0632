// CQXTreeView: the document tree in the left pane of the main window, and
// the records by which it describes an entry to the rest of the program.
//
// The document fills it (RemoveAll, then AddEntry per node) and keeps it
// current; the tree reports its selection to the document, which shows the
// selection's view in the right pane. Images of the application's small
// list: 0/1 the calculator entry (kind 2), 2/3 a folder, 4/5 an item; an
// entry is a folder when its image is below 4.
//
// Selection: the move is asked for before the caret leaves its entry (the
// document refuses while the open page keeps invalid edits). A move by the
// keyboard shows its view 500 ms after the last key (timer 101); any other
// move shows it at once.
#pragma once

#include "app/ItemTransfer.h"
#include "classlib/OrvoTreeView.h"
#include "platform/TreeCtrl.h"

#include <string>

class CQXDoc;

struct TreeSelectionInfo {
  char path[256] = {};  // from the root, each component preceded by '\'
  int kind = 0;         // 1 folder, 0 item
  int expanded = 0;     // 1 when the folder is expanded
  int itemData = 0;     // the entry's value
};

struct TreeItemInfo {
  enum : int { kName = 1, kPath = 2, kDescription = 4 };
  int mask = 0;  // set by the caller
  char name[64] = {};
  char path[256] = {};
  char description[64] = {};
  int kind = 0;  // 1 folder, 0 item
  int valid = 0;
  int itemData = 0;
};

// What the document gives AddEntry.
struct TreeEntryDescription {
  enum : int {
    kRedraw = 0x01,         // redraw the new entry
    kRedrawParent = 0x02,   // redraw the parent when it had no children
    kSelect = 0x04,         // expand the parent and select the new entry
    kExpand = 0x08,         // expand the new entry
    kAscending = 0x20,      // among the parent's items, in ascending order
    kDescending = 0x40,     // (without 0x20) in descending order
    kInOrder = 0x100,       // comes after the parent's items in their order (a folder read whole)
  };
  char path[256] = {};
  char text[64] = {};
  int kind = 0;  // 1 folder, 2 the calculator entry, else an item
  int flags = 0;
  int value = 0;
  int userValue = 0;
};

class CQXTreeView : public COrvoTreeViewDragDrop {
  Q_OBJECT

 public:
  static constexpr UINT_PTR kDelayTimerId = 101;
  static constexpr UINT kDelayMs = 500;
  static constexpr UINT kContextMenuId = 307;

  Q_INVOKABLE explicit CQXTreeView(QWidget* parent = nullptr);
  ~CQXTreeView() override;
  DECLARE_MESSAGE_MAP()

  CQXDoc* GetQXDocument() const;

  BOOL AddEntry(const TreeEntryDescription* entry);
  void RemoveEntry(const char* path);
  BOOL RemoveAll();
  void SetEntryText(const char* path, const char* text);
  BOOL SetEntryUserValue(HTREEITEM item, int value);
  // "\" gives the root entry; null when a component is missing or the path
  // has no '\'.
  HTREEITEM FindPath(const char* path) const;
  // The first child named exactly `name` (bytes); type 1 folders only, 2
  // items only, 0 both. `parent` null: the top level.
  HTREEITEM FindChild(HTREEITEM parent, const char* name, int type) const;

  // The caret item; FALSE when there is none.
  virtual BOOL GetSelectedItem(HTREEITEM* item);
  // FALSE when nothing is selected.
  virtual BOOL GetSelection(TreeSelectionInfo* info);
  // Fills what info->mask asks for; FALSE for no item.
  virtual BOOL GetItemInfo(HTREEITEM item, TreeItemInfo* info);
  // Selects the entry of `path` and shows it, expanding it when asked;
  // FALSE when a component is missing or the path has no '\'.
  virtual BOOL SelectPath(const char* path, BOOL expand);
  // Lets a pending delayed selection take effect now.
  virtual void FlushDelayedSelection();

  // 8-bit name of the entry; "\" and the names from the root down.
  void GetItemName(HTREEITEM item, char* buffer, UINT size) const;
  void GetItemPath(HTREEITEM item, char* buffer, UINT size) const;
  // The caret folder's first child, and the next entry after `item`.
  BOOL GetFirstChild(HTREEITEM* item) const;
  BOOL GetNextSibling(HTREEITEM* item) const;

  BOOL IsDelayPending() const { return delayTimer_ != 0; }

  void OnInitialUpdate() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnTimer(UINT_PTR id) override;
  // Items go where the dragged item's data type is the entry's.
  BOOL CanDropAt(COleDataObject* data, DWORD keyState, QPoint point) override;
  DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) override;
  void OnDragLeave() override;
  // An Internet shortcut goes to the main frame; an item is filed at the
  // entry under the point.
  BOOL OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint point) override;

  void OnDelete();
  void OnUpdateDelete(CCmdUI* ui);
  // Undo is the document's (the icon view routes it there too).
  void OnEditUndo();
  void OnUpdateEditUndo(CCmdUI* ui);
  // The context menu at `screen` (the first sub-menu of menu 307, its
  // commands going the main window's way).
  void ShowContextMenu(QPoint screen);

 protected:
  BOOL OnCreateTree() override;
  void OnSelChanging(NMHDR* header, LRESULT* result);
  void OnSelChanged(NMHDR* header, LRESULT* result);
  void OnItemExpanding(NMHDR* header, LRESULT* result);
  void OnDeleteItem(NMHDR* header, LRESULT* result);
  void OnRClick(NMHDR* header, LRESULT* result);
  // Drags the item out; after a move the source item goes.
  void OnTreeBeginDrag(NMHDR* header, LRESULT* result);
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void cancelDelay();

  UINT_PTR delayTimer_ = 0;
  HTREEITEM delayItem_ = nullptr;
  // The folder of the last entry added (forgotten when any entry goes).
  std::string lastFolder_;
  HTREEITEM lastFolderItem_ = nullptr;
  ItemDragDescription dragged_;
};

void RegisterQXTreeViewClass();
