#include "app/OldDataImporter.h"

#include "app/QXDocItemOps.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXImageItems.h"
#include "services/DocServices.h"

#include <new>

namespace {

struct RecordFree {
  void operator()(qxl16_Record* record) const { qxl16_Free(record); }
};
using RecordPtr = std::unique_ptr<qxl16_Record, RecordFree>;

// Keeps the document's busy counter raised while items are filed.
class BusyScope {
 public:
  explicit BusyScope(CQXDocServices* doc) : m_doc(doc) { m_doc->SetBusy(TRUE); }
  ~BusyScope() { m_doc->SetBusy(FALSE); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  CQXDocServices* m_doc;
};

}  // namespace

CQXOldDataImporter::~CQXOldDataImporter() = default;

BOOL GetOldRecordData(const qxl16_Record* record, const BYTE** data, DWORD* length) {
  *data = record->dataLength ? record->data : nullptr;
  *length = record->dataLength;
  return record->dataLength == 0 || record->data;
}

BYTE* CQXOldDataImporter::WorkBuffer(DWORD size) {
  try {
    if (m_buffer.size() < size) m_buffer.resize(size, 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return m_buffer.data();
}

int CQXOldDataImporter::Run(qxl16_Handle handle) {
  try {
    m_buffer.assign(kWorkBufferSize, 0);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  BusyScope busy(m_doc);
  WalkList(handle, &qxl16_GetProgram, [this](qxl16_Record* record) { ImportProgram(record); });
  WalkList(handle, &qxl16_GetTransferData, [this](qxl16_Record* title) { ImportTransferChain(title); });
  WalkList(handle, &qxl16_GetHardCopy, [this](qxl16_Record* record) {
    if (InsertItem(record) != kConverted) CountSkipped();
  });
  EndRun();
  return kConverted;
}

// The library moves its position on also when it cannot hand out an entry
// (a damaged block, a wrong class): such an entry is skipped and the list
// goes on. It ends at its end, on a failure that is not the entry's own, and
// when the position stands still.
template <class Take>
void CQXOldDataImporter::WalkList(qxl16_Handle handle, GetFunction get, Take take) {
  qxl16_Position position = nullptr;
  for (;;) {
    const qxl16_Position before = position;
    qxl16_Record* out = nullptr;
    const int result = get(handle, &position, &out);
    RecordPtr record(out);
    const bool moved = position != before;
    if (result == qxl16_Ok && record) {
      try {
        take(record.get());
      } catch (const std::bad_alloc&) {
        CountSkipped();
      }
      continue;
    }
    if (!moved || result == qxl16_EndOfList) return;
    CountSkipped();
    if (result != qxl16_BadContent && result != qxl16_Empty) return;
  }
}

bool CQXOldDataImporter::TakeResult(int result, CQXDocEntry* entry) {
  if (result == kConverted) {
    if (!FileEntry(entry)) CountSkipped();
    return true;
  }
  if (result == kPending) return true;
  CountSkipped();
  return false;
}

void CQXOldDataImporter::ImportProgram(qxl16_Record* record) {
  qxl16_Record* cursor = record;
  std::unique_ptr<CQXDocEntry> entry;
  const int result = ConvertRecord(&cursor, &entry);
  TakeResult(result, entry.get());
}

// The title record carries only the item's names; its blocks follow.
void CQXOldDataImporter::ImportTransferChain(qxl16_Record* title) {
  qxl16_Record* cursor = title->next;
  while (cursor) {
    const qxl16_Record* before = cursor;
    std::unique_ptr<CQXDocEntry> entry;
    const int result = ConvertRecord(&cursor, &entry);
    if (!TakeResult(result, entry.get()) || cursor == before) return;
  }
}

int CQXOldDataImporter::ConvertAt(qxl16_Record** cursor, int kind, bool wholeInRecord,
                                  std::unique_ptr<CQXDocEntry>* out, const KindConversion& convert) {
  try {
    const qxl16_Record* first = *cursor;
    const qxl16_Record* next = first->next;
    ItemPtr item;
    int entryKind = kind;
    const int result = convert(first, &next, &item, &entryKind);
    if (result != kConverted && result != kPending) return result;
    if (!wholeInRecord) *cursor = const_cast<qxl16_Record*>(next);
    if (result == kPending) return kPending;
    auto entry = std::make_unique<CQXDocEntry>();
    entry->SetItem(item.release());
    entry->SetKind(DWORD(entryKind));
    *out = std::move(entry);
    return kConverted;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

BOOL CQXOldDataImporter::FileEntry(CQXDocEntry* entry, const std::string& screenName) {
  if (!entry || !m_doc->StoreReceivedItem(entry, CQXDocItemOps::kFromOutside)) return FALSE;
  // Empty lists and equation results keep no item: nothing to write.
  if (!entry->GetItem()) return TRUE;
  if (!screenName.empty())
    if (auto* screen = dynamic_cast<CQXScreenItem*>(entry->GetItem())) screen->SetText(screenName.c_str());
  return m_doc->SaveItem(entry, nullptr);
}
