// A document stand-in for tests of the data model and the link: a small
// in-memory document. Items are kept as their stored records by path, so
// that what a link command filed can be loaded back and compared; received
// entries get their paths by kind as the document files them; the items a
// send offers, the overwrite answers and the failures are scripted; and it
// records the questions it was asked.
#pragma once

#include "services/DocServices.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "tests/support/MemoryArchive.h"

#include <cstdio>
#include <deque>
#include <map>
#include <set>

namespace tallix::test {

class FakeDocServices : public CQXDocServices {
 public:
  std::string calculatorType = "FX9850";
  std::string calculatorName = "CFX-9850G";
  DWORD uniqueNumber = 0;
  // Answers QueryOverwrite gives in turn; 1 (yes) once they run out.
  std::deque<UINT> overwriteAnswers;
  std::vector<std::pair<std::string, int>> overwriteQuestions;
  // Paths CheckOverwrite was asked about.
  std::vector<std::string> overwriteChecks;
  CQXCalcLink* currentLink = nullptr;
  // The command table the test hands out (tests of the link never ask).
  CQXCommandTable* tokenTable = nullptr;

  // The document's items: each entry's stored record by path.
  std::map<std::string, std::vector<BYTE>> items;
  // What CollectSendableItems offers: paths and display texts.
  std::vector<std::pair<std::string, std::string>> sendable;
  BOOL collectSucceeds = TRUE;
  // LoadItemsAt fails for these paths; and leaves an empty slot for items
  // at these paths.
  std::set<std::string> loadFailsAt, unloadable;
  BOOL saveSucceeds = TRUE;
  // The paths SaveItem was asked to write, in turn.
  std::vector<std::string> savedPaths;

  // Files `item` at `path` as SaveItem would.
  void put(const std::string& path, CQXCalcItem* item) {
    CQXDocEntry entry;
    entry.SetPath(path.c_str());
    entry.SetItem(item);
    SaveItem(&entry, nullptr);
  }
  // A fresh copy of the entry at `path`, or null.
  std::unique_ptr<CQXDocEntry> get(const std::string& path) const {
    auto it = items.find(path);
    if (it == items.end()) return nullptr;
    auto entry = std::make_unique<CQXDocEntry>();
    MemoryArchive ar(it->second);
    entry->Load(ar);
    entry->SetPath(path.c_str());
    return entry;
  }

  void GetCalculatorType(std::string* out) override { *out = calculatorType; }
  void GetCalculatorName(std::string* out) override { *out = calculatorName; }
  DWORD NextUniqueNumber() override { return ++uniqueNumber; }
  CQXCommandTable& GetTokenTable() override { return *tokenTable; }
  BOOL CollectSendableItems(std::vector<std::string>* paths, std::vector<std::string>* texts) override {
    for (const auto& [path, text] : sendable) {
      paths->push_back(path);
      texts->push_back(text);
    }
    return collectSucceeds;
  }
  // The item at `path`, or every item directly in the folder `path`.
  BOOL LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) override {
    if (loadFailsAt.count(path)) return FALSE;
    const std::string folder = std::string(path) + '\\';
    for (const auto& [itemPath, bytes] : items) {
      const bool inFolder = itemPath.compare(0, folder.size(), folder) == 0 &&
                            itemPath.find('\\', folder.size()) == std::string::npos;
      if (itemPath != path && !inFolder) continue;
      out->push_back(unloadable.count(itemPath) ? nullptr : get(itemPath));
    }
    return !out->empty();
  }
  BOOL LoadItem(const char* path, CQXDocEntry* out) override {
    auto it = items.find(path);
    if (it == items.end()) return FALSE;
    MemoryArchive ar(it->second);
    out->Load(ar);
    out->SetPath(path);
    return TRUE;
  }
  // The rows of the kinds the tests receive.
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) override {
    entry->SetFlags(flags);
    CQXCalcItem* item = entry->GetItem();
    char name[64] = "";
    switch (entry->GetKind()) {
      case kKindProgram: return entry->SetPath("\\Calculator\\Program\\Program") > 0;
      case kKindMatrix:
        return static_cast<CQXMatrixItem*>(item)->GetDocName(name, sizeof name) &&
               entry->SetPath((std::string("\\Calculator\\Matrix\\") + name).c_str());
      case kKindList: {
        auto* list = static_cast<CQXListItem*>(item);
        if (list->GetValues().GetFirstCount() == 0) {
          entry->SetItem(nullptr);
          return TRUE;
        }
        char folder[64] = "";
        return list->GetDocFolder(folder, sizeof folder) && list->GetDocName(name, sizeof name) &&
               entry->SetPath((std::string("\\Calculator\\") + folder + '\\' + name).c_str());
      }
      case kKindScreenCopyMono:
      case kKindScreenCopyColour:
        std::snprintf(name, sizeof name, "\\Calculator\\Display\\Display_%08u", unsigned(NextUniqueNumber()));
        return entry->SetPath(name) > 0;
      case kKindBackup: return entry->SetPath("") > 0;
      // The newer family.
      case kKindMatrixV5:
        return static_cast<CQXMatrixV5Item*>(item)->GetDocName(name, sizeof name) &&
               entry->SetPath((std::string("\\Calculator\\Matrix\\") + name).c_str());
      case kKindFunctionMemoryV5: return entry->SetPath("\\Calculator\\FMemV5") > 0;
      case kKindOtherMemory:
        return static_cast<CQXAddInItem*>(item)->GetName(name, sizeof name) &&
               entry->SetPath((std::string("\\Calculator\\Memory\\") + name).c_str());
      case kKindBackupV5: return entry->SetPath("") > 0;
      default: return FALSE;
    }
  }
  BOOL SaveItem(CQXDocEntry* entry, char*) override {
    savedPaths.push_back(entry->Path());
    if (!saveSucceeds) return FALSE;
    MemoryArchive ar;
    entry->Store(ar);
    items[entry->Path()] = ar.bytes_;
    return TRUE;
  }
  BOOL GetItemDataLength(const char* path, DWORD* out) override {
    auto it = items.find(path);
    *out = it == items.end() ? 0 : DWORD(it->second.size());
    return it != items.end();
  }
  BOOL CheckOverwrite(CQXDocEntry* entry) override {
    overwriteChecks.push_back(entry->Path());
    return TRUE;
  }
  BOOL RemoveItem(const char* path, DWORD*, BOOL) override { return items.erase(path) != 0; }
  void QueryOverwrite(const char* itemText, int kind, UINT* answer) override {
    overwriteQuestions.emplace_back(itemText ? itemText : "", kind);
    *answer = 1;
    if (!overwriteAnswers.empty()) {
      *answer = overwriteAnswers.front();
      overwriteAnswers.pop_front();
    }
  }
  void SetCurrentLink(CQXCalcLink* link) override { currentLink = link; }
  CQXCalcLink* GetCurrentLink() const override { return currentLink; }
};

}  // namespace tallix::test
