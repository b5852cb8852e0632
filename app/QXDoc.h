// CQXDoc: the program's one document, the calculator data of one model in
// an item store on a compound file. Beside the items the store holds the
// folder "\Document" with two records, and the summary information in its
// root storage:
//
// "\Document\Document Info", 136 bytes, little-endian: format version (1),
// 1, 10, the unique-name counter, the calculator type (64 bytes, NUL
// padded), 52, the writing program's 52-byte version record.
// "\Document\View State Data", 264 bytes: the path of the tree entry
// selected at the save (256 bytes, NUL padded), its kind and its expanded
// flag as the tree reports them.
//
// States: empty (store closed), new (a nameless temporary store, title
// "sans nom"), a file opened for writing (transacted: the file keeps the
// last saved state until the next save commits), a write-protected file
// (its contents copied into a temporary store; the file is never written
// and Save asks for another name). Every failure ends with one message and
// loses neither the document nor a file.
#pragma once

#include "services/DocServices.h"
#include "app/QXDocCommands.h"
#include "app/QXDocItemOps.h"
#include "app/QXDocLinkCommands.h"
#include "app/QXUndoBuffer.h"
#include "datamodel/QXDocEntry.h"
#include "platform/Document.h"
#include "tokens/QXCommandTable.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

class COrvoItemStore;
class CQXSummaryInfo;
class CQXTreeView;
struct TreeItemInfo;
struct TreeSelectionInfo;

// The hint object of the document's view updates: kind 0, the entry at the
// path changed or was removed.
class CQXDocNotify : public QObject {
  Q_OBJECT

 public:
  CQXDocNotify(int kind, const std::string& path) : kind(kind), path(path) {}
  int kind;
  std::string path;
};

// The two records, as written.
enum : UINT { kDocInfoSize = 136, kViewStateSize = 264 };
inline constexpr char kDocInfoPath[] = "\\Document\\Document Info";
inline constexpr char kViewStatePath[] = "\\Document\\View State Data";

class CQXDoc : public CDocument, public CQXDocServices, public CQXDocCommandHost, public CQXDocLinkHost {
  Q_OBJECT

 public:
  static constexpr DWORD kFirstUniqueNumber = 1024;
  // Shows the tree's selection in the right pane again.
  static constexpr UINT kCmdShowSelection = 28020;
  // The Options menu's command lists and macros.
  static constexpr UINT kCmdUserCmdList = 22302, kCmdEditCmdList = 22303, kCmdMacros = 22304;

  Q_INVOKABLE CQXDoc();
  ~CQXDoc() override;
  DECLARE_MESSAGE_MAP()

  // ---- lifecycle
  BOOL OnNewDocument() override;
  // A new document for the calculator model (empty: the default one) of
  // the calculator type (empty: the model's); an unknown type falls back to
  // "CFX-9850G" / "FX9850" with message 10512.
  BOOL NewDocumentForCalculator(const char* model, const char* type);
  BOOL OnOpenDocument(const QString& path) override;
  // Opens a compound file, or imports a file of the older version. A file
  // that cannot even be probed leaves the document as it was; any later
  // failure ends in a new document (File New is posted).
  Q_INVOKABLE BOOL OpenDocumentFile(const QString& path);
  // Into `path`: in place when it names the file the document has open
  // (whatever spelling or link leads there), else as a copy that becomes
  // the document's file, also at the document's own path once its file was
  // removed or moved away. FALSE when the save failed (the message was
  // shown).
  BOOL OnSaveDocument(const QString& path) override;
  // After an import the document is named after the file it was saved to,
  // whatever name it was opened by.
  void SetPathName(const QString& path, BOOL addToRecentFiles = TRUE) override;
  // Save into the document's file; a new or write-protected document asks
  // for a name first, and where another file now stands at the document's
  // path the user is asked (10516) before it is written over.
  BOOL DoFileSave() override;
  // Save (57603) and Save As (57604, which always asks for a name).
  void OnFileSave(UINT id);
  // Writes the records and commits the store (no path) or copies it into
  // `path`; FALSE after a message.
  BOOL SaveTo(const char* path);

  // ---- records
  BOOL WriteRecords();
  BOOL WriteDocumentInfo();
  BOOL WriteViewState();
  // Reads the record into `buffer` (zero-filled first); a failure shows the
  // stream error message with `pathForMessages`.
  BOOL ReadDocumentInfo(BYTE buffer[kDocInfoSize], const QString& pathForMessages);
  // A missing or short record gives the default (\Calculator, 2, 1).
  BOOL ReadViewState(BYTE buffer[kViewStateSize], const QString& pathForMessages);
  // Mask 2 with the saved path, its kind and (in `valid`, the field after
  // the kind) its expanded flag.
  BOOL GetSavedSelection(TreeItemInfo* info);

  // ---- the tree and the right pane
  // Fills the tree from the store and reads the View State.
  BOOL BuildViews();
  // The first view that is a CQXTreeView, or null.
  CQXTreeView* GetTreeView() const;
  // Has the right pane show the tree's selection; FALSE without a
  // selection, for a folder, or when the item cannot be loaded.
  BOOL ShowSelectedItemView() override;
  void OnShowSelection();
  // File > Propriétés: the five texts of the summary information; OK marks
  // the document modified. Nothing while the item store is closed.
  void OnProperties();
  // While busy the count; else ShowSelectedItemView.
  int RefreshSelectionView();
  // TRUE while busy; else whether the open page gave up its edits.
  virtual BOOL CanLeaveSelection();
  // TRUE raises, FALSE lowers the busy counter; the new count.
  int SetBusy(BOOL busy) override;
  // Selects `path` in the tree (not expanded) and shows it.
  BOOL SelectAndShow(const char* path) override;
  int GetBusyCount() const { return busy_; }

  // ---- state
  COrvoItemStore* GetItemStore() const { return store_.get(); }
  CQXSummaryInfo* GetSummaryInfo() const { return summary_.get(); }
  BOOL IsReadOnly() const { return readOnly_; }
  DWORD GetUniqueCounter() const { return uniqueCounter_; }
  // Forgets the last undoable step (new, open, before a receive, a paste, a
  // drop, a new entry or a page's commit).
  void ClearUndo() override;
  // The Edit and entry commands; the views route Undo here.
  CQXDocCommands& GetCommands() { return commands_; }
  CQXDocItemOps& GetItemOps() { return items_; }
  // Reads the command table of the document's model from the model's token
  // list. On success the table is replaced and its text index rebuilt; on
  // failure message 10562 names the file and the table stays as it was.
  BOOL ReloadTokenTable();
  // The command table of the document's model, for the token editor, the
  // command lists and the macros.
  CQXCommandTable& GetTokenTable() override { return tokenTable_; }
  const CQXCommandTable& GetTokenTable() const { return tokenTable_; }
  // Options > Editer liste des commandes: the command-list editor on a copy
  // of the table; after OK the copy replaces the table and the selected
  // item is shown again, so that its pages use the new commands.
  void OnEditCmdList();
  // Options > Liste définie par l'utilisateur: after OK every view hears
  // that the command lists changed, so that token pages refresh their pane.
  void OnUserCmdList();
  // Options > Macros (always enabled): the macro list; after OK the selected
  // item is shown again.
  void OnMacros();

  // ---- CQXDocServices
  void GetCalculatorType(std::string* out) override;
  void GetCalculatorName(std::string* out) override;
  DWORD NextUniqueNumber() override;
  BOOL CollectSendableItems(std::vector<std::string>* paths, std::vector<std::string>* texts) override;
  BOOL LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) override;
  BOOL LoadItem(const char* path, CQXDocEntry* out) override;
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) override;
  BOOL SaveItem(CQXDocEntry* entry, char* outPath) override;
  BOOL GetItemDataLength(const char* path, DWORD* out) override;
  BOOL CheckOverwrite(CQXDocEntry* entry) override;
  BOOL RemoveItem(const char* path, DWORD* outValue, BOOL withUndo) override;
  void QueryOverwrite(const char* itemText, int kind, UINT* answer) override;
  void SetCurrentLink(CQXCalcLink* link) override { link_ = link; }
  CQXCalcLink* GetCurrentLink() const override { return link_; }

  // ---- CQXDocCommandHost
  BOOL IsStoreOpen() override;
  BOOL TreeHasFocus() override;
  BOOL GetTreeSelection(TreeSelectionInfo* info) override;
  BOOL SelectTreePath(const char* path, BOOL expand) override;
  BOOL CommitActivePage() override;
  void ShowSelectionView(BOOL edit) override;
  void PostMainWindowCommand(UINT id) override;
  std::string GetModelName() override;
  BOOL ClipboardHasItem(int dataType) override;
  BOOL CopyItemToClipboard(const char* path, int dataType) override;
  std::unique_ptr<CQXDocEntry> ReadClipboardItem() override;
  // Files an item dropped on the tree or icon view at `target` (see
  // CQXDocCommands::InsertDroppedItem).
  BOOL InsertDroppedItem(COleDataObject* data, DROPEFFECT effect, const TreeItemInfo& target, BOOL sameView);
  // The item at `path` was moved into another program: it goes without an
  // undo record and the views follow.
  BOOL RemoveMovedItem(const char* path);

  // ---- CQXDocLinkHost
  CQXDocServices* GetLinkDocument() override { return this; }
  BOOL IsItemStoreOpen() override { return IsStoreOpen(); }
  void ResetOverwriteState() override { items_.ResetOverwriteState(); }
  void SetOverwriteAll(BOOL all) override { items_.SetOverwriteAll(all); }
  // The link operations the Link menu runs (tests give stand-ins).
  void SetLinkOperations(CQXDocLinkOperations operations);

  // ---- command handlers
  void OnLinkCommand(UINT id);
  // Link commands, Save and Properties: enabled by the open item store.
  void OnUpdateStoreCommand(CCmdUI* cmdUI);
  void OnEditCopy() { commands_.OnEditCopy(); }
  void OnUpdateEditCopy(CCmdUI* cmdUI) { commands_.OnUpdateEditCopy(cmdUI); }
  void OnEditCut() { commands_.OnEditCut(); }
  void OnUpdateEditCut(CCmdUI* cmdUI) { commands_.OnUpdateEditCut(cmdUI); }
  void OnEditPaste() { commands_.OnEditPaste(); }
  void OnUpdateEditPaste(CCmdUI* cmdUI) { commands_.OnUpdateEditPaste(cmdUI); }
  void OnNewEntry() { commands_.OnNewEntry(); }
  void OnUpdateNewEntry(CCmdUI* cmdUI) { commands_.OnUpdateNewEntry(cmdUI); }
  void OnEditEntry() { commands_.OnEditEntry(); }
  void OnUpdateEditEntry(CCmdUI* cmdUI) { commands_.OnUpdateEditEntry(cmdUI); }
  void OnEditOrNew() { commands_.OnEditOrNew(); }
  void OnUpdateEditOrNew(CCmdUI* cmdUI) { commands_.OnUpdateEditOrNew(cmdUI); }
  void OnSaveEntry() { commands_.OnSaveEntry(); }
  void OnUpdateSaveEntry(CCmdUI* cmdUI) { commands_.OnUpdateSaveEntry(cmdUI); }

 protected:
  // Clears the document for new contents: store closed, no path, title
  // "sans nom", not modified, not read-only, tree emptied.
  void ResetContents();
  // Makes `opened` the document's contents: its store, or with
  // `readOnlyFile` the source of a copy; without it, opens the file itself.
  BOOL OpenStoreFile(const QString& path, std::unique_ptr<COrvoItemStore> opened, BOOL readOnlyFile);
  BOOL ImportOldFile(const QString& path);
  // Shows File New (57600) to the main window; FALSE.
  BOOL FailOpen();
  // Asks for a file name (title 61441) and saves there; FALSE when the
  // user cancelled or the save failed.
  BOOL SaveWithNewName();
  // Whether another instance of the program has `path` open; TRUE with its
  // window title (8-bit, terminated within `size`).
  virtual BOOL FindFileHolder(const QString& path, char* title, UINT size);
  // Has the main window's right pane replaced by the view of the selection.
  virtual BOOL ShowSelectionPane(const TreeSelectionInfo& selection);

 public:
  // How the right pane shows a selection: the page views' function, set at
  // start-up (the page views live above the document). Without one every
  // selection shows the empty view.
  using SelectionViewFunction = BOOL (*)(const TreeSelectionInfo& selection, BOOL activate);
  static void SetSelectionViewFunction(SelectionViewFunction show);

 private:
  BOOL fillTree(CQXTreeView* tree, const std::string& folder);
  BOOL newSummaryInfo();

  // What the item operations ask of the document (kept apart: its names
  // would collide with CDocument's and CQXDocServices' own).
  class ItemHost : public CQXDocItemHost {
   public:
    explicit ItemHost(CQXDoc* doc) : doc_(doc) {}
    COrvoItemStore* GetItemStore() override;
    BOOL HasTreeView() override;
    BOOL AddTreeEntry(const char* path, const char* text, int kind, int flags, int value) override;
    void RemoveTreeEntry(const char* path) override;
    void SetTreeEntryText(const char* path, const char* text) override;
    BOOL GetTreeSelection(TreeSelectionInfo* info) override { return doc_->GetTreeSelection(info); }
    BOOL SelectTreePath(const char* path, BOOL expand) override { return doc_->SelectTreePath(path, expand); }
    DWORD NextUniqueNumber() override { return doc_->NextUniqueNumber(); }
    void SetModifiedFlag() override { doc_->SetModifiedFlag(TRUE); }
    int SetBusy(BOOL busy) override { return doc_->SetBusy(busy); }
    CQXCalcLink* GetCurrentLink() override { return doc_->link_; }
    BOOL KeepRemovedForUndo(const char* path) override;

   private:
    CQXDoc* doc_;
  };

  std::unique_ptr<COrvoItemStore> store_;
  CQXCalcLink* link_ = nullptr;
  BOOL readOnly_ = FALSE;
  std::string calculatorType_;
  std::unique_ptr<CQXSummaryInfo> summary_;
  DWORD uniqueCounter_ = kFirstUniqueNumber;
  CQXCommandTable tokenTable_;
  // The token list the table was last read from, its path and bytes: an open
  // or New that would read the same file with the same bytes keeps the table.
  std::string tokenListPath_;
  QByteArray tokenListBytes_;
  int busy_ = 0;
  QString importedFrom_, importedTo_;
  ItemHost itemHost_{this};
  CQXDocItemOps items_{&itemHost_};
  CQXUndoBuffer undo_;
  CQXDocCommands commands_{this, this, &items_, &undo_};
  std::unique_ptr<CQXDocLinkCommands> linkCommands_ = std::make_unique<CQXDocLinkCommands>(this);
};

// The store error message for `code` (with `path` when not empty) and the
// stream error message for a stream status code; both shown with the
// exclamation icon.
void FormatStoreError(DWORD code, const QString& path);
void FormatStreamError(int code, const QString& path, BOOL writing);

// Creates the folders and item slots of a new document for the calculator
// type below \Calculator (its description the model name); FALSE for an
// unknown type or when a node cannot be added. \Calculator\Program is the
// folder of freely named items (node flag 0x20).
BOOL CreateDefaultFolders(const char* model, const char* type, COrvoItemStore* store);

void RegisterQXDocClass();
