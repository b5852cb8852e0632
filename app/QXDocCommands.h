// The document's Edit and entry commands: copy, cut, paste, new entry,
// edit, edit-or-new, save data and undo, with their enabling rules. The
// document routes the command ids to these handlers; the windows, the
// clipboard and the right pane are reached through CQXDocCommandHost.
#pragma once

#include "platform/OleDropTarget.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class CCmdUI;
class COleDataObject;
class CQXDocEntry;
class CQXDocItemOps;
class CQXDocServices;
class CQXUndoBuffer;
struct TreeItemInfo;
struct TreeSelectionInfo;

class CQXDocCommandHost {
 public:
  virtual ~CQXDocCommandHost() = default;
  virtual BOOL IsStoreOpen() = 0;
  // Whether the tree view has the keyboard focus.
  virtual BOOL TreeHasFocus() = 0;
  virtual BOOL GetTreeSelection(TreeSelectionInfo* info) = 0;
  virtual BOOL SelectTreePath(const char* path, BOOL expand) = 0;
  // The open page stores its edits; FALSE when it refuses them.
  virtual BOOL CommitActivePage() = 0;
  // Replaces the right pane for the tree's selection, with the edit flag.
  virtual void ShowSelectionView(BOOL edit) = 0;
  // Posts a command to the main window.
  virtual void PostMainWindowCommand(UINT id) = 0;
  virtual std::string GetModelName() = 0;
  // The item clipboard.
  virtual BOOL ClipboardHasItem(int dataType) = 0;
  virtual BOOL CopyItemToClipboard(const char* path, int dataType) = 0;
  virtual std::unique_ptr<CQXDocEntry> ReadClipboardItem() = 0;
};

class CQXDocCommands {
 public:
  enum : UINT {
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_ENTRY_DELETE = 22100,
    ID_ENTRY_EDIT = 22101,
    ID_ENTRY_NEW = 22102,
    ID_ENTRY_SAVE = 22103,
    ID_ENTRY_EDIT_OR_NEW = 22114,
  };

  CQXDocCommands(CQXDocCommandHost* host, CQXDocServices* document, CQXDocItemOps* items, CQXUndoBuffer* undo)
      : m_host(host), m_document(document), m_items(items), m_undo(undo) {}

  BOOL OnEditCopy();
  void OnUpdateEditCopy(CCmdUI* cmdUI);
  void OnEditCut();
  void OnUpdateEditCut(CCmdUI* cmdUI) { OnUpdateEditCopy(cmdUI); }
  void OnEditPaste();
  void OnUpdateEditPaste(CCmdUI* cmdUI);
  // Files `pasted` (from the clipboard or a drop) at the selection `path`
  // of `dataType`; the content it replaces becomes the undoable step. FALSE
  // (message 10513 on failure) when nothing was filed.
  BOOL PasteInto(const char* path, int dataType, BOOL select, std::unique_ptr<CQXDocEntry> pasted);
  // Files the item dropped with `data` (`effect` the drop's) at the tree
  // entry `target`; `sameView` when the drag started in the view that takes
  // the drop. FALSE when nothing was filed (also when the user kept the
  // target's item), so that the source keeps its item.
  BOOL InsertDroppedItem(COleDataObject* data, DROPEFFECT effect, const TreeItemInfo& target, BOOL sameView);
  void OnNewEntry();
  void OnUpdateNewEntry(CCmdUI* cmdUI);
  void OnEditEntry();
  void OnUpdateEditEntry(CCmdUI* cmdUI);
  void OnEditOrNew();
  void OnUpdateEditOrNew(CCmdUI* cmdUI);
  void OnSaveEntry();
  void OnUpdateSaveEntry(CCmdUI* cmdUI);

  // Undo, shared by the tree and the icon view.
  void OnEditUndo();
  void OnUpdateEditUndo(CCmdUI* cmdUI);

 private:
  BOOL SelectedItemWithData(TreeSelectionInfo* selection);
  BOOL CanEdit(TreeSelectionInfo* selection);
  BOOL CanCreate(TreeSelectionInfo* selection);
  BOOL NewEntry(const TreeSelectionInfo& selection);

  CQXDocCommandHost* m_host;
  CQXDocServices* m_document;
  CQXDocItemOps* m_items;
  CQXUndoBuffer* m_undo;
};
