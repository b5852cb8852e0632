// The importers of the older version's documents: they pull every program,
// transfer item and screen copy out of the old-data library QXL16Data and
// file each one into the document exactly like an item received over the
// link (from outside: an existing item is only replaced after asking).
//
// A record chain is converted through a cursor, the address of a pointer to
// the current record: a conversion consumes one or more consecutive records
// and leaves the cursor on the first record it did not consume. Records stay
// the library's; they go back through qxl16_Free only.
//
// A record that does not convert is skipped and counted; the run goes on
// with the next record or chain.
#pragma once

#include "olddata/QXL16Data.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQXCalcItem;
class CQXDocEntry;
class CQXDocServices;
class CQXFuncMemV5Item;
class CQXRecursionItem;
class CQXRecursionV5Item;

class CQXOldDataImporter {
 public:
  // Results of ConvertRecord and InsertItem.
  enum : int {
    kConverted = 1,     // an entry was made
    kPending = -2,      // the records went into an item that is not complete yet
    kNoMemory = 4,
    kBadRecord = 5,     // a record does not parse, or its data does not fit the item
    kNotConverted = 6,  // a kind this importer does not convert, or not for this calculator
  };
  // The work buffer's size at the start of a run.
  static constexpr DWORD kWorkBufferSize = 0x10000;

  explicit CQXOldDataImporter(CQXDocServices* doc) : m_doc(doc) {}
  virtual ~CQXOldDataImporter();
  CQXOldDataImporter(const CQXOldDataImporter&) = delete;
  CQXOldDataImporter& operator=(const CQXOldDataImporter&) = delete;

  // Files the programs, then the transfer items, then the screen copies of
  // the open old document: 1 when the run completed (also when records were
  // skipped), 4 when the work buffer cannot be had.
  int Run(qxl16_Handle handle);
  // Converts the records at the cursor into a new entry whose kind code
  // says where the document files it (1 only; the caller owns it).
  virtual int ConvertRecord(qxl16_Record** cursor, std::unique_ptr<CQXDocEntry>* out) = 0;
  // Files an old screen copy as a screen-copy item: 1 filed, 4 no bitmap or
  // no memory, 5 a size, depth or pixel count it cannot hold, or the filing
  // failed.
  int InsertItem(const qxl16_Record* record);
  // What the importer still holds at the end of a run is filed, or dropped
  // and counted. Run calls it last.
  virtual void EndRun() {}

  // Entries that could not be imported: records that did not convert or
  // file, entries the library could not hand out, incomplete recursions.
  int GetSkippedCount() const { return m_skipped; }

 protected:
  using ItemPtr = std::unique_ptr<CQXCalcItem>;
  // Converts the records from `first`: makes the item and may change its
  // entry kind code, and leaves `next` (at first the record after `first`)
  // on the first record it did not consume.
  using KindConversion =
      std::function<int(const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item, int* entryKind)>;
  // What both families' ConvertRecord do around the conversion of the
  // record's `kind`: the cursor moves to `next` unless the kind is
  // `wholeInRecord`; a conversion of 1 gives the new entry; memory
  // exhaustion gives 4.
  static int ConvertAt(qxl16_Record** cursor, int kind, bool wholeInRecord, std::unique_ptr<CQXDocEntry>* out,
                       const KindConversion& convert);
  // The document's StoreReceivedItem as an item from outside, then its
  // SaveItem when the entry keeps an item; a screen copy takes
  // `screenName` (when not empty) as its text. FALSE when it failed.
  BOOL FileEntry(CQXDocEntry* entry, const std::string& screenName = {});
  void CountSkipped() { ++m_skipped; }
  // The zero-filled work buffer, grown to at least `size` bytes; null when
  // memory runs out.
  BYTE* WorkBuffer(DWORD size);
  CQXDocServices* Doc() const { return m_doc; }

 private:
  using GetFunction = int (*)(qxl16_Handle, qxl16_Position*, qxl16_Record**);
  // Walks one list of the library, handing each record to `take`.
  template <class Take>
  void WalkList(qxl16_Handle handle, GetFunction get, Take take);
  void ImportProgram(qxl16_Record* record);
  void ImportTransferChain(qxl16_Record* title);
  // Files a converted entry; FALSE when the chain ends here. A result other
  // than 1 or -2, and an entry that does not file, count as skipped.
  bool TakeResult(int result, CQXDocEntry* entry);

  CQXDocServices* m_doc;
  std::vector<BYTE> m_buffer;
  int m_skipped = 0;
};

// The record's data; FALSE when it announces bytes it does not hold.
BOOL GetOldRecordData(const qxl16_Record* record, const BYTE** data, DWORD* length);

// The older family ("FX9850", "FX7400"): link headers of 50 bytes (40 for
// the screen copies "DD" and "DC").
class CQXOldDataImporterFX9850 : public CQXOldDataImporter {
 public:
  // Takes the document's calculator type.
  explicit CQXOldDataImporterFX9850(CQXDocServices* doc);
  ~CQXOldDataImporterFX9850() override;

  int ConvertRecord(qxl16_Record** cursor, std::unique_ptr<CQXDocEntry>* out) override;
  void EndRun() override;

 private:
  int Convert(int kind, const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item, int* entryKind);
  int ConvertRecursionFormulas(const qxl16_Record* first, const qxl16_Record** next);
  int ConvertRecursionRange(const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item);

  std::string m_calcType;
  std::unique_ptr<CQXRecursionItem> m_recursion;  // waits for its range
};

// The newer family ("FXALGEBRA20"): "MCS1" headers of 40 bytes.
class CQXOldDataImporterAlgebra : public CQXOldDataImporter {
 public:
  explicit CQXOldDataImporterAlgebra(CQXDocServices* doc);
  ~CQXOldDataImporterAlgebra() override;

  int ConvertRecord(qxl16_Record** cursor, std::unique_ptr<CQXDocEntry>* out) override;
  // Files the function memory the run filled, once.
  void EndRun() override;

 private:
  int Convert(int kind, const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item, int* entryKind);
  int ConvertProgram(const qxl16_Record* record, ItemPtr* item);
  int ConvertVariables(const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item);
  int ConvertFunctionMemory(const qxl16_Record* record);
  int ConvertRawRun(int kind, const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item);

  std::unique_ptr<CQXRecursionV5Item> m_recursion;  // waits for its set-up and range
  std::unique_ptr<CQXFuncMemV5Item> m_functionMemory;  // filled record by record
};
