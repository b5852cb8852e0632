// The document's one undoable step: the entry that the last delete or paste
// took away, so that Edit > Undo can file it again. It works on its
// document through CQXDocServices.
#pragma once

#include "platform/WinTypes.h"

#include <list>
#include <memory>
#include <string>

class CQXDocEntry;
class CQXDocServices;

class CQXUndoBuffer {
 public:
  enum Kind { kRemoved = 1, kReplaced = 2 };

  CQXUndoBuffer();
  ~CQXUndoBuffer();
  CQXUndoBuffer(const CQXUndoBuffer&) = delete;
  CQXUndoBuffer& operator=(const CQXUndoBuffer&) = delete;

  BOOL SetDocument(CQXDocServices* document);
  // Forgets every record.
  void Clear();
  // Before the item at `path` is removed: keeps a copy of it (`keep` must
  // be 1). TRUE with nothing kept when the item cannot be loaded (a slot
  // without data); FALSE when the copy cannot be kept.
  BOOL PushRemoved(const char* path, int keep);
  // After a paste wrote `path`: keeps `entry`, the content it replaced (it
  // may hold no item). Takes the entry on TRUE only; `kind` is 1 or 2.
  BOOL PushReplaced(CQXDocEntry* entry, const char* path, int kind);
  // Files the kept entry again (after removing what a paste wrote), selects
  // it and shows its page. When it cannot be filed the record stays and
  // message 10513 says so.
  BOOL Undo();
  BOOL CanUndo() const { return !m_records.empty(); }

 private:
  struct Record {
    int kind = 0;
    std::unique_ptr<CQXDocEntry> entry;
    std::string path;  // kind 2: what the paste wrote
  };
  BOOL Refile(Record& record, std::string* written);

  CQXDocServices* m_document = nullptr;
  std::list<Record> m_records;  // newest first; at most one after a push
};
