// Filing items into the document's item store: loading, writing and naming
// item nodes, removing them, finding a received item's folder from its kind
// code, and the questions asked before data from outside replaces an item.
//
// The document owns one CQXDocItemOps and forwards its item services to it;
// what the operations need beyond the store (the tree, the counters, the
// running link, the undo buffer) they ask of the document through
// CQXDocItemHost.
#pragma once

#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"

#include <memory>
#include <string>
#include <vector>

class CQXCalcLink;
struct TreeSelectionInfo;

class CQXDocItemHost {
 public:
  virtual ~CQXDocItemHost() = default;

  // The document's open item store, or null.
  virtual COrvoItemStore* GetItemStore() = 0;
  // FALSE while the document has no tree view.
  virtual BOOL HasTreeView() = 0;
  // Adds a tree entry (kind 0 item, 1 folder) with the tree's insertion
  // flags and its value (the data type).
  virtual BOOL AddTreeEntry(const char* path, const char* text, int kind, int flags, int value) = 0;
  virtual void RemoveTreeEntry(const char* path) = 0;
  virtual void SetTreeEntryText(const char* path, const char* text) = 0;
  virtual BOOL GetTreeSelection(TreeSelectionInfo* info) = 0;
  virtual BOOL SelectTreePath(const char* path, BOOL expand) = 0;
  virtual DWORD NextUniqueNumber() = 0;
  virtual void SetModifiedFlag() = 0;
  virtual int SetBusy(BOOL busy) = 0;
  // The link of the running transfer, or null (a paste, an import).
  virtual CQXCalcLink* GetCurrentLink() = 0;
  // Keeps a copy of the item at `path` as the undoable removal; FALSE when
  // the copy cannot be kept.
  virtual BOOL KeepRemovedForUndo(const char* path) = 0;
};

class CQXDocItemOps {
 public:
  // Entry flags.
  static constexpr DWORD kFromOutside = 1;
  static constexpr DWORD kNewFromFactory = 2;
  // Node user flag: the node was made by the document and goes with its data.
  static constexpr DWORD kNodeMadeByDocument = 1;
  static constexpr int kProgramType = 4001;

  explicit CQXDocItemOps(CQXDocItemHost* host) : m_host(host) {}
  CQXDocItemOps(const CQXDocItemOps&) = delete;
  CQXDocItemOps& operator=(const CQXDocItemOps&) = delete;

  // The children of a folder in store order.
  BOOL FindFirstItem(const char* folder, OrvoFindHandle* out);
  BOOL FindNextItem(OrvoFindHandle handle);
  BOOL EndFindItem(OrvoFindHandle handle);
  BOOL GetFoundItemInfo(OrvoFindHandle handle, OrvoNodeInfo* out);

  // Loads the entry at `path` into `out` (its path set); FALSE, `out` left
  // without item, when the node or its data cannot be read.
  BOOL LoadItem(const char* path, CQXDocEntry* out);
  // One entry per child of a folder (null for a child that fails), or the
  // one entry of an item.
  BOOL LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out);
  // FALSE when the node is missing; the length is 0 without a data stream.
  BOOL GetItemDataLength(const char* path, DWORD* out);
  // Whether the item at `path` has data.
  BOOL HasData(const char* path);

  // Files the entry: programs as a new node of their folder, everything
  // else at the entry's path. `outPath` (null or 256 characters) receives
  // the path written, or stays empty when the user kept the existing item.
  BOOL SaveItem(CQXDocEntry* entry, char* outPath);
  // The entry the last SaveItem replaced (its old data), or null.
  std::unique_ptr<CQXDocEntry> TakeDisplacedEntry() { return std::move(m_displaced); }

  // Removes the item's data; a node made by the document goes too
  // (`deleted` TRUE), a default slot stays without data.
  BOOL RemoveItem(const char* path, DWORD* deleted, BOOL withUndo);
  BOOL RemoveChildByDescription(const char* folder, const char* description, DWORD* deleted, BOOL withUndo);
  // Removes every child item without undo; TRUE when every one went.
  // `deleted` (may be null) receives the number of nodes deleted.
  BOOL RemoveFolderContents(const char* folder, DWORD* deleted);

  // Sets the flags and the path that the entry's kind code gives; FALSE
  // for a kind without folder or a name from the calculator that cannot be
  // a path component. An empty list, empty equation coefficients and
  // equation results lose their item: TRUE, nothing is to be filed.
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags);

  // Settles a program's own name: an entry from outside moves a program
  // selection to the program folder; a new one gets the first free "P%04d".
  void NewProgramName(CQXDocEntry* entry);
  BOOL WriteNewItem(CQXDocEntry* entry, const char* folder, char* outPath);
  BOOL WriteItem(CQXDocEntry* entry, char* outPath);

  // The overwrite question: 1 yes, 2 no, 3 cancel, 4 all (4 given at once,
  // without asking, once "all" was chosen).
  void QueryOverwrite(const char* text, int kind, UINT* answer);
  // Whether the entry may replace the item with data at its target.
  BOOL ConfirmReplace(CQXDocEntry* entry);
  // Before the newer family files an entry: whether it may replace what is
  // at its path.
  BOOL CheckOverwrite(CQXDocEntry* entry);

  // A transfer starts: no answer is remembered.
  void ResetOverwriteState();
  BOOL GetOverwriteAll() const { return m_overwriteAll; }
  void SetOverwriteAll(BOOL all) { m_overwriteAll = all; }

 private:
  COrvoItemStore* store() const;
  BOOL DoSaveItem(CQXDocEntry* entry, std::string* written);
  BOOL StoreEntry(const char* path, CQXDocEntry* entry, BOOL create, const char* description);
  // Answers the question and handles Annuler: the running link is
  // cancelled; without one it is a No.
  BOOL ApplyAnswer(UINT answer);
  // The child of `folder` described `description`, or empty.
  std::string FindChildByDescription(const char* folder, const char* description, BOOL* isFolder = nullptr);
  BOOL NodeExists(const char* path, OrvoNodeInfo* info);
  // The paths of a folder's children in store order.
  std::vector<std::string> ChildPaths(const char* folder);
  void DeleteNewNode(const std::string& path);
  // For an entry from outside: loads the item at `path` and gives the
  // entry a copy of its description.
  std::unique_ptr<CQXDocEntry> TakeOverExisting(const std::string& path, CQXDocEntry* incoming);

  CQXDocItemHost* m_host;
  BOOL m_overwriteAll = FALSE;
  UINT m_listFileAnswers[6] = {};
  std::unique_ptr<CQXDocEntry> m_displaced;
};

// Around one paste, drop or import: the answers given during it ("all", the
// list files) hold for it alone, whatever way it ends.
class CQXOverwriteStateScope {
 public:
  explicit CQXOverwriteStateScope(CQXDocItemOps* ops) : m_ops(ops) { m_ops->ResetOverwriteState(); }
  ~CQXOverwriteStateScope() { m_ops->ResetOverwriteState(); }
  CQXOverwriteStateScope(const CQXOverwriteStateScope&) = delete;
  CQXOverwriteStateScope& operator=(const CQXOverwriteStateScope&) = delete;

 private:
  CQXDocItemOps* m_ops;
};
