#include "app/QXUndoBuffer.h"

#include "services/DocServices.h"
#include "datamodel/QXDocEntry.h"
#include "platform/MessageBox.h"

#include <new>

CQXUndoBuffer::CQXUndoBuffer() = default;
CQXUndoBuffer::~CQXUndoBuffer() = default;

BOOL CQXUndoBuffer::SetDocument(CQXDocServices* document) {
  m_document = document;
  return TRUE;
}

void CQXUndoBuffer::Clear() { m_records.clear(); }

BOOL CQXUndoBuffer::PushRemoved(const char* path, int keep) {
  Clear();
  if (keep != 1 || !path || !m_document) return FALSE;
  try {
    auto entry = std::make_unique<CQXDocEntry>();
    if (!m_document->LoadItem(path, entry.get())) return TRUE;
    entry->SetPath(path);
    Record record;
    record.kind = kRemoved;
    record.entry = std::move(entry);
    m_records.push_front(std::move(record));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXUndoBuffer::PushReplaced(CQXDocEntry* entry, const char* path, int kind) {
  Clear();
  if ((kind != kRemoved && kind != kReplaced) || !entry) return FALSE;
  try {
    Record record;
    record.kind = kind;
    record.path = path ? path : "";
    m_records.push_front(std::move(record));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  m_records.front().entry.reset(entry);
  return TRUE;
}

BOOL CQXUndoBuffer::Refile(Record& record, std::string* written) {
  char path[256] = "";
  m_document->SetBusy(TRUE);
  const BOOL ok = m_document->SaveItem(record.entry.get(), path) && path[0];
  m_document->SetBusy(FALSE);
  *written = path;
  return ok;
}

BOOL CQXUndoBuffer::Undo() {
  if (m_records.empty() || !m_document) return FALSE;
  Record& record = m_records.front();
  std::string written;
  switch (record.kind) {
    case kRemoved:
      if (!Refile(record, &written)) break;
      m_document->SelectAndShow(written.c_str());
      m_records.pop_front();
      return TRUE;
    case kReplaced: {
      m_document->SetBusy(TRUE);
      DWORD deleted = FALSE;
      if (!record.path.empty()) m_document->RemoveItem(record.path.c_str(), &deleted, FALSE);
      m_document->SetBusy(FALSE);
      if (!record.entry->GetItem()) {
        m_document->SelectAndShow(record.entry->Path().c_str());
        m_records.pop_front();
        return TRUE;
      }
      // From here on only the filing is left to do.
      record.kind = kRemoved;
      record.path.clear();
      if (!Refile(record, &written)) break;
      m_document->SelectAndShow(written.c_str());
      m_records.pop_front();
      return TRUE;
    }
    default:
      m_records.pop_front();
      return FALSE;
  }
  // The entry could not be filed again: it stays the undoable step, so that
  // it is not lost.
  AfxMessageBox(10513, MB_ICONSTOP);
  return FALSE;
}
