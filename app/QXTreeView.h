// CQXTreeView: the document tree in the left pane of the main window, and
// the two records by which it describes an entry to the rest of the
// program.
//
// What the main window asks of the tree is here: the selection, an entry's
// information, selecting a path and carrying out a pending delayed
// selection. Filling the tree from the document is the document's and the
// tree's own work; until it is there the tree is empty and answers
// "nothing selected".
#pragma once

#include "classlib/OrvoTreeView.h"
#include "platform/TreeCtrl.h"

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

class CQXTreeView : public COrvoTreeViewDragDrop {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXTreeView(QWidget* parent = nullptr);
  ~CQXTreeView() override;
  DECLARE_MESSAGE_MAP()

  // The caret item; FALSE when there is none.
  virtual BOOL GetSelectedItem(HTREEITEM* item);
  // FALSE when nothing is selected.
  virtual BOOL GetSelection(TreeSelectionInfo* info);
  // Fills what info->mask asks for; FALSE for no item.
  virtual BOOL GetItemInfo(HTREEITEM item, TreeItemInfo* info);
  // Selects the entry of `path`, expanding it when asked; FALSE when a
  // component is missing.
  virtual BOOL SelectPath(const char* path, BOOL expand);
  // Lets a pending delayed selection take effect now.
  virtual void FlushDelayedSelection();
};

void RegisterQXTreeViewClass();
