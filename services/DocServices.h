// What the data model, the link and the class library ask of the document.
// The document (CQXDoc) implements it; the lower layers are handed the
// document they work for, so that they can be tested with a stand-in.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class CQXDocEntry;
class CQXCalcLink;
class CQXCommandTable;

class CQXDocServices {
 public:
  virtual ~CQXDocServices() = default;

  // "FX9850", "FX7400" or "FXALGEBRA20".
  virtual void GetCalculatorType(std::string* out) = 0;
  // The description of the folder "Calculator" under the root (the model
  // name); `out` stays unchanged when that folder cannot be read.
  virtual void GetCalculatorName(std::string* out) = 0;
  // Raises the document's unique-name counter and returns the new value.
  virtual DWORD NextUniqueNumber() = 0;
  // The command table of the document's model (token editors, command lists
  // and macros read it).
  virtual CQXCommandTable& GetTokenTable() = 0;

  // Paths and display texts of the items that can be sent.
  virtual BOOL CollectSendableItems(std::vector<std::string>* paths, std::vector<std::string>* texts) = 0;
  // The entry at `path`, or one entry for each child of the folder at
  // `path` in store order, each owning its item; a child that cannot be
  // loaded leaves a null slot.
  virtual BOOL LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) = 0;
  virtual BOOL LoadItem(const char* path, CQXDocEntry* out) = 0;

  // Sets the entry's flags (bit 0: from outside, compared before it replaces
  // an item) and gives it its path "\Calculator\<folder of its kind>\<name>";
  // FALSE when the kind has no folder or the item's name cannot be a path.
  virtual BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) = 0;
  // Writes the entry into the item store and updates the tree; `outPath`
  // (null or at least 256 characters) receives the path used. TRUE with an
  // empty `outPath` when the user refused to replace the item there: nothing
  // was stored.
  virtual BOOL SaveItem(CQXDocEntry* entry, char* outPath) = 0;
  virtual BOOL GetItemDataLength(const char* path, DWORD* out) = 0;
  // Asks whether an existing item of the entry's path may be replaced.
  virtual BOOL CheckOverwrite(CQXDocEntry* entry) = 0;
  // Removes the item at `path`; `withUndo` FALSE keeps no undo record.
  virtual BOOL RemoveItem(const char* path, DWORD* outValue, BOOL withUndo) = 0;
  // 1 yes, 2 no, 3 cancel, 4 all (also given at once when "all" was chosen
  // before in this transfer or the question is switched off).
  virtual void QueryOverwrite(const char* itemText, int kind, UINT* answer) = 0;

  // The link of the transfer under way (null outside a transfer); the
  // document cancels it when the user cancels its own questions.
  virtual void SetCurrentLink(CQXCalcLink* link) = 0;
  virtual CQXCalcLink* GetCurrentLink() const = 0;

  // Raises (TRUE) or lowers (FALSE) the busy counter and returns it; while
  // it is above 0 the tree's selection does not replace the right pane.
  virtual int SetBusy(BOOL busy) { return busy ? 1 : 0; }
  // Selects `path` in the tree without expanding it and shows its page.
  virtual BOOL SelectAndShow(const char* path) { return path != nullptr; }
};
